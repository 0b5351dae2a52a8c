// The simulator as a program, its log read through a pipe the way run.sh and
// scripts read it: every line must arrive while the simulator is still
// running, not when it ends; and its replugs, planned or asked for by
// SIGUSR1, as a script sees them.

#include "TtyClient.h"

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {

const QByteArray statusFrame = QByteArray::fromHex("16066A660A030F04");

// The simulator's log, gathered as it comes.
class LogReader
{
public:
    explicit LogReader(QProcess &process)
        : m_process(process)
    { }

    bool waitFor(const QRegularExpression &line, int count = 1)
    {
        return QTest::qWaitFor(
            [&] {
                m_log += QString::fromLocal8Bit(m_process.readAll());
                return qsizetype(m_log.count(line)) >= count;
            },
            5000);
    }
    QString text() const { return m_log; }

private:
    QProcess &m_process;
    QString m_log;
};

const QRegularExpression unpluggedLine(
    QStringLiteral("\\n\\d\\d:\\d\\d:\\d\\d\\.\\d{3} unplugged for \\d+ ms\\n"));
const QRegularExpression returnLine(
    QStringLiteral("\\n\\d\\d:\\d\\d:\\d\\d\\.\\d{3} plugged back: \\S+ -> /dev/pts/\\d+\\n"));

} // namespace

class tst_HostSimProcess : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void logLinesArriveWhileItRuns();
    void sigusr1UnplugsAndTheLinkComesBack();
    void plannedReplugsAreLogged();
};

void tst_HostSimProcess::logLinesArriveWhileItRuns()
{
    QProcess simulator;
    simulator.start(QStringLiteral(VELTRIN_HOSTSIM_PATH), {});
    QVERIFY(simulator.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(simulator.canReadLine(), 5000);
    const QString ptyPath = QString::fromLocal8Bit(simulator.readLine()).trimmed();

    TtyClient line(ptyPath);
    QVERIFY2(line.isOpen(), qPrintable(ptyPath));
    QVERIFY(line.write(QByteArray::fromHex("16066A660A030F04")));
    QByteArray log;
    QTRY_VERIFY_WITH_TIMEOUT((log += simulator.readAll()).contains("\nframe 15 [4] -> reply 01\n"), 5000);
    QCOMPARE(simulator.state(), QProcess::Running);

    simulator.terminate();
    QVERIFY(simulator.waitForFinished());
}

void tst_HostSimProcess::sigusr1UnplugsAndTheLinkComesBack()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString link = dir.filePath(QStringLiteral("COM3"));
    QProcess simulator;
    simulator.start(QStringLiteral(VELTRIN_HOSTSIM_PATH), { "--link", link, "--away", "300" });
    QVERIFY(simulator.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(simulator.canReadLine(), 5000);
    simulator.readLine();
    LogReader log(simulator);
    auto line = std::make_unique<TtyClient>(link);
    QVERIFY(line->isOpen());

    QCOMPARE(::kill(pid_t(simulator.processId()), SIGUSR1), 0);
    QVERIFY2(log.waitFor(unpluggedLine), qPrintable(log.text()));
    QVERIFY(!QFileInfo::exists(link));
    // The descriptor the program held is dead: a write meets the hang-up.
    QVERIFY(!line->write(statusFrame));
    line.reset();

    QVERIFY2(log.waitFor(returnLine), qPrintable(log.text()));
    QCOMPARE(simulator.state(), QProcess::Running);
    const QString pty = QFileInfo(link).symLinkTarget();
    QVERIFY(log.text().contains(QStringLiteral("plugged back: %1 -> %2\n").arg(link, pty)));
    line = std::make_unique<TtyClient>(link);
    QVERIFY(line->isOpen());
    QVERIFY(line->write(statusFrame));
    QVERIFY2(log.waitFor(QRegularExpression(QStringLiteral("\\nframe 15 \\[4\\] -> reply 01\\n"))),
        qPrintable(log.text()));

    simulator.terminate();
    QVERIFY(simulator.waitForFinished());
    QCOMPARE(simulator.exitCode(), 0);
}

void tst_HostSimProcess::plannedReplugsAreLogged()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QProcess simulator;
    simulator.start(QStringLiteral(VELTRIN_HOSTSIM_PATH),
        { "--link", dir.filePath(QStringLiteral("COM3")), "--replug-after", "100", "--away", "100",
            "--replugs", "2" });
    QVERIFY(simulator.waitForStarted());
    LogReader log(simulator);
    QVERIFY2(log.waitFor(returnLine, 2), qPrintable(log.text()));
    QTest::qWait(500);
    QVERIFY(log.waitFor(returnLine, 2));
    QCOMPARE(log.text().count(unpluggedLine), 2);
    QCOMPARE(log.text().count(returnLine), 2);

    simulator.terminate();
    QVERIFY(simulator.waitForFinished());
}

QTEST_GUILESS_MAIN(tst_HostSimProcess)
#include "tst_hostsimprocess.moc"
