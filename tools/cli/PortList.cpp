#include "PortList.h"

#include "ResultWriter.h"
#include "serial/CommPort.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QSerialPortInfo>
#include <QStringList>

namespace {

// The GUI's port names offer COM1-COM6.
constexpr int lastComName = 6;

QString usbId(const QSerialPortInfo &info)
{
    if (!info.hasVendorIdentifier() || !info.hasProductIdentifier())
        return QString();
    return QStringLiteral("%1:%2")
        .arg(info.vendorIdentifier(), 4, 16, QLatin1Char('0'))
        .arg(info.productIdentifier(), 4, 16, QLatin1Char('0'));
}

QString canonical(const QString &path)
{
    const QString resolved = QFileInfo(path).canonicalFilePath();
    return resolved.isEmpty() ? path : resolved;
}

QString comNameFor(const QSerialPortInfo &info)
{
    const QString device = canonical(info.systemLocation());
    for (int number = 1; number <= lastComName; ++number) {
        if (canonical(CommPort::devicePathFor(number)) == device)
            return QStringLiteral("COM%1").arg(number);
    }
    return QString();
}

QString orDash(const QString &text)
{
    return text.isEmpty() ? QStringLiteral("-") : text;
}

} // namespace

void PortList::write(ResultWriter &results)
{
    QJsonArray ports;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        const QString com = comNameFor(info);
        const QString id = usbId(info);
        if (!results.isJson()) {
            const QStringList fields { info.systemLocation(), orDash(com), orDash(info.description()),
                orDash(info.manufacturer()), orDash(id), orDash(info.serialNumber()) };
            results.result(fields.join(QLatin1Char('\t')), {});
            continue;
        }
        ports.append(QJsonObject {
            { QStringLiteral("path"), info.systemLocation() },
            { QStringLiteral("com"), com },
            { QStringLiteral("description"), info.description() },
            { QStringLiteral("manufacturer"), info.manufacturer() },
            { QStringLiteral("usb_id"), id },
            { QStringLiteral("serial_number"), info.serialNumber() },
        });
    }
    if (results.isJson())
        results.result(QString(),
            { { QStringLiteral("command"), QStringLiteral("ports") }, { QStringLiteral("ports"), ports } });
}
