#pragma once

#include <QObject>

#include <memory>

class FrmMain;
class SignalWatcher;

// Whatever asks the program to end ends it as "退出" does: SIGTERM, SIGHUP
// and SIGINT (on Windows a console's Ctrl+C or closing, when it has one),
// and the desktop session ending. However it ends, the window's run is
// finished while the event loop still exists (FrmMain::endRun): on Windows
// the session's end gives no later chance, the system ends the process as
// soon as aboutToQuit's handlers return, so nothing may wait for main()'s
// destructors.
class ProgramEnd : public QObject
{
    Q_OBJECT

public:
    explicit ProgramEnd(FrmMain &window, QObject *parent = nullptr);
    ~ProgramEnd() override;

    // False when the system's requests to end could not be taken over.
    bool isWatchingSignals() const;

private:
    FrmMain &m_window;
    std::unique_ptr<SignalWatcher> m_signals;
};
