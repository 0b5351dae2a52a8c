#include "hostsim/HostCommandLine.h"

#include <QTest>

class tst_HostCommandLine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void defaults();
    void options();
    void hardCasesNamePrintersByAddress();
    void wrongArguments_data();
    void wrongArguments();
};

namespace {

bool parse(HostCommandLine &commandLine, const QStringList &arguments)
{
    return commandLine.parse(QStringList { QStringLiteral("veltrin-hostsim") } + arguments);
}

} // namespace

void tst_HostCommandLine::defaults()
{
    HostCommandLine commandLine;
    QVERIFY(parse(commandLine, {}));
    const HostOptions &options = commandLine.options();
    QCOMPARE(options.hostChannel, 20);
    QCOMPARE(options.hostBaudIndex, 2);
    QCOMPARE(options.slaves,
        (QList<SlaveModule> {
            { 1, 20, true, 2 }, { 2, 20, true, 2 }, { 4, 20, true, 2 }, { 8, 20, true, 2 } }));
    QVERIFY(options.busyChannels.isEmpty());
    QCOMPARE(options.latencyMs, 2);
    QCOMPARE(options.searchTimeMs, 2000);
    QCOMPARE(options.replugAfterMs, 0);
    QCOMPARE(options.replugs, 1);
    QCOMPARE(options.awayMs, 1000);
    QVERIFY(!options.quiet);
}

void tst_HostCommandLine::options()
{
    HostCommandLine commandLine;
    QVERIFY(parse(commandLine,
        { "--channel", "30", "--slave", "4:50:off", "--slave", "8:7:on", "--slave", "4:51:on", "--busy",
            "3,7", "--busy", "50", "--latency", "0", "--chunk-delay", "16", "--search-time", "5000",
            "--frame-timeout", "20", "--out", "/tmp/o", "--link", "/tmp/l", "--replug-after", "300",
            "--replugs", "20", "--away", "150", "--quiet" }));
    const HostOptions &options = commandLine.options();
    QCOMPARE(options.hostChannel, 30);
    QCOMPARE(options.slaves,
        (QList<SlaveModule> {
            { 1, 30, true, 2 }, { 2, 30, true, 2 }, { 4, 51, true, 2 }, { 8, 7, true, 2 } }));
    QCOMPARE(options.busyChannels, (QSet<int> { 3, 7, 50 }));
    QCOMPARE(options.latencyMs, 0);
    QCOMPARE(options.chunkDelayMs, 16);
    QCOMPARE(options.searchTimeMs, 5000);
    QCOMPARE(options.frameTimeoutMs, 20);
    QCOMPARE(options.outDir, QStringLiteral("/tmp/o"));
    QCOMPARE(options.linkPath, QStringLiteral("/tmp/l"));
    QCOMPARE(options.replugAfterMs, 300);
    QCOMPARE(options.replugs, 20);
    QCOMPARE(options.awayMs, 150);
    QVERIFY(options.quiet);
}

void tst_HostCommandLine::hardCasesNamePrintersByAddress()
{
    HostCommandLine commandLine;
    QVERIFY(parse(commandLine,
        { "--ignore-readdress", "2", "--ignore-readdress", "1", "--drop-after-readdress", "8" }));
    QCOMPARE(commandLine.options().ignoringReaddress, (QSet<int> { 1, 2 }));
    QCOMPARE(commandLine.options().droppingAfterReaddress, QSet<int> { 4 });
}

void tst_HostCommandLine::wrongArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("mentions");

    QTest::newRow("channel 125") << QStringList { "--channel", "125" } << "--channel";
    QTest::newRow("channel not a number") << QStringList { "--channel", "x" } << "--channel";
    QTest::newRow("slave address 3") << QStringList { "--slave", "3:20:on" } << "3:20:on";
    QTest::newRow("slave channel 200") << QStringList { "--slave", "1:200:on" } << "1:200:on";
    QTest::newRow("slave state maybe") << QStringList { "--slave", "1:20:maybe" } << "1:20:maybe";
    QTest::newRow("slave without state") << QStringList { "--slave", "1:20" } << "1:20";
    QTest::newRow("busy with a gap") << QStringList { "--busy", "3,,7" } << "3,,7";
    QTest::newRow("search time above 5000") << QStringList { "--search-time", "5001" } << "--search-time";
    QTest::newRow("negative latency") << QStringList { "--latency", "-1" } << "--latency";
    QTest::newRow("negative chunk delay") << QStringList { "--chunk-delay", "-1" } << "--chunk-delay";
    QTest::newRow("replug after 0 ms") << QStringList { "--replug-after", "0" } << "--replug-after";
    QTest::newRow("away 0 ms") << QStringList { "--away", "0" } << "--away";
    QTest::newRow("no replugs") << QStringList { "--replug-after", "100", "--replugs", "0" } << "--replugs";
    QTest::newRow("replugs without a plan") << QStringList { "--replugs", "3" } << "--replug-after";
    QTest::newRow("ignoring address 3") << QStringList { "--ignore-readdress", "3" } << "--ignore-readdress";
    QTest::newRow("dropping address 16")
        << QStringList { "--drop-after-readdress", "16" } << "--drop-after-readdress";
    QTest::newRow("unknown option") << QStringList { "--colour" } << "colour";
    QTest::newRow("stray argument") << QStringList { "extra" } << "extra";
}

void tst_HostCommandLine::wrongArguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, mentions);

    HostCommandLine commandLine;
    QVERIFY(!parse(commandLine, arguments));
    QVERIFY2(commandLine.errorText().contains(mentions), qPrintable(commandLine.errorText()));
}

QTEST_GUILESS_MAIN(tst_HostCommandLine)
#include "tst_hostcommandline.moc"
