#pragma once

#include "viewer/WrappedRows.h"

#include <QAbstractScrollArea>
#include <QByteArrayView>
#include <QString>
#include <QTimer>

class QPainter;

// The viewer's text box: shows one ever-growing line of received tokens,
// wrapped at the box's width, and lets the user select and copy but not edit
// it (what is shown must stay what was received, or the notation changes
// would convert edits instead of bytes).
//
// A text document re-lays out its whole paragraph on every append, which
// makes a long run of tokens quadratic. Here the text is a plain string that
// grows geometrically, rows are laid out incrementally, only the visible rows
// are drawn, and appends are gathered for one refresh per RefreshIntervalMs.
class ReceivedTextView : public QAbstractScrollArea
{
    Q_OBJECT

public:
    explicit ReceivedTextView(QWidget *parent = nullptr);

    const QString &text() const { return m_text; }
    void setText(const QString &text);
    void clear() { setText(QString()); }
    // One token per byte, "0A " when hex, else "10 ".
    void appendTokens(QByteArrayView bytes, bool hex);

    qsizetype selectionStart() const { return std::min(m_anchor, m_position); }
    qsizetype selectionEnd() const { return std::max(m_anchor, m_position); }
    void setSelection(qsizetype anchor, qsizetype position);
    void selectAll() { setSelection(0, m_text.size()); }
    // The selection as it goes to the clipboard: a byte that is no character
    // on its own becomes U+FFFD, as it is drawn.
    QString selectedText() const;
    void copy() const;

    // The rows at the current width, laid out up to the end of the text.
    qsizetype rowCount();
    qsizetype rowStart(qsizetype row);
    qsizetype firstVisibleRow() const;
    // The text's and the layout's memory, for the benchmark.
    qsizetype allocatedBytes() const;

    static constexpr int RefreshIntervalMs = 30;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void scheduleRefresh();
    void refresh();
    void ensureLayout();
    void updateScrollRange();
    int layoutWidth() const;
    int lineHeight() const;
    int visibleRows() const;
    qsizetype positionAt(QPoint point);
    void drawRow(QPainter &painter, qsizetype row, int y);
    void fillSelection(QPainter &painter, qsizetype start, qsizetype end, int y);

    QString m_text;
    WrappedRows m_rows;
    QTimer m_refreshTimer;
    qsizetype m_anchor = 0;
    qsizetype m_position = 0;
    bool m_selecting = false;
};
