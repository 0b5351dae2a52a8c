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

quint8 PrintTestSender::printerSetOf(const QList<int> &printers)
{
    int ticked = 0;
    for (int printer : printers)
        ticked |= ControlFrame::printerAddress(printer - 1);
    return printerSet(ticked);
}

std::optional<QString> PrintTestSender::preparedText(
    const QString &text, qint16 dataMode, UserChannels &channels)
{
    if (text.isEmpty()) {
        channels.ShowTip(QStringLiteral("发送数据不能为空！"), 0);
        return std::nullopt;
    }
    QString prepared = text;
    if (dataMode != SendNotation::Text)
        prepared.replace(QLatin1String("\r\n"), QLatin1String(" "));
    return prepared;
}

std::optional<QString> PrintTestSender::prepare(const QString &text)
{
    m_transmitter.setStopSending(false);
    return preparedText(text, m_parser.DataMode, m_channels);
}

void PrintTestSender::transmit(const QString &prepared, quint8 printerSet)
{
    m_transmitter.SendDecimalList(ControlFrame::text(ControlFrame::SelectPrinters, { printerSet }));
    m_parser.ParseSendText(prepared);
}
