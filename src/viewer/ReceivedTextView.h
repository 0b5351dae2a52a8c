#pragma once

#include "viewer/ReceivedText.h"
#include "viewer/WrappedRows.h"

#include <QAbstractScrollArea>
#include <QByteArrayView>
#include <QElapsedTimer>
#include <QString>
#include <QTimer>

class QPainter;
class QProgressBar;

// The viewer's text box: shows one ever-growing line of received tokens,
// wrapped at the box's width, and lets the user select and copy but not edit
// it (what is shown must stay what was received, or the notation changes
// would convert edits instead of bytes).
//
// A text document re-lays out its whole paragraph on every append, which
// makes a long run of tokens quadratic. Here the text is held as its bytes
// (ReceivedText), rows are laid out incrementally, only the visible rows are
// produced and drawn, and appends are gathered for one refresh per
// RefreshIntervalMs. Laying out the whole text again (a new notation, width
// or font) runs in slices of SliceMs that return to the event loop; the rows
// laid out so far are shown meanwhile, and a small busy indicator appears
// when it takes longer than BusyAfterMs.
//
// Measuring a character the first time is what makes the first conversion
// to Txt slow (the font engine loads each glyph), so while Hex or Ten is
// shown and laid out, the characters the bytes would be are measured ahead,
// a slice of SliceMs every AheadIntervalMs; while bytes are still arriving,
// a slice of AheadWhileArrivingMs, so that a stream is taken in first.
class ReceivedTextView : public QAbstractScrollArea
{
    Q_OBJECT

public:
    explicit ReceivedTextView(QWidget *parent = nullptr);
    ~ReceivedTextView() override;

    const ReceivedText &content() const { return m_text; }
    QString text() const { return m_text.text(); }
    ViewerNotation notation() const { return m_text.notation(); }
    void clear();
    // Tokens in the form of the notation (see ReceivedText::append).
    void appendReceived(QByteArrayView bytes);
    // Converts the whole text; false when the conversion failed.
    bool convert(ViewerNotation to);

    qsizetype selectionStart() const { return std::min(m_anchor, m_position); }
    qsizetype selectionEnd() const { return std::max(m_anchor, m_position); }
    void setSelection(qsizetype anchor, qsizetype position);
    void selectAll() { setSelection(0, m_text.length()); }
    // The selection as it goes to the clipboard: a byte that is no character
    // on its own becomes U+FFFD, as it is drawn.
    QString selectedText() const;
    void copy() const;

    // The rows at the current width, laid out up to the end of the text.
    qsizetype rowCount();
    qsizetype rowStart(qsizetype row);
    qsizetype firstVisibleRow() const;
    // A shown view whose layout has not reached the end of the text yet.
    bool isLayingOut() const;
    bool isBusyShown() const;
    // How many of the bytes have their characters measured ahead.
    qsizetype measuredAhead() const { return m_measuredAhead; }
    // The text's and the layout's memory, for the benchmark.
    qsizetype allocatedBytes() const;
    // Whether the context menu offers to stop a recording or to start one.
    void setRecording(bool recording) { m_recording = recording; }

    static constexpr int RefreshIntervalMs = 30;
    static constexpr int SliceMs = 5;
    static constexpr int ShowEveryMs = 50;
    static constexpr int BusyAfterMs = 200;
    static constexpr int AheadIntervalMs = 10;
    static constexpr int AheadWhileArrivingMs = 1;
    // Bytes count as still arriving until the line has been quiet this long.
    static constexpr int ArrivalQuietMs = 50;

Q_SIGNALS:
    // The layout has reached the end of the text.
    void laidOut();
    // "保存为文件…" was chosen from the context menu.
    void saveRequested();
    // "开始记录…" and "停止记录" were chosen from the context menu.
    void recordRequested();
    void stopRecordRequested();

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
    void relayout();
    void scheduleRefresh();
    void refresh();
    void measureAhead();
    void keepScrollTarget(bool complete);
    void setScrollValue(qsizetype row);
    void ensureLayout();
    void updateScrollRange();
    int layoutWidth() const;
    int lineHeight() const;
    int visibleRows() const;
    qsizetype positionAt(QPoint point);
    void drawRow(QPainter &painter, qsizetype row, int y);
    void fillSelection(QPainter &painter, QStringView row, qsizetype start, int y);

    ReceivedText m_text;
    WrappedRows m_rows;
    QTimer m_refreshTimer;
    QTimer m_sliceTimer;
    QTimer m_busyTimer;
    QTimer m_aheadTimer;
    qsizetype m_measuredAhead = 0;
    QElapsedTimer m_lastArrival;
    QElapsedTimer m_shown;
    QProgressBar *m_busy;
    qsizetype m_anchor = 0;
    qsizetype m_position = 0;
    bool m_selecting = false;
    bool m_recording = false;
    // Whether the view keeps to the end as the text grows; set by where the
    // scroll bar is left, not by the range changes of the view's own.
    bool m_followEnd = true;
    bool m_adjustingScroll = false;
    // Where to scroll once a new layout has got that far: the row shown
    // before a conversion, or the first character shown before a resize.
    qsizetype m_targetRow = -1;
    qsizetype m_targetChar = -1;
};
