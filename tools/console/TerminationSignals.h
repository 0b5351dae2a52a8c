#pragma once

#include <QObject>

#include <functional>
#include <memory>

// The system's requests to end a console program, taken over for as long as
// this object lives and handed to a function on the thread that made it,
// from its event loop. Each system has a source file of its own
// (TerminationSignals_unix.cpp, TerminationSignals_win.cpp); the build picks
// one. The requests are process-wide, so one object at a time.
class TerminationSignals
{
public:
    // signalNumber is the Unix signal; on Windows SIGINT for Ctrl+C and
    // Ctrl+Break, SIGTERM for the console closing, a log-off and a shutdown
    // (the system then waits, a few seconds at most, until the requests are
    // given back: the program's end is done by then).
    using Handler = std::function<void(int signalNumber)>;

    explicit TerminationSignals(Handler handler);
    ~TerminationSignals();
    TerminationSignals(const TerminationSignals &) = delete;
    TerminationSignals &operator=(const TerminationSignals &) = delete;

    // False when the requests could not be taken over; they then act as before.
    bool isTaken() const { return m_relay != nullptr; }

private:
    Handler m_handler;
    // Lives on the taking thread; the requests reach the handler through it.
    std::unique_ptr<QObject> m_relay;
};
