// veltrin-cli as scripts run it: a program of its own on the pty of the
// simulated host module (a program of its own too), judged by its output and
// exit code and by what the module logged and printed. The receive-only and
// interrupted cases put a bare pty at the far end instead, so that the test
// decides what arrives and when the line stops taking bytes.

#include "PtyPair.h"
#include "hostsim/HostLog.h"
#include "notation/SendNotation.h"
#include "serial/CommErrorReport.h"
#include "serial/CommPort.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <sys/ioctl.h>
#include <unistd.h>

#include <memory>

namespace {

struct Run {
    int exitCode = -1;
    QString out;
    QString err;
};

const QString online = QStringLiteral("提示:所检测的打印机在线！\n");
const QString offline = QStringLiteral("提示:所检测的打印机不在线！\n");
const QString setDone = QStringLiteral("提示:设置成功\n");
const QString setFailed = QStringLiteral("提示:设置失败\n");
const QString sendDone = QStringLiteral("数据发送完成\n");
// The simulator's log gathers print data this long before a line.
constexpr int HostLogBatchMs = HostLog::dataBatchMs;

void startCli(QProcess &cli, const QString &port, const QStringList &arguments)
{
    cli.start(QStringLiteral(VELTRIN_CLI_PATH), QStringList { QStringLiteral("--port"), port } + arguments);
}

Run finish(QProcess &cli)
{
    if (!cli.waitForFinished(30000))
        cli.kill();
    cli.waitForFinished();
    const int code = cli.exitStatus() == QProcess::NormalExit ? cli.exitCode() : -1;
    return { code, QString::fromUtf8(cli.readAllStandardOutput()),
        QString::fromUtf8(cli.readAllStandardError()) };
}

// Bytes the far end of a pty has not read yet.
int waitingAt(int master)
{
    int count = 0;
    return ::ioctl(master, FIONREAD, &count) == 0 ? count : 0;
}

QByteArray gbk(const QString &text)
{
    return QStringEncoder("GBK")(text);
}

// Print data in text notation that sends exactly size bytes: words of 99
// letters, each sent with its blank.
QByteArray textOfSize(qsizetype size)
{
    QByteArray text;
    while (text.size() < size)
        text += QByteArray(99, 'A') + ' ';
    text.truncate(size - 1);
    return text;
}

} // namespace

class tst_Cli : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void statusOfAnOnLinePrinter();
    void reAddressedPrinterLeavesTheHostChannel();
    void hostChannelIsPrinted();
    void searchPrintsTheFreeChannels();
    void searchWithoutAFreeChannelSaysSo();
    void configurationCommands_data();
    void configurationCommands();
    void hostBaudSwitchesBothEnds();
    void sendLandsInTheSelectedPrintersOnly();
    void sendTakesFilesAndStdinAsTheGuiReadsFiles_data();
    void sendTakesFilesAndStdinAsTheGuiReadsFiles();
    void refusedPrintDataSendsNoData_data();
    void refusedPrintDataSendsNoData();
    void jsonParsesWithPython_data();
    void jsonParsesWithPython();
    void portsInTextAndJsonAgree();
    void portsListedInAFileStandForTheSystems();
    void portAutoTakesTheOneUsbAdapter_data();
    void portAutoTakesTheOneUsbAdapter();
    void dryRunPrintsTheBytesAndOpensNoPort_data();
    void dryRunPrintsTheBytesAndOpensNoPort();
    void wrongArgumentsSendNothing_data();
    void wrongArgumentsSendNothing();
    void missingPortIsReportedInTheGuiWords_data();
    void missingPortIsReportedInTheGuiWords();
    void everyCommandHasItsHelp_data();
    void everyCommandHasItsHelp();
    void monitorPrintsTheViewersForms_data();
    void monitorPrintsTheViewersForms();
    void monitorRawWritesTheBytesThemselves();
    void monitorReconnectsAcrossReplugs();
    void ctrlCWhileTypingSendsNothing();
    void ctrlCStopsASend();
    void ctrlCEndsASearch();
    void progressBarOnlyOnATerminal_data();
    void progressBarOnlyOnATerminal();

    void searchJsonGivesTheFreeAndTheNotFreeChannels();
    void surveyFindsPrintersOnThreeChannels();
    void surveyProgressOnlyOnATerminal_data();
    void surveyProgressOnlyOnATerminal();
    void ctrlCDuringASurveyPutsTheHostBackFirst();
    void moveKitWithoutYesMovesNothing();
    void moveKitMovesAndVerifiesTheKit();
    void moveKitRollsBackAPrinterThatIgnoresTheReaddress();

private:
    void startSimulator(const QStringList &extra = {});
    Run cli(const QStringList &arguments, const QByteArray &input = {});
    bool logShows(const QString &line);
    // The module's last "kit: ..." line: where it has every module after
    // the last frame 11 or 12.
    QString lastKitLine();
    QByteArray printed(int printer) const;
    // A port list file naming the given paths as USB adapters, in use by
    // every run that follows.
    void presentAdapters(const QStringList &paths);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QProcess> m_simulator;
    QString m_link;
    QString m_log;
    QProcessEnvironment m_environment;
};

void tst_Cli::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_environment = QProcessEnvironment::systemEnvironment();
    startSimulator();
}

void tst_Cli::cleanup()
{
    m_simulator->terminate();
    m_simulator->waitForFinished();
    m_simulator.reset();
    m_dir.reset();
}

