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

void ByteHistory::renderTokens(bool hex, qsizetype from, qsizetype count, QString &out) const
{
    qsizetype byte = 0;
    qsizetype skip = 0;
    if (hex) {
        byte = from / 3;
        skip = from % 3;
    } else {
        const auto after = std::upper_bound(m_checkpoints.begin(), m_checkpoints.end(), from,
            [](qsizetype position, const Checkpoint &point) { return position < point.ten; });
        const qsizetype block = std::max<qsizetype>(0, after - m_checkpoints.begin() - 1);
        byte = block * Stride;
        qsizetype position = m_checkpoints.empty() ? 0 : m_checkpoints[size_t(block)].ten;
        while (byte < m_bytes.size() && position + tenLength(uchar(m_bytes[byte])) <= from)
            position += tenLength(uchar(m_bytes[byte++]));
        skip = from - position;
    }
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
    out.reserve(out.size() + count);
    const qsizetype end = from + count;
    const qsizetype size = m_bytes.size();
    while (position < end && index < size) {
        const uchar byte = uchar(m_bytes[index]);
        QChar chars[2] = { GbkCodec::singleByteChar(byte), QChar() };
        int n = 1;
        ++index;
        if (byte >= firstLeadByte && index < size) {
            const uchar trail = uchar(m_bytes[index++]);
            const QChar pair = GbkCodec::pairChar(byte, trail);
            if (pair.isNull())
                chars[n++] = GbkCodec::singleByteChar(trail);
            else
                chars[0] = pair;
        }
        for (int i = 0; i < n; ++i, ++position) {
            if (position >= from && position < end)
                out.append(chars[i]);
        }
    }
}
