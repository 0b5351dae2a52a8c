#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class HostSimulator;
class QIODevice;

// The veltrin-hostsim program: reads the command line, starts the simulator,
// prints the pty's path as the first line of output, logs until SIGINT,
// SIGTERM or SIGHUP, then removes the link and returns the exit code. SIGUSR1
// unplugs the simulated adapter for --away milliseconds.
class HostSimApplication : public QObject
{
    Q_OBJECT

public:
    HostSimApplication(QIODevice &out, QIODevice &err, QObject *parent = nullptr);

    // 0 after a signal or --help, 1 when the simulator cannot start, 2 for a
    // wrong command line.
    int run(const QStringList &arguments);

    static QString describe(const HostSimulator &simulator);

Q_SIGNALS:
    // The pty is open (and linked); bytes written to it are taken from now on.
    void started(const QString &slavePath);

private:
    void writeOut(const QString &text);
    void writeErr(const QString &text);

    QIODevice &m_out;
    QIODevice &m_err;
};
