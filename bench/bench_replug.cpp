// How soon the window has its module back: the simulated host module is
// unplugged and plugged back 20 times while the viewer is open, and each
// return is timed from the module's link being back to the port being open
// again. The longest gap between turns of the event loop over the whole run
// is the longest UI stall. Times in milliseconds.

#include "RecordingProcessLauncher.h"
#include "RecordingUserChannels.h"
#include "ScriptedFileChooser.h"
#include "app/FrmMain.h"
#include "hostsim/HostSimulator.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <algorithm>

namespace {

constexpr int replugs = 20;
constexpr int awayMs = 300;

// Runs the event loop until done() or the limit.
bool waitFor(const std::function<bool()> &done, int limitMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < limitMs) {
        QEventLoop loop;
        QTimer::singleShot(1, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return done();
}

QString summary(QList<double> times)
{
    std::sort(times.begin(), times.end());
    const auto ms = [](double t) { return QString::number(t, 'f', 1); };
    return QStringLiteral("fastest %1, median %2, slowest %3")
        .arg(ms(times.first()), ms(times.at(times.size() / 2)), ms(times.last()));
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QTextStream out(stdout);
    QTemporaryDir dir;
    HostOptions options;
    options.linkPath = dir.filePath(QStringLiteral("com3"));
    options.quiet = true;
    HostSimulator simulator(options);
    QString error;
    if (!simulator.start(&error)) {
        out << "simulator: " << error << "\n";
        return 1;
    }
    qputenv("VELTRIN_COM3", options.linkPath.toLocal8Bit());
    RecordingUserChannels channels;
    ScriptedFileChooser files;
    RecordingProcessLauncher launcher;
    FrmMain window(channels, files, launcher);
    window.show();
    (void)window.port().setHandshaking(0);
    window.portSettings().OpenPort();
    window.receiveViewer().showViewer();
    // The stall counted is the replugs', not the first showing's.
    waitFor([] { return false; }, 1000);

    QElapsedTimer sinceReturn;
    QObject::connect(&simulator, &HostSimulator::pluggedBack, &window, [&sinceReturn] { sinceReturn.start(); });
    QElapsedTimer sinceTurn;
    qint64 longestStallNs = 0;
    QTimer pulse;
    pulse.setInterval(0);
    QObject::connect(&pulse, &QTimer::timeout, &window, [&] {
        longestStallNs = std::max(longestStallNs, sinceTurn.nsecsElapsed());
        sinceTurn.start();
    });
    sinceTurn.start();
    pulse.start();

    QList<double> reopenMs;
    for (int replug = 0; replug < replugs; ++replug) {
        simulator.unplugFor(awayMs);
        if (!waitFor([&window] { return !window.port().portOpen(); }, 2000)
            || !waitFor([&window] { return window.port().portOpen(); }, 5000)) {
            out << "replug " << replug + 1 << ": the port did not come back\n";
            return 1;
        }
        reopenMs.append(double(sinceReturn.nsecsElapsed()) / 1e6);
    }
    pulse.stop();
    out << replugs << " replugs, " << channels.informationTips.size() << " losses reported\n";
    out << "link back to port open again: " << summary(reopenMs) << " ms\n";
    out << "longest UI stall: " << QString::number(double(longestStallNs) / 1e6, 'f', 1) << " ms\n";
    return 0;
}
