#include "serial/SystemSerialPorts.h"

#include <QSerialPortInfo>

namespace {

SerialPortEntry entryFor(const QSerialPortInfo &info)
{
    SerialPortEntry entry;
    entry.systemLocation = info.systemLocation();
    entry.description = info.description();
    entry.manufacturer = info.manufacturer();
    if (info.hasVendorIdentifier())
        entry.vendorId = info.vendorIdentifier();
    if (info.hasProductIdentifier())
        entry.productId = info.productIdentifier();
    entry.serialNumber = info.serialNumber();
    return entry;
}

} // namespace

QList<SerialPortEntry> SystemSerialPorts::ports()
{
    QStringList names = deviceNames();
    SerialDeviceLinks links = SerialDeviceLinks::system();
    const bool changed = !m_scanned || names != m_deviceNames || links != m_links;
    if (!changed && !m_rescanDue)
        return m_ports;
    m_ports = scan(links);
    m_rescanDue = changed;
    m_deviceNames = std::move(names);
    m_links = std::move(links);
    m_scanned = true;
    return m_ports;
}

QList<SerialPortEntry> SystemSerialPorts::scan(const SerialDeviceLinks &links)
{
    QList<SerialPortEntry> entries;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        entries.append(entryFor(info));
        links.name(entries.last());
    }
    return entries;
}
