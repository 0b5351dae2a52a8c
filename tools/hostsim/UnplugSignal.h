#pragma once

#include <QObject>

#include <memory>
#include <signal.h>

class QSocketNotifier;

// Turns SIGUSR1 into a Qt signal on the event loop's thread: a test or a
// script's "pull the cable out now" (kill -USR1), at a moment of its choice.
// One at a time; the previous handling comes back when it is destroyed.
class UnplugSignal : public QObject
{
    Q_OBJECT

public:
    explicit UnplugSignal(QObject *parent = nullptr);
    ~UnplugSignal() override;

    // False when SIGUSR1 could not be taken over; it then ends the program.
    bool isWatching() const { return m_readEnd >= 0; }

Q_SIGNALS:
    void unplugRequested();

private:
    void drain();

    int m_readEnd = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
    struct sigaction m_previous {
    };
};
