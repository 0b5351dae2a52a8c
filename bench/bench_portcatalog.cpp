// What one look at the serial ports costs the UI thread: QSerialPortInfo's
// own scan, the catalog's poll while nothing is plugged in or out, and its
// poll when something was. Each figure is the fastest, the median and the
// slowest of its runs, in milliseconds; the slowest is the stall that counts.
// On a busy machine the slowest wall time is mostly the thread waiting for a
// core, so the thread's own CPU time is given beside it.

#include "serial/SerialPortCatalog.h"
#include "serial/SystemSerialPorts.h"

#include <QCoreApplication>
#include <QElapsedTimer>
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
    out << "catalog poll, nothing plugged or out:   " << figures(pollRuns, [&catalog] { catalog.refresh(); })
        << "\n";
    return 0;
}
