#include "viewer/ReceivedTextView.h"

#include "viewer/GbkCodec.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QProgressBar>
#include <QScrollBar>

#include <algorithm>
#include <climits>

namespace {

// Left and right of the text, in pixels.
constexpr int margin = 2;

qreal pixels(qint64 fixed)
{
    return qreal(fixed) / 64;
}

int floorDiv(int value, int divisor)
{
    return value >= 0 ? value / divisor : -((-value + divisor - 1) / divisor);
}

// Unhinted: random data makes tens of thousands of distinct CJK characters,
// and loading a glyph unhinted costs a quarter as much on X11 as with the
// desktop's usual light hinting, whose advances are the same. Every
// character is measured and drawn with this one font.
QFont viewerFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

} // namespace

ReceivedTextView::ReceivedTextView(QWidget *parent)
    : QAbstractScrollArea(parent)
    , m_rows(viewerFont())
    , m_busy(new QProgressBar(viewport()))
{
    setFont(viewerFont());
    // A scroll bar that comes and goes would change the width and re-wrap
    // the text each time it does.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    m_refreshTimer.setSingleShot(true);
    m_refreshTimer.setInterval(RefreshIntervalMs);
    connect(&m_refreshTimer, &QTimer::timeout, this, &ReceivedTextView::refresh);
    m_sliceTimer.setSingleShot(true);
    m_sliceTimer.setInterval(0);
    connect(&m_sliceTimer, &QTimer::timeout, this, &ReceivedTextView::refresh);
    m_busyTimer.setSingleShot(true);
    m_busyTimer.setInterval(BusyAfterMs);
    connect(&m_busyTimer, &QTimer::timeout, this, [this] { m_busy->setVisible(isLayingOut()); });
    m_aheadTimer.setSingleShot(true);
    m_aheadTimer.setInterval(AheadIntervalMs);
    connect(&m_aheadTimer, &QTimer::timeout, this, &ReceivedTextView::measureAhead);
    m_busy->setObjectName(QStringLiteral("busyIndicator"));
    m_busy->setRange(0, 0);
    m_busy->setTextVisible(false);
    m_busy->setFixedSize(48, 8);
    m_busy->hide();
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        if (!m_adjustingScroll) {
            m_followEnd = value >= verticalScrollBar()->maximum();
            m_targetRow = m_targetChar = -1;
        }
    });
}

ReceivedTextView::~ReceivedTextView() = default;

void ReceivedTextView::clear()
{
    m_text.clear();
    m_measuredAhead = 0;
    relayout();
}

void ReceivedTextView::appendReceived(QByteArrayView bytes)
{
    m_text.append(bytes);
    m_lastArrival.start();
    scheduleRefresh();
}

bool ReceivedTextView::convert(ViewerNotation to)
{
    if (to == m_text.notation())
        return true;
    // Tokens appended in Txt become the bytes of their digits.
    if (m_text.notation() == ViewerNotation::Txt)
        m_measuredAhead = 0;
    const bool converted = m_text.convert(to);
    m_targetRow = m_followEnd ? -1 : verticalScrollBar()->value();
    relayout();
    return converted;
}

// The selection is dropped and the rows are laid out anew from the start.
void ReceivedTextView::relayout()
{
    m_rows.clear();
    m_anchor = 0;
    m_position = 0;
    if (isVisible())
        m_busyTimer.start();
    scheduleRefresh();
}

void ReceivedTextView::setSelection(qsizetype anchor, qsizetype position)
{
    const qsizetype size = m_text.length();
    m_anchor = std::clamp<qsizetype>(anchor, 0, size);
    m_position = std::clamp<qsizetype>(position, 0, size);
    viewport()->update();
}

QString ReceivedTextView::selectedText() const
{
    QString selected = m_text.mid(selectionStart(), selectionEnd() - selectionStart());
    for (QChar &ch : selected) {
        if (GbkCodec::isLoneByte(ch))
            ch = QChar::ReplacementCharacter;
    }
    return selected;
}

void ReceivedTextView::copy() const
{
    if (selectionStart() < selectionEnd())
        QGuiApplication::clipboard()->setText(selectedText());
}

