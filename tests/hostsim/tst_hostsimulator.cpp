#include "TtyClient.h"
#include "hostsim/HostLog.h"
#include "hostsim/HostSimApplication.h"
#include "hostsim/HostSimulator.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <csignal>

namespace {

const QByteArray P = QByteArray::fromHex("16066A660A03");

QByteArray frame(const char *hexCodeAndArguments)
{
    return P + QByteArray::fromHex(hexCodeAndArguments);
}

QByteArray fileContents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(no file)");
}

} // namespace

class tst_HostSimulator : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void repliesComeBackOnThePty();
    void chunkDelayDeliversInBursts();
    void hostBaudRateSetsTheLineSpeed();
    void printDataGoesToPrinterFiles();
    void linkIsReplacedAndRemoved();
    void linkNeverReplacesAFile();
    void logShowsFramesAndDeliveries();
    void applicationRunsUntilTerminated();
};

void tst_HostSimulator::repliesComeBackOnThePty()
{
    HostSimulator simulator;
    QString error;
    QVERIFY2(simulator.start(&error), qPrintable(error));
    TtyClient client(simulator.slavePath());
    QVERIFY(client.isOpen());

    QVERIFY(client.write(frame("0F04")));
    QTRY_COMPARE(client.received(), QByteArray("\x01"));
    // A frame dribbled in byte by byte, as the program's transmitter sends it.
    for (char byte : frame("0C21") + frame("13")) {
        QVERIFY(client.write(QByteArray(1, byte)));
        QTest::qWait(1);
    }
    QTRY_COMPARE(client.received(), QByteArray("\x01\x01\x21"));
    QCOMPARE(simulator.module().hostChannel(), 33);
}

void tst_HostSimulator::chunkDelayDeliversInBursts()
{
    HostOptions options;
    options.chunkDelayMs = 1000;
    options.latencyMs = 0;
    HostSimulator simulator(options);
    QString error;
    QVERIFY2(simulator.start(&error), qPrintable(error));
    TtyClient client(simulator.slavePath());
    QSignalSpy frames(&simulator.module(), &HostModule::frameExecuted);

    QElapsedTimer clock;
    clock.start();
    QVERIFY(client.write(frame("0F04").left(4)));
    QTest::qWait(50);
    QVERIFY(client.write(frame("0F04").mid(4)));
    QTest::qWait(150);
    // Held by the latency timer: the module has not seen the frame yet.
    QCOMPARE(frames.count(), 0);
    QTRY_COMPARE(client.received(), QByteArray("\x01"));
    QCOMPARE(frames.count(), 1);
    QVERIFY(clock.elapsed() >= 1000);
}

void tst_HostSimulator::hostBaudRateSetsTheLineSpeed()
{
    HostSimulator simulator;
    QString error;
    QVERIFY2(simulator.start(&error), qPrintable(error));
    TtyClient client(simulator.slavePath());
    QCOMPARE(client.lineSpeed(), 38400);
    QCOMPARE(simulator.lineSpeed(), 38400);

    QVERIFY(client.write(frame("1200")));
    QTRY_COMPARE(client.received(), QByteArray("\x01", 1));
    QTRY_COMPARE(client.lineSpeed(), 9600);
    QCOMPARE(simulator.lineSpeed(), 9600);
    QCOMPARE(simulator.module().hostBaudIndex(), 0);
}

void tst_HostSimulator::printDataGoesToPrinterFiles()
{
    QTemporaryDir folder;
    HostOptions options;
    options.outDir = folder.filePath(QStringLiteral("paper"));
    options.slaves[0].online = false;
    HostSimulator simulator(options);
    QString error;
    QVERIFY2(simulator.start(&error), qPrintable(error));
    TtyClient client(simulator.slavePath());

    QVERIFY(client.write("lost" + frame("0D07") + "hello" + frame("0D04") + QByteArray::fromHex("16066A41")));
    QTRY_COMPARE(simulator.printed(3), "hello" + QByteArray::fromHex("16066A41"));
    QCOMPARE(simulator.printed(2), QByteArray("hello"));
    QCOMPARE(fileContents(simulator.printerFile(3)), simulator.printed(3));
    QCOMPARE(fileContents(simulator.printerFile(2)), QByteArray("hello"));
    QVERIFY(!QFileInfo::exists(simulator.printerFile(1)));
    QVERIFY(!QFileInfo::exists(simulator.printerFile(4)));
    QCOMPARE(simulator.printerFile(3), options.outDir + QStringLiteral("/printer3.bin"));
}

