#include "viewer/ReceivedText.h"

#include "viewer/NotationConverter.h"

#include <algorithm>

void ReceivedText::append(QByteArrayView bytes)
{
    if (m_notation == ViewerNotation::Txt)
        m_tail.append(bytes);
    else
        m_bytes.append(bytes);
}

void ReceivedText::clear()
{
    m_bytes.clear();
    m_tail.clear();
}

bool ReceivedText::convert(ViewerNotation to)
{
    const ViewerNotation from = m_notation;
    if (to == from)
        return true;
    m_notation = to;
    if (from == ViewerNotation::Txt) {
        if (m_bytes.isEmpty() && m_tail.isEmpty())
            return false;
        tailTokensToBytes();
        return true;
    }
    // In Hex a lead byte before the trailing blank stands alone; in Ten it
    // has no trail byte to pair with.
    if (to == ViewerNotation::Txt && from == ViewerNotation::Ten && m_bytes.endsInLead()) {
        m_bytes.dropTrailingLead();
        return false;
    }
    return true;
}

qsizetype ReceivedText::length() const
{
    return m_bytes.length(m_notation) + m_tail.length(ViewerNotation::Ten);
}

void ReceivedText::render(qsizetype from, qsizetype count, QString &out) const
{
    const qsizetype head = m_bytes.length(m_notation);
    if (from < head) {
        const qsizetype n = std::min(count, head - from);
        m_bytes.render(m_notation, from, n, out);
        from += n;
        count -= n;
    }
    m_tail.render(ViewerNotation::Ten, from - head, count, out);
}

qsizetype ReceivedText::tokensStart() const
{
    return m_notation == ViewerNotation::Txt ? m_bytes.length(ViewerNotation::Txt) : 0;
}

ReceivedText::Tokens ReceivedText::tokensFrom(qsizetype position) const
{
    Q_ASSERT(position >= tokensStart());
    const bool hex = m_notation == ViewerNotation::Hex;
    const ByteHistory &history = m_notation == ViewerNotation::Txt ? m_tail : m_bytes;
    const auto [byte, skip] = history.tokenAt(hex, position - tokensStart());
    return { history.bytesFrom(byte), hex, skip };
}

QString ReceivedText::mid(qsizetype from, qsizetype count) const
{
    QString out;
    render(from, count, out);
    return out;
}

QByteArrayView ReceivedText::bytesFrom(qsizetype byte) const
{
    return byte < m_bytes.size() ? m_bytes.bytesFrom(byte) : m_tail.bytesFrom(byte - m_bytes.size());
}

// The tokens' digits and blanks are code-page-936 characters of one byte
// each; the text out of Txt is those bytes.
void ReceivedText::tailTokensToBytes()
{
    QString tokens;
    for (qsizetype at = 0; at < m_tail.size();) {
        const QByteArrayView run = m_tail.bytesFrom(at);
        tokens.clear();
        NotationConverter::appendTokens(tokens, run, false);
        m_bytes.append(tokens.toLatin1());
        at += run.size();
    }
    m_tail.clear();
}
