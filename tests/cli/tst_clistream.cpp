// The simulator's --stream through replugs, read by veltrin-cli monitor
// --raw --reconnect: both programs of their own, as bench/soak.sh runs them.
// What proves it is a cmp of the file the simulator sent with the bytes the
// monitor wrote: a stream that went on while the pty was away, or a monitor
// that lost what arrived around a return, leaves a gap or a shift.

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

class tst_CliStream : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void streamArrivesWholeAcrossReplugs();
};

void tst_CliStream::streamArrivesWholeAcrossReplugs()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QByteArray sent(32 * 1024 * 1024, Qt::Uninitialized);
    QRandomGenerator generator(31);
    generator.fillRange(reinterpret_cast<quint32 *>(sent.data()), sent.size() / 4);
    QFile file(dir.filePath(QStringLiteral("stream.bin")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(sent);
    file.close();

    const QString link = dir.filePath(QStringLiteral("hostlink"));
    QProcess simulator;
    simulator.start(QStringLiteral(VELTRIN_HOSTSIM_PATH),
        { QStringLiteral("--link"), link, QStringLiteral("--stream"), file.fileName(),
            QStringLiteral("--replug-after"), QStringLiteral("150"), QStringLiteral("--away"),
            QStringLiteral("100"), QStringLiteral("--replugs"), QStringLiteral("4") });
    QVERIFY(simulator.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(simulator.canReadLine(), 10000);

    QProcess monitor;
    monitor.start(QStringLiteral(VELTRIN_CLI_PATH),
        { QStringLiteral("--port"), link, QStringLiteral("monitor"), QStringLiteral("--raw"),
            QStringLiteral("--reconnect") });
    QVERIFY(monitor.waitForStarted());
    QByteArray received;
    QString log;
    const bool whole = QTest::qWaitFor(
        [&] {
            received += monitor.readAllStandardOutput();
            log += QString::fromUtf8(simulator.readAllStandardOutput());
            return received.size() >= sent.size() && log.contains(QStringLiteral("stream: all"));
        },
        60000);
    monitor.terminate();
    QVERIFY(monitor.waitForFinished(10000));
    received += monitor.readAllStandardOutput();
    simulator.terminate();
    simulator.waitForFinished();
    QVERIFY2(whole, qPrintable(log));
    // The replugs came while the stream ran: all four returns before its end.
    QCOMPARE(log.count(QStringLiteral("plugged back")), 4);
    QVERIFY2(log.indexOf(QStringLiteral("stream: all 33554432 bytes sent"))
            > log.lastIndexOf(QStringLiteral("plugged back")),
        qPrintable(log));
    QCOMPARE(received.size(), sent.size());
    QVERIFY(received == sent);
}

QTEST_GUILESS_MAIN(tst_CliStream)
#include "tst_clistream.moc"
