#pragma once

#include "serial/SerialPortEntry.h"

#include <QList>
#include <QString>

// A list of serial ports kept in a file, in the form `veltrin-cli ports
// --json` prints it, read in place of the system's list when the variable
// VELTRIN_SERIAL_PORTS names the file. It presents a device the system does
// not list as a USB adapter, as the simulator on a pseudo-terminal, and the
// file is read again at every scan, so that an adapter can be plugged in or
// out by changing it. A file that is missing or not such a list lists no
// port.
class SerialPortListFile
{
public:
    static constexpr const char *variable = "VELTRIN_SERIAL_PORTS";

    static QList<SerialPortEntry> read(const QString &path);
};
