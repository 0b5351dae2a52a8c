#include "hostsim/HostSimApplication.h"

#include "console/SignalWatcher.h"
#include "hostsim/HostCommandLine.h"
#include "hostsim/HostLog.h"
#include "hostsim/HostSimulator.h"
#include "hostsim/UnplugSignal.h"

#include <QEventLoop>
#include <QFileInfo>
#include <QIODevice>

#include <algorithm>
#include <memory>

HostSimApplication::HostSimApplication(QIODevice &out, QIODevice &err, QObject *parent)
    : QObject(parent)
    , m_out(out)
    , m_err(err)
{ }

int HostSimApplication::run(const QStringList &arguments)
{
    HostCommandLine commandLine;
    if (!commandLine.parse(arguments)) {
        writeErr(QStringLiteral("veltrin-hostsim: %1\n").arg(commandLine.errorText()));
        return 2;
    }
    if (commandLine.helpRequested()) {
        writeOut(commandLine.helpText());
        return 0;
    }

    const HostOptions &options = commandLine.options();
    SignalWatcher watcher;
    if (!watcher.isWatching())
        writeErr(QStringLiteral(
            "veltrin-hostsim: cannot watch for signals; a signal ends it without cleaning up\n"));
    // Taken over before the pty's path is printed: a script may send SIGUSR1
    // as soon as it has read it.
    UnplugSignal unplugSignal;
    if (!unplugSignal.isWatching())
        writeErr(QStringLiteral("veltrin-hostsim: cannot watch for SIGUSR1; it ends the simulator\n"));
    HostSimulator simulator(options);
    connect(&unplugSignal, &UnplugSignal::unplugRequested, &simulator,
        [&simulator, &options] { simulator.unplugFor(options.awayMs); });
    QString error;
    if (!simulator.start(&error)) {
        writeErr(QStringLiteral("veltrin-hostsim: %1\n").arg(error));
        return 1;
    }
    std::unique_ptr<HostLog> log;
    if (!options.quiet) {
        log = std::make_unique<HostLog>(m_out, m_err);
        log->watch(simulator);
    }
    writeOut(simulator.slavePath() + QLatin1Char('\n'));
    if (!options.quiet)
        writeOut(describe(simulator));

    QEventLoop loop;
    connect(&watcher, &SignalWatcher::terminationRequested, &loop, &QEventLoop::quit);
    Q_EMIT started(simulator.slavePath());
    loop.exec();
    return 0;
}

QString HostSimApplication::describe(const HostSimulator &simulator)
{
    const HostModule &module = simulator.module();
    QString text;
    if (!simulator.linkPath().isEmpty())
        text += QStringLiteral("link %1 -> %2\n").arg(simulator.linkPath(), simulator.slavePath());
    text += QStringLiteral("host channel %1, %2 bit/s, printer set %3\n")
                .arg(module.hostChannel())
                .arg(HostModule::bitRate(module.hostBaudIndex()))
                .arg(module.selectedPrinters());
    for (int printer = 1; printer <= module.slaves().size(); ++printer) {
        const SlaveModule &slave = module.slaves().at(printer - 1);
        QString hardCase;
        if (module.ignoresReaddress(printer))
            hardCase = QStringLiteral(", ignores re-addresses");
        else if (module.dropsAfterReaddress(printer))
            hardCase = QStringLiteral(", drops off line after a re-address");
        text += QStringLiteral("printer %1: address %2, channel %3, %4%5\n")
                    .arg(printer)
                    .arg(slave.address)
                    .arg(slave.channel)
                    .arg(slave.online ? QStringLiteral("on line") : QStringLiteral("off line"), hardCase);
    }
    QList<int> busy = module.busyChannels().values();
    std::sort(busy.begin(), busy.end());
    QStringList busyText;
    for (int channel : busy)
        busyText.append(QString::number(channel));
    text += QStringLiteral("busy channels: %1\n")
                .arg(busy.isEmpty() ? QStringLiteral("none") : busyText.join(QLatin1Char(' ')));
    if (!simulator.printerFile(1).isEmpty())
        text += QStringLiteral("print data appended to %1/printerN.bin\n")
                    .arg(QFileInfo(simulator.printerFile(1)).path());
    return text;
}

void HostSimApplication::writeOut(const QString &text)
{
    m_out.write(text.toLocal8Bit());
}

void HostSimApplication::writeErr(const QString &text)
{
    m_err.write(text.toLocal8Bit());
}
