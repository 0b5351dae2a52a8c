#include "BatchRunner.h"

#include "BatchResultWriter.h"
#include "CliChannels.h"
#include "CliCommandLine.h"
#include "ExitCode.h"
#include "KitCommands.h"
#include "KitSession.h"
#include "PortList.h"
#include "PrintDataReader.h"
#include "ResultWriter.h"
#include "SendPreview.h"
#include "SendProgress.h"
#include "console/SignalWatcher.h"

#include <QBuffer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>

#include <algorithm>

namespace {

// Runs what was posted before this point: a vanished device's report comes
// from the event loop, and the wait for its return starts there.
void deliverPostedEvents()
{
    QEventLoop loop;
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    loop.exec();
}

// How long, in reply deadlines, the answers nobody waited for are awaited at most.
constexpr int unansweredLimitFactor = 3;

bool isStdin(const QString &name)
{
    return name == QLatin1String("-");
}

// Standard input by its descriptor: reads hand over what a pipe holds, so a
// script that writes a line and waits for its result is answered.
bool openInput(QFile &input, const QString &name)
{
    if (isStdin(name))
        return input.open(0, QIODevice::ReadOnly);
    input.setFileName(name);
    return input.open(QIODevice::ReadOnly);
}

} // namespace

BatchRunner::BatchRunner(CliChannels &channels, QIODevice &out, QIODevice &err, bool stderrIsTerminal)
    : m_channels(channels)
    , m_out(out)
    , m_err(err)
    , m_stderrIsTerminal(stderrIsTerminal)
{ }

int BatchRunner::run(const CliRequest &batch)
{
    m_batch = batch;
    QFile input;
    if (!openInput(input, batch.batchFile)) {
        m_channels.diagnostic(QStringLiteral("cannot read %1: %2").arg(batch.batchFile, input.errorString()));
        return UsageError;
    }
    KitSession session(m_channels);
    if (!session.open(batch))
        return PortError;
    session.returnWatch().setEnabled(batch.reconnect);
    SendProgress progress(session.transmitter(), m_err, m_stderrIsTerminal);
    BatchResultWriter results(m_out, batch.json);
    m_session = &session;
    m_progress = &progress;
    m_results = &results;
    m_channels.keepMessages(true);
    const int code = runLines(input);
    m_channels.keepMessages(false);
    m_session = nullptr;
    m_progress = nullptr;
    m_results = nullptr;
    return code;
}

int BatchRunner::runLines(QIODevice &input)
{
    int worst = Success;
    for (int lineNumber = 1; !m_interrupted; ++lineNumber) {
        const QByteArray line = input.readLine();
        if (line.isEmpty())
            break;
        const std::optional<int> code = runLine(lineNumber, QString::fromUtf8(line));
        if (!code)
            continue;
        worst = std::max(worst, *code);
        if (*code != Success && m_batch.stopOnError)
            break;
    }
    return m_interrupted ? int(Interrupted) : worst;
}

std::optional<int> BatchRunner::runLine(int lineNumber, const QString &line)
{
    const QString text = line.trimmed();
    if (text.isEmpty() || text.startsWith(QLatin1Char('#')))
        return std::nullopt;
    // What was said between commands (a device's return) is no command's.
    m_channels.takeMessages();
    m_session->clearFailures();
    const QStringList arguments
        = QStringList { QStringLiteral("veltrin-cli") } + QProcess::splitCommand(text);
    QBuffer printed;
    printed.open(QIODevice::WriteOnly);
    ResultWriter results(printed, m_batch.json);
    CliCommandLine commandLine;
    int code = UsageError;
    switch (commandLine.parse(arguments)) {
    case CliCommandLine::Outcome::Error:
        m_channels.diagnostic(commandLine.errorText());
        break;
    case CliCommandLine::Outcome::Help:
        m_channels.diagnostic(
            QStringLiteral("--help shows no result in a batch; run veltrin-cli COMMAND --help"));
        break;
    case CliCommandLine::Outcome::Run:
        code = runCommand(arguments, onBatchPort(commandLine.request()), results);
        break;
    }
    m_results->write(lineNumber, text, code, printed.data(), m_channels.takeMessages());
    return code;
}

CliRequest BatchRunner::onBatchPort(CliRequest request) const
{
    request.port = m_batch.port;
    request.baudIndex = m_batch.baudIndex;
    request.handshaking = m_batch.handshaking;
    request.timeoutMs = m_batch.timeoutMs;
    request.json = m_batch.json;
    request.verbose = m_batch.verbose;
    return request;
}

std::optional<QString> BatchRunner::refusal(const QStringList &arguments, const CliRequest &request) const
{
    const QString option = CliCommandLine::portOptionIn(arguments);
    if (!option.isEmpty())
        return QStringLiteral("%1 belongs to the batch (veltrin-cli %1 ... batch): its port opens once, with "
                              "the batch's options")
            .arg(option);
    if (request.command == QLatin1String("batch"))
        return QStringLiteral("a batch does not run another batch");
    if (request.command == QLatin1String("send") && isStdin(request.text) && request.file.isEmpty()
        && isStdin(m_batch.batchFile))
        return QStringLiteral("send - would read stdin, which holds the batch; give the data or --file");
    if (request.raw)
        return QStringLiteral("monitor --raw writes bytes, which have no place among a batch's results");
    return std::nullopt;
}

int BatchRunner::runCommand(const QStringList &arguments, const CliRequest &request, ResultWriter &results)
{
    if (const std::optional<QString> why = refusal(arguments, request)) {
        m_channels.diagnostic(*why);
        return UsageError;
    }
    if (request.command == QLatin1String("ports")) {
        PortList::write(results);
        return Success;
    }
    QString printData;
    if (request.command == QLatin1String("send")) {
        const std::optional<QString> data = PrintDataReader::read(request, m_channels);
        if (!data)
            return UsageError;
        if (request.dryRun)
            return SendPreview::write(request, *data, m_channels, results);
        printData = *data;
    }
    return runKitCommand(request, printData, results);
}

int BatchRunner::runKitCommand(const CliRequest &request, const QString &printData, ResultWriter &results)
{
    KitCommands commands(*m_session, m_channels, results, *m_progress, request);
    commands.setPrintData(printData);
    SignalWatcher watcher;
    QObject::connect(&watcher, &SignalWatcher::terminationRequested, &commands, [this, &commands] {
        m_interrupted = true;
        commands.interrupt();
    });
    const int code = commands.run();
    // The module answers frames that send and done do not wait on; their
    // answers must not be taken for the next command's.
    if (request.command == QLatin1String("send") || request.command == QLatin1String("done"))
        m_session->port().receiveUntilQuiet(request.timeoutMs, unansweredLimitFactor * request.timeoutMs);
    deliverPostedEvents();
    if (m_batch.reconnect && !m_interrupted && m_session->returnWatch().isWaiting())
        awaitDevice(watcher);
    return code;
}

void BatchRunner::awaitDevice(SignalWatcher &watcher)
{
    m_channels.diagnostic(QStringLiteral("waiting for %1 to come back; Ctrl+C ends the batch")
                              .arg(m_session->port().devicePath()));
    QEventLoop loop;
    QObject::connect(
        &m_session->returnWatch(), &DeviceReturnWatch::reopened, &loop, [this, &loop](const QString &text) {
            m_channels.diagnostic(text);
            loop.quit();
        });
    QObject::connect(&watcher, &SignalWatcher::terminationRequested, &loop, &QEventLoop::quit);
    loop.exec();
}