void tst_Cli::startSimulator(const QStringList &extra)
{
    if (m_simulator) {
        m_simulator->terminate();
        m_simulator->waitForFinished();
    }
    m_link = m_dir->filePath(QStringLiteral("hostlink"));
    m_log.clear();
    m_simulator = std::make_unique<QProcess>();
    m_simulator->start(QStringLiteral(VELTRIN_HOSTSIM_PATH),
        QStringList { QStringLiteral("--link"), m_link, QStringLiteral("--out"), m_dir->path(),
            QStringLiteral("--busy"), QStringLiteral("3,7"), QStringLiteral("--search-time"),
            QStringLiteral("300") }
            + extra);
    QVERIFY(m_simulator->waitForStarted());
    // The first line is the pty's path, written once the link is in place.
    QTRY_VERIFY_WITH_TIMEOUT(m_simulator->canReadLine(), 10000);
}

Run tst_Cli::cli(const QStringList &arguments, const QByteArray &input)
{
    // The port as a script names it: a bare path from where the script runs.
    QProcess process;
    process.setWorkingDirectory(m_dir->path());
    process.setProcessEnvironment(m_environment);
    startCli(process, QFileInfo(m_link).fileName(), arguments);
    process.write(input);
    process.closeWriteChannel();
    return finish(process);
}

bool tst_Cli::logShows(const QString &line)
{
    const auto shows = [this, &line] {
        m_log += QString::fromUtf8(m_simulator->readAllStandardOutput());
        return m_log.contains(QLatin1Char('\n') + line + QLatin1Char('\n'));
    };
    if (QTest::qWaitFor(shows, 5000))
        return true;
    qWarning().noquote() << "the module's log so far:\n" << m_log;
    return false;
}

QByteArray tst_Cli::printed(int printer) const
{
    QFile file(m_dir->filePath(QStringLiteral("printer%1.bin").arg(printer)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void tst_Cli::statusOfAnOnLinePrinter()
{
    const Run run = cli({ QStringLiteral("status"), QStringLiteral("3") });
    QCOMPARE(run.err, QString());
    QCOMPARE(run.out, online);
    QCOMPARE(run.exitCode, 0);
    QVERIFY(logShows(QStringLiteral("frame 15 [4] -> reply 01")));
}

void tst_Cli::reAddressedPrinterLeavesTheHostChannel()
{
    Run run = cli({ QStringLiteral("set-slave"), QStringLiteral("2"), QStringLiteral("2"),
        QStringLiteral("20"), QStringLiteral("33") });
    QCOMPARE(run.out, setDone);
    QCOMPARE(run.exitCode, 0);
    QVERIFY(logShows(QStringLiteral("frame 11 [2 2 20 33] -> reply 01")));

    run = cli({ QStringLiteral("status"), QStringLiteral("2") });
    QCOMPARE(run.out, offline);
    QCOMPARE(run.exitCode, 1);
    QVERIFY(logShows(QStringLiteral("frame 15 [2] -> reply 00")));
}

void tst_Cli::hostChannelIsPrinted()
{
    Run run = cli({ QStringLiteral("host-channel") });
    QCOMPARE(run.out, QStringLiteral("20\n"));
    QCOMPARE(run.exitCode, 0);
    QVERIFY(logShows(QStringLiteral("frame 19 -> reply 14")));

    QCOMPARE(cli({ QStringLiteral("set-host-channel"), QStringLiteral("30") }).exitCode, 0);
    run = cli({ QStringLiteral("host-channel") });
    QCOMPARE(run.out, QStringLiteral("30\n"));
    QVERIFY(logShows(QStringLiteral("frame 19 -> reply 1E")));
}

void tst_Cli::searchPrintsTheFreeChannels()
{
    const Run run = cli({ QStringLiteral("search"), QStringLiteral("0"), QStringLiteral("10") });
    QCOMPARE(run.out, QStringLiteral("0\n1\n2\n4\n5\n6\n8\n9\n10\n"));
    QCOMPARE(run.exitCode, 0);
    QVERIFY(logShows(QStringLiteral("frame 14 [0 10] -> reply 00 01 02 04 05 06 08 09 0A")));
}

void tst_Cli::searchWithoutAFreeChannelSaysSo()
{
    const Run run = cli({ QStringLiteral("search"), QStringLiteral("7"), QStringLiteral("7") });
    QCOMPARE(run.out, QString());
    QCOMPARE(run.err, QStringLiteral("veltrin-cli: no free channel in 7-7\n"));
    QCOMPARE(run.exitCode, 1);
    QVERIFY(logShows(QStringLiteral("frame 14 [7 7] -> no reply")));
}

void tst_Cli::configurationCommands_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("out");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("logLine");
    QTest::newRow("select") << QStringList { "select", "1", "3" } << setDone << 0
                            << "frame 13 [5] -> reply 01";
    QTest::newRow("slave baud") << QStringList { "slave-baud", "3", "115200" } << setDone << 0
                                << "frame 17 [4 3] -> reply 01";
    QTest::newRow("re-address a printer that is not there") << QStringList { "set-slave", "4", "1", "50",
        "60" } << setFailed << 1 << "frame 11 [8 1 50 60] -> reply 00";
    QTest::newRow("host channel") << QStringList { "set-host-channel", "124" } << setDone << 0
                                  << "frame 12 [124] -> reply 01";
    QTest::newRow("done") << QStringList { "done" } << sendDone << 0 << "frame 16 -> no reply";
}

void tst_Cli::configurationCommands()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, out);
    QFETCH(int, exitCode);
    QFETCH(QString, logLine);
    const Run run = cli(arguments);
    QCOMPARE(run.err, QString());
    QCOMPARE(run.out, out);
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY(logShows(logLine));
}

void tst_Cli::hostBaudSwitchesBothEnds()
{
    const Run run = cli({ QStringLiteral("--json"), QStringLiteral("host-baud"), QStringLiteral("9600") });
    QCOMPARE(run.exitCode, 0);
    const QJsonObject result = QJsonDocument::fromJson(run.out.toUtf8()).object();
    QCOMPARE(result.value(QStringLiteral("done")), QJsonValue(true));
    // The program's own port follows the module, as the GUI's does.
    QCOMPARE(result.value(QStringLiteral("port_baud")), QJsonValue(9600));
    QVERIFY(logShows(QStringLiteral("frame 18 [0] -> reply 01")));
    QVERIFY(logShows(QStringLiteral("line speed 9600 bit/s")));
}

