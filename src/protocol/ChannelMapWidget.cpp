#include "protocol/ChannelMapWidget.h"

#include <QMouseEvent>
#include <QPainter>

namespace {

constexpr int margin = 4;
constexpr int tickEvery = 20;
const QColor hostColour(0, 0, 255);
const QColor wifiColour(0, 120, 215, 60);

} // namespace

const QColor ChannelMapWidget::freeColour(0, 170, 0);
const QColor ChannelMapWidget::notFreeColour(210, 60, 60);
const QColor ChannelMapWidget::unsearchedColour(200, 200, 200);

ChannelMapWidget::ChannelMapWidget(QWidget *parent)
    : QWidget(parent)
{
    setMouseTracking(false);
}

void ChannelMapWidget::setResult(const ChannelSearchResult &result)
{
    m_result = result;
    update();
}

void ChannelMapWidget::setHostChannel(std::optional<int> channel)
{
    m_result.setHostChannel(channel);
    update();
}

QSize ChannelMapWidget::sizeHint() const
{
    return { 2 * margin + 4 * ChannelSearchResult::channelCount, 4 * fontMetrics().height() };
}

// A line of text for the Wi-Fi channels, the strip, a line for the channel
// numbers and the host's mark.
int ChannelMapWidget::stripTop() const
{
    return fontMetrics().height() + 2;
}

int ChannelMapWidget::stripHeight() const
{
    return std::max(8, height() - 2 * (fontMetrics().height() + 2));
}

int ChannelMapWidget::cellWidth() const
{
    return std::max(1, (width() - 2 * margin) / ChannelSearchResult::channelCount);
}

QRect ChannelMapWidget::cellRect(int channel) const
{
    return { margin + channel * cellWidth(), stripTop(), cellWidth(), stripHeight() };
}

int ChannelMapWidget::channelAt(const QPoint &point) const
{
    if (point.y() < stripTop() || point.y() >= stripTop() + stripHeight() || point.x() < margin)
        return -1;
    const int channel = (point.x() - margin) / cellWidth();
    return channel < ChannelSearchResult::channelCount ? channel : -1;
}

QColor ChannelMapWidget::colourOf(int channel) const
{
    if (!m_result.isSearched(channel))
        return unsearchedColour;
    return m_result.isFree(channel) ? freeColour : notFreeColour;
}

void ChannelMapWidget::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QFontMetrics metrics = fontMetrics();
    for (const ChannelSearchResult::WifiChannel &wifi : ChannelSearchResult::wifiChannels()) {
        const QRect span = cellRect(wifi.low).united(cellRect(wifi.high));
        painter.fillRect(QRect(span.left(), 0, span.width(), stripTop() + stripHeight()), wifiColour);
        painter.setPen(Qt::black);
        painter.drawText(QRect(span.left(), 0, span.width(), metrics.height()), Qt::AlignCenter,
            QStringLiteral("Wi-Fi %1").arg(wifi.number));
    }
    for (int channel = 0; channel < ChannelSearchResult::channelCount; ++channel)
        painter.fillRect(cellRect(channel).adjusted(0, 0, -1, 0), colourOf(channel));

    const int numbersTop = stripTop() + stripHeight() + 2;
    painter.setPen(Qt::black);
    for (int channel = 0; channel < ChannelSearchResult::channelCount; channel += tickEvery) {
        const QRect cell = cellRect(channel);
        painter.drawLine(cell.left(), numbersTop - 2, cell.left(), numbersTop);
        painter.drawText(cell.left(), numbersTop + metrics.ascent(), QString::number(channel));
    }
    if (const std::optional<int> host = m_result.hostChannel()) {
        // A frame round the host's cell, on the gaps between cells so that
        // no neighbour is covered, reaching past the strip so that it shows
        // on any colour.
        painter.setPen(QPen(hostColour, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(cellRect(*host).adjusted(-1, -3, -1, 3));
    }
}

void ChannelMapWidget::mouseReleaseEvent(QMouseEvent *event)
{
    const int channel = channelAt(event->position().toPoint());
    if (channel >= 0 && m_result.isFree(channel))
        Q_EMIT freeChannelClicked(channel);
}
