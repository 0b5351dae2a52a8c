#pragma once

#include <QByteArrayView>
#include <QList>

#include <optional>

// A channel search's answer as a map of channels 0-124: the range that was
// searched, the channels the module named free (one byte each), the rest of
// the range as not free, and the host's channel where it is known. A byte
// that names no channel of the range is kept apart, never counted as free.
class ChannelSearchResult
{
public:
    static constexpr int channelCount = 125;

    // A Wi-Fi channel as the module's channels see it, assuming that the
    // module's channel n is 2400 + n MHz, as on common 2.4 GHz radio
    // modules: its centre and the 22 MHz it covers.
    struct WifiChannel {
        int number;
        int centre;
        int low;
        int high;
    };
    // Wi-Fi channels 1, 6 and 11, the ones that do not overlap.
    static QList<WifiChannel> wifiChannels();

    ChannelSearchResult() = default;
    // The range in either order, as the module takes it.
    ChannelSearchResult(int first, int last);

    // Bytes of the module's answer, as they arrive.
    void take(QByteArrayView bytes);
    void setHostChannel(std::optional<int> channel) { m_hostChannel = channel; }

    int first() const { return m_first; }
    int last() const { return m_last; }
    bool isSearched(int channel) const;
    bool isFree(int channel) const;
    QList<int> freeChannels() const;
    // Searched and not named free.
    QList<int> notFreeChannels() const;
    // Bytes that named no channel of the range, in the order they came.
    const QList<int> &strayBytes() const { return m_stray; }
    std::optional<int> hostChannel() const { return m_hostChannel; }

private:
    int m_first = 0;
    int m_last = -1;
    QList<bool> m_free = QList<bool>(channelCount, false);
    QList<int> m_stray;
    std::optional<int> m_hostChannel;
};