void tst_Cli::sendLandsInTheSelectedPrintersOnly()
{
    const Run run = cli({ QStringLiteral("send"), QStringLiteral("--printers"), QStringLiteral("1,3"),
        QStringLiteral("65 66") });
    QCOMPARE(run.err, QString());
    QCOMPARE(run.out, sendDone);
    QCOMPARE(run.exitCode, 0);
    QVERIFY(logShows(QStringLiteral("frame 13 [5] -> reply 01")));
    QVERIFY(logShows(QStringLiteral("printer 1: 41 42")));
    QVERIFY(logShows(QStringLiteral("printer 3: 41 42")));
    QCOMPARE(printed(1), QByteArray("AB"));
    QCOMPARE(printed(3), QByteArray("AB"));
    QCOMPARE(printed(2), QByteArray());
    QCOMPARE(printed(4), QByteArray());
}

void tst_Cli::sendTakesFilesAndStdinAsTheGuiReadsFiles_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("fileBytes");
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("expected");
    const QByteArray chinese = gbk(QStringLiteral("中文 abc "));
    // A file stands under "#txt", which switches to text notation.
    QTest::newRow("UTF-8 file") << QStringList { "send", "--file", "FILE" } << QString("中文 abc").toUtf8()
                                << QByteArray() << chinese;
    QTest::newRow("GBK file") << QStringList { "send", "--file", "FILE" } << gbk(QStringLiteral("中文 abc"))
                              << QByteArray() << chinese;
    QTest::newRow("stdin, lines as typed")
        << QStringList { "send", "-" } << QByteArray() << QByteArray("65 66\n67\n") << QByteArray("ABC");
    QTest::newRow("stdin in UTF-8, text notation") << QStringList { "send", "--notation", "text", "-" }
                                                   << QByteArray() << QString("中文 abc").toUtf8() << chinese;
    QTest::newRow("hex notation") << QStringList { "send", "--notation", "hex", "41 0d" } << QByteArray()
                                  << QByteArray() << QByteArray("A\r");
}

void tst_Cli::sendTakesFilesAndStdinAsTheGuiReadsFiles()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, fileBytes);
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, expected);
    const QString path = m_dir->filePath(QStringLiteral("data.txt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(fileBytes);
    file.close();
    arguments.replaceInStrings(QStringLiteral("FILE"), path);

    const Run run = cli(arguments, input);
    QCOMPARE(run.err, QString());
    QCOMPARE(run.exitCode, 0);
    QTRY_COMPARE(printed(3), expected);
}

void tst_Cli::refusedPrintDataSendsNoData_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("frameSent");
    // As in the GUI, the select frame has gone when the notation fails.
    qint16 decimal = 0;
    QTest::newRow("notation error") << QStringList { "send", "65 300" }
                                    << SendNotation::parse(QStringLiteral("65 300"), decimal).error << true;
    QTest::newRow("empty text") << QStringList { "send", "" } << "发送数据不能为空！" << false;
    QTest::newRow("missing file") << QStringList { "send", "--file", "/nonexistent/data.txt" }
                                  << "文件不存在：" << false;
}

void tst_Cli::refusedPrintDataSendsNoData()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    QFETCH(bool, frameSent);
    const Run run = cli(arguments);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QCOMPARE(run.out, QString());
    QCOMPARE(run.exitCode, 2);

    // What reaches the module next is the next send, whole.
    QCOMPARE(cli({ QStringLiteral("send"), QStringLiteral("67") }).exitCode, 0);
    QVERIFY(logShows(QStringLiteral("printer 3: 43")));
    QCOMPARE(printed(3), QByteArray("C"));
    QCOMPARE(m_log.count(QStringLiteral("frame 13 [4]")), frameSent ? 2 : 1);
}

void tst_Cli::jsonParsesWithPython_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QJsonValue>("expected");
    QTest::newRow("status") << QStringList { "status", "3" } << "online" << QJsonValue(true);
    QTest::newRow("host channel") << QStringList { "host-channel" } << "channel" << QJsonValue(20);
    QTest::newRow("search") << QStringList { "search", "0", "10" } << "free"
                            << QJsonValue(QJsonArray { 0, 1, 2, 4, 5, 6, 8, 9, 10 });
    QTest::newRow("set-slave") << QStringList { "set-slave", "1", "1", "20", "21" } << "result"
                               << QJsonValue(QStringLiteral("提示:设置成功"));
    QTest::newRow("send") << QStringList { "send", "--printers", "1", "65" } << "printers"
                          << QJsonValue(QJsonArray { 1 });
    QTest::newRow("done") << QStringList { "done" } << "command" << QJsonValue(QStringLiteral("done"));
    QTest::newRow("ports") << QStringList { "ports" } << "command" << QJsonValue(QStringLiteral("ports"));
}

void tst_Cli::jsonParsesWithPython()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, key);
    QFETCH(QJsonValue, expected);
    const Run run = cli(QStringList { QStringLiteral("--json") } + arguments);
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(QJsonDocument::fromJson(run.out.toUtf8()).object().value(key), expected);

    QProcess python;
    python.start(QStringLiteral("python3"), { QStringLiteral("-m"), QStringLiteral("json.tool") });
    python.write(run.out.toUtf8());
    python.closeWriteChannel();
    QVERIFY(python.waitForFinished());
    QVERIFY2(python.exitCode() == 0, python.readAllStandardError().constData());
}

