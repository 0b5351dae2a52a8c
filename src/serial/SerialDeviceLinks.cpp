#include "serial/SerialDeviceLinks.h"

#include "serial/SerialPortEntry.h"

#include <QDir>
#include <QFileInfo>

SerialDeviceLinks SerialDeviceLinks::inFolders(const QString &byIdFolder, const QString &byPathFolder)
{
    SerialDeviceLinks links;
    links.m_byId = read(byIdFolder);
    links.m_byPath = read(byPathFolder);
    return links;
}

void SerialDeviceLinks::name(SerialPortEntry &entry) const
{
    if (m_byId.isEmpty() && m_byPath.isEmpty())
        return;
    const QString resolved = QFileInfo(entry.systemLocation).canonicalFilePath();
    const QString device = resolved.isEmpty() ? entry.systemLocation : resolved;
    entry.byIdPath = m_byId.value(device);
    entry.byPathPath = m_byPath.value(device);
}

SerialDeviceLinks::LinksByDevice SerialDeviceLinks::read(const QString &folder)
{
    LinksByDevice links;
    // Sorted, so that of two links to one device (some adapters get one per
    // interface name) the same one is kept on every scan.
    const QFileInfoList entries = QDir(folder).entryInfoList(QDir::System | QDir::Files, QDir::Name);
    for (const QFileInfo &link : entries) {
        const QString device = link.canonicalFilePath();
        if (link.isSymLink() && !device.isEmpty() && !links.contains(device))
            links.insert(device, link.absoluteFilePath());
    }
    return links;
}
