#pragma once

#include <QByteArrayView>

// Where the receive path puts every received chunk: the received-data viewer,
// which loads itself (hidden) the first time it is touched.
class ReceiveSink
{
public:
    virtual ~ReceiveSink() = default;
    virtual void appendReceived(QByteArrayView bytes) = 0;
};
