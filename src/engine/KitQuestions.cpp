#include "engine/KitQuestions.h"

#include "protocol/ControlFrame.h"
#include "protocol/ModuleAnswer.h"
#include "protocol/ModuleExchange.h"

namespace {

int addressOf(int printer)
{
    return ControlFrame::printerAddress(printer - 1);
}

} // namespace

KitQuestions::KitQuestions(ModuleExchange &exchange)
    : m_exchange(exchange)
{ }

std::optional<int> KitQuestions::hostChannel()
{
    const std::optional<quint8> reply = m_exchange.ask(ControlFrame::text(ControlFrame::HostChannel));
    if (!reply)
        return std::nullopt;
    return int(*reply);
}

bool KitQuestions::setHostChannel(int channel)
{
    return ModuleAnswer::isYes(m_exchange.ask(ControlFrame::text(ControlFrame::SetHostChannel, { channel })));
}

bool KitQuestions::isOnline(int printer)
{
    return ModuleAnswer::isYes(
        m_exchange.ask(ControlFrame::text(ControlFrame::SlaveStatus, { addressOf(printer) })));
}

bool KitQuestions::moveSlave(int printer, int fromChannel, int toChannel)
{
    const int address = addressOf(printer);
    return ModuleAnswer::isYes(m_exchange.ask(ControlFrame::text(
        ControlFrame::SetSlaveChannelAndAddress, { address, address, fromChannel, toChannel })));
}

QString KitQuestions::printerName(int printer)
{
    return QString::number(printer) + QStringLiteral("号机");
}

QString KitQuestions::channelText(int channel)
{
    return QStringLiteral("信道 ") + QString::number(channel);
}
