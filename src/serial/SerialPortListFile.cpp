#include "serial/SerialPortListFile.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

// "1a86:7523": the vendor and product in hexadecimal.
void readUsbId(const QString &text, SerialPortEntry &entry)
{
    const QStringList ids = text.split(QLatin1Char(':'));
    if (ids.size() != 2)
        return;
    bool vendorOk = false;
    bool productOk = false;
    const uint vendor = ids[0].toUInt(&vendorOk, 16);
    const uint product = ids[1].toUInt(&productOk, 16);
    if (!vendorOk || !productOk || vendor > 0xFFFF || product > 0xFFFF)
        return;
    entry.vendorId = quint16(vendor);
    entry.productId = quint16(product);
}

SerialPortEntry entryOf(const QJsonObject &port)
{
    SerialPortEntry entry;
    entry.systemLocation = port.value(QLatin1String("path")).toString();
    entry.description = port.value(QLatin1String("description")).toString();
    entry.manufacturer = port.value(QLatin1String("manufacturer")).toString();
    entry.serialNumber = port.value(QLatin1String("serial_number")).toString();
    entry.byIdPath = port.value(QLatin1String("by_id")).toString();
    entry.byPathPath = port.value(QLatin1String("by_path")).toString();
    readUsbId(port.value(QLatin1String("usb_id")).toString(), entry);
    return entry;
}

} // namespace

QList<SerialPortEntry> SerialPortListFile::read(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QJsonArray ports
        = QJsonDocument::fromJson(file.readAll()).object().value(QLatin1String("ports")).toArray();
    QList<SerialPortEntry> entries;
    for (const QJsonValue &port : ports) {
        SerialPortEntry entry = entryOf(port.toObject());
        if (!entry.systemLocation.isEmpty())
            entries.append(entry);
    }
    return entries;
}