void tst_Cli::portsInTextAndJsonAgree()
{
    const Run json = cli({ QStringLiteral("--json"), QStringLiteral("ports") });
    const Run text = cli({ QStringLiteral("ports") });
    QCOMPARE(json.exitCode, 0);
    QCOMPARE(text.exitCode, 0);
    const QJsonArray ports = QJsonDocument::fromJson(json.out.toUtf8()).object().value("ports").toArray();
    const QStringList lines = text.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (ports.isEmpty())
        QSKIP("this machine has no serial port to list");
    QCOMPARE(lines.size(), ports.size());
    for (qsizetype i = 0; i < ports.size(); ++i) {
        const QJsonObject port = ports.at(i).toObject();
        const QStringList fields = lines.at(i).split(QLatin1Char('\t'));
        QCOMPARE(fields.size(), 7);
        QCOMPARE(fields.at(0), port.value("path").toString());
        const QString byId = port.value("by_id").toString();
        QCOMPARE(fields.at(6), byId.isEmpty() ? QStringLiteral("-") : byId);
        QVERIFY(port.value("by_path").isString());
    }
}

void tst_Cli::presentAdapters(const QStringList &paths)
{
    QJsonArray ports;
    for (qsizetype i = 0; i < paths.size(); ++i) {
        ports.append(QJsonObject { { "path", paths.at(i) }, { "description", "USB Serial" },
            { "usb_id", "1a86:7523" }, { "serial_number", QStringLiteral("A%1").arg(i) } });
    }
    const QString path = m_dir->filePath(QStringLiteral("ports.json"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QJsonDocument(QJsonObject { { "ports", ports } }).toJson());
    m_environment.insert(QStringLiteral("VELTRIN_SERIAL_PORTS"), path);
}

// What ports --json prints can be given back as the list of ports present.
void tst_Cli::portsListedInAFileStandForTheSystems()
{
    presentAdapters({ m_link });
    const Run run = cli({ QStringLiteral("--json"), QStringLiteral("ports") });
    QCOMPARE(run.exitCode, 0);
    const QJsonArray ports = QJsonDocument::fromJson(run.out.toUtf8()).object().value("ports").toArray();
    QCOMPARE(ports.size(), 1);
    QCOMPARE(ports.at(0).toObject().value("path").toString(), m_link);
    QCOMPARE(ports.at(0).toObject().value("usb_id").toString(), QStringLiteral("1a86:7523"));
    QCOMPARE(ports.at(0).toObject().value("serial_number").toString(), QStringLiteral("A0"));
}

void tst_Cli::portAutoTakesTheOneUsbAdapter_data()
{
    QTest::addColumn<int>("adapters");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    QTest::newRow("one") << 1 << 0 << online << "auto: HOSTLINK (USB Serial, 1a86:7523)";
    QTest::newRow("none") << 0 << 3 << QString() << "--port auto: no USB serial port is present";
    QTest::newRow("several") << 2 << 3 << QString()
                             << "several USB serial ports are present; name one with --port:\n"
                                "veltrin-cli:   HOSTLINK (USB Serial, 1a86:7523)\n"
                                "veltrin-cli:   HOSTLINK (USB Serial, 1a86:7523)";
}

// The simulator stands for the adapter, listed as one.
void tst_Cli::portAutoTakesTheOneUsbAdapter()
{
    QFETCH(int, adapters);
    QFETCH(int, exitCode);
    QFETCH(QString, out);
    QFETCH(QString, err);
    presentAdapters(QStringList(adapters, m_link));
    QProcess process;
    process.setProcessEnvironment(m_environment);
    startCli(process, QStringLiteral("auto"), { QStringLiteral("status"), QStringLiteral("3") });
    const Run run = finish(process);
    QCOMPARE(run.out, out);
    QVERIFY2(run.err.contains(err.replace(QLatin1String("HOSTLINK"), m_link)), qPrintable(run.err));
    QCOMPARE(run.exitCode, exitCode);
}

void tst_Cli::dryRunPrintsTheBytesAndOpensNoPort_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("err");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("text, GBK") << QStringList { "send", "--dry-run", "--notation", "text", "中文A" }
                               << "frame 16 06 6A 66 0A 03 0D 04\ndata  D6 D0 CE C4 41 20\n"
                               << QString() << 0;
    QTest::newRow("printers 1 and 3")
        << QStringList { "send", "--dry-run", "--printers", "1,3", "65 #hex 42" }
        << "frame 16 06 6A 66 0A 03 0D 05\ndata  41 42\n"
        << QString() << 0;
    QTest::newRow("json")
        << QStringList { "--json", "send", "--dry-run", "7" }
        << "{\"command\":\"send\",\"data\":\"07\",\"dry_run\":true,\"frame\":\"16 06 6A 66 0A 03 0D "
           "04\",\"printers\":[3]}\n"
        << QString() << 0;
    // The frame a send puts out before the data fails to convert.
    QTest::newRow("notation error") << QStringList { "send", "--dry-run", "65 300" }
                                    << "frame 16 06 6A 66 0A 03 0D 04\n"
                                    << "veltrin-cli: 类型不匹配！\n"
                                    << 2;
}

void tst_Cli::dryRunPrintsTheBytesAndOpensNoPort()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, out);
    QFETCH(QString, err);
    QFETCH(int, exitCode);
    QProcess process;
    startCli(process, m_dir->filePath(QStringLiteral("no-such-port")), arguments);
    const Run run = finish(process);
    QCOMPARE(run.out, out);
    QCOMPARE(run.err, err);
    QCOMPARE(run.exitCode, exitCode);
}

