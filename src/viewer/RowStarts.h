#pragma once

#include <QtGlobal>

#include <memory>
#include <vector>

// Where each row of the viewer's text starts, in about four bytes a row: a
// full text position for every BlockRows rows and offsets from it for the
// rows in between. Megabytes of tokens make hundreds of thousands of rows,
// so they are kept in blocks allocated as the rows reach them, never copied
// into a larger array as the text grows.
class RowStarts
{
public:
    RowStarts() { reset(); }

    // One row, starting at 0.
    void reset()
    {
        m_blocks.clear();
        m_size = 0;
        append(0);
    }
    qsizetype size() const { return m_size; }
    qsizetype at(qsizetype row) const
    {
        const Block &block = *m_blocks[size_t(row / BlockRows)];
        return block.base + block.offsets[row % BlockRows];
    }
    qsizetype last() const { return at(size() - 1); }

    void append(qsizetype position)
    {
        if (m_size % BlockRows == 0)
            m_blocks.push_back(std::make_unique_for_overwrite<Block>());
        ++m_size;
        setLast(position);
    }
    // Moves the start of the last row.
    void setLast(qsizetype position)
    {
        Block &block = *m_blocks.back();
        if ((m_size - 1) % BlockRows == 0)
            block.base = position;
        Q_ASSERT(position - block.base <= qsizetype(UINT32_MAX));
        block.offsets[(m_size - 1) % BlockRows] = quint32(position - block.base);
    }
    // The last row that starts at or before position.
    qsizetype rowOf(qsizetype position) const
    {
        qsizetype low = 0;
        qsizetype high = size();
        while (high - low > 1) {
            const qsizetype middle = (low + high) / 2;
            (at(middle) <= position ? low : high) = middle;
        }
        return low;
    }

    qsizetype allocatedBytes() const
    {
        return qsizetype(m_blocks.size() * sizeof(Block) + m_blocks.capacity() * sizeof(m_blocks[0]));
    }

private:
    static constexpr qsizetype BlockRows = 1024;
    struct Block {
        qsizetype base;
        quint32 offsets[BlockRows];
    };

    std::vector<std::unique_ptr<Block>> m_blocks;
    qsizetype m_size = 0;
};
