#pragma once

#include <QStringList>

class QIODevice;

// The veltrin-cli program: reads the command line, runs one command against
// the host module on the chosen port and returns its exit code (ExitCode.h).
// Runs on the caller's thread; waits run local event loops.
class CliApplication
{
public:
    // stderrIsTerminal decides whether a long send draws a progress bar.
    CliApplication(QIODevice &out, QIODevice &err, bool stderrIsTerminal);

    int run(const QStringList &arguments);

private:
    QIODevice &m_out;
    QIODevice &m_err;
    bool m_stderrIsTerminal;
};
