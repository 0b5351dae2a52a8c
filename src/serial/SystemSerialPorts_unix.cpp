#include "serial/SystemSerialPorts.h"

#include <QFile>

#include <cstring>
#include <dirent.h>

namespace {

// The names serial devices get (ttyS, ttyUSB, ttyACM, ttyAMA, rfcomm ...):
// a memory stick or a camera plugged in is no reason to scan again.
bool isSerialName(const char *name)
{
    for (const char *prefix : { "tty", "rfcomm", "ircomm" }) {
        if (std::strncmp(name, prefix, std::strlen(prefix)) == 0)
            return true;
    }
    return false;
}

// readdir() rather than QDir: the names are all that is wanted, and QDir
// would look at each of /dev's hundreds of entries.
QStringList serialNamesIn(const char *folder)
{
    QStringList names;
    DIR *directory = ::opendir(folder);
    if (!directory)
        return names;
    while (const dirent *entry = ::readdir(directory)) {
        if (isSerialName(entry->d_name))
            names.append(QFile::decodeName(entry->d_name));
    }
    ::closedir(directory);
    names.sort();
    return names;
}

} // namespace

// Plugging a serial device in or out adds or removes its node in /dev. What
// udev learns of the device comes a little later, and shows as its stable
// links appearing, which ports() compares as well.
QStringList SystemSerialPorts::deviceNames()
{
    return serialNamesIn("/dev");
}
