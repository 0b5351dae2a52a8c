#pragma once

#include <QObject>

#include <memory>

class TerminationSignals;

// Turns the signals that ask a program to end (SIGINT, SIGTERM and SIGHUP;
// on Windows Ctrl+C, Ctrl+Break, closing the console, a log-off and a
// shutdown, for a program with a console) into a Qt signal on the event
// loop's thread, so that the program can stop what it is
// doing and close down normally. One watcher at a time; the previous
// handling comes back when it is destroyed.
class SignalWatcher : public QObject
{
    Q_OBJECT

public:
    explicit SignalWatcher(QObject *parent = nullptr);
    ~SignalWatcher() override;

    // False when the signals could not be taken over; they then act as before.
    bool isWatching() const;

Q_SIGNALS:
    // signalNumber is the Unix signal; on Windows SIGINT for Ctrl+C and
    // Ctrl+Break, SIGTERM for the console closing, a log-off and a shutdown
    // (the system then waits, a few seconds at most, until the requests are
    // given back: the program's end is done by then).
    void terminationRequested(int signalNumber);

private:
    std::unique_ptr<TerminationSignals> m_signals;
};
