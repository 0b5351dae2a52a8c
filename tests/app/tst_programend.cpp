// The real program (the build's veltrin) asked to end by a signal, as a
// logout, a shutdown or `kill` asks it. It runs on a private X display
// rather than offscreen, because a recording is started as a user starts
// one, with xdotool's pointer and keys: the port opened on the port panel,
// the viewer's context menu, "开始记录…", the file's name typed into the
// dialog. What proves the clean end is the recording itself, compared with
// the known stream the test wrote into the pty's far end before the signal,
// and the exit code.
//
// The session's end on Windows (WM_ENDSESSION) is the one end that no signal
// can show here: Qt emits aboutToQuit and the system ends the process as
// soon as it returns. A child of this test builds the real window, records
// through its viewer host, then does exactly that: emits aboutToQuit and
// leaves with _exit(), so that no destructor can write what the handlers
// did not.

#include "PtyPair.h"
#include "RecordingProcessLauncher.h"
#include "RecordingUserChannels.h"
#include "ScriptedFileChooser.h"
#include "VirtualTrayDisplay.h"
#include "app/FrmMain.h"
#include "app/ProgramEnd.h"
#include "viewer/ReceiveViewerHost.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QMetaMethod>
#include <QProcess>
#include <QRect>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

QString xdotool(const QStringList &arguments, int timeoutMs = 10000)
{
    QProcess tool;
    tool.start(QStringLiteral("xdotool"), arguments);
    if (!tool.waitForFinished(timeoutMs))
        tool.kill();
    tool.waitForFinished();
    return QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
}

// The first visible window whose name is exactly name, waited for.
QString windowNamed(const QString &name)
{
    QString found;
    // Empty when it never shows: the caller's check says so.
    (void)QTest::qWaitFor(
        [&] {
            found = xdotool({ QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                QStringLiteral("--name"), QLatin1Char('^') + name + QLatin1Char('$') })
                        .section(QLatin1Char('\n'), 0, 0);
            return !found.isEmpty();
        },
        20000);
    return found;
}

QRect geometryOf(const QString &window)
{
    QRect rect;
    const QStringList lines
        = xdotool({ QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), window }).split('\n');
    for (const QString &line : lines) {
        const QString value = line.section(QLatin1Char('='), 1);
        if (line.startsWith(QLatin1String("X=")))
            rect.moveLeft(value.toInt());
        else if (line.startsWith(QLatin1String("Y=")))
            rect.moveTop(value.toInt());
    }
    return rect;
}

// The point of a control given in the form's twips (15 to a pixel).
void clickAt(const QRect &window, int twipsX, int twipsY, int button = 1)
{
    xdotool({ QStringLiteral("mousemove"), QString::number(window.x() + twipsX / 15),
        QString::number(window.y() + twipsY / 15), QStringLiteral("click"), QString::number(button) });
    QTest::qWait(400);
}

// Bytes no run-length or period could pass for another stretch of them.
QByteArray knownStream(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    quint32 state = 0x2545F491;
    for (char &byte : bytes) {
        state = state * 1664525u + 1013904223u;
        byte = char(state >> 24);
    }
    return bytes;
}

constexpr char sessionEndChild[] = "--session-end-child";
// Read by the window and waiting for the recording's next flush, then left
// in the pty: both must reach the file.
constexpr qsizetype readBeforeTheEnd = 40000;
constexpr qsizetype waitingAtTheEnd = 2000;

int runSessionEndChild(int argc, char *argv[])
{
    PtyPair pty;
    qputenv("VELTRIN_COM3", pty.slavePath().toLocal8Bit());
    QApplication app(argc, argv);
    RecordingUserChannels channels;
    ScriptedFileChooser files;
    files.nextPath = QString::fromLocal8Bit(argv[2]);
    RecordingProcessLauncher launcher;
    FrmMain window(channels, files, launcher);
    ProgramEnd end(window);
    window.portSettings().OpenPort();
    window.receiveViewer().startRecording();
    const QByteArray stream = knownStream(readBeforeTheEnd + waitingAtTheEnd);
    // A piece at a time, with the event loop between: the pty holds little
    // that nobody reads.
    for (qsizetype at = 0; at < readBeforeTheEnd; at += 2000) {
        if (!pty.writeMaster(stream.mid(at, qMin<qsizetype>(2000, readBeforeTheEnd - at))))
            return 2;
        QTest::qWait(5);
    }
    QTest::qWait(300);
    if (!pty.writeMaster(stream.mid(readBeforeTheEnd)))
        return 2;
    QMetaMethod::fromSignal(&QCoreApplication::aboutToQuit).invoke(&app, Qt::DirectConnection);
    ::_exit(0);
}

} // namespace

