// A 1 MB print test through the whole program: FrmMain on a pty, the text in
// txtCmd in text notation, "数据发达" clicked. A thread of the benchmark's own
// plays the far end: it takes everything off the pty's master and meanwhile
// writes 256 KiB back, which must reach the viewer byte for byte. Reports how
// long the send takes, whether every byte arrived in order, the longest gap
// between two turns of the program's event loop, and, when XPING names the
// xping tool and the program runs on an X display (Xvfb), the window's
// _NET_WM_PING round trips during the send. A second run clicks "停止发送"
// 0.3 s into the send (or at 40% of it, where the whole send is quicker) and
// reports how much of what was still unsent at the click reached the wire.

#include "PtyPair.h"
#include "RecordingProcessLauncher.h"
#include "ScriptedFileChooser.h"
#include "UnexpectedMessagePrinter.h"
#include "app/FrmMain.h"
#include "serial/Transmitter.h"
#include "viewer/FrmReceiveShow.h"
#include "viewer/ReceiveViewerHost.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QTest>
#include <QTextStream>
#include <QTimer>

#include <atomic>
#include <mutex>
#include <thread>

#include <poll.h>
#include <unistd.h>

namespace {

constexpr qsizetype dataBytes = 1000000;
constexpr qsizetype farEndBytes = 256 * 1024;
// The select-printers frame goes first: 16 06 6A 66 0A 03 0D 04.
constexpr qsizetype frameBytes = 8;

QTextStream out(stdout);

// Lines of words of random letters, as a text file has them. In text
// notation every word goes out followed by one blank, and a line break inside
// a token as CR LF, so the wire carries the text with CR LF line ends and a
// blank after the last word.
QString printText()
{
    QString text;
    QRandomGenerator generator(20261207);
    qsizetype wireSize = 0;
    int words = 0;
    while (wireSize < dataBytes - 16) {
        const int length = 1 + int(generator.bounded(12));
        for (int i = 0; i < length; ++i)
            text += QChar(u'a' + generator.bounded(26));
        const bool lineEnd = ++words % 10 == 0;
        text += lineEnd ? QLatin1Char('\n') : QLatin1Char(' ');
        wireSize += length + (lineEnd ? 2 : 1);
    }
    text += QStringLiteral("end ");
    return text;
}

class StatusRecorder : public UnexpectedMessagePrinter
{
public:
    void ShowStatusText(const QString &text) override { last = text; }
    QString last;
};

class FarEnd
{
public:
    FarEnd(int master, QByteArray toSend)
        : m_master(master)
        , m_toSend(std::move(toSend))
        , m_thread([this] { run(); })
    { }
    ~FarEnd()
    {
        m_stop = true;
        m_thread.join();
    }
    QByteArray received()
    {
        std::lock_guard lock(m_mutex);
        return m_received;
    }
    qsizetype receivedSize()
    {
        std::lock_guard lock(m_mutex);
        return m_received.size();
    }

private:
    void run()
    {
        qsizetype written = 0;
        char buffer[16384];
        while (!m_stop) {
            pollfd p { m_master, short(POLLIN | (written < m_toSend.size() ? POLLOUT : 0)), 0 };
            if (::poll(&p, 1, 10) <= 0)
                continue;
            if (p.revents & POLLIN) {
                const ssize_t n = ::read(m_master, buffer, sizeof buffer);
                if (n > 0) {
                    std::lock_guard lock(m_mutex);
                    m_received.append(buffer, n);
                }
            }
            if ((p.revents & POLLOUT) && written < m_toSend.size()) {
                const ssize_t n = ::write(m_master, m_toSend.constData() + written,
                    size_t(std::min<qsizetype>(4096, m_toSend.size() - written)));
                if (n > 0)
                    written += n;
            }
        }
    }

    int m_master;
    QByteArray m_toSend;
    std::mutex m_mutex;
    QByteArray m_received;
    std::atomic<bool> m_stop { false };
    std::thread m_thread;
};

QString hexTokens(const QByteArray &bytes)
{
    QString text;
    text.reserve(bytes.size() * 3);
    for (char byte : bytes)
        text += QStringLiteral("%1 ").arg(quint8(byte), 2, 16, QLatin1Char('0')).toUpper();
    return text;
}

struct Run {
    double sendMs = 0;
    double longestGapMs = 0;
    double firstProgressMs = 0;
    double longestGapEndMs = 0;
    QString pings;
    qsizetype handedAtClick = -1;
    double stopMs = 0;
};

Run sendOnce(FrmMain &window, bool stop)
{
    Run run;
    QElapsedTimer clock;
    qint64 lastTurn = 0;
    QTimer pulse;
    pulse.setInterval(1);
    QObject::connect(&pulse, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        if (double(now - lastTurn) / 1e6 > run.longestGapMs) {
            run.longestGapMs = double(now - lastTurn) / 1e6;
            run.longestGapEndMs = double(now) / 1e6;
        }
        lastTurn = now;
    });

