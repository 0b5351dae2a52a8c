#pragma once

#include <QHash>
#include <QtGlobal>

#include <memory>
#include <vector>

// Where each row of the viewer's text starts, in little more than two bytes
// a row: a full text position for every GroupRows rows and the offsets from
// it for the rows of the group. Rows are at most a width of characters
// unless blanks hang past its edge, so an offset fits in 16 bits but for
// rows after a long run of blanks, which are looked up apart. Megabytes of
// tokens make hundreds of thousands of rows, so they are kept in pages
// allocated as the rows reach them, never copied into a larger array as the
// text grows.
class RowStarts
{
public:
    RowStarts() { reset(); }

    // One row, starting at 0.
    void reset()
    {
        m_pages.clear();
        m_far.clear();
        m_size = 0;
        append(0);
    }
    qsizetype size() const { return m_size; }
    qsizetype at(qsizetype row) const
    {
        const Page &page = *m_pages[size_t(row / PageRows)];
        const qsizetype index = row % PageRows;
        const quint16 offset = page.offsets[index];
        return page.bases[index / GroupRows] + (offset != Far ? offset : m_far.value(row));
    }
    qsizetype last() const { return at(m_size - 1); }

    void append(qsizetype position)
    {
        if (m_size % PageRows == 0)
            m_pages.push_back(std::make_unique_for_overwrite<Page>());
        ++m_size;
        setLast(position);
    }
    // Moves the start of the last row.
    void setLast(qsizetype position)
    {
        const qsizetype row = m_size - 1;
        Page &page = *m_pages.back();
        const qsizetype index = row % PageRows;
        qsizetype &base = page.bases[index / GroupRows];
        if (index % GroupRows == 0)
            base = position;
        const qsizetype offset = position - base;
        if (!m_far.isEmpty())
            m_far.remove(row);
        if (offset < Far) {
            page.offsets[index] = quint16(offset);
        } else {
            page.offsets[index] = Far;
            m_far.insert(row, offset);
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
        return qsizetype(m_pages.size() * sizeof(Page) + m_pages.capacity() * sizeof(m_pages[0]))
            + m_far.capacity() * qsizetype(2 * sizeof(qsizetype));
    }

private:
    static constexpr qsizetype GroupRows = 64;
    static constexpr qsizetype PageRows = 32 * GroupRows;
    // The offset of a row looked up in m_far.
    static constexpr quint16 Far = 0xFFFF;
    struct Page {
        qsizetype bases[PageRows / GroupRows];
        quint16 offsets[PageRows];
    };

    std::vector<std::unique_ptr<Page>> m_pages;
    // Offsets of Far or more, by row.
    QHash<qsizetype, qsizetype> m_far;
    qsizetype m_size = 0;
};
