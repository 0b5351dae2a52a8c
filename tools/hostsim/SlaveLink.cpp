#include "hostsim/SlaveLink.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString linkTarget(const QByteArray &path)
{
    char buffer[4096];
    const ssize_t n = ::readlink(path.constData(), buffer, sizeof buffer);
    return n > 0 ? QString::fromLocal8Bit(buffer, n) : QString();
}

} // namespace

SlaveLink::~SlaveLink()
{
    remove();
}

bool SlaveLink::create(const QString &linkPath, const QString &target, QString *error)
{
    const QByteArray path = QFile::encodeName(linkPath);
    struct stat existing {
    };
    if (::lstat(path.constData(), &existing) == 0 && !S_ISLNK(existing.st_mode)) {
        *error = QStringLiteral("%1 exists and is not a symbolic link; not replacing it").arg(linkPath);
        return false;
    }
    // Made under a temporary name and renamed over the path, so the path
    // never names nothing while an old link is replaced.
    const QByteArray temporary = path + ".tmp" + QByteArray::number(::getpid());
    ::unlink(temporary.constData());
    if (::symlink(QFile::encodeName(target).constData(), temporary.constData()) != 0
        || ::rename(temporary.constData(), path.constData()) != 0) {
        *error = QStringLiteral("cannot create the link %1: %2")
                     .arg(linkPath, QString::fromLocal8Bit(std::strerror(errno)));
        ::unlink(temporary.constData());
        return false;
    }
    m_path = linkPath;
    m_target = target;
    return true;
}

void SlaveLink::remove()
{
    if (m_path.isEmpty())
        return;
    const QByteArray path = QFile::encodeName(m_path);
    if (linkTarget(path) == m_target)
        ::unlink(path.constData());
    m_path.clear();
}
