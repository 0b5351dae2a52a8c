// veltrin-cli batch as a station script runs it: a program of its own on the
// pty of the simulated host module (a program of its own too), judged by its
// result lines, its exit code and by what the module logged. The replug is
// the simulator's own (SIGUSR1): its pty goes and a fresh one comes back at
// the link's path, as a USB adapter pulled out and plugged in again.

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

#include <memory>

namespace {

struct Run {
    int exitCode = -1;
    QStringList lines;
    QString err;
};

const QString online = QStringLiteral("提示:所检测的打印机在线！");
const QString offline = QStringLiteral("提示:所检测的打印机不在线！");

QStringList linesOf(const QByteArray &bytes)
{
    return QString::fromUtf8(bytes).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

} // namespace

class tst_CliBatch : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void resultsAndTheWorstExitCode();
    void jsonGivesTheCommandItsAnswerAndExitCode();
    void stopOnErrorEndsAtTheFirstFailure();
    void thePortStaysOpenBetweenCommands();
    void linesThatCannotRunInABatch_data();
    void linesThatCannotRunInABatch();
    void batchUsageErrors_data();
    void batchUsageErrors();
    void reconnectGoesOnAcrossAReplug();

private:
    void startSimulator(const QStringList &extra = {});
    void startBatch(QProcess &cli, const QStringList &options);
    Run batch(const QStringList &options, const QByteArray &input);
    QString nextLine(QProcess &cli);
    int logCount(const QString &line);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QProcess> m_simulator;
    QString m_link;
    QString m_log;
};

void tst_CliBatch::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    startSimulator();
}

void tst_CliBatch::cleanup()
{
    m_simulator->terminate();
    m_simulator->waitForFinished();
    m_simulator.reset();
    m_dir.reset();
}

