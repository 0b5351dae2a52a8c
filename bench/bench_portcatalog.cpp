// What one look at the serial ports costs the UI thread: QSerialPortInfo's
// own scan, the catalog's poll while nothing is plugged in or out, and its
// poll when something was. Each figure is the fastest, the median and the
// slowest of its runs, in milliseconds; the slowest is the stall that counts.

#include "serial/SerialPortCatalog.h"
#include "serial/SystemSerialPorts.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSerialPortInfo>
#include <QTextStream>

#include <algorithm>
#include <functional>

namespace {

constexpr int scanRuns = 100;
constexpr int pollRuns = 2000;

QString figures(int runs, const std::function<void()> &lookOnce)
{
    QList<qint64> times;
    QElapsedTimer clock;
    for (int i = 0; i < runs; ++i) {
        clock.start();
        lookOnce();
        times.append(clock.nsecsElapsed());
    }
    std::sort(times.begin(), times.end());
    const auto ms = [](qint64 ns) { return QString::number(double(ns) / 1e6, 'f', 3); };
    return QStringLiteral("fastest %1, median %2, slowest %3 ms over %4 runs")
        .arg(ms(times.first()), ms(times.at(times.size() / 2)), ms(times.last()))
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
