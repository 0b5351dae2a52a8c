#pragma once

#include <QObject>

#include <array>
#include <csignal>
#include <memory>

class QSocketNotifier;

// Turns SIGINT, SIGTERM and SIGHUP into a signal on the event loop's thread
// (through a self-pipe, the one thing a signal handler may safely touch), so
// the simulator can remove its link and close down normally. One watcher at a
// time; the previous handlers come back when it is destroyed.
class SignalWatcher : public QObject
{
    Q_OBJECT

public:
    explicit SignalWatcher(QObject *parent = nullptr);
    ~SignalWatcher() override;

    // False when the self-pipe could not be made; signals then act as before.
    bool isWatching() const { return m_readEnd >= 0; }

Q_SIGNALS:
    void terminationRequested(int signalNumber);

private:
    void readSignals();

    int m_readEnd = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::array<struct sigaction, 3> m_previous {};
};