void tst_Cli::wrongArgumentsSendNothing_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("printer 5") << QStringList { "status", "5" } << "PRINTER must be a printer 1-4, not '5'";
    QTest::newRow("printer 0") << QStringList { "status", "0" } << "not '0'";
    QTest::newRow("no printer") << QStringList { "status" } << "usage: veltrin-cli status PRINTER";
    QTest::newRow("channel 125") << QStringList { "set-slave", "1", "2", "125", "3" }
                                 << "CHANNEL must be a channel 0-124, not '125'";
    QTest::newRow("host channel 125") << QStringList { "set-host-channel", "125" } << "not '125'";
    QTest::newRow("search to 125") << QStringList { "search", "0", "125" } << "TO must be a channel 0-124";
    QTest::newRow("channel with a sign") << QStringList { "set-host-channel", "+5" } << "not '+5'";
    QTest::newRow("baud 1234") << QStringList { "slave-baud", "3", "1234" } << "BAUD must be 9600";
    QTest::newRow("select nothing") << QStringList { "select" } << "usage: veltrin-cli select PRINTER...";
    QTest::newRow("send to printer 5") << QStringList { "send", "--printers", "1,5", "65" } << "--printers";
    QTest::newRow("unknown notation") << QStringList { "send", "--notation", "oct", "65" } << "--notation";
    QTest::newRow("text and file") << QStringList { "send", "--file", "x.txt", "65" } << "one of TEXT";
    QTest::newRow("unquoted print data") << QStringList { "send", "65", "66" } << "quote it";
    QTest::newRow("unknown command") << QStringList { "frobnicate" } << "unknown command 'frobnicate'";
    QTest::newRow("no command") << QStringList {} << "no command given";
    QTest::newRow("port baud") << QStringList { "--baud", "1000", "status", "1" } << "--baud";
    QTest::newRow("handshake") << QStringList { "--handshake", "maybe", "status", "1" } << "--handshake";
    QTest::newRow("timeout") << QStringList { "--timeout", "0", "status", "1" } << "--timeout";
    QTest::newRow("option of another command")
        << QStringList { "status", "1", "--printers", "1" } << "Unknown option 'printers'";
    QTest::newRow("monitor format") << QStringList { "monitor", "--format", "bin" } << "--format";
    QTest::newRow("monitor raw json") << QStringList { "--json", "monitor", "--raw" } << "--raw";
    QTest::newRow("monitor raw timestamps") << QStringList { "monitor", "--raw", "--timestamps" } << "--raw";
    QTest::newRow("monitor seconds nan") << QStringList { "monitor", "--seconds", "nan" } << "--seconds";
}

void tst_Cli::wrongArgumentsSendNothing()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    const Run run = cli(arguments);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QCOMPARE(run.out, QString());
    QCOMPARE(run.exitCode, 2);

    // The first frame the module ever sees is the next command's.
    QCOMPARE(cli({ QStringLiteral("status"), QStringLiteral("1") }).exitCode, 0);
    QVERIFY(logShows(QStringLiteral("frame 15 [1] -> reply 01")));
    QCOMPARE(m_log.count(QStringLiteral("frame")), 1);
}

void tst_Cli::missingPortIsReportedInTheGuiWords_data()
{
    QTest::addColumn<QString>("port");
    QTest::addColumn<QByteArray>("com5");
    QTest::newRow("device path") << "/nonexistent" << QByteArray();
    QTest::newRow("COM5 resolved as the GUI does") << "COM5" << QByteArray("/nonexistent");
}

void tst_Cli::missingPortIsReportedInTheGuiWords()
{
    QFETCH(QString, port);
    QFETCH(QByteArray, com5);
    qputenv("VELTRIN_COM5", com5);
    QProcess process;
    startCli(process, port, { QStringLiteral("status"), QStringLiteral("1") });
    const Run run = finish(process);
    qunsetenv("VELTRIN_COM5");
    QVERIFY2(run.err.startsWith(QStringLiteral("veltrin-cli: ")
                 + commErrorMessage(CommPort::InvalidPortNumber) + QLatin1Char('\n')),
        qPrintable(run.err));
    QVERIFY2(run.err.contains(QStringLiteral("/nonexistent")), qPrintable(run.err));
    QCOMPARE(run.out, QString());
    QCOMPARE(run.exitCode, 3);
}

void tst_Cli::everyCommandHasItsHelp_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("expected");
    const QStringList commands { "ports", "status", "host-channel", "set-slave", "set-host-channel", "select",
        "search", "done", "slave-baud", "host-baud", "send", "monitor", "batch" };
    for (const QString &command : commands)
        QTest::newRow(qPrintable(command))
            << QStringList { command, "--help" } << "veltrin-cli [options] " + command;
    QTest::newRow("arguments named") << QStringList { "set-slave", "--help" } << "NEW-CHANNEL";
    QTest::newRow("own options") << QStringList { "send", "-h" } << "--notation <NOTATION>";
    QTest::newRow("overview lists the commands") << QStringList { "--help" } << "host-baud BAUD";
    QTest::newRow("survey") << QStringList { "survey", "--help" } << "survey [FROM TO]";
    QTest::newRow("move-kit") << QStringList { "move-kit", "--help" } << "--yes";
    QTest::newRow("overview gives the exit codes")
        << QStringList { "--help" } << "3 a port or transmission error";
}

void tst_Cli::everyCommandHasItsHelp()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, expected);
    const Run run = cli(arguments);
    QVERIFY2(run.out.contains(expected), qPrintable(run.out));
    QCOMPARE(run.err, QString());
    QCOMPARE(run.exitCode, 0);
}

