#pragma once

#include "engine/ChannelSearchResult.h"

#include <QColor>
#include <QWidget>

// Channels 0-124 as a strip, drawn with the form's font: the channels a
// search named free, the rest of its range as not free, the channels it did
// not search, the host's channel where it is known, and above the strip the
// Wi-Fi channels 1, 6 and 11 (taking the module's channel n as 2400 + n MHz).
// A click on a free channel offers it as the kit's new channel.
class ChannelMapWidget : public QWidget
{
    Q_OBJECT

public:
    static const QColor freeColour;
    static const QColor notFreeColour;
    static const QColor unsearchedColour;

    explicit ChannelMapWidget(QWidget *parent = nullptr);

    void setResult(const ChannelSearchResult &result);
    const ChannelSearchResult &result() const { return m_result; }
    // Where known from a search, a survey or a move.
    void setHostChannel(std::optional<int> channel);

    // The cell channel is drawn in, in the widget's coordinates.
    QRect cellRect(int channel) const;
    // The channel under a point, or -1.
    int channelAt(const QPoint &point) const;

    QSize sizeHint() const override;

Q_SIGNALS:
    void freeChannelClicked(int channel);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    int stripTop() const;
    int stripHeight() const;
    int cellWidth() const;
    QColor colourOf(int channel) const;

    ChannelSearchResult m_result;
};
