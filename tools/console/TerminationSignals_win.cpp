#include "console/TerminationSignals.h"

#include <QMetaObject>

#include <csignal>
#include <utility>
#include <windows.h>

namespace {

QObject *relay = nullptr;
const TerminationSignals::Handler *handleRequest = nullptr;
// Set once the program has done what the request asked and given the
// requests back.
HANDLE handedBack = nullptr;
// The system ends the process 5 s after a console closes or the session
// ends, whatever the handler does; it returns a little before.
constexpr DWORD closingWaitMs = 4500;

int signalFor(DWORD event)
{
    return event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT ? SIGINT : SIGTERM;
}

// Runs on a thread the system starts for it; a queued call hands the event
// over to the relay's thread. Once this returns after a console close, a
// log-off or a shutdown, the system ends the process: the handler waits
// until the program has ended its run.
BOOL WINAPI noteConsoleEvent(DWORD event)
{
    const int signalNumber = signalFor(event);
    QObject *target = relay;
    const TerminationSignals::Handler *handle = handleRequest;
    if (!target)
        return FALSE;
    QMetaObject::invokeMethod(
        target, [handle, signalNumber] { (*handle)(signalNumber); }, Qt::QueuedConnection);
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        ::WaitForSingleObject(handedBack, closingWaitMs);
    return TRUE;
}

} // namespace

TerminationSignals::TerminationSignals(Handler handler)
    : m_handler(std::move(handler))
{
    Q_ASSERT(!relay);
    auto target = std::make_unique<QObject>();
    relay = target.get();
    handleRequest = &m_handler;
    handedBack = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (::SetConsoleCtrlHandler(noteConsoleEvent, TRUE))
        m_relay = std::move(target);
    else
        relay = nullptr;
}

TerminationSignals::~TerminationSignals()
{
    if (m_relay)
        ::SetConsoleCtrlHandler(noteConsoleEvent, FALSE);
    relay = nullptr;
    handleRequest = nullptr;
    ::SetEvent(handedBack);
    ::CloseHandle(handedBack);
    handedBack = nullptr;
}
