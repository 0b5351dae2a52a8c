#pragma once

#include "CliRequest.h"

#include <QString>
#include <QStringList>

#include <optional>

class BatchResultWriter;
class CliChannels;
class KitSession;
class QIODevice;
class ResultWriter;
class SendProgress;
class SignalWatcher;

// veltrin-cli batch: commands one per line, in the syntax of the other
// commands, run in order on one session whose port opens once, with the
// batch's own port options. Each line is parsed as a command line of its
// own (words split at blanks, "double quotes" keeping blanks, as for
// send "65 66") and runs in a fresh KitCommands, so that nothing of one
// command is left for the next. A line may not name the port options:
// the port is the batch's, and a line that asks for another is refused
// rather than reopening it. The batch's exit code is the worst (highest)
// of its commands'.
//
// A device lost during a command fails that command, said on its result
// line; with --reconnect the batch then waits for the device to come back
// (DeviceReturnWatch) and goes on with the next line. Ctrl+C and the other
// termination signals stop the command running and end the batch; between
// commands, while the next line is awaited, they act as they would on any
// program.
class BatchRunner
{
public:
    BatchRunner(CliChannels &channels, QIODevice &out, QIODevice &err, bool stderrIsTerminal);

    int run(const CliRequest &batch);

private:
    int runLines(QIODevice &input);
    // The exit code of one line, or nullopt for a line that holds no command.
    std::optional<int> runLine(int lineNumber, const QString &line);
    int runCommand(const QStringList &arguments, const CliRequest &request, ResultWriter &results);
    // Why the line's command cannot run inside this batch, or nullopt.
    std::optional<QString> refusal(const QStringList &arguments, const CliRequest &request) const;
    int runKitCommand(const CliRequest &request, const QString &printData, ResultWriter &results);
    // The line's request on the batch's port, in the batch's form.
    CliRequest onBatchPort(CliRequest request) const;
    void awaitDevice(SignalWatcher &watcher);

    CliChannels &m_channels;
    QIODevice &m_out;
    QIODevice &m_err;
    bool m_stderrIsTerminal;
    CliRequest m_batch;
    // While run() runs.
    KitSession *m_session = nullptr;
    SendProgress *m_progress = nullptr;
    BatchResultWriter *m_results = nullptr;
    bool m_interrupted = false;
};
