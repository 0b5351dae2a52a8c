#include "SpecialFiles.h"

#include <QDir>
#include <QFile>

#include <chrono>
#include <cstring>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// A socket file stays in the directory after its descriptor is closed.
bool makeSocketFile(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    sockaddr_un address {};
    if (name.size() >= qsizetype(sizeof address.sun_path))
        return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, name.constData(), name.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0)
        return false;
    const bool bound = ::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0;
    ::close(fd);
    return bound;
}

} // namespace

SpecialFiles::SpecialFiles(const QString &directory)
    : fifo(QDir(directory).filePath(QStringLiteral("fifo.txt")))
    , socket(QDir(directory).filePath(QStringLiteral("socket.txt")))
    , characterDevice(QStringLiteral("/dev/null"))
{
    m_valid = ::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0 && makeSocketFile(socket);
    if (m_valid)
        m_watcher = std::thread([this] { watchFifo(); });
}

SpecialFiles::~SpecialFiles()
{
    m_stop = true;
    if (m_watcher.joinable())
        m_watcher.join();
}

void SpecialFiles::watchFifo()
{
    const QByteArray path = QFile::encodeName(fifo);
    while (!m_stop) {
        // Succeeds only while some reader has the FIFO open or waits to.
        const int fd = ::open(path.constData(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0) {
            m_fifoOpened = true;
            ::close(fd);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}
