#include "viewer/ByteHistory.h"

#include "viewer/GbkCodec.h"
#include "viewer/NotationConverter.h"

#include <algorithm>

namespace {

// The lead byte of a two-byte character in the viewer's text notation.
constexpr uchar firstLeadByte = 161;

qsizetype tenLength(uchar byte)
{
    return byte >= 100 ? 4 : byte >= 10 ? 3 : 2;
}

} // namespace

ByteHistory::ByteHistory() = default;

void ByteHistory::append(QByteArrayView bytes)
{
    uchar previous = m_bytes.isEmpty() ? 0 : uchar(m_bytes.back());
    qsizetype index = m_bytes.size();
    for (char raw : bytes) {
        const uchar byte = uchar(raw);
        if (index % Stride == 0)
            m_checkpoints.push_back({ m_tenChars, m_txtChars, m_lead });
        m_tenChars += tenLength(byte);
        if (m_lead) {
            m_txtChars += GbkCodec::pairChar(previous, byte).isNull() ? 2 : 1;
            m_lead = false;
        } else if (byte >= firstLeadByte) {
            m_lead = true;
        } else {
            ++m_txtChars;
        }
        previous = byte;
        ++index;
    }
    m_bytes.append(bytes);
}

void ByteHistory::clear()
{
    m_bytes = QByteArray();
    m_checkpoints = {};
    m_tenChars = 0;
    m_txtChars = 0;
    m_lead = false;
}

void ByteHistory::dropTrailingLead()
{
    Q_ASSERT(m_lead);
    const qsizetype last = m_bytes.size() - 1;
    m_tenChars -= tenLength(uchar(m_bytes.back()));
    if (last % Stride == 0)
        m_checkpoints.pop_back();
    m_bytes.chop(1);
    m_lead = false;
}

qsizetype ByteHistory::length(ViewerNotation form) const
{
    switch (form) {
    case ViewerNotation::Hex:
        return m_bytes.size() * 3;
    case ViewerNotation::Ten:
        return m_tenChars;
    case ViewerNotation::Txt:
        return m_txtChars + (m_lead ? 1 : 0);
    }
    return 0;
}

void ByteHistory::render(ViewerNotation form, qsizetype from, qsizetype count, QString &out) const
{
    if (count <= 0)
        return;
    if (form == ViewerNotation::Txt)
        renderTxt(from, count, out);
    else
        renderTokens(form == ViewerNotation::Hex, from, count, out);
}

qsizetype ByteHistory::allocatedBytes() const
{
    return m_bytes.capacity() + qsizetype(m_checkpoints.capacity() * sizeof(Checkpoint));
}

ByteHistory::TokenPosition ByteHistory::tokenAt(bool hex, qsizetype position) const
{
    if (hex)
        return { position / 3, position % 3 };
    const auto after = std::upper_bound(m_checkpoints.begin(), m_checkpoints.end(), position,
        [](qsizetype at, const Checkpoint &point) { return at < point.ten; });
    const qsizetype block = std::max<qsizetype>(0, after - m_checkpoints.begin() - 1);
    qsizetype byte = block * Stride;
    qsizetype start = m_checkpoints.empty() ? 0 : m_checkpoints[size_t(block)].ten;
    while (byte < m_bytes.size() && start + tenLength(uchar(m_bytes[byte])) <= position)
        start += tenLength(uchar(m_bytes[byte++]));
    return { byte, position - start };
}

void ByteHistory::renderTokens(bool hex, qsizetype from, qsizetype count, QString &out) const
{
    const auto [byte, skip] = tokenAt(hex, from);
    // Whole tokens from the first byte on, enough for the count at the
    // shortest token length; then what lies outside the stretch is cut off.
    const qsizetype shortest = hex ? 3 : 2;
    const qsizetype bytes = std::min(m_bytes.size() - byte, (skip + count + shortest - 1) / shortest);
    const qsizetype start = out.size();
    NotationConverter::appendTokens(out, QByteArrayView(m_bytes).sliced(byte, bytes), hex);
    out.remove(start, skip);
    out.truncate(start + count);
}

void ByteHistory::renderTxt(qsizetype from, qsizetype count, QString &out) const
{
    const auto after = std::upper_bound(m_checkpoints.begin(), m_checkpoints.end(), from,
        [](qsizetype position, const Checkpoint &point) { return position < point.txt; });
    const qsizetype block = std::max<qsizetype>(0, after - m_checkpoints.begin() - 1);
    qsizetype index = 0;
    qsizetype position = 0;
    if (!m_checkpoints.empty()) {
        const Checkpoint &point = m_checkpoints[size_t(block)];
        // A lead byte waiting at the checkpoint starts the character there.
        index = block * Stride - (point.lead ? 1 : 0);
        position = point.txt;
    }
    // Written in place: appending a character at a time costs more than
    // reading it.
    const qsizetype start = out.size();
    out.resize(start + count);
    char16_t *written = reinterpret_cast<char16_t *>(out.data()) + start;
    char16_t *const first = written;
    const qsizetype end = from + count;
    const qsizetype size = m_bytes.size();
    const char *bytes = m_bytes.constData();
    while (position < end && index < size) {
        const uchar byte = uchar(bytes[index++]);
        char16_t chars[2] = { GbkCodec::singleByteChar(byte).unicode(), 0 };
        int n = 1;
        if (byte >= firstLeadByte && index < size) {
            const uchar trail = uchar(bytes[index++]);
            const QChar pair = GbkCodec::pairChar(byte, trail);
            if (pair.isNull())
                chars[n++] = GbkCodec::singleByteChar(trail).unicode();
            else
                chars[0] = pair.unicode();
        }
        for (int i = 0; i < n && position < end; ++i, ++position) {
            if (position >= from)
                *written++ = chars[i];
        }
    }
    out.truncate(start + (written - first));
}
