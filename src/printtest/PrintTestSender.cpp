#include "printtest/PrintTestSender.h"

#include "interfaces/UserChannels.h"
#include "notation/SendNotation.h"
#include "notation/SendTextParser.h"
#include "protocol/ControlFrame.h"
#include "serial/Transmitter.h"

PrintTestSender::PrintTestSender(Transmitter &transmitter, SendTextParser &parser, UserChannels &channels)
    : m_transmitter(transmitter)
    , m_parser(parser)
    , m_channels(channels)
{ }

quint8 PrintTestSender::printerSet(int tickedBits)
{
    return quint8(tickedBits == 0 ? 128 : tickedBits);
}

std::optional<QString> PrintTestSender::prepare(const QString &text)
{
    m_transmitter.setStopSending(false);
    if (text.isEmpty()) {
        m_channels.ShowTip(QStringLiteral("发送数据不能为空！"), 0);
        return std::nullopt;
    }
    QString prepared = text;
    if (m_parser.DataMode != SendNotation::Text)
        prepared.replace(QLatin1String("\r\n"), QLatin1String(" "));
    return prepared;
}

void PrintTestSender::transmit(const QString &prepared, quint8 printerSet)
{
    m_transmitter.SendDecimalList(ControlFrame::text(ControlFrame::SelectPrinters, { printerSet }));
    m_parser.ParseSendText(prepared);
}
