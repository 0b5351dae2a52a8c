#include "serial/SerialPortCatalog.h"

#include "serial/SerialPortListFile.h"
#include "serial/SystemSerialPorts.h"

#include <algorithm>
#include <memory>

namespace {

SerialPortCatalog::Source systemSource()
{
    const QString listFile = qEnvironmentVariable(SerialPortListFile::variable);
    if (!listFile.isEmpty())
        return [listFile] { return SerialPortListFile::read(listFile); };
    auto system = std::make_shared<SystemSerialPorts>();
    return [system] { return system->ports(); };
}

} // namespace

SerialPortCatalog::SerialPortCatalog(QObject *parent)
    : QObject(parent)
    , m_source(systemSource())
{
    m_pollTimer.setInterval(pollIntervalMs);
    connect(&m_pollTimer, &QTimer::timeout, this, &SerialPortCatalog::refresh);
}

void SerialPortCatalog::setSource(Source source)
{
    m_source = source ? std::move(source) : systemSource();
    refresh();
}

void SerialPortCatalog::refresh()
{
    QList<SerialPortEntry> ports = m_source();
    std::stable_sort(ports.begin(), ports.end(), [](const SerialPortEntry &a, const SerialPortEntry &b) {
        return a.systemLocation < b.systemLocation;
    });
    if (ports == m_ports)
        return;
    m_ports = std::move(ports);
    Q_EMIT changed();
}

void SerialPortCatalog::startWatching()
{
    if (m_watchers++ > 0)
        return;
    refresh();
    m_pollTimer.start();
}

void SerialPortCatalog::stopWatching()
{
    Q_ASSERT(m_watchers > 0);
    if (--m_watchers == 0)
        m_pollTimer.stop();
}

std::optional<SerialPortEntry> SerialPortCatalog::find(const SerialPortEntry &remembered) const
{
    std::optional<SerialPortEntry> found;
    for (const SerialPortEntry &entry : m_ports) {
        if (!entry.isSameDevice(remembered))
            continue;
        if (entry.systemLocation == remembered.systemLocation)
            return entry;
        if (!found)
            found = entry;
    }
    return found;
}

SerialPortCatalog::UsbChoice SerialPortCatalog::usbChoice() const
{
    UsbChoice choice;
    std::copy_if(m_ports.cbegin(), m_ports.cend(), std::back_inserter(choice.ports),
        [](const SerialPortEntry &entry) { return entry.isUsb(); });
    if (choice.ports.size() == 1)
        choice.found = UsbChoice::Found::One;
    else if (choice.ports.size() > 1)
        choice.found = UsbChoice::Found::Several;
    return choice;
}
