#include "console/TerminationSignals.h"

#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

namespace {

constexpr std::array<int, 3> watchedSignals { SIGINT, SIGTERM, SIGHUP };

// The self-pipe, process-wide like the signals it carries.
int readEnd = -1;
volatile sig_atomic_t writeEnd = -1;
std::array<struct sigaction, watchedSignals.size()> previousActions {};

// A signal handler may touch nothing but the self-pipe.
void noteSignal(int signalNumber)
{
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(writeEnd, &byte, 1);
    errno = savedErrno;
}

void installHandler()
{
    struct sigaction action {
    };
    action.sa_handler = noteSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < watchedSignals.size(); ++i)
        ::sigaction(watchedSignals[i], &action, &previousActions[i]);
}

} // namespace

TerminationSignals::TerminationSignals(Handler handler)
    : m_handler(std::move(handler))
{
    Q_ASSERT(writeEnd < 0);
    int ends[2];
    if (::pipe(ends) != 0)
        return;
    for (int end : ends) {
        ::fcntl(end, F_SETFD, FD_CLOEXEC);
        ::fcntl(end, F_SETFL, O_NONBLOCK);
    }
    readEnd = ends[0];
    writeEnd = ends[1];
    auto notifier = std::make_unique<QSocketNotifier>(readEnd, QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated, notifier.get(), [this] {
        unsigned char byte = 0;
        while (::read(readEnd, &byte, 1) == 1)
            m_handler(byte);
    });
    m_relay = std::move(notifier);
    installHandler();
}

TerminationSignals::~TerminationSignals()
{
    if (!m_relay)
        return;
    for (std::size_t i = 0; i < watchedSignals.size(); ++i)
        ::sigaction(watchedSignals[i], &previousActions[i], nullptr);
    m_relay.reset();
    ::close(writeEnd);
    ::close(readEnd);
    writeEnd = -1;
    readEnd = -1;
}
