#pragma once

#include "serial/SerialPortEntry.h"
#include "serial/SystemSerialPorts.h"

#include <QList>
#include <QObject>

// The system's list of serial ports, read on the catalog's scan thread, the
// program's one thread besides the UI thread. QSerialPortInfo's full scan
// asks udev about every tty and takes 10-50 ms whenever a device came or
// went: on the UI thread that is a stall the user sees. This object lives on
// the scan thread and is only ever called there; what it reads goes back to
// the catalog by a queued call.
class SerialPortScanner : public QObject
{
    Q_OBJECT

public:
    QList<SerialPortEntry> scan() { return m_system.ports(); }

private:
    SystemSerialPorts m_system;
};
