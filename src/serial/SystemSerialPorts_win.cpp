#include "serial/SystemSerialPorts.h"

#include <QSettings>

// The registry's list of the COM ports present, which the system keeps
// current as devices come and go: one value per port, read without asking
// each device.
QStringList SystemSerialPorts::deviceNames()
{
    QSettings serialComm(
        QStringLiteral("HKEY_LOCAL_MACHINE\\HARDWARE\\DEVICEMAP\\SERIALCOMM"), QSettings::NativeFormat);
    QStringList names;
    for (const QString &key : serialComm.allKeys())
        names.append(key + QLatin1Char('=') + serialComm.value(key).toString());
    names.sort();
    return names;
}