void tst_CliBatch::startSimulator(const QStringList &extra)
{
    m_link = m_dir->filePath(QStringLiteral("hostlink"));
    m_log.clear();
    m_simulator = std::make_unique<QProcess>();
    m_simulator->start(QStringLiteral(VELTRIN_HOSTSIM_PATH),
        QStringList {
            QStringLiteral("--link"), m_link, QStringLiteral("--search-time"), QStringLiteral("300") }
            + extra);
    QVERIFY(m_simulator->waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(m_simulator->canReadLine(), 10000);
}

void tst_CliBatch::startBatch(QProcess &cli, const QStringList &options)
{
    cli.setWorkingDirectory(m_dir->path());
    cli.start(QStringLiteral(VELTRIN_CLI_PATH), QStringList { QStringLiteral("--port"), m_link } + options);
}

// options: the program's own, then batch and its own.
Run tst_CliBatch::batch(const QStringList &options, const QByteArray &input)
{
    QProcess cli;
    startBatch(cli, options);
    cli.write(input);
    cli.closeWriteChannel();
    if (!cli.waitForFinished(60000))
        cli.kill();
    cli.waitForFinished();
    const int code = cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1;
    return { code, linesOf(cli.readAllStandardOutput()), QString::fromUtf8(cli.readAllStandardError()) };
}

QString tst_CliBatch::nextLine(QProcess &cli)
{
    if (!QTest::qWaitFor([&cli] { return cli.canReadLine(); }, 10000))
        return QString();
    return QString::fromUtf8(cli.readLine()).chopped(1);
}

// How often the module logged line (whole lines) since it started, once
// its log has had a moment to arrive.
int tst_CliBatch::logCount(const QString &line)
{
    QTest::qWait(300);
    m_log += QString::fromUtf8(m_simulator->readAllStandardOutput());
    return int(m_log.count(QLatin1Char('\n') + line + QLatin1Char('\n')));
}

void tst_CliBatch::resultsAndTheWorstExitCode()
{
    const QByteArray commands = "# a station's morning check\n"
                                "status 1\n"
                                "\n"
                                "   # indented comment\n"
                                "set-slave 2 2 20 33\n"
                                "status 2\n"
                                "status 9\n"
                                "host-channel\n"
                                "send \"65 66\" --printers 1\n";
    const Run run = batch({ QStringLiteral("batch") }, commands);
    const QStringList expected { QStringLiteral("[0] status 1: ") + online,
        QStringLiteral("[0] set-slave 2 2 20 33: 提示:设置成功"), QStringLiteral("[1] status 2: ") + offline,
        QStringLiteral("[2] status 9: PRINTER must be a printer 1-4, not '9'"),
        QStringLiteral("[0] host-channel: 20"),
        QStringLiteral("[0] send \"65 66\" --printers 1: 数据发送完成") };
    QCOMPARE(run.lines, expected);
    // Usage error (2) is the worst of 0, 1 and 2.
    QCOMPARE(run.exitCode, 2);
    QCOMPARE(logCount(QStringLiteral("frame 15 [1] -> reply 01")), 1);
    QCOMPARE(logCount(QStringLiteral("frame 15 [2] -> reply 00")), 1);
}

void tst_CliBatch::jsonGivesTheCommandItsAnswerAndExitCode()
{
    const Run run = batch({ QStringLiteral("--json"), QStringLiteral("batch"), QStringLiteral("-") },
        "status 1\n# skipped\nsearch 0 4\nselect 9\n");
    QCOMPARE(run.lines.size(), 3);
    QList<QJsonObject> results;
    for (const QString &line : run.lines) {
        QJsonParseError error;
        results.append(QJsonDocument::fromJson(line.toUtf8(), &error).object());
        QCOMPARE(error.error, QJsonParseError::NoError);
    }
    QCOMPARE(results[0].value("line").toInt(), 1);
    QCOMPARE(results[0].value("command").toString(), QStringLiteral("status 1"));
    QCOMPARE(results[0].value("exit_code").toInt(), 0);
    QCOMPARE(results[0].value("answer").toObject().value("online"), QJsonValue(true));
    QCOMPARE(results[0].value("answer").toObject().value("result").toString(), online);
    QVERIFY(!results[0].contains("messages"));
    QCOMPARE(results[1].value("line").toInt(), 3);
    QCOMPARE(results[1].value("answer").toObject().value("free"), QJsonValue(QJsonArray { 0, 1, 2, 3, 4 }));
    QCOMPARE(results[2].value("exit_code").toInt(), 2);
    QCOMPARE(results[2].value("answer"), QJsonValue(QJsonValue::Null));
    QCOMPARE(results[2].value("messages").toArray().first().toString(),
        QStringLiteral("PRINTER... must be a printer 1-4, not '9'"));
    QCOMPARE(run.exitCode, 2);
}

void tst_CliBatch::stopOnErrorEndsAtTheFirstFailure()
{
    const Run run = batch({ QStringLiteral("batch"), QStringLiteral("--stop-on-error") },
        "status 1\nset-slave 1 1 20 40\nstatus 1\nstatus 2\n");
    QCOMPARE(run.lines,
        (QStringList { QStringLiteral("[0] status 1: ") + online,
            QStringLiteral("[0] set-slave 1 1 20 40: 提示:设置成功"),
            QStringLiteral("[1] status 1: ") + offline }));
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(logCount(QStringLiteral("frame 15 [2] -> reply 01")), 0);
}

// Each command on its own opens the port at 38400 bit/s; in a batch the
// port the module moved to 9600 stays there for the next question.
void tst_CliBatch::thePortStaysOpenBetweenCommands()
{
    const Run run
        = batch({ QStringLiteral("batch") }, "host-baud 9600\nstatus 1\nhost-baud 38400\nstatus 1\n");
    QCOMPARE(run.lines,
        (QStringList { QStringLiteral("[0] host-baud 9600: 提示:设置成功"),
            QStringLiteral("[0] status 1: ") + online, QStringLiteral("[0] host-baud 38400: 提示:设置成功"),
            QStringLiteral("[0] status 1: ") + online }));
    QCOMPARE(run.exitCode, 0);
}

void tst_CliBatch::linesThatCannotRunInABatch_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("message");
    QTest::newRow("port") << QByteArray("status --port COM1 1")
                          << QStringLiteral("--port belongs to the batch");
    QTest::newRow("baud") << QByteArray("-b 9600 status 1") << QStringLiteral("--baud belongs to the batch");
    QTest::newRow("json") << QByteArray("--json status 1") << QStringLiteral("--json belongs to the batch");
    QTest::newRow("batch in a batch")
        << QByteArray("batch other.txt") << QStringLiteral("a batch does not run another batch");
    QTest::newRow("stdin holds the batch")
        << QByteArray("send -") << QStringLiteral("send - would read stdin");
    QTest::newRow("raw bytes") << QByteArray("monitor --raw --seconds 1")
                               << QStringLiteral("monitor --raw writes bytes");
    QTest::newRow("help") << QByteArray("status --help")
                          << QStringLiteral("--help shows no result in a batch");
    QTest::newRow("unknown") << QByteArray("stauts 1") << QStringLiteral("unknown command 'stauts'");
}

