#pragma once

#include <QDeadlineTimer>
#include <QFont>
#include <QFontMetricsF>
#include <QString>

#include "viewer/ReceivedText.h"
#include "viewer/RowStarts.h"

#include <vector>

// Where the viewer's text, one logical line without end, breaks into rows at
// a given width. Rows break after a blank where one is at hand and between
// any two characters otherwise; a carriage return, a line feed or the pair
// of them ends a row. Appended text is laid out from where the last layout
// stopped, so each character costs constant time however long the text is;
// a new width or font lays the whole text out again, a slice at a time when
// it is long.
//
// Advances are kept in 1/64 pixel so that sums are exact. Tokens, one per
// byte, are placed a whole token at a time where they fit in the row.

class WrappedRows
{
public:
    explicit WrappedRows(const QFont &font);

    void setFont(const QFont &font);
    // A new width drops the rows; extend() lays the text out again.
    void setWidth(int pixels);
    int width() const { return m_width; }
    void clear();

    // Lays out the characters of text after those laid out already, until
    // the end or the deadline. True when the whole text is laid out.
    bool extend(const ReceivedText &text, QDeadlineTimer deadline = QDeadlineTimer::Forever);
    qsizetype laidOut() const { return m_laidOut; }
    // Measures the characters that bytes read as code-page-936 text consist
    // of, until the end or the deadline; returns how many bytes it read. A
    // pair split between two calls is read as two bytes, which only measures
    // a character more.
    qsizetype measureAhead(QByteArrayView bytes, QDeadlineTimer deadline);

    qsizetype rowCount() const { return m_starts.size(); }
    qsizetype rowStart(qsizetype row) const { return m_starts.at(row); }
    // The last row ends where the layout has got to.
    qsizetype rowEnd(qsizetype row) const { return row + 1 < rowCount() ? m_starts.at(row + 1) : m_laidOut; }
    qsizetype rowOf(qsizetype position) const;

    // The advance of ch as drawn, in 1/64 pixel.
    qint32 advance(QChar ch)
    {
        const qint32 known = m_advances[ch.unicode()];
        return known != Unmeasured ? known : measure(ch);
    }
    // What the view draws for ch; a null character for the line breaks,
    // which are not drawn.
    static QChar shownAs(QChar ch);
    static bool isLineBreak(QChar ch) { return ch == u'\r' || ch == u'\n'; }

    qsizetype allocatedBytes() const;

private:
    // A token's characters before its blank, and their advance.
    struct TokenShape {
        qsizetype digits;
        qint64 advance;
    };

    bool placeCharacters(const ReceivedText &text, qsizetype end, qint64 available, QDeadlineTimer deadline);
    bool placeTokens(const ReceivedText::Tokens &tokens, qint64 available, QDeadlineTimer deadline);
    const std::vector<TokenShape> &tokenShapes(bool hex);
    void place(QChar ch, qsizetype pos, qint64 available);
    qint32 measure(QChar ch);
    void startRow(qsizetype position);

    static constexpr qint32 Unmeasured = -1;

    QFontMetricsF m_metrics;
    std::vector<qint32> m_advances;
    // Per byte value, for Ten and for Hex tokens; made on first use.
    std::vector<TokenShape> m_tokenShapes[2];
    // All 256 shapes alike, so that a row of tokens is placed at once.
    bool m_uniformShapes[2] = {};
    int m_width = 0;
    RowStarts m_starts;
    qsizetype m_laidOut = 0;
    QChar m_previous;
    QString m_piece;
    // The current (last) row: its advance so far, and the position after its
    // latest blank with the advance up to there.
    qint64 m_rowAdvance = 0;
    qsizetype m_breakAfter = -1;
    qint64 m_advanceAtBreak = 0;
};