qsizetype ReceivedTextView::rowCount()
{
    ensureLayout();
    return m_rows.rowCount();
}

qsizetype ReceivedTextView::rowStart(qsizetype row)
{
    ensureLayout();
    return m_rows.rowStart(row);
}

qsizetype ReceivedTextView::firstVisibleRow() const
{
    return verticalScrollBar()->value();
}

bool ReceivedTextView::isLayingOut() const
{
    return isVisible() && m_rows.laidOut() < m_text.length();
}

bool ReceivedTextView::isBusyShown() const
{
    return m_busy->isVisible();
}

qsizetype ReceivedTextView::allocatedBytes() const
{
    return m_text.allocatedBytes() + m_rows.allocatedBytes();
}

// Only the rows in the region to paint are drawn (the busy indicator above
// the text repaints a corner many times a second), and a row either side of
// it for glyphs taller than a row.
void ReceivedTextView::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    const QRect region = event->rect();
    const int first = std::max(0, region.top() / lineHeight() - 1);
    const int last = std::min(viewport()->height(), region.bottom() + 1) / lineHeight() + 1;
    qsizetype row = verticalScrollBar()->value() + first;
    for (int shown = first; row < m_rows.rowCount() && shown <= last; ++row, ++shown)
        drawRow(painter, row, shown * lineHeight());
}

void ReceivedTextView::resizeEvent(QResizeEvent *)
{
    m_busy->move(viewport()->width() - m_busy->width() - margin, margin);
    if (layoutWidth() == m_rows.width())
        return refresh();
    if (!m_followEnd && m_targetChar < 0 && m_rows.rowCount() > 0)
        m_targetChar
            = m_rows.rowStart(std::min<qsizetype>(verticalScrollBar()->value(), m_rows.rowCount() - 1));
    m_rows.setWidth(layoutWidth());
    if (isVisible())
        m_busyTimer.start();
    refresh();
}

void ReceivedTextView::showEvent(QShowEvent *event)
{
    QAbstractScrollArea::showEvent(event);
    if (isLayingOut())
        m_busyTimer.start();
    refresh();
}

void ReceivedTextView::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange) {
        m_rows.setFont(font());
        m_measuredAhead = 0;
        scheduleRefresh();
    }
    QAbstractScrollArea::changeEvent(event);
}

void ReceivedTextView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const qsizetype position = positionAt(event->position().toPoint());
    setSelection(event->modifiers() & Qt::ShiftModifier ? m_anchor : position, position);
    m_selecting = true;
}

void ReceivedTextView::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_selecting || !(event->buttons() & Qt::LeftButton))
        return;
    const QPoint point = event->position().toPoint();
    QScrollBar *bar = verticalScrollBar();
    if (point.y() < 0)
        bar->setValue(bar->value() - 1);
    else if (point.y() >= viewport()->height())
        bar->setValue(bar->value() + 1);
    setSelection(m_anchor, positionAt(point));
}

void ReceivedTextView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_selecting = false;
}

void ReceivedTextView::keyPressEvent(QKeyEvent *event)
{
    QScrollBar *bar = verticalScrollBar();
    if (event->matches(QKeySequence::SelectAll))
        selectAll();
    else if (event->matches(QKeySequence::Copy))
        copy();
    else if (event->matches(QKeySequence::MoveToStartOfDocument))
        bar->setValue(0);
    else if (event->matches(QKeySequence::MoveToEndOfDocument))
        bar->setValue(bar->maximum());
    else
        return QAbstractScrollArea::keyPressEvent(event);
    event->accept();
}

