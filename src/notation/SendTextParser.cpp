#include "notation/SendTextParser.h"

#include "interfaces/UserChannels.h"
#include "notation/SendNotation.h"
#include "serial/Transmitter.h"

SendTextParser::SendTextParser(Transmitter &transmitter, UserChannels &channels)
    : m_transmitter(transmitter)
    , m_channels(channels)
{ }

void SendTextParser::ParseSendText(const QString &text)
{
    const SendNotation::Result result = SendNotation::parse(text, DataMode);
    if (!result.ok()) {
        m_channels.ShowTip(result.error, 0);
        return;
    }
    // An empty result is still a transmission: the user learns it completed.
    m_transmitter.SendByteArray(qint32(result.bytes.size()), result.bytes);
}
