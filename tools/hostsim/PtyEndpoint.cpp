#include "hostsim/PtyEndpoint.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

speed_t speedFor(int bitsPerSecond)
{
    switch (bitsPerSecond) {
    case 9600:
        return B9600;
    case 19200:
        return B19200;
    case 38400:
        return B38400;
    case 115200:
        return B115200;
    default:
        return B0;
    }
}

QString systemError(const QString &what)
{
    return QStringLiteral("%1: %2").arg(what, QString::fromLocal8Bit(std::strerror(errno)));
}

} // namespace

PtyEndpoint::PtyEndpoint(QObject *parent)
    : QObject(parent)
{ }

PtyEndpoint::~PtyEndpoint()
{
    close();
}

bool PtyEndpoint::open(int bitsPerSecond, QString *error)
{
    char name[256] = {};
    if (::openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0) {
        *error = systemError(QStringLiteral("cannot open a pseudo-terminal"));
        return false;
    }
    m_slavePath = QString::fromLocal8Bit(name);
    termios tio {};
    ::tcgetattr(m_slave, &tio);
    ::cfmakeraw(&tio);
    if (::tcsetattr(m_slave, TCSANOW, &tio) != 0) {
        *error = systemError(QStringLiteral("cannot set %1 raw").arg(m_slavePath));
        return false;
    }
    if (!setLineSpeed(bitsPerSecond, error))
        return false;
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);

    m_readNotifier = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Read);
    connect(m_readNotifier.get(), &QSocketNotifier::activated, this, &PtyEndpoint::readAvailable);
    m_writeNotifier = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Write);
    m_writeNotifier->setEnabled(false);
    connect(m_writeNotifier.get(), &QSocketNotifier::activated, this, &PtyEndpoint::writePending);
    return true;
}

void PtyEndpoint::close()
{
    // A handler of what was just read may close the endpoint (an unplug at a
    // moment of the caller's choice): the notifier that is delivering must
    // outlive its own signal.
    for (std::unique_ptr<QSocketNotifier> *notifier : { &m_readNotifier, &m_writeNotifier }) {
        if (*notifier) {
            (*notifier)->setEnabled(false);
            notifier->release()->deleteLater();
        }
    }
    m_outgoing.clear();
    if (m_master >= 0)
        ::close(m_master);
    if (m_slave >= 0)
        ::close(m_slave);
    m_master = -1;
    m_slave = -1;
}

void PtyEndpoint::write(const QByteArray &bytes)
{
    if (!isOpen())
        return;
    m_outgoing.append(bytes);
    writePending();
}

bool PtyEndpoint::setLineSpeed(int bitsPerSecond, QString *error)
{
    termios tio {};
    const speed_t speed = speedFor(bitsPerSecond);
    if (speed == B0 || ::tcgetattr(m_slave, &tio) != 0 || ::cfsetispeed(&tio, speed) != 0
        || ::cfsetospeed(&tio, speed) != 0 || ::tcsetattr(m_slave, TCSANOW, &tio) != 0) {
        *error = systemError(QStringLiteral("cannot set %1 to %2 bit/s").arg(m_slavePath).arg(bitsPerSecond));
        return false;
    }
    m_lineSpeed = bitsPerSecond;
    return true;
}

void PtyEndpoint::readAvailable()
{
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n > 0) {
            Q_EMIT received(QByteArray(buffer, n));
            if (!isOpen())
                return;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        fail(n == 0 ? QStringLiteral("%1 was closed").arg(m_slavePath)
                    : systemError(QStringLiteral("reading %1").arg(m_slavePath)));
        return;
    }
}

int PtyEndpoint::unreadByPeer() const
{
    int count = 0;
    return m_slave >= 0 && ::ioctl(m_slave, FIONREAD, &count) == 0 ? count : 0;
}

void PtyEndpoint::writePending()
{
    const bool hadPending = !m_outgoing.isEmpty();
    while (!m_outgoing.isEmpty()) {
        const ssize_t n = ::write(m_master, m_outgoing.constData(), m_outgoing.size());
        if (n > 0) {
            m_outgoing.remove(0, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        fail(systemError(QStringLiteral("writing %1").arg(m_slavePath)));
        return;
    }
    m_writeNotifier->setEnabled(!m_outgoing.isEmpty());
    if (hadPending && m_outgoing.isEmpty())
        Q_EMIT drained();
}

void PtyEndpoint::fail(const QString &reason)
{
    m_readNotifier->setEnabled(false);
    m_writeNotifier->setEnabled(false);
    m_outgoing.clear();
    Q_EMIT failed(reason);
}
