#include "serial/SerialDeviceLinks.h"

SerialDeviceLinks SerialDeviceLinks::system()
{
    return inFolders(QStringLiteral("/dev/serial/by-id"), QStringLiteral("/dev/serial/by-path"));
}
