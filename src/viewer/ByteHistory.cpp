#include "viewer/ByteHistory.h"

#include "viewer/GbkCodec.h"
#include "viewer/NotationConverter.h"

#include <algorithm>
#include <cstring>

namespace {

// The lead byte of a two-byte character in the viewer's text notation.
constexpr uchar firstLeadByte = 161;
constexpr qsizetype checkpointsPerBlock = ByteHistory::BlockSize / ByteHistory::Stride;

qsizetype tenLength(uchar byte)
{
    return 2 + (byte >= 10) + (byte >= 100);
}

} // namespace

ByteHistory::ByteHistory() = default;

ByteHistory::~ByteHistory() = default;

void ByteHistory::append(QByteArrayView bytes)
{
    while (!bytes.isEmpty()) {
        if (m_size == qsizetype(m_blocks.size()) * BlockSize)
            m_blocks.push_back(std::make_unique_for_overwrite<Block>());
        Block &block = *m_blocks.back();
        const qsizetype offset = m_size % BlockSize;
        const QByteArrayView run = bytes.first(std::min(BlockSize - offset, bytes.size()));
        countChars(block, offset, run);
        std::memcpy(block.bytes + offset, run.data(), size_t(run.size()));
        m_size += run.size();
        bytes = bytes.sliced(run.size());
    }
}

// Counts the characters of bytes about to be stored at offset in the block,
// with a checkpoint where a stride starts. Every received byte passes here,
// so the counts stay in locals, the checkpoint is looked at per stride, and
// the Ten count, which needs no state, runs in a loop of its own.
void ByteHistory::countChars(Block &block, qsizetype offset, QByteArrayView run)
{
    qsizetype ten = m_tenChars;
    qsizetype txt = m_txtChars;
    bool lead = m_lead;
    uchar previous = m_size == 0 ? 0 : at(m_size - 1);
    const uchar *byte = reinterpret_cast<const uchar *>(run.data());
    const uchar *const end = byte + run.size();
    while (byte < end) {
        if (offset % Stride == 0)
            block.checkpoints[offset / Stride] = { ten, txt, lead };
        const qsizetype count = std::min(Stride - offset % Stride, qsizetype(end - byte));
        for (qsizetype i = 0; i < count; ++i)
            ten += tenLength(byte[i]);
        for (const uchar *const strideEnd = byte + count; byte < strideEnd; ++byte) {
            if (lead) {
                txt += GbkCodec::isPair(previous, *byte) ? 1 : 2;
                lead = false;
            } else if (*byte >= firstLeadByte) {
                lead = true;
            } else {
                ++txt;
            }
            previous = *byte;
        }
        offset += count;
    }
    m_tenChars = ten;
    m_txtChars = txt;
    m_lead = lead;
}

void ByteHistory::clear()
{
    m_blocks.clear();
    m_size = 0;
    m_tenChars = 0;
    m_txtChars = 0;
    m_lead = false;
}

// The block stays for the bytes to come.
void ByteHistory::dropTrailingLead()
{
    Q_ASSERT(m_lead);
    m_tenChars -= tenLength(at(m_size - 1));
    --m_size;
    m_lead = false;
}

QByteArrayView ByteHistory::bytesFrom(qsizetype byte) const
{
    if (byte >= m_size)
        return {};
    const qsizetype blockStart = byte - byte % BlockSize;
    const qsizetype end = std::min(BlockSize, m_size - blockStart);
    return QByteArrayView(m_blocks[size_t(byte / BlockSize)]->bytes, end).sliced(byte - blockStart);
}

qsizetype ByteHistory::length(ViewerNotation form) const
{
    switch (form) {
    case ViewerNotation::Hex:
        return m_size * 3;
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
    return qsizetype(m_blocks.size() * sizeof(Block) + m_blocks.capacity() * sizeof(m_blocks[0]));
}

const ByteHistory::Checkpoint &ByteHistory::checkpoint(qsizetype index) const
{
    return m_blocks[size_t(index / checkpointsPerBlock)]->checkpoints[index % checkpointsPerBlock];
}

// The index of the last checkpoint whose count is at or before position;
// the first one when none is.
qsizetype ByteHistory::lastCheckpointAtOrBefore(qsizetype Checkpoint::*count, qsizetype position) const
{
    qsizetype low = 0;
    qsizetype high = checkpointCount();
    while (high - low > 1) {
        const qsizetype middle = (low + high) / 2;
        (checkpoint(middle).*count <= position ? low : high) = middle;
    }
    return low;
}

ByteHistory::TokenPosition ByteHistory::tokenAt(bool hex, qsizetype position) const
{
    if (hex)
        return { position / 3, position % 3 };
    if (m_size == 0)
        return { 0, position };
    const qsizetype index = lastCheckpointAtOrBefore(&Checkpoint::ten, position);
    qsizetype byte = index * Stride;
    qsizetype start = checkpoint(index).ten;
    while (byte < m_size && start + tenLength(at(byte)) <= position)
        start += tenLength(at(byte++));
    return { byte, position - start };
}

void ByteHistory::renderTokens(bool hex, qsizetype from, qsizetype count, QString &out) const
{
    const auto [byte, skip] = tokenAt(hex, from);
    // Whole tokens from the first byte on, enough for the count at the
    // shortest token length; then what lies outside the stretch is cut off.
    const qsizetype shortest = hex ? 3 : 2;
    const qsizetype end = std::min(m_size, byte + (skip + count + shortest - 1) / shortest);
    const qsizetype start = out.size();
    for (qsizetype next = byte; next < end;) {
        const QByteArrayView run = bytesFrom(next);
        NotationConverter::appendTokens(out, run.first(std::min(run.size(), end - next)), hex);
        next += run.size();
    }
    out.remove(start, skip);
    out.truncate(start + count);
}

void ByteHistory::renderTxt(qsizetype from, qsizetype count, QString &out) const
{
    qsizetype index = 0;
    qsizetype position = 0;
    if (m_size > 0) {
        const qsizetype point = lastCheckpointAtOrBefore(&Checkpoint::txt, from);
        // A lead byte waiting at the checkpoint starts the character there.
        index = point * Stride - (checkpoint(point).lead ? 1 : 0);
        position = checkpoint(point).txt;
    }
    // Written in place: appending a character at a time costs more than
    // reading it.
    const qsizetype start = out.size();
    out.resize(start + count);
    char16_t *written = reinterpret_cast<char16_t *>(out.data()) + start;
    char16_t *const first = written;
    const qsizetype end = from + count;
    // The bytes are read through the block they are in, not looked up one by
    // one.
    const char *read = nullptr;
    const char *blockEnd = nullptr;
    const auto next = [&] {
        if (read == blockEnd) {
            const QByteArrayView run = bytesFrom(index);
            read = run.data();
            blockEnd = run.data() + run.size();
        }
        ++index;
        return uchar(*read++);
    };
    while (position < end && index < m_size) {
        const uchar byte = next();
        char16_t chars[2] = { GbkCodec::singleByteChar(byte).unicode(), 0 };
        int n = 1;
        if (byte >= firstLeadByte && index < m_size) {
            const uchar trail = next();
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