void tst_Cli::monitorPrintsTheViewersForms_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("first");
    QTest::addColumn<QByteArray>("then");
    QTest::addColumn<QString>("expected");
    const QByteArray lead = QByteArray::fromHex("b0");
    const QByteArray rest = QByteArray::fromHex("a1410a31");
    QTest::newRow("hex") << QStringList { "monitor" } << lead << rest << "B0 A1 41 0A 31 \n";
    QTest::newRow("decimal") << QStringList { "monitor", "--format", "dec" } << lead << rest
                             << "176 161 65 10 49 \n";
    // The two bytes of 啊 arrive apart.
    QTest::newRow("text") << QStringList { "monitor", "--format", "text" } << lead << rest << "啊A\n1\n";
    QTest::newRow("text ending in a lead byte")
        << QStringList { "monitor", "--format", "text" } << QByteArray("A") << lead << "A\uFFFD\n";
    QTest::newRow("json") << QStringList { "--json", "monitor", "--format", "dec" } << lead << rest
                          << "{\"command\":\"monitor\",\"received\":\"176 \",\"time\":\"TIME\"}\n"
                             "{\"command\":\"monitor\",\"received\":\"161 65 10 49 \",\"time\":\"TIME\"}\n";
    QTest::newRow("timestamps") << QStringList { "monitor", "--timestamps" } << lead << rest
                                << "TIME  B0\nTIME  A1 41 0A 31\n";
    // The character split between the chunks is on the second one's line;
    // a line break received stays one.
    QTest::newRow("timestamps text") << QStringList { "monitor", "--timestamps", "--format", "text" }
                                     << QByteArray("A") + lead << rest << "TIME  A\nTIME  啊A\n1\n";
}

void tst_Cli::monitorPrintsTheViewersForms()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, first);
    QFETCH(QByteArray, then);
    QFETCH(QString, expected);
    PtyPair pty;
    QVERIFY(pty.isValid());
    QProcess process;
    startCli(process, pty.slavePath(),
        arguments + QStringList { QStringLiteral("--seconds"), QStringLiteral("2") });
    QByteArray err;
    QTRY_VERIFY_WITH_TIMEOUT((err += process.readAllStandardError()).contains("monitoring"), 10000);
    QVERIFY(pty.writeMaster(first));
    QTest::qWait(100);
    QVERIFY(pty.writeMaster(then));
    Run run = finish(process);
    static const QRegularExpression time(
        QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3}(?=  |\")"),
        QRegularExpression::MultilineOption);
    static const QRegularExpression jsonTime(
        QStringLiteral("\"\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3}\""));
    run.out.replace(time, QStringLiteral("TIME")).replace(jsonTime, QStringLiteral("\"TIME\""));
    QCOMPARE(run.out, expected);
    QCOMPARE(run.exitCode, 0);
}

void tst_Cli::monitorRawWritesTheBytesThemselves()
{
    PtyPair pty;
    QVERIFY(pty.isValid());
    QProcess process;
    startCli(process, pty.slavePath(),
        { QStringLiteral("monitor"), QStringLiteral("--raw"), QStringLiteral("--seconds"),
            QStringLiteral("2") });
    QByteArray err;
    QTRY_VERIFY_WITH_TIMEOUT((err += process.readAllStandardError()).contains("monitoring"), 10000);
    QByteArray bytes(256, Qt::Uninitialized);
    for (int i = 0; i < 256; ++i)
        bytes[i] = char(i);
    QVERIFY(pty.writeMaster(bytes));
    QTest::qWait(100);
    QVERIFY(pty.writeMaster(QByteArray::fromHex("b0")));
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitCode(), 0);
    QCOMPARE(process.readAllStandardOutput(), bytes + QByteArray::fromHex("b0"));
}

// The device is a pty behind a link, as an adapter behind its by-id name:
// unplugged, the pty goes and the link with it; plugged back, a fresh pty
// stands behind the same link.
void tst_Cli::monitorReconnectsAcrossReplugs()
{
    const QString link = m_dir->filePath(QStringLiteral("adapter"));
    auto pty = std::make_unique<PtyPair>();
    QVERIFY(QFile::link(pty->slavePath(), link));
    QProcess process;
    startCli(process, link,
        { QStringLiteral("monitor"), QStringLiteral("--reconnect"), QStringLiteral("--seconds"),
            QStringLiteral("6") });
    QByteArray err;
    const auto errShows = [&](const QByteArray &text, int times) {
        return QTest::qWaitFor(
            [&] { return (err += process.readAllStandardError()).count(text) >= times; }, 5000);
    };
    QVERIFY(errShows("monitoring", 1));
    QVERIFY(pty->writeMaster("\x41"));
    for (int replug = 1; replug <= 3; ++replug) {
        QTest::qWait(100);
        pty->closeMaster();
        QVERIFY2(errShows(commErrorMessage(CommPort::CommReadError).toUtf8(), replug), err.constData());
        QVERIFY(QFile::remove(link));
        pty = std::make_unique<PtyPair>();
        QTest::qWait(300);
        QVERIFY(QFile::link(pty->slavePath(), link));
        QVERIFY2(errShows("COM3 已重新打开：", replug), err.constData());
        QVERIFY(pty->writeMaster(QByteArray(1, char(0x41 + replug))));
    }
    const Run run = finish(process);
    err += run.err.toUtf8();
    QCOMPARE(run.out, QStringLiteral("41 42 43 44 \n"));
    QCOMPARE(err.count("COM3 已重新打开："), 3);
    QCOMPARE(err.count(commErrorMessage(CommPort::CommReadError).toUtf8()), 3);
    QCOMPARE(run.exitCode, 0);
}

void tst_Cli::ctrlCWhileTypingSendsNothing()
{
    QProcess process;
    startCli(process, m_link, { QStringLiteral("send"), QStringLiteral("-") });
    QVERIFY(process.waitForStarted());
    process.write("65 66");
    QTest::qWait(300);
    ::kill(pid_t(process.processId()), SIGINT);
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitStatus(), QProcess::CrashExit);
    QCOMPARE(cli({ QStringLiteral("done") }).exitCode, 0);
    QVERIFY(logShows(QStringLiteral("frame 16 -> no reply")));
    QCOMPARE(m_log.count(QStringLiteral("frame")), 1);
}

