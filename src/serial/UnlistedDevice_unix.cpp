#include "serial/UnlistedDevice.h"

#include <QFileInfo>

// Every pseudo-terminal's serial side lives in the devpts file system; a
// link to one (socat's, the simulator's) resolves there. A link left behind
// by a pty that has gone resolves to nothing.
bool UnlistedDevice::isPseudoTerminal(const QString &path)
{
    return QFileInfo(path).canonicalFilePath().startsWith(QLatin1String("/dev/pts/"));
}
