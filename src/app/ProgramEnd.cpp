#include "app/ProgramEnd.h"

#include "app/FrmMain.h"
#include "console/SignalWatcher.h"

#include <QGuiApplication>

ProgramEnd::ProgramEnd(FrmMain &window, QObject *parent)
    : QObject(parent)
    , m_window(window)
    , m_signals(std::make_unique<SignalWatcher>())
{
    connect(m_signals.get(), &SignalWatcher::terminationRequested, &m_window, &FrmMain::cmdExit_Click);
    // Reached by "退出", by a signal through the window's close, by the X
    // session manager's end (Qt quits) and by WM_ENDSESSION on Windows (Qt
    // emits it itself, then the system ends the process).
    connect(qGuiApp, &QCoreApplication::aboutToQuit, &m_window, &FrmMain::endRun);
}

ProgramEnd::~ProgramEnd() = default;

bool ProgramEnd::isWatchingSignals() const
{
    return m_signals->isWatching();
}
