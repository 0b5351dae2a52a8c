#include "console/SignalWatcher.h"

#include <QMetaObject>

#include <csignal>

#ifdef Q_OS_UNIX
#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#endif
#ifdef Q_OS_WIN
#include <windows.h>
#endif

#ifdef Q_OS_UNIX

namespace {

constexpr std::array<int, 3> watchedSignals { SIGINT, SIGTERM, SIGHUP };

volatile sig_atomic_t writeEnd = -1;

// A signal handler may touch nothing but the self-pipe.
void noteSignal(int signalNumber)
{
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(writeEnd, &byte, 1);
    errno = savedErrno;
}

} // namespace

class SignalWatcher::Private
{
public:
    explicit Private(SignalWatcher &q)
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
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, &q, [this, &q] {
            unsigned char byte = 0;
            while (::read(m_readEnd, &byte, 1) == 1)
                Q_EMIT q.terminationRequested(byte);
        });

        struct sigaction action {
        };
        action.sa_handler = noteSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (std::size_t i = 0; i < watchedSignals.size(); ++i)
            ::sigaction(watchedSignals[i], &action, &m_previous[i]);
    }

    ~Private()
    {
        if (m_readEnd < 0)
            return;
        for (std::size_t i = 0; i < watchedSignals.size(); ++i)
            ::sigaction(watchedSignals[i], &m_previous[i], nullptr);
        m_notifier.reset();
        ::close(writeEnd);
        ::close(m_readEnd);
        writeEnd = -1;
    }

    bool isWatching() const { return m_readEnd >= 0; }

private:
    int m_readEnd = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::array<struct sigaction, watchedSignals.size()> m_previous {};
};

#elif defined(Q_OS_WIN)

namespace {

SignalWatcher *watcher = nullptr;

// Runs on a thread the system starts for it; a queued call hands the event
// over to the watcher's thread.
BOOL WINAPI noteConsoleEvent(DWORD event)
{
    const int signalNumber = event == CTRL_CLOSE_EVENT ? SIGTERM : SIGINT;
    SignalWatcher *target = watcher;
    if (!target)
        return FALSE;
    QMetaObject::invokeMethod(
        target, [target, signalNumber] { Q_EMIT target->terminationRequested(signalNumber); },
        Qt::QueuedConnection);
    return TRUE;
}

} // namespace

class SignalWatcher::Private
{
public:
    explicit Private(SignalWatcher &q)
    {
        Q_ASSERT(!watcher);
        watcher = &q;
        m_watching = ::SetConsoleCtrlHandler(noteConsoleEvent, TRUE);
    }

    ~Private()
    {
        if (m_watching)
            ::SetConsoleCtrlHandler(noteConsoleEvent, FALSE);
        watcher = nullptr;
    }

    bool isWatching() const { return m_watching; }

private:
    bool m_watching = false;
};

#endif

SignalWatcher::SignalWatcher(QObject *parent)
    : QObject(parent)
    , d(std::make_unique<Private>(*this))
{ }

SignalWatcher::~SignalWatcher() = default;

bool SignalWatcher::isWatching() const
{
    return d->isWatching();
}