// Each is refused on its own line, with exit code 2, and the next line runs.
void tst_CliBatch::linesThatCannotRunInABatch()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, message);
    const Run run = batch({ QStringLiteral("batch") }, line + "\nstatus 1\n");
    QCOMPARE(run.lines.size(), 2);
    QVERIFY2(run.lines[0].startsWith(
                 QStringLiteral("[2] ") + QString::fromUtf8(line) + QStringLiteral(": ") + message),
        qPrintable(run.lines[0]));
    QCOMPARE(run.lines[1], QStringLiteral("[0] status 1: ") + online);
    QCOMPARE(run.exitCode, 2);
    QCOMPARE(logCount(QStringLiteral("frame 15 [1] -> reply 01")), 1);
}

void tst_CliBatch::batchUsageErrors_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("two files") << QStringList { "batch", "a.txt", "b.txt" }
                               << QStringLiteral("usage: veltrin-cli batch [FILE]") << 2;
    QTest::newRow("missing file") << QStringList { "batch", "missing.txt" }
                                  << QStringLiteral("veltrin-cli: cannot read missing.txt") << 2;
    QTest::newRow("unknown option") << QStringList { "batch", "--stop" }
                                    << QStringLiteral("Unknown option 'stop'") << 2;
}

// Refused before the port opens: the module hears nothing.
void tst_CliBatch::batchUsageErrors()
{
    QFETCH(QStringList, options);
    QFETCH(QString, message);
    QFETCH(int, exitCode);
    const Run run = batch(options, "status 1\n");
    QVERIFY(run.lines.isEmpty());
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QCOMPARE(run.exitCode, exitCode);
    QCOMPARE(logCount(QStringLiteral("frame 15 [1] -> reply 01")), 0);
}

// The questions come one at a time, as a station script asks them, with the
// adapter pulled out between two of them.
void tst_CliBatch::reconnectGoesOnAcrossAReplug()
{
    QProcess cli;
    startBatch(cli, { QStringLiteral("batch"), QStringLiteral("--reconnect") });
    QVERIFY(cli.waitForStarted());
    cli.write("status 1\n");
    QCOMPARE(nextLine(cli), QStringLiteral("[0] status 1: ") + online);

    ::kill(pid_t(m_simulator->processId()), SIGUSR1);
    QTRY_VERIFY_WITH_TIMEOUT(!QFile::exists(m_link), 5000);
    cli.write("status 1\n");
    const QString lost = nextLine(cli);
    QVERIFY2(lost.startsWith(QStringLiteral("[3] status 1: ")), qPrintable(lost));
    QVERIFY2(lost.contains(QStringLiteral("串口设备已断开")), qPrintable(lost));
    QVERIFY2(lost.contains(QStringLiteral("COM3 已重新打开：")), qPrintable(lost));

    cli.write("status 1\nstatus 2\n");
    QCOMPARE(nextLine(cli), QStringLiteral("[0] status 1: ") + online);
    QCOMPARE(nextLine(cli), QStringLiteral("[0] status 2: ") + online);
    cli.closeWriteChannel();
    QVERIFY(cli.waitForFinished(10000));
    // The lost question's failure is the worst.
    QCOMPARE(cli.exitCode(), 3);
}

QTEST_GUILESS_MAIN(tst_CliBatch)
#include "tst_clibatch.moc"
