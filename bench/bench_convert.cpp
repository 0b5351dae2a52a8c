// The viewer at scale. 8 MiB of random bytes arrive in 512-byte chunks, a
// chunk per event-loop turn, with the viewer shown; then the options go
// Hex -> Ten -> Txt -> Hex, then Txt and Hex again with every character
// measured. For each conversion: the time from the click until the new
// notation is laid out to its end, per MB of bytes (wall clock and the
// process's CPU time), and the longest gap between two event-loop turns meanwhile (how long the window
// could not answer). Next to it `xxd -p` on the same bytes. Also the memory
// the process holds per byte received. With a DISPLAY and the path of an
// xping binary in XPING, the window's answers to _NET_WM_PING are timed
// from outside as well.

#include "ScriptedFileChooser.h"
#include "UnexpectedMessagePrinter.h"
#include "XxdBaseline.h"
#include "viewer/FrmReceiveShow.h"
#include "viewer/ReceiveViewerHost.h"
#include "viewer/ReceivedTextView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTextStream>
#include <QTimer>

#include <time.h>
#include <unistd.h>

namespace {

constexpr qsizetype byteCount = 8 << 20;
constexpr qsizetype chunkSize = 512;

QTextStream out(stdout);

qint64 statusKb(const char *key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(qsizetype(strlen(key))).trimmed().split(' ').value(0).toLongLong();
    }
    return 0;
}

// The process's CPU time: on a shared machine the wall-clock time also
// counts the time other processes had the cores.
double cpuMs()
{
    timespec now {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// Counts the longest gap between two turns of the event loop while it runs.
class Heartbeat
{
public:
    Heartbeat()
    {
        m_timer.setInterval(0);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            longestNs = std::max(longestNs, now - m_last);
            m_last = now;
        });
        m_clock.start();
        m_timer.start();
    }
    double longestMs() const { return double(longestNs) / 1e6; }
    qint64 longestNs = 0;

private:
    QElapsedTimer m_clock;
    QTimer m_timer;
    qint64 m_last = 0;
};

void waitFor(ReceivedTextView &view)
{
    if (!view.isLayingOut())
        return;
    QEventLoop loop;
    QObject::connect(&view, &ReceivedTextView::laidOut, &loop, &QEventLoop::quit);
    loop.exec();
}

void receive(ReceiveViewerHost &host, const QByteArray &bytes)
{
    const qint64 before = statusKb("VmRSS:");
    const qint64 anonBefore = statusKb("RssAnon:");
    QElapsedTimer clock;
    clock.start();
    qsizetype sent = 0;
    {
        Heartbeat beat;
        QEventLoop loop;
        QTimer feeder;
        feeder.setInterval(0);
        QObject::connect(&feeder, &QTimer::timeout, [&] {
            host.appendReceived(QByteArrayView(bytes).sliced(sent, chunkSize));
            sent += chunkSize;
            if (sent == bytes.size()) {
                feeder.stop();
                loop.quit();
            }
        });
        feeder.start();
        loop.exec();
        waitFor(host.viewer().textView());
        out << "8 MiB received in " << chunkSize << "-byte chunks and laid out: " << clock.elapsed()
            << " ms, longest event-loop gap " << beat.longestMs() << " ms" << Qt::endl;
    }
    const qint64 after = statusKb("VmRSS:");
    out << "memory: resident grew by " << (after - before)
        << " kB = " << double(after - before) * 1024 / byteCount
        << " bytes per byte received (goal <= 3); the viewer's model holds "
        << double(host.viewer().textView().allocatedBytes()) / byteCount << " bytes per byte" << Qt::endl;
    // Measuring characters ahead reads the glyphs of the fallback fonts, whose
    // files are mapped: those pages count as resident but are the fonts' own,
    // shared and dropped under pressure, and stop growing at the files' size.
    const qint64 anonGrowth = statusKb("RssAnon:") - anonBefore;
    out << "  of which anonymous " << anonGrowth << " kB = " << double(anonGrowth) * 1024 / byteCount
        << " bytes per byte, mapped files " << (after - before) - anonGrowth << " kB" << Qt::endl;
}

