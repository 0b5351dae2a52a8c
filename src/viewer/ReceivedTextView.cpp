#include "viewer/ReceivedTextView.h"

#include "viewer/GbkCodec.h"
#include "viewer/NotationConverter.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
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

} // namespace

ReceivedTextView::ReceivedTextView(QWidget *parent)
    : QAbstractScrollArea(parent)
    , m_rows(QFontDatabase::systemFont(QFontDatabase::FixedFont))
{
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    // A scroll bar that comes and goes would change the width and re-wrap
    // the text each time it does.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    m_refreshTimer.setSingleShot(true);
    m_refreshTimer.setInterval(RefreshIntervalMs);
    connect(&m_refreshTimer, &QTimer::timeout, this, &ReceivedTextView::refresh);
}

void ReceivedTextView::setText(const QString &text)
{
    m_text = text;
    m_rows.clear();
    m_anchor = 0;
    m_position = 0;
    scheduleRefresh();
}

void ReceivedTextView::appendTokens(QByteArrayView bytes, bool hex)
{
    NotationConverter::appendTokens(m_text, bytes, hex);
    scheduleRefresh();
}

void ReceivedTextView::setSelection(qsizetype anchor, qsizetype position)
{
    m_anchor = std::clamp<qsizetype>(anchor, 0, m_text.size());
    m_position = std::clamp<qsizetype>(position, 0, m_text.size());
    viewport()->update();
}

QString ReceivedTextView::selectedText() const
{
    QString selected = m_text.sliced(selectionStart(), selectionEnd() - selectionStart());
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

qsizetype ReceivedTextView::allocatedBytes() const
{
    return m_text.capacity() * qsizetype(sizeof(QChar)) + m_rows.allocatedBytes();
}

void ReceivedTextView::paintEvent(QPaintEvent *)
{
    ensureLayout();
    QPainter painter(viewport());
    const int height = viewport()->height();
    qsizetype row = verticalScrollBar()->value();
    for (int y = 0; row < m_rows.rowCount() && y < height; ++row, y += lineHeight())
        drawRow(painter, row, y);
}

void ReceivedTextView::resizeEvent(QResizeEvent *)
{
    QScrollBar *bar = verticalScrollBar();
    const bool atEnd = bar->value() >= bar->maximum();
    const qsizetype topChar = m_rows.rowStart(std::min<qsizetype>(bar->value(), m_rows.rowCount() - 1));
    ensureLayout();
    updateScrollRange();
    bar->setValue(atEnd ? bar->maximum() : int(m_rows.rowOf(topChar)));
}

void ReceivedTextView::showEvent(QShowEvent *event)
{
    QAbstractScrollArea::showEvent(event);
    refresh();
}

void ReceivedTextView::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange) {
        m_rows.setFont(font());
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
    menu->popup(event->globalPos());
}

void ReceivedTextView::scheduleRefresh()
{
    if (!m_refreshTimer.isActive())
        m_refreshTimer.start();
}

// A hidden view keeps only the text; it is laid out when it is shown.
void ReceivedTextView::refresh()
{
    if (!isVisible())
        return;
    QScrollBar *bar = verticalScrollBar();
    const bool atEnd = bar->value() >= bar->maximum();
    ensureLayout();
    updateScrollRange();
    if (atEnd)
        bar->setValue(bar->maximum());
    viewport()->update();
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

qsizetype ReceivedTextView::positionAt(QPoint point)
{
    ensureLayout();
    const qsizetype row = std::clamp<qsizetype>(
        verticalScrollBar()->value() + floorDiv(point.y(), lineHeight()), 0, m_rows.rowCount() - 1);
    const qsizetype start = m_rows.rowStart(row);
    qsizetype end = m_rows.rowEnd(row, m_text.size());
    while (end > start && WrappedRows::isLineBreak(m_text[end - 1]))
        --end;
    const qint64 target = qint64(point.x()) * 64;
    qint64 x = qint64(margin) * 64;
    for (qsizetype pos = start; pos < end; ++pos) {
        const qint64 advance = m_rows.advance(m_text[pos]);
        if (target < x + advance / 2)
            return pos;
        x += advance;
    }
    return end;
}

void ReceivedTextView::drawRow(QPainter &painter, qsizetype row, int y)
{
    const qsizetype start = m_rows.rowStart(row);
    const qsizetype end = m_rows.rowEnd(row, m_text.size());
    fillSelection(painter, start, end, y);

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
    for (qsizetype pos = start; pos < end; ++pos) {
        const QChar shown = WrappedRows::shownAs(m_text[pos]);
        if (shown.isNull())
            continue;
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
        x += m_rows.advance(m_text[pos]);
    }
    flushRun();
}

void ReceivedTextView::fillSelection(QPainter &painter, qsizetype start, qsizetype end, int y)
{
    const qsizetype from = std::max(start, selectionStart());
    const qsizetype to = std::min(end, selectionEnd());
    if (from >= to)
        return;
    qint64 left = qint64(margin) * 64;
    for (qsizetype pos = start; pos < from; ++pos)
        left += m_rows.advance(m_text[pos]);
    qint64 right = left;
    for (qsizetype pos = from; pos < to; ++pos)
        right += m_rows.advance(m_text[pos]);
    painter.fillRect(QRectF(pixels(left), y, pixels(right - left), lineHeight()), palette().highlight());
}