    QProcess xping;
    const QByteArray xpingPath = qgetenv("XPING");
    if (!xpingPath.isEmpty() && QGuiApplication::platformName() == QLatin1String("xcb")) {
        xping.start(QString::fromLocal8Bit(xpingPath),
            { QString::number(window.winId()), QStringLiteral("60"), QStringLiteral("10") });
        xping.waitForStarted();
        QTest::qWait(300);
    }

    // The stop is clicked 0.3 s in, or once 40% of the data has been handed
    // over, whichever comes first: a pty may take the whole megabyte sooner.
    qint64 handed = 0;
    const auto clickStop = [&] {
        if (run.handedAtClick >= 0)
            return;
        run.handedAtClick = handed;
        run.stopMs = double(clock.nsecsElapsed()) / 1e6;
        QTest::mouseClick(window.findChild<QPushButton *>(QStringLiteral("cmdstopcmd")), Qt::LeftButton);
    };
    const QMetaObject::Connection progress = QObject::connect(
        &window.transmitter(), &Transmitter::progress, [&](qint64 handedOver, qint64 total) {
            // The select-printers frame is a transmission of its own; only
            // the data's progress counts.
            if (total <= frameBytes)
                return;
            if (handed == 0)
                run.firstProgressMs = double(clock.nsecsElapsed()) / 1e6;
            handed = handedOver;
            if (stop && handedOver * 10 >= total * 4)
                clickStop();
        });
    if (stop)
        QTimer::singleShot(300, clickStop);
    clock.start();
    pulse.start();
    QTest::mouseClick(window.findChild<QPushButton *>(QStringLiteral("Cmdsendcmd")), Qt::LeftButton);
    run.sendMs = double(clock.nsecsElapsed()) / 1e6;
    QObject::disconnect(progress);

    if (xping.state() == QProcess::Running) {
        xping.terminate();
        xping.waitForFinished();
        run.pings = QString::fromLocal8Bit(xping.readAllStandardOutput()).trimmed();
    }
    return run;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    PtyPair pty;
    qputenv("VELTRIN_COM3", pty.slavePath().toLocal8Bit());
    QApplication app(argc, argv);

    StatusRecorder channels;
    ScriptedFileChooser files;
    RecordingProcessLauncher launcher;
    FrmMain window(channels, files, launcher);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
    // A pty has no CTS line. The port is open before the far end speaks.
    window.portSettings().SelectHandshake(0);
    window.portSettings().OpenPort();

    const QString text = printText();
    const QByteArray data = text.toLatin1().replace("\n", "\r\n");
    window.findChild<QRadioButton *>(QStringLiteral("Jinzhi_3"))->click();
    window.findChild<QPlainTextEdit *>(QStringLiteral("txtCmd"))->setPlainText(text);
    // Laid out once, as it would be on screen before anyone clicks.
    QTest::qWait(200);

    QByteArray incoming(farEndBytes, Qt::Uninitialized);
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(incoming.data()), incoming.size() / 4);

    out << "1 MB print test on a pty (" << QGuiApplication::platformName()
        << "), 256 KiB coming back meanwhile" << Qt::endl;
    {
        FarEnd farEnd(pty.masterFd(), incoming);
        const Run run = sendOnce(window, false);
        QTest::qWait(300);
        const QByteArray wire = farEnd.received();
        const bool inOrder = wire.size() == frameBytes + data.size() && wire.mid(frameBytes) == data;
        const QString viewer = window.receiveViewer().viewer().text();
        out << "  sent " << data.size() << " bytes in " << run.sendMs << " ms, \"" << channels.last << "\"; "
            << (inOrder ? "every byte in order" : "BYTES MISSING OR OUT OF ORDER") << Qt::endl;
        out << "  data under way " << run.firstProgressMs << " ms after the click; longest event-loop gap "
            << run.longestGapMs << " ms, ending " << run.longestGapEndMs << " ms after the click"
            << (run.pings.isEmpty() ? QString() : QStringLiteral("; _NET_WM_PING ") + run.pings) << Qt::endl;
        out << "  far end's 256 KiB in the viewer: "
            << (viewer == hexTokens(incoming) ? QStringLiteral("all, byte-exact")
                                              : QStringLiteral("NOT EXACT (%1 of %2 characters)")
                                                    .arg(viewer.size())
                                                    .arg(incoming.size() * 3))
            << Qt::endl;
    }
    {
        window.receiveViewer().viewer().Command2_Click();
        FarEnd farEnd(pty.masterFd(), {});
        const Run run = sendOnce(window, true);
        QTest::qWait(300);
        const qsizetype onWire = farEnd.receivedSize() - frameBytes;
        const qsizetype unsentAtClick = data.size() - run.handedAtClick;
        const qsizetype afterClick = onWire - run.handedAtClick;
        out << "  stop clicked " << run.stopMs << " ms in: \"" << channels.last << "\" after " << run.sendMs
            << " ms; " << onWire << " bytes on the wire; of the " << unsentAtClick << " unsent at the click, "
            << afterClick << " (" << 100.0 * double(afterClick) / double(unsentAtClick) << "%) still went out"
            << Qt::endl;
    }
    return 0;
}
