// What one look at the serial ports costs: QSerialPortInfo's own scan and
// the catalog's with the stable names (what a poll pays on the scan thread
// when something was plugged in or out), veltrin-cli's refresh() and the
// window's poll while nothing is plugged in or out. Each figure is the
// fastest, the median and the slowest of its runs, in milliseconds.
// On a busy machine the slowest wall time is mostly the thread waiting for a
// core, so the thread's own CPU time is given beside it.

#include "serial/SerialPortCatalog.h"
#include "serial/SystemSerialPorts.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QSerialPortInfo>
#include <QTextStream>

#include <algorithm>
#include <functional>
#include <time.h>

namespace {

constexpr int scanRuns = 100;
constexpr int pollRuns = 2000;

qint64 threadCpuNs()
{
    timespec now {};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

QString spread(QList<qint64> times)
{
    std::sort(times.begin(), times.end());
    const auto ms = [](qint64 ns) { return QString::number(double(ns) / 1e6, 'f', 3); };
    return QStringLiteral("%1 / %2 / %3")
        .arg(ms(times.first()), ms(times.at(times.size() / 2)), ms(times.last()));
}

QString figures(int runs, const std::function<void()> &lookOnce)
{
    QList<qint64> wall;
    QList<qint64> cpu;
    QElapsedTimer clock;
    for (int i = 0; i < runs; ++i) {
        const qint64 cpuStart = threadCpuNs();
        clock.start();
        lookOnce();
        wall.append(clock.nsecsElapsed());
        cpu.append(threadCpuNs() - cpuStart);
    }
    return QStringLiteral("wall %1 ms, cpu %2 ms (fastest / median / slowest of %3)")
        .arg(spread(wall), spread(cpu))
        .arg(runs);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    out << "ports listed: " << QSerialPortInfo::availablePorts().size() << "\n";
    out << "QSerialPortInfo::availablePorts():      "
        << figures(scanRuns, [] { (void)QSerialPortInfo::availablePorts(); }) << "\n";
    out << "scan with the stable names (a change):  "
        << figures(scanRuns, [] { (void)SystemSerialPorts::scan(SerialDeviceLinks::system()); }) << "\n";
    SerialPortCatalog catalog;
    catalog.refresh();
    out << "refresh(), waiting for the scan thread: " << figures(pollRuns, [&catalog] { catalog.refresh(); })
        << "\n";
    // The window's poll: asked, then taken when the scan thread answers. The
    // wall time is the whole round; the CPU time is the UI thread's share,
    // all of the poll that can hold the window.
    out << "window's poll (requestScan, answer):    " << figures(pollRuns, [&catalog] {
        QEventLoop answered;
        QObject::connect(&catalog, &SerialPortCatalog::scanned, &answered, &QEventLoop::quit);
        catalog.requestScan();
        answered.exec();
    }) << "\n";
    return 0;
}
