#include "viewer/SpecialFile.h"

#include <QFile>

#include <sys/stat.h>

bool SpecialFile::isPipeOrSocket(const QString &path)
{
    struct stat status {
    };
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return false;
    return S_ISFIFO(status.st_mode) || S_ISSOCK(status.st_mode);
}
