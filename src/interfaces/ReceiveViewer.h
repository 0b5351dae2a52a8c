#pragma once

#include <QString>

// The received-data viewer as a panel other than its own reaches it: the
// channel search shows it under a caption of its own, so that the free
// channels are seen as they arrive.
class ReceiveViewer
{
public:
    virtual ~ReceiveViewer() = default;

    // Loads the viewer if it is not loaded, gives it the caption and shows
    // it, not modal, over its owner.
    virtual void showWithCaption(const QString &caption) = 0;
};
