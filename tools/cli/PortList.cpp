#include "PortList.h"

#include "ResultWriter.h"
#include "serial/CommPort.h"
#include "serial/SerialPortCatalog.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QStringList>

namespace {

// The GUI's port names offer COM1-COM6.
constexpr int lastComName = 6;

QString canonical(const QString &path)
{
    const QString resolved = QFileInfo(path).canonicalFilePath();
    return resolved.isEmpty() ? path : resolved;
}

QString comNameFor(const SerialPortEntry &entry)
{
    const QString device = canonical(entry.systemLocation);
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
    SerialPortCatalog catalog;
    catalog.refresh();
    QJsonArray ports;
    for (const SerialPortEntry &entry : catalog.ports()) {
        const QString com = comNameFor(entry);
        if (!results.isJson()) {
            const QStringList fields { entry.systemLocation, orDash(com), orDash(entry.description),
                orDash(entry.manufacturer), orDash(entry.usbId()), orDash(entry.serialNumber),
                orDash(entry.byIdPath) };
            results.result(fields.join(QLatin1Char('\t')), {});
            continue;
        }
        ports.append(QJsonObject {
            { QStringLiteral("path"), entry.systemLocation },
            { QStringLiteral("com"), com },
            { QStringLiteral("description"), entry.description },
            { QStringLiteral("manufacturer"), entry.manufacturer },
            { QStringLiteral("usb_id"), entry.usbId() },
            { QStringLiteral("serial_number"), entry.serialNumber },
            { QStringLiteral("by_id"), entry.byIdPath },
            { QStringLiteral("by_path"), entry.byPathPath },
        });
    }
    if (results.isJson())
        results.result(QString(),
            { { QStringLiteral("command"), QStringLiteral("ports") }, { QStringLiteral("ports"), ports } });
}
