#pragma once

#include <QElapsedTimer>
#include <QObject>

class QIODevice;
class Transmitter;

// A progress bar on stderr for print data that takes more than about a
// second to send, and for the steps of a kit job (a survey's channels),
// drawn in place on one line; only for a terminal, so that logs and pipes
// get no control characters.
class SendProgress : public QObject
{
    Q_OBJECT

public:
    static constexpr int showAfterMs = 1000;

    SendProgress(Transmitter &transmitter, QIODevice &err, bool terminal, QObject *parent = nullptr);

    // Around the data's transmission.
    void start();
    void finish();
    // A kit job's step: done of total, and what is under way.
    void step(qint64 done, qint64 total, const QString &what);

private:
    void draw(qint64 handedOver, qint64 total);
    void drawBar(qint64 done, qint64 total, const QString &after);

    QIODevice &m_err;
    bool m_terminal;
    bool m_running = false;
    bool m_drawn = false;
    QElapsedTimer m_clock;
};
