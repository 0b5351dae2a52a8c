#include "TtyClient.h"

#include "TtySpeed.h"

#include <QFile>
#include <QSocketNotifier>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

TtyClient::TtyClient(const QString &path)
    : m_fd(::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK))
{
    if (m_fd < 0)
        return;
    termios tio {};
    ::tcgetattr(m_fd, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(m_fd, TCSANOW, &tio);
    m_notifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] { readAvailable(); });
}

TtyClient::~TtyClient()
{
    m_notifier.reset();
    if (m_fd >= 0)
        ::close(m_fd);
}

bool TtyClient::write(const QByteArray &bytes)
{
    return m_fd >= 0 && ::write(m_fd, bytes.constData(), bytes.size()) == bytes.size();
}

int TtyClient::lineSpeed() const
{
    return ttySpeed(m_fd);
}

void TtyClient::readAvailable()
{
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(m_fd, buffer, sizeof buffer)) > 0)
        m_received.append(buffer, n);
}
