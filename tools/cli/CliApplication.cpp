#include "CliApplication.h"

#include "BatchRunner.h"
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
#include "StandardStreams.h"
#include "console/SignalWatcher.h"
#include "notation/CodePage936.h"

#include <QEventLoop>
#include <QIODevice>

namespace {

// Runs what was posted before this point (a vanished device's report is
// posted, so that it comes from the event loop) before the program ends.
void deliverPostedEvents()
{
    QEventLoop loop;
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    loop.exec();
}

} // namespace

CliApplication::CliApplication(QIODevice &out, QIODevice &err, bool stderrIsTerminal)
    : m_out(out)
    , m_err(err)
    , m_stderrIsTerminal(stderrIsTerminal)
{ }

int CliApplication::run(const QStringList &arguments)
{
    CliCommandLine commandLine;
    switch (commandLine.parse(arguments)) {
    case CliCommandLine::Outcome::Error:
        m_err.write(QStringLiteral("veltrin-cli: %1\nveltrin-cli --help lists the commands.\n")
                        .arg(commandLine.errorText())
                        .toUtf8());
        return UsageError;
    case CliCommandLine::Outcome::Help:
        m_out.write(commandLine.helpText().toUtf8());
        return Success;
    case CliCommandLine::Outcome::Run:
        break;
    }

    const CliRequest &request = commandLine.request();
    if (request.raw)
        StandardStreams::keepOutputBytes(stdout);
    ResultWriter results(m_out, request.json);
    if (request.command == QLatin1String("ports")) {
        PortList::write(results);
        return Success;
    }

    CliChannels channels(m_err, request.verbose);
    // Decided here, once: a build without a working converter says so even
    // without --verbose, since every Chinese character would go out as "?".
    const CodePage936 &codePage = CodePage936::converter();
    if (request.verbose || !codePage.isValid())
        channels.diagnostic(QStringLiteral("code page 936: %1").arg(codePage.name()));
    if (request.command == QLatin1String("batch"))
        return BatchRunner(channels, m_out, m_err, m_stderrIsTerminal).run(request);
    std::optional<QString> printData;
    if (request.command == QLatin1String("send")) {
        printData = PrintDataReader::read(request, channels);
        if (!printData)
            return UsageError;
        if (request.dryRun)
            return SendPreview::write(request, *printData, channels, results);
    }
    KitSession session(channels);
    SendProgress progress(session.transmitter(), m_err, m_stderrIsTerminal);
    KitCommands commands(session, channels, results, progress, request);
    commands.setPrintData(printData.value_or(QString()));
    SignalWatcher watcher;
    QObject::connect(&watcher, &SignalWatcher::terminationRequested, &commands, &KitCommands::interrupt);

    const int code = session.open(request) ? commands.run() : int(PortError);
    deliverPostedEvents();
    return code;
}
