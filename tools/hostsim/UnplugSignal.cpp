#include "hostsim/UnplugSignal.h"

#include <QSocketNotifier>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

volatile sig_atomic_t writeEnd = -1;

// A signal handler may touch nothing but the self-pipe.
void noteUnplug(int)
{
    const int savedErrno = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(writeEnd, &byte, 1);
    errno = savedErrno;
}

} // namespace

UnplugSignal::UnplugSignal(QObject *parent)
    : QObject(parent)
{
    Q_ASSERT(writeEnd < 0);
    int ends[2];
    if (::pipe(ends) != 0)
        return;
    for (int end : ends) {
        ::fcntl(end, F_SETFD, FD_CLOEXEC);
        ::fcntl(end, F_SETFL, O_NONBLOCK);
    }
    m_readEnd = ends[0];
    writeEnd = ends[1];
    m_notifier = std::make_unique<QSocketNotifier>(m_readEnd, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &UnplugSignal::drain);

    struct sigaction action {
    };
    action.sa_handler = noteUnplug;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGUSR1, &action, &m_previous);
}

UnplugSignal::~UnplugSignal()
{
    if (m_readEnd < 0)
        return;
    ::sigaction(SIGUSR1, &m_previous, nullptr);
    m_notifier.reset();
    ::close(writeEnd);
    ::close(m_readEnd);
    writeEnd = -1;
}

// Signals that come close together are one request each: a script that sends
// two means two.
void UnplugSignal::drain()
{
    char byte = 0;
    while (::read(m_readEnd, &byte, 1) == 1)
        Q_EMIT unplugRequested();
}