class TestProgramEnd : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void signalEndsWithCodeZero_data();
    void signalEndsWithCodeZero();
    void sigtermWhileRecordingKeepsEveryByte();
    void sessionEndKeepsEveryByteWithoutDestructors();

private:
    bool startProgram();
    int endWith(int signalNumber);

    PtyPair *m_pty = nullptr;
    QProcess *m_program = nullptr;
    QString m_window;
};

void TestProgramEnd::init()
{
    m_pty = new PtyPair;
    QVERIFY(m_pty->isValid());
    m_program = new QProcess;
}

void TestProgramEnd::cleanup()
{
    if (m_program->state() != QProcess::NotRunning) {
        m_program->kill();
        m_program->waitForFinished();
    }
    delete m_program;
    delete m_pty;
}

bool TestProgramEnd::startProgram()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("VELTRIN_COM3"), m_pty->slavePath());
    m_program->setProcessEnvironment(environment);
    m_program->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_program->start(QStringLiteral(VELTRIN_PROGRAM_PATH), {});
    if (!m_program->waitForStarted())
        return false;
    m_window = windowNamed(QStringLiteral("Veltrin"));
    // The window has its place once it is mapped; the panels take a moment.
    QTest::qWait(1000);
    return !m_window.isEmpty();
}

int TestProgramEnd::endWith(int signalNumber)
{
    ::kill(pid_t(m_program->processId()), signalNumber);
    if (!m_program->waitForFinished(30000))
        return -1;
    return m_program->exitStatus() == QProcess::NormalExit ? m_program->exitCode() : -1;
}

void TestProgramEnd::signalEndsWithCodeZero_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGHUP") << int(SIGHUP);
    QTest::newRow("SIGINT") << int(SIGINT);
}

// Without a handler each of these kills the program: the exit status is then
// a crash, not code 0.
void TestProgramEnd::signalEndsWithCodeZero()
{
    QFETCH(int, signalNumber);
    QVERIFY(startProgram());
    QCOMPARE(endWith(signalNumber), 0);
}

void TestProgramEnd::sigtermWhileRecordingKeepsEveryByte()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("rec.bin"));
    QVERIFY(startProgram());
    const QRect window = geometryOf(m_window);
    clickAt(window, 3427, 1207); // 串口设置
    clickAt(window, 4680 + 90, 4507); // 打开串口
    clickAt(window, 7500, 1215); // lblTestRF: the viewer
    const QString viewer = windowNamed(QStringLiteral("接收查看"));
    QVERIFY(!viewer.isEmpty());
    const QRect viewerRect = geometryOf(viewer);
    xdotool({ QStringLiteral("mousemove"), QString::number(viewerRect.x() + 100),
        QString::number(viewerRect.y() + 60), QStringLiteral("click"), QStringLiteral("3") });
    QTest::qWait(500);
    xdotool({ QStringLiteral("mousemove"), QString::number(viewerRect.x() + 150),
        QString::number(viewerRect.y() + 137), QStringLiteral("click"), QStringLiteral("1") });
    QTest::qWait(1000);
    xdotool({ QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("10"), path });
    xdotool({ QStringLiteral("key"), QStringLiteral("Return") });
    QVERIFY2(QTest::qWaitFor([&] { return QFile::exists(path); }, 10000), "the recording did not start");

    // 200,000 bytes: three full 64 KiB writes and 3,392 bytes gathered for
    // the next, which a killed program would lose. Some may still wait in
    // the pty when the signal comes; they too were received before it.
    const QByteArray sent = knownStream(200000);
    QVERIFY2(m_pty->writeMaster(sent), "the program does not read its port");
    QCOMPARE(endWith(SIGTERM), 0);

    QFile recorded(path);
    QVERIFY(recorded.open(QIODevice::ReadOnly));
    const QByteArray bytes = recorded.readAll();
    QCOMPARE(bytes.size(), sent.size());
    QVERIFY(bytes == sent);
}

void TestProgramEnd::sessionEndKeepsEveryByteWithoutDestructors()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("rec.bin"));
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::ForwardedChannels);
    child.start(QCoreApplication::applicationFilePath(), { QLatin1String(sessionEndChild), path });
    QVERIFY(child.waitForFinished(30000));
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 0);
    QFile recorded(path);
    QVERIFY(recorded.open(QIODevice::ReadOnly));
    QVERIFY(recorded.readAll() == knownStream(readBeforeTheEnd + waitingAtTheEnd));
}

int main(int argc, char *argv[])
{
    if (argc > 2 && qstrcmp(argv[1], sessionEndChild) == 0)
        return runSessionEndChild(1, argv);
    VirtualTrayDisplay display;
    QString error;
    if (!display.start(error)) {
        std::fprintf(stderr, "no X display: %s\n", qPrintable(error));
        return 1;
    }
    QCoreApplication app(argc, argv);
    TestProgramEnd test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_programend.moc"
