// The receive path of the whole program: FrmMain with its port open on a pty,
// the viewer shown, and 1 MB of random bytes written into the pty's master in
// 512-byte chunks from a thread of the benchmark's own (the program itself
// stays on one thread). Reports how long the program takes to turn them all
// into viewer text and the longest gap between two turns of its event loop,
// which is how long the window (its clock included) could not react.

#include "PtyPair.h"
#include "RecordingProcessLauncher.h"
#include "ScriptedFileChooser.h"
#include "UnexpectedMessagePrinter.h"
#include "app/FrmMain.h"
#include "serial/CommPort.h"
#include "viewer/FrmReceiveShow.h"
#include "viewer/ReceiveViewerHost.h"
#include "viewer/ReceivedTextView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <thread>

#include <unistd.h>

namespace {

constexpr qsizetype byteCount = 1 << 20;
constexpr qsizetype chunkSize = 512;
// Three characters per byte in hex: two digits and a blank.
constexpr qsizetype expectedLength = byteCount * 3;

QTextStream out(stdout);

void writeAll(int master, const QByteArray &bytes)
{
    for (qsizetype at = 0; at < bytes.size(); at += chunkSize) {
        const qsizetype length = std::min(chunkSize, bytes.size() - at);
        qsizetype written = 0;
        while (written < length) {
            const ssize_t n = ::write(master, bytes.constData() + at + written, size_t(length - written));
            if (n > 0)
                written += n;
            else
                std::this_thread::sleep_for(std::chrono::microseconds(100));
        }
    }
}

struct Run {
    double totalMs = 0;
    double longestGapMs = 0;
    int receiveEvents = 0;
    bool complete = false;
};

Run receiveOnce(FrmMain &window, PtyPair &pty, const QByteArray &bytes)
{
    FrmReceiveShow &viewer = window.receiveViewer().viewer();
    viewer.Command1_Click();

    Run run;
    QElapsedTimer clock;
    qint64 lastTurn = 0;
    QTimer pulse;
    pulse.setInterval(1);
    QObject::connect(&pulse, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        run.longestGapMs = std::max(run.longestGapMs, double(now - lastTurn) / 1e6);
        lastTurn = now;
        // The length, not the text: producing megabytes of text every
        // millisecond would be the benchmark's own cost.
        if (window.receiveViewer().viewer().textView().content().length() >= expectedLength) {
            run.totalMs = double(now) / 1e6;
            run.complete = true;
            QCoreApplication::exit();
        }
    });
    QTimer::singleShot(20000, [] { QCoreApplication::exit(); });
    const QMetaObject::Connection counting
        = QObject::connect(&window.port(), &CommPort::onComm, [&run] { ++run.receiveEvents; });

    clock.start();
    pulse.start();
    std::thread writer(writeAll, pty.masterFd(), bytes);
    QCoreApplication::exec();
    writer.join();
    QObject::disconnect(counting);
    run.complete = run.complete && window.receiveViewer().viewer().text().size() == expectedLength;
    return run;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    PtyPair pty;
    qputenv("VELTRIN_COM3", pty.slavePath().toLocal8Bit());
    QApplication app(argc, argv);

    UnexpectedMessagePrinter channels;
    ScriptedFileChooser files;
    RecordingProcessLauncher launcher;
    FrmMain window(channels, files, launcher);
    window.show();
    if (const int error = window.port().setPortOpen(true)) {
        out << "cannot open " << pty.slavePath() << ": error " << error << Qt::endl;
        return 1;
    }
    window.receiveViewer().showViewer();

    QByteArray bytes(byteCount, Qt::Uninitialized);
    QRandomGenerator generator(20261207);
    generator.fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);

    out << "1 MiB of received bytes in " << chunkSize << "-byte chunks through the program's receive path"
        << Qt::endl;
    for (int round = 1; round <= 3; ++round) {
        const Run run = receiveOnce(window, pty, bytes);
        out << "  run " << round << ": " << (run.complete ? "all taken in" : "INCOMPLETE") << " in "
            << run.totalMs << " ms in " << run.receiveEvents << " receive events; longest event-loop gap "
            << run.longestGapMs << " ms" << Qt::endl;
    }
    return 0;
}