void tst_Cli::ctrlCStopsASend()
{
    // Nobody reads the far end: the line fills and the send waits on it.
    PtyPair pty;
    QVERIFY(pty.isValid());
    QProcess process;
    startCli(process, pty.slavePath(),
        { QStringLiteral("send"), QStringLiteral("--notation"), QStringLiteral("text"),
            QStringLiteral("-") });
    process.write(textOfSize(200000));
    process.closeWriteChannel();
    QTRY_VERIFY_WITH_TIMEOUT(waitingAt(pty.masterFd()) > 0, 10000);
    ::kill(pid_t(process.processId()), SIGINT);
    const Run run = finish(process);
    QCOMPARE(run.exitCode, 130);
    QVERIFY2(run.err.contains(QStringLiteral("数据发送失败")), qPrintable(run.err));
    // Stopped, not given up on as a stalled line.
    QVERIFY2(!run.err.contains(commErrorMessage(CommPort::DeviceBusy)), qPrintable(run.err));
    QCOMPARE(run.out, QString());
    QVERIFY(pty.readMaster().size() < 200000);
}

void tst_Cli::ctrlCEndsASearch()
{
    startSimulator({ QStringLiteral("--search-time"), QStringLiteral("5000") });
    QProcess process;
    startCli(process, m_link, { QStringLiteral("search"), QStringLiteral("0"), QStringLiteral("10") });
    QTRY_VERIFY_WITH_TIMEOUT(process.canReadLine(), 10000);
    ::kill(pid_t(process.processId()), SIGINT);
    const Run run = finish(process);
    QCOMPARE(run.exitCode, 130);
    QVERIFY2(run.out.startsWith(QStringLiteral("0\n")), qPrintable(run.out));
    QVERIFY2(!run.out.contains(QStringLiteral("10\n")), qPrintable(run.out));
}

void tst_Cli::progressBarOnlyOnATerminal_data()
{
    QTest::addColumn<bool>("terminal");
    QTest::newRow("stderr a terminal") << true;
    QTest::newRow("stderr a pipe") << false;
}

void tst_Cli::progressBarOnlyOnATerminal()
{
    QFETCH(bool, terminal);
    constexpr int dataSize = 150000;
    PtyPair line;
    PtyPair err;
    QVERIFY(line.isValid() && err.isValid());
    QProcess process;
    if (terminal)
        process.setStandardErrorFile(err.slavePath());
    startCli(process, line.slavePath(),
        { QStringLiteral("send"), QStringLiteral("--notation"), QStringLiteral("text"),
            QStringLiteral("-") });
    process.write(textOfSize(dataSize));
    process.closeWriteChannel();

    // The far end takes about 50 KB a second: beyond what the pty holds, the
    // send lasts well over a second.
    QByteArray sent;
    QByteArray errText;
    QTimer reader;
    connect(&reader, &QTimer::timeout, this, [&] {
        char buffer[1000];
        const ssize_t n = ::read(line.masterFd(), buffer, sizeof buffer);
        if (n > 0)
            sent.append(buffer, n);
        errText += err.readMaster(0);
    });
    reader.start(20);
    QTRY_VERIFY_WITH_TIMEOUT(process.state() == QProcess::NotRunning, 30000);
    reader.stop();
    errText += err.readMaster(0) + process.readAllStandardError();

    QCOMPARE(process.exitCode(), 0);
    sent += line.readMaster(100);
    QCOMPARE(sent.size(), qsizetype(8 + dataSize));
    QCOMPARE(errText.contains(QByteArray(" 100% ") + QByteArray::number(dataSize) + "/"), terminal);
    QCOMPARE(errText.contains('%'), terminal);
}

QString tst_Cli::lastKitLine()
{
    // The simulator logs as it goes; what the program saw answered is in.
    QTest::qWait(HostLogBatchMs);
    m_log += QString::fromUtf8(m_simulator->readAllStandardOutput());
    const QStringList lines = m_log.split(QLatin1Char('\n'));
    for (auto line = lines.crbegin(); line != lines.crend(); ++line) {
        if (line->startsWith(QStringLiteral("kit: ")))
            return *line;
    }
    return QString();
}

void tst_Cli::searchJsonGivesTheFreeAndTheNotFreeChannels()
{
    const Run run = cli(
        { QStringLiteral("--json"), QStringLiteral("search"), QStringLiteral("0"), QStringLiteral("10") });
    QCOMPARE(run.exitCode, 0);
    const QJsonObject result = QJsonDocument::fromJson(run.out.toUtf8()).object();
    QCOMPARE(result.value(QStringLiteral("free")).toArray(), QJsonArray({ 0, 1, 2, 4, 5, 6, 8, 9, 10 }));
    QCOMPARE(result.value(QStringLiteral("not_free")).toArray(), QJsonArray({ 3, 7 }));
    QCOMPARE(result.value(QStringLiteral("stray")).toArray(), QJsonArray());
}

// Printers 2 and 3 were moved away earlier; printer 4 is switched off.
void tst_Cli::surveyFindsPrintersOnThreeChannels()
{
    startSimulator({ QStringLiteral("--slave"), QStringLiteral("2:33:on"), QStringLiteral("--slave"),
        QStringLiteral("4:77:on"), QStringLiteral("--slave"), QStringLiteral("8:20:off") });
    const Run run = cli({ QStringLiteral("survey") });
    QCOMPARE(run.out,
        QStringLiteral("1号机 · 信道 20 · 在线\n2号机 · 信道 33 · 在线\n3号机 · 信道 77 · 在线\n"
                       "4号机 · 未找到\n主机 · 信道 20 · 已回到原信道\n"));
    QCOMPARE(run.err, QStringLiteral("veltrin-cli: 普查完成：已查信道 0-124，主机已回到信道 20。\n"));
    QCOMPARE(run.exitCode, 0);
    QVERIFY(logShows(QStringLiteral("frame 12 [124] -> reply 01")));
    QVERIFY(logShows(QStringLiteral("frame 15 [4] -> reply 01")));
    QCOMPARE(lastKitLine(),
        QStringLiteral("kit: host 20; printer 1 20 on, printer 2 33 on, printer 3 77 on, printer 4 20 off"));
}

