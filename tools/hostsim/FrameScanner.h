#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <functional>

// Splits the byte stream from the PC into print data and control frames, the
// way the host module reads it: the six-byte preamble starts a frame wherever
// it occurs, and the code after it fixes how many argument bytes follow.
//
// Bytes that may begin a preamble are held until the next bytes settle it,
// so a frame split across reads is still found. A preamble followed by a byte
// that is no command code was print data after all: its six bytes go out as
// data and the scan resumes at the byte after them. When the line pauses
// (endPause()), held bytes that never became a complete preamble with a known
// code are data; a frame whose code arrived but not all its arguments is
// dropped.
class FrameScanner
{
public:
    struct Handlers {
        std::function<void(QByteArrayView data)> data;
        std::function<void(int code, QByteArrayView arguments)> frame;
        std::function<void(int code)> unknownCode;
        std::function<void(int code, QByteArrayView argumentsSoFar)> truncated;
    };

    explicit FrameScanner(Handlers handlers);

    void feed(QByteArrayView bytes);
    void endPause();

    // Whether bytes are held back waiting for the rest of a frame.
    bool isHolding() const { return !m_held.isEmpty(); }

private:
    // Scans m_held from pos; returns where the held remainder starts.
    qsizetype scanFrom(qsizetype pos);
    // Length of the longest tail of m_held after from that begins a preamble.
    qsizetype partialPreambleAtEnd(qsizetype from) const;
    void emitData(qsizetype from, qsizetype to);

    Handlers m_handlers;
    QByteArray m_held;
};
