#include "protocol/ControlFrame.h"

#include <QStringList>

QString ControlFrame::ControlFrameHeader()
{
    // The leading zeros are part of the text every sender uses; the byte-list
    // sender reads "06" and "03" as 6 and 3.
    return QStringLiteral("22 06 106 102 10 03 ");
}

QByteArray ControlFrame::preamble()
{
    return QByteArray("\x16\x06\x6A\x66\x0A\x03", 6);
}

int ControlFrame::argumentCount(int code)
{
    switch (code) {
    case SetSlaveChannelAndAddress:
        return 4;
    case SearchFreeChannels:
    case SetSlaveBaudRate:
        return 2;
    case SetHostChannel:
    case SelectPrinters:
    case SlaveStatus:
    case SetHostBaudRate:
        return 1;
    case ConfigurationDone:
    case HostChannel:
        return 0;
    default:
        return -1;
    }
}

QString ControlFrame::text(Code code, const QList<int> &arguments)
{
    Q_ASSERT(arguments.size() == argumentCount(code));
    QString result = ControlFrameHeader() + QString::number(int(code));
    for (int argument : arguments)
        result += QLatin1Char(' ') + QString::number(argument);
    return result;
}

QByteArray ControlFrame::bytes(Code code, const QList<int> &arguments)
{
    Q_ASSERT(arguments.size() == argumentCount(code));
    QByteArray result = preamble();
    result.append(char(code));
    for (int argument : arguments)
        result.append(char(quint8(argument)));
    return result;
}

int ControlFrame::printerAddress(int entryIndex)
{
    return 1 << entryIndex;
}
