#include "hostsim/FrameScanner.h"

#include "protocol/ControlFrame.h"

namespace {

const QByteArray &preamble()
{
    static const QByteArray bytes = ControlFrame::preamble();
    return bytes;
}

} // namespace

FrameScanner::FrameScanner(Handlers handlers)
    : m_handlers(std::move(handlers))
{ }

void FrameScanner::feed(QByteArrayView bytes)
{
    m_held.append(bytes);
    m_held.remove(0, scanFrom(0));
}

void FrameScanner::endPause()
{
    if (m_held.isEmpty())
        return;
    const qsizetype codeAt = preamble().size();
    if (m_held.size() > codeAt)
        m_handlers.truncated(quint8(m_held.at(codeAt)), QByteArrayView(m_held).sliced(codeAt + 1));
    else
        emitData(0, m_held.size());
    m_held.clear();
}

qsizetype FrameScanner::scanFrom(qsizetype pos)
{
    while (pos < m_held.size()) {
        const qsizetype start = m_held.indexOf(preamble(), pos);
        if (start < 0) {
            const qsizetype heldFrom = m_held.size() - partialPreambleAtEnd(pos);
            emitData(pos, heldFrom);
            return heldFrom;
        }
        emitData(pos, start);
        const qsizetype codeAt = start + preamble().size();
        if (codeAt >= m_held.size())
            return start;
        const int code = quint8(m_held.at(codeAt));
        const int count = ControlFrame::argumentCount(code);
        if (count < 0) {
            m_handlers.unknownCode(code);
            emitData(start, codeAt);
            pos = codeAt;
            continue;
        }
        if (codeAt + 1 + count > m_held.size())
            return start;
        m_handlers.frame(code, QByteArrayView(m_held).sliced(codeAt + 1, count));
        pos = codeAt + 1 + count;
    }
    return pos;
}

qsizetype FrameScanner::partialPreambleAtEnd(qsizetype from) const
{
    const QByteArrayView tail = QByteArrayView(m_held).sliced(from);
    for (qsizetype length = qMin(tail.size(), preamble().size() - 1); length > 0; --length) {
        if (tail.last(length) == QByteArrayView(preamble()).first(length))
            return length;
    }
    return 0;
}

void FrameScanner::emitData(qsizetype from, qsizetype to)
{
    if (to > from)
        m_handlers.data(QByteArrayView(m_held).sliced(from, to - from));
}
