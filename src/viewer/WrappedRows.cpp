#include "viewer/WrappedRows.h"

#include "viewer/GbkCodec.h"
#include "viewer/ReceivedText.h"

#include <QString>

#include <algorithm>

namespace {

constexpr qint32 unmeasured = -1;

} // namespace

WrappedRows::WrappedRows(const QFont &font)
    : m_metrics(font)
    , m_advances(0x10000, unmeasured)
{
    clear();
}

void WrappedRows::setFont(const QFont &font)
{
    m_metrics = QFontMetricsF(font);
    std::fill(m_advances.begin(), m_advances.end(), unmeasured);
    clear();
}

void WrappedRows::setWidth(int pixels)
{
    if (pixels == m_width)
        return;
    m_width = pixels;
    clear();
}

void WrappedRows::clear()
{
    m_starts.reset();
    m_laidOut = 0;
    m_previous = QChar();
    m_rowAdvance = 0;
    m_breakAfter = -1;
    m_advanceAtBreak = 0;
}

bool WrappedRows::extend(const ReceivedText &text, QDeadlineTimer deadline)
{
    // The text is produced a piece at a time.
    constexpr qsizetype pieceSize = 4096;
    // Measuring a character the first time takes tens of microseconds, so
    // the deadline is looked at every few characters.
    constexpr qsizetype checkEvery = 64;
    const qint64 available = qint64(m_width) * 64;
    const qsizetype size = text.length();
    while (m_laidOut < size) {
        const qsizetype count = std::min(pieceSize, size - m_laidOut);
        m_piece.clear();
        text.render(m_laidOut, count, m_piece);
        for (qsizetype i = 0; i < count; ++i) {
            place(m_piece[i], m_laidOut, available);
            ++m_laidOut;
            if (i % checkEvery == checkEvery - 1 && deadline.hasExpired())
                return m_laidOut == size;
        }
    }
    return true;
}

void WrappedRows::place(QChar ch, qsizetype pos, qint64 available)
{
    const QChar previous = m_previous;
    m_previous = ch;
    if (ch == u'\n' && previous == u'\r') {
        // The row the carriage return began starts after the line feed.
        m_starts.setLast(pos + 1);
        return;
    }
    if (isLineBreak(ch)) {
        startRow(pos + 1);
        return;
    }
    const qint64 w = advance(ch);
    if (ch == u' ') {
        // Blanks may hang past the edge; the row can break after them.
        m_rowAdvance += w;
        m_breakAfter = pos + 1;
        m_advanceAtBreak = m_rowAdvance;
        return;
    }
    if (m_rowAdvance + w > available && pos > m_starts.last()) {
        if (m_breakAfter > m_starts.last()) {
            m_starts.append(m_breakAfter);
            m_rowAdvance -= m_advanceAtBreak;
            m_breakAfter = -1;
        }
        // A run without blanks longer than a row breaks where it must.
        if (m_rowAdvance + w > available && pos > m_starts.last())
            startRow(pos);
    }
    m_rowAdvance += w;
}

qsizetype WrappedRows::rowOf(qsizetype position) const
{
    return m_starts.rowOf(position);
}

qint32 WrappedRows::advance(QChar ch)
{
    qint32 &known = m_advances[ch.unicode()];
    if (known == unmeasured) {
        const QChar shown = shownAs(ch);
        // Measured as a string so that characters the font lacks are measured
        // in the fallback font they are drawn with (CJK is about twice as wide).
        known = shown.isNull() ? 0 : qRound(m_metrics.horizontalAdvance(QString(shown)) * 64);
    }
    return known;
}

QChar WrappedRows::shownAs(QChar ch)
{
    if (isLineBreak(ch))
        return QChar();
    if (ch.unicode() < 0x20)
        return QChar(0x2400 + ch.unicode()); // the control pictures
    if (ch.unicode() == 0x7F)
        return QChar(0x2421);
    if (GbkCodec::isLoneByte(ch))
        return QChar::ReplacementCharacter;
    return ch;
}

qsizetype WrappedRows::allocatedBytes() const
{
    return m_starts.allocatedBytes() + qsizetype(m_advances.capacity() * sizeof(qint32))
        + m_piece.capacity() * qsizetype(sizeof(QChar));
}

void WrappedRows::startRow(qsizetype position)
{
    m_starts.append(position);
    m_rowAdvance = 0;
    m_breakAfter = -1;
}