void convert(FrmReceiveShow &viewer, const QByteArray &bytes, double xxd)
{
    using Click = void (FrmReceiveShow::*)();
    const std::pair<const char *, Click> clicks[] = {
        { "Hex -> Ten", &FrmReceiveShow::Option2_Click },
        { "Ten -> Txt", &FrmReceiveShow::Option1_Click },
        { "Txt -> Hex", &FrmReceiveShow::Option3_Click },
        // Again, with every character measured already.
        { "Hex -> Txt again", &FrmReceiveShow::Option1_Click },
        { "Txt -> Hex again", &FrmReceiveShow::Option3_Click },
    };
    const double megabytes = double(bytes.size()) / (1 << 20);
    for (const auto &[name, click] : clicks) {
        Heartbeat beat;
        QElapsedTimer clock;
        clock.start();
        const double cpuBefore = cpuMs();
        (viewer.*click)();
        const qint64 converted = clock.nsecsElapsed();
        waitFor(viewer.textView());
        const double total = double(clock.nsecsElapsed()) / 1e6;
        const double cpu = cpuMs() - cpuBefore;
        out << "  " << name << ": text converted in " << double(converted) / 1e6
            << " ms, laid out to its end after " << total << " ms = " << total / megabytes
            << " ms per MB (CPU " << cpu / megabytes << " ms per MB; "
            << total / megabytes / (xxd / megabytes)
            << "x xxd; goal <= 50 ms per MB); longest event-loop gap " << beat.longestMs()
            << " ms (goal <= 16)" << Qt::endl;
    }
    const QString expected = QString::fromLatin1(bytes.toHex(' ').toUpper() + ' ');
    out << "  back in Hex: " << (viewer.text() == expected ? "every byte as received" : "TEXT DIFFERS")
        << Qt::endl;
}

// xping from outside, on a real display only: answers to _NET_WM_PING.
std::unique_ptr<QProcess> startXping(QWidget &window)
{
    const QString xping = qEnvironmentVariable("XPING");
    if (xping.isEmpty() || QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto process = std::make_unique<QProcess>();
    process->start(xping, { QString::number(window.winId()), QStringLiteral("600"), QStringLiteral("10") });
    process->waitForStarted();
    return process;
}

void stopXping(std::unique_ptr<QProcess> &process, const char *what)
{
    if (!process)
        return;
    process->terminate();
    process->waitForFinished(5000);
    out << "xping during " << what << ": " << process->readAllStandardOutput().trimmed() << Qt::endl;
    process.reset();
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    out.setRealNumberPrecision(2);
    out.setRealNumberNotation(QTextStream::FixedNotation);
    out << "platform " << QGuiApplication::platformName() << Qt::endl;

    QByteArray bytes(byteCount, Qt::Uninitialized);
    QRandomGenerator(8).fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
    // A last byte below 161 leaves no lead byte waiting, so Ten -> Txt
    // keeps every byte (ending in a lead byte it would fail, as it should).
    bytes.back() = 'A';
    UnexpectedMessagePrinter channels;
    ScriptedFileChooser files;
    ReceiveViewerHost host(nullptr, channels, files);
    host.showViewer();
    QEventLoop settle;
    QTimer::singleShot(500, &settle, &QEventLoop::quit);
    settle.exec();

    std::unique_ptr<QProcess> xping = startXping(host.viewer());
    receive(host, bytes);
    stopXping(xping, "the 8 MiB arrival");
    // xxd is waited for without the event loop, so it runs before the pings.
    const double xxd = double(xxdHexNs(bytes)) / 1e6;
    out << "xxd -p on the same 8 MiB: " << xxd << " ms = " << xxd / (double(bytes.size()) / (1 << 20))
        << " ms per MB (process start included)" << Qt::endl;
    out << "characters measured ahead before the conversions: "
        << 100.0 * double(host.viewer().textView().measuredAhead()) / double(bytes.size()) << "% of the bytes"
        << Qt::endl;
    xping = startXping(host.viewer());
    convert(host.viewer(), bytes, xxd);
    stopXping(xping, "the conversions");
    return 0;
}
