#include "engine/ChannelSearchResult.h"

#include <algorithm>

namespace {

// Channel n is 2400 + n MHz; a Wi-Fi channel c is centred at 2407 + 5c MHz
// and 22 MHz wide.
ChannelSearchResult::WifiChannel wifiChannel(int number)
{
    const int centre = 7 + 5 * number;
    return { number, centre, centre - 11, centre + 11 };
}

} // namespace

QList<ChannelSearchResult::WifiChannel> ChannelSearchResult::wifiChannels()
{
    return { wifiChannel(1), wifiChannel(6), wifiChannel(11) };
}

ChannelSearchResult::ChannelSearchResult(int first, int last)
    : m_first(std::clamp(std::min(first, last), 0, channelCount - 1))
    , m_last(std::clamp(std::max(first, last), 0, channelCount - 1))
{ }

void ChannelSearchResult::take(QByteArrayView bytes)
{
    for (char byte : bytes) {
        const int channel = quint8(byte);
        if (isSearched(channel))
            m_free[channel] = true;
        else
            m_stray.append(channel);
    }
}

bool ChannelSearchResult::isSearched(int channel) const
{
    return channel >= m_first && channel <= m_last;
}

bool ChannelSearchResult::isFree(int channel) const
{
    return isSearched(channel) && m_free.at(channel);
}

QList<int> ChannelSearchResult::freeChannels() const
{
    QList<int> channels;
    for (int channel = m_first; channel <= m_last; ++channel) {
        if (m_free.at(channel))
            channels.append(channel);
    }
    return channels;
}

QList<int> ChannelSearchResult::notFreeChannels() const
{
    QList<int> channels;
    for (int channel = m_first; channel <= m_last; ++channel) {
        if (!m_free.at(channel))
            channels.append(channel);
    }
    return channels;
}