void tst_Cli::surveyProgressOnlyOnATerminal_data()
{
    QTest::addColumn<bool>("terminal");
    QTest::newRow("stderr a terminal") << true;
    QTest::newRow("stderr a pipe") << false;
}

void tst_Cli::surveyProgressOnlyOnATerminal()
{
    QFETCH(bool, terminal);
    PtyPair err;
    QVERIFY(err.isValid());
    QProcess process;
    if (terminal)
        process.setStandardErrorFile(err.slavePath());
    startCli(process, m_link, { QStringLiteral("survey"), QStringLiteral("15"), QStringLiteral("25") });
    QByteArray errText;
    QTimer reader;
    connect(&reader, &QTimer::timeout, this, [&] { errText += err.readMaster(0); });
    reader.start(20);
    const Run run = finish(process);
    reader.stop();
    errText += err.readMaster(100) + run.err.toUtf8();
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(errText.contains("信道 25"), terminal);
    QCOMPARE(errText.contains('%'), terminal);
    QVERIFY(errText.contains("普查完成"));
}

// The module answers slowly, so that the survey is still under way when the
// signal comes.
void tst_Cli::ctrlCDuringASurveyPutsTheHostBackFirst()
{
    startSimulator({ QStringLiteral("--latency"), QStringLiteral("20") });
    QProcess process;
    startCli(process, m_link, { QStringLiteral("survey") });
    QVERIFY(logShows(QStringLiteral("frame 12 [5] -> reply 01")));
    ::kill(pid_t(process.processId()), SIGINT);
    const Run run = finish(process);
    QCOMPARE(run.exitCode, 130);
    QVERIFY2(run.err.contains(QStringLiteral("普查已停止")), qPrintable(run.err));
    QVERIFY2(run.err.contains(QStringLiteral("主机已回到信道 20")), qPrintable(run.err));
    // Stopped before channel 20, where the printers are.
    QVERIFY(run.out.startsWith(QStringLiteral("1号机 · 未找到\n")));
    QCOMPARE(lastKitLine(),
        QStringLiteral("kit: host 20; printer 1 20 on, printer 2 20 on, printer 3 20 on, printer 4 20 on"));
    QVERIFY(!m_log.contains(QStringLiteral("frame 12 [124]")));
    QVERIFY(m_log.endsWith(QStringLiteral("frame 19 -> reply 14\n")));
}

void tst_Cli::moveKitWithoutYesMovesNothing()
{
    const Run run = cli({ QStringLiteral("move-kit"), QStringLiteral("40") });
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.out, QString());
    QCOMPARE(run.err,
        QStringLiteral("veltrin-cli: 把 4 台打印机和主机从信道 20 迁到信道 40？\n"
                       "veltrin-cli: nothing moved: add --yes to move the kit\n"));
    QVERIFY(logShows(QStringLiteral("frame 15 [8] -> reply 01")));
    QCOMPARE(lastKitLine(), QString());
}

void tst_Cli::moveKitMovesAndVerifiesTheKit()
{
    startSimulator({ QStringLiteral("--slave"), QStringLiteral("8:20:off") });
    const Run run = cli({ QStringLiteral("--json"), QStringLiteral("move-kit"), QStringLiteral("40"),
        QStringLiteral("--yes") });
    QCOMPARE(run.exitCode, 0);
    const QJsonObject result = QJsonDocument::fromJson(run.out.toUtf8()).object();
    QCOMPARE(result.value(QStringLiteral("done")), QJsonValue(true));
    QCOMPARE(result.value(QStringLiteral("rows")).toArray(),
        QJsonArray({ "主机 · 信道 40 · 已确认", "1号机 · 信道 40 · 在线", "2号机 · 信道 40 · 在线",
            "3号机 · 信道 40 · 在线" }));
    QVERIFY(logShows(QStringLiteral("frame 11 [4 4 20 40] -> reply 01")));
    QVERIFY(logShows(QStringLiteral("frame 15 [4] -> reply 01")));
    QCOMPARE(lastKitLine(),
        QStringLiteral("kit: host 40; printer 1 40 on, printer 2 40 on, printer 3 40 on, printer 4 20 off"));
}

// Printer 1 moves, printer 2 ignores its re-address: printer 1 comes back,
// the host never leaves, printer 3 is never touched.
void tst_Cli::moveKitRollsBackAPrinterThatIgnoresTheReaddress()
{
    startSimulator({ QStringLiteral("--slave"), QStringLiteral("8:20:off"),
        QStringLiteral("--ignore-readdress"), QStringLiteral("2") });
    const Run run = cli({ QStringLiteral("move-kit"), QStringLiteral("40"), QStringLiteral("--yes") });
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.out,
        QStringLiteral("迁移失败：2号机没有接受迁到信道 40（设置失败）。所有模块已回到信道 20，并已确认。\n"
                       "主机 · 信道 20 · 已确认\n1号机 · 信道 20 · 在线\n2号机 · 信道 20 · 在线\n"
                       "3号机 · 信道 20 · 在线\n"));
    QVERIFY(logShows(QStringLiteral("frame 11 [1 1 20 40] -> reply 01")));
    QVERIFY(logShows(QStringLiteral("frame 11 [2 2 20 40] -> reply 00")));
    QVERIFY(logShows(QStringLiteral("frame 11 [1 1 40 20] -> reply 01")));
    QVERIFY(!m_log.contains(QStringLiteral("frame 11 [4 4")));
    QVERIFY(!m_log.contains(QStringLiteral("frame 12 [40]")));
    QCOMPARE(lastKitLine(),
        QStringLiteral("kit: host 20; printer 1 20 on, printer 2 20 on, printer 3 20 on, printer 4 20 off"));
}

QTEST_GUILESS_MAIN(tst_Cli)
#include "tst_cli.moc"