void tst_HostSimulator::linkIsReplacedAndRemoved()
{
    QTemporaryDir folder;
    HostOptions options;
    options.linkPath = folder.filePath(QStringLiteral("com3"));
    QVERIFY(QFile::link(QStringLiteral("/dev/pts/nothing-here"), options.linkPath));
    {
        HostSimulator simulator(options);
        QString error;
        QVERIFY2(simulator.start(&error), qPrintable(error));
        QCOMPARE(QFileInfo(options.linkPath).symLinkTarget(), simulator.slavePath());
        TtyClient client(options.linkPath);
        QVERIFY(client.write(frame("13")));
        QTRY_COMPARE(client.received(), QByteArray("\x14"));
    }
    QVERIFY(!QFileInfo(options.linkPath).isSymLink());
}

void tst_HostSimulator::linkNeverReplacesAFile()
{
    QTemporaryDir folder;
    HostOptions options;
    options.linkPath = folder.filePath(QStringLiteral("com3"));
    QFile file(options.linkPath);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("keep") == 4);
    file.close();

    HostSimulator simulator(options);
    QString error;
    QVERIFY(!simulator.start(&error));
    QVERIFY2(error.contains(QStringLiteral("not a symbolic link")), qPrintable(error));
    QCOMPARE(fileContents(options.linkPath), QByteArray("keep"));
}

void tst_HostSimulator::logShowsFramesAndDeliveries()
{
    HostOptions options;
    options.frameTimeoutMs = 20;
    HostSimulator simulator(options);
    QString error;
    QVERIFY2(simulator.start(&error), qPrintable(error));
    QBuffer out;
    QBuffer err;
    out.open(QIODevice::WriteOnly);
    err.open(QIODevice::WriteOnly);
    {
        HostLog log(out, err);
        log.watch(simulator);
        TtyClient client(simulator.slavePath());
        QSignalSpy dropped(&simulator.module(), &HostModule::frameDropped);
        for (const QByteArray &bytes : { "A" + frame("0D04"), QByteArray("AB"),
                 frame("10") + frame("2A") + frame("0E1415"), frame("0B08") }) {
            QVERIFY(client.write(bytes));
            QTest::qWait(5);
        }
        QTRY_COMPARE(dropped.count(), 1);
        QVERIFY(client.write(frame("1201")));
        QTRY_COMPARE(simulator.lineSpeed(), 19200);
    }
    QCOMPARE(QString::fromLatin1(out.data()).split('\n'),
        (QStringList { "undelivered: 41", "frame 13 [4] -> reply 01", "printer 3: 41 42",
            "frame 16 -> no reply", "unknown code 2A after the preamble: the preamble is print data",
            "printer 3: 16 06 6A 66 0A 03 2A", "frame 14 [20 21] -> reply 15",
            "frame 11 [8] incomplete, dropped", "frame 18 [1] -> reply 01", "line speed 19200 bit/s", "" }));
    QVERIFY(err.data().isEmpty());
}

void tst_HostSimulator::applicationRunsUntilTerminated()
{
    QTemporaryDir folder;
    const QString link = folder.filePath(QStringLiteral("com3"));
    QBuffer out;
    QBuffer err;
    out.open(QIODevice::WriteOnly);
    err.open(QIODevice::WriteOnly);
    HostSimApplication application(out, err);
    std::unique_ptr<TtyClient> client;
    QTimer terminator;
    QElapsedTimer waited;
    connect(&application, &HostSimApplication::started, this, [&] {
        client = std::make_unique<TtyClient>(link);
        client->write(frame("0D04") + "AB");
        waited.start();
        terminator.start(10);
    });
    connect(&terminator, &QTimer::timeout, this, [&] {
        if (out.data().contains("printer 3: 41 42") || !client->isOpen() || waited.elapsed() > 10000)
            ::raise(SIGTERM);
    });

    QCOMPARE(application.run({ "veltrin-hostsim", "--link", link, "--busy", "7,3" }), 0);
    const QStringList lines = QString::fromLatin1(out.data()).split('\n');
    QVERIFY2(lines.size() > 8, out.data().constData());
    QVERIFY(lines.at(0).startsWith(QStringLiteral("/dev/pts/")));
    QCOMPARE(lines.at(1), QStringLiteral("link %1 -> %2").arg(link, lines.at(0)));
    QCOMPARE(lines.at(2), QStringLiteral("host channel 20, 38400 bit/s, printer set 0"));
    QCOMPARE(lines.at(5), QStringLiteral("printer 3: address 4, channel 20, on line"));
    QCOMPARE(lines.at(7), QStringLiteral("busy channels: 3 7"));
    QVERIFY(lines.contains(QStringLiteral("printer 3: 41 42")));
    QVERIFY(!QFileInfo(link).isSymLink());
    QVERIFY(err.data().isEmpty());
}

QTEST_GUILESS_MAIN(tst_HostSimulator)
#include "tst_hostsimulator.moc"
