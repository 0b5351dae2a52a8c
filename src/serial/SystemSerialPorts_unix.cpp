#include "serial/SystemSerialPorts.h"

#include <QFile>

#include <dirent.h>

namespace {

// readdir() rather than QDir: the names are all that is wanted, and QDir
// would look at each of /dev's hundreds of entries.
QStringList namesIn(const char *folder)
{
    QStringList names;
    DIR *directory = ::opendir(folder);
    if (!directory)
        return names;
    while (const dirent *entry = ::readdir(directory))
        names.append(QFile::decodeName(entry->d_name));
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
    return namesIn("/dev");
}
