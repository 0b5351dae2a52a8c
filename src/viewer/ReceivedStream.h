#pragma once

#include "viewer/ByteHistory.h"
#include "viewer/ViewerNotation.h"

#include <QByteArrayView>
#include <QString>

// Received bytes in the viewer's text forms, for output that goes out as the
// bytes come and cannot be redrawn: in Txt a lead byte at the end of a chunk
// waits for its trail byte in the next one. Only what has not been shown is
// kept.
class ReceivedStream
{
public:
    // A byte that code page 936 cannot show on its own: kept as the viewer
    // holds it (it encodes back into that byte), or drawn as U+FFFD as the
    // viewer draws it.
    enum class LoneBytes { Kept, Replaced };

    explicit ReceivedStream(ViewerNotation form, LoneBytes loneBytes = LoneBytes::Replaced);

    ViewerNotation form() const { return m_form; }
    // The text of the bytes not yet shown.
    QString take(QByteArrayView bytes);
    // A lead byte that no trail byte followed, alone, as the viewer shows it
    // at the very end.
    QString finish();

private:
    QString render(bool final);

    ViewerNotation m_form;
    LoneBytes m_loneBytes;
    ByteHistory m_history;
    qsizetype m_shown = 0;
};
