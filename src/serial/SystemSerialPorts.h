#pragma once

#include "serial/SerialDeviceLinks.h"
#include "serial/SerialPortEntry.h"

#include <QList>
#include <QStringList>

// The serial ports the system has, as QSerialPortInfo lists them, with their
// stable names. QSerialPortInfo asks udev about every tty the kernel has (the
// 64 virtual consoles too), which takes tens of milliseconds: too long for a
// poll on the UI thread. So ports() first reads the names of the devices
// present and the stable links, which costs well under a millisecond, and
// scans again only when those changed since the last scan, and once more at
// the next call: udev records what it learnt of a new device only after it
// has made the device's links.
class SystemSerialPorts
{
public:
    QList<SerialPortEntry> ports();

    // QSerialPortInfo's list, with the stable names from links.
    static QList<SerialPortEntry> scan(const SerialDeviceLinks &links);

private:
    // Names that change whenever a serial device comes or goes; per platform.
    static QStringList deviceNames();

    bool m_scanned = false;
    bool m_rescanDue = false;
    QStringList m_deviceNames;
    SerialDeviceLinks m_links;
    QList<SerialPortEntry> m_ports;
};
