#include "viewer/WrappedRows.h"

#include "viewer/GbkCodec.h"
#include "viewer/NotationConverter.h"

#include <QString>

#include <algorithm>

namespace {

// Measuring a character the first time takes tens of microseconds, so the
// deadline is looked at every few characters or tokens.
constexpr qsizetype checkEvery = 64;

} // namespace

WrappedRows::WrappedRows(const QFont &font)
    : m_metrics(font)
    , m_advances(0x10000, Unmeasured)
{
    clear();
}

void WrappedRows::setFont(const QFont &font)
{
    m_metrics = QFontMetricsF(font);
    std::fill(m_advances.begin(), m_advances.end(), Unmeasured);
    for (std::vector<TokenShape> &shapes : m_tokenShapes)
        shapes.clear();
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
    const qint64 available = qint64(m_width) * 64;
    const qsizetype tokensStart = text.tokensStart();
    if (m_laidOut < tokensStart && !placeCharacters(text, tokensStart, available, deadline))
        return false;
    while (m_laidOut < text.length()) {
        if (!placeTokens(text.tokensFrom(m_laidOut), available, deadline))
            return false;
    }
    return true;
}

// True when the layout has got to end.
bool WrappedRows::placeCharacters(
    const ReceivedText &text, qsizetype end, qint64 available, QDeadlineTimer deadline)
{
    // The text is produced a piece at a time.
    constexpr qsizetype pieceSize = 4096;
    while (m_laidOut < end) {
        const qsizetype count = std::min(pieceSize, end - m_laidOut);
        m_piece.clear();
        text.render(m_laidOut, count, m_piece);
        for (qsizetype i = 0; i < count; ++i) {
            place(m_piece[i], m_laidOut, available);
            ++m_laidOut;
            if (i % checkEvery == checkEvery - 1 && deadline.hasExpired())
                return m_laidOut == end;
        }
    }
    return true;
}

qsizetype WrappedRows::measureAhead(QByteArrayView bytes, QDeadlineTimer deadline)
{
    // A character's first measure can take a tenth of a millisecond.
    constexpr qsizetype checkAheadEvery = 16;
    qsizetype byte = 0;
    for (qsizetype read = 1; byte < bytes.size(); ++read) {
        const uchar first = uchar(bytes[byte++]);
        QChar ch = GbkCodec::singleByteChar(first);
        if (first >= 0x81 && first <= 0xFE && byte < bytes.size()) {
            const QChar pair = GbkCodec::pairChar(first, uchar(bytes[byte]));
            if (!pair.isNull()) {
                ch = pair;
                ++byte;
            }
        }
        advance(ch);
        if (read % checkAheadEvery == 0 && deadline.hasExpired())
            break;
    }
    return byte;
}

// A token whose digits fit in the row is placed whole: placed a character at
// a time, none of them would break the row either, since advances are never
// negative. Only the token at a row's end goes a character at a time, unless
// it fits a row of its own after a blank, where it would break anyway. Hex
// tokens in a fixed-pitch font share one shape, so the rest of a row of them
// is placed at once. True when the layout has got to the last token's end.
bool WrappedRows::placeTokens(const ReceivedText::Tokens &tokens, qint64 available, QDeadlineTimer deadline)
{
    const std::vector<TokenShape> &shapes = tokenShapes(tokens.hex);
    const bool uniform = m_uniformShapes[tokens.hex ? 1 : 0];
    const qint64 blank = advance(u' ');
    qsizetype skip = tokens.skip;
    qsizetype i = 0;
    for (qsizetype steps = 1; i < tokens.bytes.size(); ++steps) {
        const TokenShape &shape = shapes[uchar(tokens.bytes[i])];
        const qint64 step = shape.advance + blank;
        if (skip == 0 && m_rowAdvance + shape.advance > available && shape.advance <= available
            && m_breakAfter == m_laidOut && m_laidOut > m_starts.last()) {
            m_starts.append(m_laidOut);
            m_rowAdvance = 0;
        }
        if (skip == 0 && m_rowAdvance + shape.advance <= available) {
            const qsizetype fit = uniform ? (available - m_rowAdvance - shape.advance) / step + 1 : 1;
            const qsizetype count = std::min(fit, tokens.bytes.size() - i);
            m_laidOut += count * (shape.digits + 1);
            m_rowAdvance += count * step;
            m_breakAfter = m_laidOut;
            m_advanceAtBreak = m_rowAdvance;
            m_previous = u' ';
            i += count;
        } else {
            m_piece.clear();
            NotationConverter::appendTokens(m_piece, tokens.bytes.sliced(i, 1), tokens.hex);
            for (qsizetype c = skip; c < m_piece.size(); ++c)
                place(m_piece[c], m_laidOut++, available);
            skip = 0;
            ++i;
        }
        if (steps % checkEvery == 0 && i < tokens.bytes.size() && deadline.hasExpired())
            return false;
    }
    return true;
}

const std::vector<WrappedRows::TokenShape> &WrappedRows::tokenShapes(bool hex)
{
    std::vector<TokenShape> &shapes = m_tokenShapes[hex ? 1 : 0];
    if (!shapes.empty())
        return shapes;
    QString token;
    for (int byte = 0; byte < 256; ++byte) {
        token.clear();
        const char value = char(byte);
        NotationConverter::appendTokens(token, QByteArrayView(&value, 1), hex);
        TokenShape shape { token.size() - 1, 0 };
        for (qsizetype i = 0; i < shape.digits; ++i)
            shape.advance += advance(token[i]);
        shapes.push_back(shape);
    }
    m_uniformShapes[hex ? 1 : 0] = shapes.front().advance + advance(u' ') > 0
        && std::all_of(shapes.begin(), shapes.end(), [&](const TokenShape &shape) {
               return shape.digits == shapes.front().digits && shape.advance == shapes.front().advance;
           });
    return shapes;
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

qint32 WrappedRows::measure(QChar ch)
{
    const QChar shown = shownAs(ch);
    // Measured as a string so that characters the font lacks are measured in
    // the fallback font they are drawn with (CJK is about twice as wide).
    qint32 &known = m_advances[ch.unicode()];
    known = shown.isNull() ? 0 : qRound(m_metrics.horizontalAdvance(QString(shown)) * 64);
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
        + qsizetype((m_tokenShapes[0].capacity() + m_tokenShapes[1].capacity()) * sizeof(TokenShape))
        + m_piece.capacity() * qsizetype(sizeof(QChar));
}

void WrappedRows::startRow(qsizetype position)
{
    m_starts.append(position);
    m_rowAdvance = 0;
    m_breakAfter = -1;
}
