#pragma once

#include <QtGlobal>

#include <algorithm>
#include <vector>

// Where each row of the viewer's text starts, in four bytes a row: a full
// text position for every BlockRows rows and offsets from it for the rows in
// between. Megabytes of tokens make hundreds of thousands of rows.
class RowStarts
{
public:
    RowStarts() { reset(); }

    // One row, starting at 0.
    void reset()
    {
        m_bases.clear();
        m_offsets.clear();
        append(0);
    }
    qsizetype size() const { return qsizetype(m_offsets.size()); }
    qsizetype at(qsizetype row) const { return m_bases[size_t(row / BlockRows)] + m_offsets[size_t(row)]; }
    qsizetype last() const { return at(size() - 1); }

    void append(qsizetype position)
    {
        if (size() % BlockRows == 0)
            m_bases.push_back(position);
        m_offsets.push_back(offset(position));
    }
    // Moves the start of the last row.
    void setLast(qsizetype position)
    {
        if ((size() - 1) % BlockRows == 0) {
            m_bases.back() = position;
            m_offsets.back() = 0;
        } else {
            m_offsets.back() = offset(position);
        }
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
        return qsizetype(m_bases.capacity() * sizeof(qsizetype) + m_offsets.capacity() * sizeof(quint32));
    }

private:
    quint32 offset(qsizetype position) const
    {
        Q_ASSERT(position - m_bases.back() <= qsizetype(UINT32_MAX));
        return quint32(position - m_bases.back());
    }

    static constexpr qsizetype BlockRows = 1024;
    std::vector<qsizetype> m_bases;
    std::vector<quint32> m_offsets;
};
