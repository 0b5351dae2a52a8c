#include "PtyPair.h"

#include "TtySpeed.h"

#include <QElapsedTimer>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

PtyPair::PtyPair()
{
    int slave = -1;
    char name[256] = {};
    if (::openpty(&m_master, &slave, name, nullptr, nullptr) != 0) {
        m_master = -1;
        return;
    }
    termios tio {};
    ::tcgetattr(slave, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(slave, TCSANOW, &tio);
    // Keeping one slave descriptor open means the master never sees a hang-up
    // between the program's close and reopen of the port.
    m_slaveKeepAlive = slave;
    m_slavePath = QString::fromLocal8Bit(name);
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    // A program the test starts must not inherit them: a master it held
    // would keep the line alive after closeMaster().
    ::fcntl(m_master, F_SETFD, FD_CLOEXEC);
    ::fcntl(m_slaveKeepAlive, F_SETFD, FD_CLOEXEC);
}

PtyPair::~PtyPair()
{
    closeMaster();
    if (m_slaveKeepAlive >= 0)
        ::close(m_slaveKeepAlive);
}

QByteArray PtyPair::readMaster(int timeoutMs, qsizetype maxBytes)
{
    QByteArray result;
    char buffer[65536];
    while (m_master >= 0 && result.size() < maxBytes) {
        pollfd p { m_master, POLLIN, 0 };
        if (::poll(&p, 1, timeoutMs) <= 0)
            break;
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n <= 0)
            break;
        result.append(buffer, n);
    }
    return result;
}

QByteArray PtyPair::readMasterExactly(qsizetype count, int timeoutMs)
{
    QByteArray result;
    char buffer[65536];
    while (m_master >= 0 && result.size() < count) {
        pollfd p { m_master, POLLIN, 0 };
        if (::poll(&p, 1, timeoutMs) <= 0)
            break;
        const ssize_t n = ::read(m_master, buffer, std::min<qsizetype>(sizeof buffer, count - result.size()));
        if (n <= 0)
            break;
        result.append(buffer, n);
    }
    return result;
}

bool PtyPair::writeMaster(const QByteArray &bytes)
{
    qsizetype done = 0;
    while (m_master >= 0 && done < bytes.size()) {
        const ssize_t n = ::write(m_master, bytes.constData() + done, bytes.size() - done);
        if (n > 0) {
            done += n;
        } else if (errno == EAGAIN) {
            pollfd p { m_master, POLLOUT, 0 };
            if (::poll(&p, 1, 2000) <= 0)
                return false;
        } else {
            return false;
        }
    }
    return done == bytes.size();
}

void PtyPair::closeMaster()
{
    if (m_master >= 0)
        ::close(m_master);
    m_master = -1;
}

int PtyPair::slaveBaudRate() const
{
    return ttySpeed(m_slaveKeepAlive);
}
