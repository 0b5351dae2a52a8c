// How the received-data viewer keeps up. 1 MB of received bytes arrives in
// 512-byte chunks through ReceiveViewerHost, with the viewer shown
// (offscreen) and the event loop running between chunks: total time, the
// longest gap between two event-loop turns, paints and memory. Then whole-text
// conversions of the same megabyte in all six directions, directly and
// through the window's options, next to `xxd -p` on the same bytes.

#include "ScriptedFileChooser.h"
#include "UnexpectedMessagePrinter.h"
#include "XxdBaseline.h"
#include "viewer/FrmReceiveShow.h"
#include "viewer/NotationConverter.h"
#include "viewer/ReceiveViewerHost.h"
#include "viewer/ReceivedTextView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QRandomGenerator>
#include <QTextStream>
#include <QTimer>

#include <unistd.h>

namespace {

constexpr qsizetype byteCount = 1 << 20;
constexpr qsizetype chunkSize = 512;

QTextStream out(stdout);

// Notes when the view last started to paint.
class PaintCounter : public QObject
{
public:
    explicit PaintCounter(const QElapsedTimer &clock)
        : m_clock(clock)
    { }
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            ++paints;
            lastPaintAt = m_clock.nsecsElapsed();
        }
        return false;
    }
    int paints = 0;
    qint64 lastPaintAt = -1;

private:
    const QElapsedTimer &m_clock;
};

double ms(qint64 ns)
{
    return double(ns) / 1e6;
}

qint64 residentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    return statm.readAll().split(' ').value(1).toLongLong() * sysconf(_SC_PAGESIZE);
}

QByteArray randomBytes()
{
    QByteArray bytes(byteCount, Qt::Uninitialized);
    QRandomGenerator(1).fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
    return bytes;
}

struct Intake {
    qint64 allAppended = 0;
    qint64 allShown = 0;
    qint64 longestGap = 0;
    int paints = 0;
};

// Chunks every intervalMs (0: as fast as the event loop turns), while a
// zero-interval heartbeat measures how long the loop is kept from turning.
// Ends at the first turn after the view has drawn the last chunk.
Intake receive(ReceiveViewerHost &host, const QByteArray &bytes, int intervalMs)
{
    QElapsedTimer clock;
    ReceivedTextView &view = host.viewer().textView();
    PaintCounter counter(clock);
    view.viewport()->installEventFilter(&counter);

    Intake intake;
    qsizetype sent = 0;
    qint64 previousTurn = -1;
    QEventLoop loop;
    QTimer feeder;
    feeder.setInterval(intervalMs);
    QObject::connect(&feeder, &QTimer::timeout, &loop, [&] {
        host.appendReceived(QByteArrayView(bytes).sliced(sent, chunkSize));
        sent += chunkSize;
        if (sent == bytes.size()) {
            feeder.stop();
            intake.allAppended = clock.nsecsElapsed();
        }
    });
    QTimer heartbeat;
    heartbeat.setInterval(0);
    QObject::connect(&heartbeat, &QTimer::timeout, &loop, [&] {
        const qint64 now = clock.nsecsElapsed();
        if (previousTurn >= 0)
            intake.longestGap = std::max(intake.longestGap, now - previousTurn);
        previousTurn = now;
        if (sent == bytes.size() && counter.lastPaintAt > intake.allAppended) {
            intake.allShown = now;
            loop.quit();
        }
    });
    clock.start();
    feeder.start();
    heartbeat.start();
    loop.exec();
    intake.paints = counter.paints;
    view.viewport()->removeEventFilter(&counter);
    return intake;
}

void report(const Intake &intake, const char *pace, qsizetype rows)
{
    out << "    " << pace << ": all appended after " << ms(intake.allAppended) << " ms, all laid out ("
        << rows << " rows) and drawn after " << ms(intake.allShown) << " ms, " << intake.paints
        << " paints; longest gap between event-loop turns " << ms(intake.longestGap) << " ms" << Qt::endl;
}

void receiveAndMeasure(ReceiveViewerHost &host, const QByteArray &bytes)
{
    ReceivedTextView &view = host.viewer().textView();
    out << "(a, b) 1 MB in " << byteCount / chunkSize << " chunks of " << chunkSize
        << " bytes through ReceiveViewerHost::appendReceived, viewer shown:" << Qt::endl;
    const qint64 residentBefore = residentBytes();
    const Intake unpaced = receive(host, bytes, 0);
    report(unpaced, "unpaced", view.rowCount());
    const qint64 residentGrowth = residentBytes() - residentBefore;
    const qint64 textBytes = view.text().size() * qint64(sizeof(QChar));
    out << "(d) text " << view.text().size() << " characters = " << textBytes << " bytes; model allocates "
        << view.allocatedBytes() << " bytes (" << double(view.allocatedBytes()) / textBytes
        << "x the text's bytes); resident memory grew by " << residentGrowth << " bytes ("
        << double(residentGrowth) / textBytes << "x the text's bytes, "
        << double(residentGrowth) / view.text().size() << "x its characters)" << Qt::endl;

    host.viewer().Command2_Click();
    const Intake paced = receive(host, bytes, 1);
    report(paced, "a chunk every 1 ms", view.rowCount());
}