void ReceivedTextView::contextMenuEvent(QContextMenuEvent *event)
{
    auto *menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QAction *copyAction = menu->addAction(QStringLiteral("复制"));
    copyAction->setEnabled(selectionStart() < selectionEnd());
    connect(copyAction, &QAction::triggered, this, &ReceivedTextView::copy);
    connect(menu->addAction(QStringLiteral("全选")), &QAction::triggered, this, &ReceivedTextView::selectAll);
    // These open a file dialog or a tip, modal, with an event loop of their
    // own: queued, they run once the menu has finished with the click. Run
    // inside it, Windows' own file dialog deleted the closing menu (its
    // deferred delete) under the menu's feet, and the program crashed.
    connect(menu->addAction(QStringLiteral("保存为文件…")), &QAction::triggered, this,
        &ReceivedTextView::saveRequested, Qt::QueuedConnection);
    QAction *start = menu->addAction(QStringLiteral("开始记录…"));
    start->setEnabled(!m_recording);
    connect(start, &QAction::triggered, this, &ReceivedTextView::recordRequested, Qt::QueuedConnection);
    QAction *stop = menu->addAction(QStringLiteral("停止记录"));
    stop->setEnabled(m_recording);
    connect(stop, &QAction::triggered, this, &ReceivedTextView::stopRecordRequested, Qt::QueuedConnection);
    menu->popup(event->globalPos());
}

void ReceivedTextView::scheduleRefresh()
{
    if (!m_refreshTimer.isActive())
        m_refreshTimer.start();
}

// A hidden view keeps only the text; it is laid out when it is shown. One
// slice of layout per call; the next slice follows from the event loop.
void ReceivedTextView::refresh()
{
    if (!isVisible())
        return;
    m_rows.setWidth(layoutWidth());
    const bool complete = m_rows.extend(m_text, QDeadlineTimer(SliceMs));
    // Drawing takes about as long as a slice; a long layout is shown as it
    // goes, but not after every slice.
    if (complete || !m_shown.isValid() || m_shown.hasExpired(ShowEveryMs)) {
        m_adjustingScroll = true;
        updateScrollRange();
        keepScrollTarget(complete);
        m_adjustingScroll = false;
        viewport()->update();
        m_shown.start();
    }
    if (!complete) {
        m_sliceTimer.start();
        return;
    }
    m_busyTimer.stop();
    m_busy->hide();
    if (!m_aheadTimer.isActive())
        m_aheadTimer.start();
    Q_EMIT laidOut();
}

// The code page's pairs are learnt first, from the view's first showing, so
// that the first bytes to arrive are taken in without asking the converter.
// A Txt layout measures its characters itself, and a layout of the whole
// text goes first. Laying out appended tokens measures nothing new, so a
// steady arrival does not hold measuring ahead back: its first slices find
// the fallback fonts, which a conversion to Txt soon after would otherwise
// wait for; but its slices stay short until the line is quiet: at full
// slices it took 40 % of the UI thread from a stream at the line's full
// speed.
// The bytes are read a block at a time; a pair split between two blocks is
// read as two bytes.
void ReceivedTextView::measureAhead()
{
    // A layout in slices starts this again when it is done.
    if (m_sliceTimer.isActive())
        return;
    const bool arriving = m_lastArrival.isValid() && !m_lastArrival.hasExpired(ArrivalQuietMs);
    const QDeadlineTimer deadline(arriving ? AheadWhileArrivingMs : SliceMs);
    if (!GbkCodec::learnPairs(deadline)) {
        m_aheadTimer.start();
        return;
    }
    if (m_text.notation() == ViewerNotation::Txt)
        return;
    while (m_measuredAhead < m_text.byteCount() && !deadline.hasExpired())
        m_measuredAhead += m_rows.measureAhead(m_text.bytesFrom(m_measuredAhead), deadline);
    if (m_measuredAhead < m_text.byteCount())
        m_aheadTimer.start();
}

void ReceivedTextView::keepScrollTarget(bool complete)
{
    QScrollBar *bar = verticalScrollBar();
    if (m_followEnd) {
        bar->setValue(bar->maximum());
    } else if (m_targetRow >= 0) {
        setScrollValue(m_targetRow);
        if (complete || m_targetRow <= bar->maximum())
            m_targetRow = -1;
    } else if (m_targetChar >= 0) {
        const bool reached = complete || m_targetChar < m_rows.laidOut();
        setScrollValue(m_rows.rowOf(m_targetChar));
        if (reached)
            m_targetChar = -1;
    }
}

void ReceivedTextView::setScrollValue(qsizetype row)
{
    verticalScrollBar()->setValue(int(std::min<qsizetype>(row, INT_MAX)));
}

