#include "console/TerminationSignals.h"

#include <QMetaObject>

#include <csignal>
#include <utility>
#include <windows.h>

namespace {

QObject *relay = nullptr;
const TerminationSignals::Handler *handleRequest = nullptr;

// Runs on a thread the system starts for it; a queued call hands the event
// over to the relay's thread.
BOOL WINAPI noteConsoleEvent(DWORD event)
{
    const int signalNumber = event == CTRL_CLOSE_EVENT ? SIGTERM : SIGINT;
    QObject *target = relay;
    const TerminationSignals::Handler *handle = handleRequest;
    if (!target)
        return FALSE;
    QMetaObject::invokeMethod(
        target, [handle, signalNumber] { (*handle)(signalNumber); }, Qt::QueuedConnection);
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
}