void rewrap(FrmReceiveShow &viewer)
{
    QElapsedTimer clock;
    clock.start();
    viewer.resize(viewer.size() + QSize(40, 40));
    viewer.textView().viewport()->repaint();
    out << "    re-wrapping the whole text on a resize: " << ms(clock.nsecsElapsed()) << " ms" << Qt::endl;
}

struct Direction {
    const char *name;
    ViewerNotation from;
    ViewerNotation to;
};

constexpr Direction directions[] = {
    { "Hex -> Ten", ViewerNotation::Hex, ViewerNotation::Ten },
    { "Ten -> Txt", ViewerNotation::Ten, ViewerNotation::Txt },
    { "Txt -> Hex", ViewerNotation::Txt, ViewerNotation::Hex },
    { "Hex -> Txt", ViewerNotation::Hex, ViewerNotation::Txt },
    { "Txt -> Ten", ViewerNotation::Txt, ViewerNotation::Ten },
    { "Ten -> Hex", ViewerNotation::Ten, ViewerNotation::Hex },
};

qint64 convertOnce(const Direction &direction, const QString &text, QString *result = nullptr)
{
    QElapsedTimer clock;
    clock.start();
    NotationConverter::Result converted = NotationConverter::convert(direction.from, direction.to, text);
    const qint64 elapsed = clock.nsecsElapsed();
    if (converted.failed)
        out << "  conversion failed: " << direction.name << Qt::endl;
    if (result)
        *result = std::move(converted.text);
    return elapsed;
}

void conversions(const QByteArray &bytes)
{
    QHash<ViewerNotation, QString> texts;
    qint64 tokensBest = std::numeric_limits<qint64>::max();
    for (int run = 0; run < 3; ++run) {
        QElapsedTimer clock;
        clock.start();
        QString hex;
        NotationConverter::appendTokens(hex, bytes, true);
        tokensBest = std::min(tokensBest, clock.nsecsElapsed());
        texts[ViewerNotation::Hex] = hex;
    }
    out << "(c) whole-text conversion of 1 MB (first run with empty code-page caches, then best of 3):"
        << Qt::endl;
    qint64 toHexBest = 0;
    for (const Direction &direction : directions) {
        QString result;
        const qint64 first = convertOnce(direction, texts.value(direction.from), &result);
        qint64 best = first;
        for (int run = 0; run < 3; ++run)
            best = std::min(best, convertOnce(direction, texts.value(direction.from)));
        texts[direction.to] = result;
        if (direction.to == ViewerNotation::Hex && direction.from == ViewerNotation::Ten)
            toHexBest = best;
        out << "    " << direction.name << ": " << ms(first) << " ms first, " << ms(best) << " ms best ("
            << texts.value(direction.from).size() << " -> " << result.size() << " characters)" << Qt::endl;
    }
    QByteArray hex;
    const qint64 xxd = xxdHexNs(bytes, &hex);
    if (QByteArray::fromHex(hex) != bytes)
        out << "  xxd output differs" << Qt::endl;
    out << "    xxd -p on the same bytes: " << ms(xxd)
        << " ms (process start included); received bytes -> hex "
        << "tokens here: " << ms(tokensBest) << " ms (" << double(tokensBest) / xxd << "x xxd), Ten -> Hex "
        << double(toHexBest) / xxd << "x xxd" << Qt::endl;
}

void conversionsThroughTheWindow(FrmReceiveShow &viewer)
{
    using Click = void (FrmReceiveShow::*)();
    const std::pair<const char *, Click> clicks[] = {
        { "Hex -> Ten", &FrmReceiveShow::Option2_Click },
        { "Ten -> Txt", &FrmReceiveShow::Option1_Click },
        { "Txt -> Hex", &FrmReceiveShow::Option3_Click },
        { "Hex -> Txt", &FrmReceiveShow::Option1_Click },
        { "Txt -> Ten", &FrmReceiveShow::Option2_Click },
        { "Ten -> Hex", &FrmReceiveShow::Option3_Click },
    };
    const QString original = viewer.text();
    out << "    through the window's options (conversion, new text laid out and drawn):";
    for (const auto &[name, click] : clicks) {
        QElapsedTimer clock;
        clock.start();
        (viewer.*click)();
        viewer.textView().rowCount();
        viewer.textView().viewport()->repaint();
        out << " " << name << " " << ms(clock.nsecsElapsed()) << " ms;";
    }
    out << (viewer.text() == original ? " back to the same text" : " TEXT DIFFERS") << Qt::endl;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    out.setRealNumberPrecision(3);
    out.setRealNumberNotation(QTextStream::FixedNotation);

    const QByteArray bytes = randomBytes();
    UnexpectedMessagePrinter channels;
    ScriptedFileChooser files;
    ReceiveViewerHost host(nullptr, channels, files);
    host.showViewer();
    QEventLoop settle;
    QTimer::singleShot(100, &settle, &QEventLoop::quit);
    settle.exec();

    receiveAndMeasure(host, bytes);
    rewrap(host.viewer());
    conversions(bytes);
    conversionsThroughTheWindow(host.viewer());
    return 0;
}