void ReceivedTextView::ensureLayout()
{
    m_rows.setWidth(layoutWidth());
    m_rows.extend(m_text);
}

void ReceivedTextView::updateScrollRange()
{
    QScrollBar *bar = verticalScrollBar();
    const int rows = visibleRows();
    bar->setRange(0, int(std::clamp<qsizetype>(m_rows.rowCount() - rows, 0, INT_MAX)));
    bar->setPageStep(rows);
    bar->setSingleStep(1);
}

int ReceivedTextView::layoutWidth() const
{
    return std::max(1, viewport()->width() - 2 * margin);
}

int ReceivedTextView::lineHeight() const
{
    return std::max(1, fontMetrics().lineSpacing());
}

int ReceivedTextView::visibleRows() const
{
    return std::max(1, viewport()->height() / lineHeight());
}

// Only rows laid out already can be under the pointer: those are the ones
// drawn.
qsizetype ReceivedTextView::positionAt(QPoint point)
{
    if (m_rows.rowCount() == 0)
        return 0;
    const qsizetype row = std::clamp<qsizetype>(
        verticalScrollBar()->value() + floorDiv(point.y(), lineHeight()), 0, m_rows.rowCount() - 1);
    const qsizetype start = m_rows.rowStart(row);
    const QString text = m_text.mid(start, m_rows.rowEnd(row) - start);
    qsizetype end = text.size();
    while (end > 0 && WrappedRows::isLineBreak(text[end - 1]))
        --end;
    const qint64 target = qint64(point.x()) * 64;
    qint64 x = qint64(margin) * 64;
    for (qsizetype i = 0; i < end; ++i) {
        const qint64 advance = m_rows.advance(text[i]);
        if (target < x + advance / 2)
            return start + i;
        x += advance;
    }
    return start + end;
}

void ReceivedTextView::drawRow(QPainter &painter, qsizetype row, int y)
{
    const qsizetype start = m_rows.rowStart(row);
    const QString text = m_text.mid(start, m_rows.rowEnd(row) - start);
    fillSelection(painter, text, start, y);

    const qreal baseline = y + QFontMetricsF(font()).ascent();
    const QColor textColor = palette().color(QPalette::Text);
    const QColor selectedColor = palette().color(QPalette::HighlightedText);
    // Printable ASCII is drawn a run at a time (the font is monospaced);
    // every other character alone at its measured place.
    QString run;
    qint64 runX = 0;
    bool runSelected = false;
    const auto flushRun = [&] {
        if (run.isEmpty())
            return;
        painter.setPen(runSelected ? selectedColor : textColor);
        painter.drawText(QPointF(pixels(runX), baseline), run);
        run.clear();
    };
    qint64 x = qint64(margin) * 64;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar shown = WrappedRows::shownAs(text[i]);
        if (shown.isNull())
            continue;
        const qsizetype pos = start + i;
        const bool selected = pos >= selectionStart() && pos < selectionEnd();
        const bool plain = shown.unicode() >= 0x20 && shown.unicode() < 0x7F;
        if (!plain || selected != runSelected)
            flushRun();
        if (plain) {
            if (run.isEmpty()) {
                runX = x;
                runSelected = selected;
            }
            run.append(shown);
        } else {
            painter.setPen(selected ? selectedColor : textColor);
            painter.drawText(QPointF(pixels(x), baseline), QString(shown));
        }
        x += m_rows.advance(text[i]);
    }
    flushRun();
}

void ReceivedTextView::fillSelection(QPainter &painter, QStringView row, qsizetype start, int y)
{
    const qsizetype from = std::max<qsizetype>(0, selectionStart() - start);
    const qsizetype to = std::min<qsizetype>(row.size(), selectionEnd() - start);
    if (from >= to)
        return;
    qint64 left = qint64(margin) * 64;
    for (qsizetype i = 0; i < from; ++i)
        left += m_rows.advance(row[i]);
    qint64 right = left;
    for (qsizetype i = from; i < to; ++i)
        right += m_rows.advance(row[i]);
    painter.fillRect(QRectF(pixels(left), y, pixels(right - left), lineHeight()), palette().highlight());
}
