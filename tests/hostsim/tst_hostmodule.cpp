#include "hostsim/HostCommandLine.h"
#include "hostsim/HostModule.h"

#include <QSignalSpy>
#include <QTest>

namespace {

const QByteArray P = QByteArray::fromHex("16066A660A03");

QByteArray frame(const char *hexCodeAndArguments)
{
    return P + QByteArray::fromHex(hexCodeAndArguments);
}

HostOptions optionsFrom(const QStringList &arguments)
{
    HostCommandLine commandLine;
    const bool parsed = commandLine.parse(QStringList { QStringLiteral("veltrin-hostsim") } + arguments);
    Q_ASSERT(parsed);
    return commandLine.options();
}

// A module whose replies are collected as they go out.
struct Fixture {
    explicit Fixture(const QStringList &arguments = {})
        : module(optionsFrom(arguments))
    {
        QObject::connect(
            &module, &HostModule::replyReady, [this](const QByteArray &bytes) { replies += bytes; });
    }

    // Feeds a frame and waits for exactly the expected reply; a frame 19
    // behind it proves that nothing else came first.
    bool answers(const QByteArray &bytes, const QByteArray &expected)
    {
        replies.clear();
        module.feed(bytes + frame("13"));
        const QByteArray withChannel = expected + char(module.hostChannel());
        return QTest::qWaitFor([&] { return replies.size() >= withChannel.size(); })
            && replies == withChannel;
    }

    HostModule module;
    QByteArray replies;
};

} // namespace

class tst_HostModule : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void replyRules_data();
    void replyRules();
    void readdressedPrinterAnswersAtItsNewPlace();
    void baudRatesChange();
    void channelSearchLetsOtherRepliesThrough();
    void printDataReachesSelectedOnLinePrintersOnTheHostChannel();
    void incompleteFramesAndUnknownCodes();
};

void tst_HostModule::replyRules_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("reply");

    const QByteArray one("\x01", 1);
    const QByteArray zero("\x00", 1);
    const QStringList defaults;
    QTest::newRow("11 printer 4 on channel 20") << defaults << frame("0B08011414") << one;
    QTest::newRow("11 printer 4 not on channel 30") << defaults << frame("0B08011E14") << zero;
    QTest::newRow("11 printer 4 off line")
        << QStringList { "--slave", "8:20:off" } << frame("0B08011414") << zero;
    QTest::newRow("11 no printer at address 3") << defaults << frame("0B03011414") << zero;
    QTest::newRow("11 new address 3 is no address") << defaults << frame("0B08031414") << zero;
    QTest::newRow("11 new channel 125") << defaults << frame("0B0801147D") << zero;
    QTest::newRow("12 channel 124") << defaults << frame("0C7C") << one;
    QTest::newRow("12 channel 125") << defaults << frame("0C7D") << zero;
    QTest::newRow("13 printers 1 and 3") << defaults << frame("0D05") << one;
    QTest::newRow("13 print-test none ticked (128)") << defaults << frame("0D80") << one;
    QTest::newRow("14 channels 0-5, 3 busy") << QStringList { "--busy", "3", "--search-time", "0" }
                                             << frame("0E0005") << QByteArray::fromHex("0001020405");
    QTest::newRow("14 reversed range 5-0") << QStringList { "--busy", "3", "--search-time", "0" }
                                           << frame("0E0500") << QByteArray::fromHex("0001020405");
    QTest::newRow("14 slaves' channels are not free") << QStringList { "--slave", "1:18:off", "--search-time",
        "0" } << frame("0E1216") << QByteArray::fromHex("131516");
    QTest::newRow("14 range clipped at 124")
        << QStringList { "--search-time", "0" } << frame("0E7AC8") << QByteArray::fromHex("7A7B7C");
    QTest::newRow("14 nothing free") << QStringList { "--busy", "19,21" } << frame("0E1315") << QByteArray();
    QTest::newRow("15 printer 1 on line") << defaults << frame("0F01") << one;
    QTest::newRow("15 printer 4 on line") << defaults << frame("0F08") << one;
    QTest::newRow("15 printer 2 off line") << QStringList { "--slave", "2:20:off" } << frame("0F02") << zero;
    QTest::newRow("15 printer 2 on another channel")
        << QStringList { "--slave", "2:21:on" } << frame("0F02") << zero;
    QTest::newRow("15 address 3") << defaults << frame("0F03") << zero;
    QTest::newRow("16 no reply") << defaults << frame("10") << QByteArray();
    QTest::newRow("17 printer 3 to 115200") << defaults << frame("110403") << one;
    QTest::newRow("17 baud index 4") << defaults << frame("110404") << zero;
    QTest::newRow("17 printer 3 on another channel")
        << QStringList { "--slave", "4:21:on" } << frame("110403") << zero;
    QTest::newRow("18 host to 9600") << defaults << frame("1200") << one;
    QTest::newRow("18 baud index 4") << defaults << frame("1204") << zero;
    QTest::newRow("19 default channel 20") << defaults << frame("13") << QByteArray("\x14");
    QTest::newRow("19 channel 100") << QStringList { "--channel", "100" } << frame("13")
                                    << QByteArray("\x64");
}

void tst_HostModule::replyRules()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, reply);

    Fixture fixture(arguments);
    QVERIFY2(fixture.answers(bytes, reply), fixture.replies.toHex(' ').constData());
}

void tst_HostModule::readdressedPrinterAnswersAtItsNewPlace()
{
    Fixture fixture;
    const QByteArray one("\x01", 1);
    const QByteArray zero("\x00", 1);
    QVERIFY(fixture.answers(frame("0B08021421"), one)); // printer 4: address 2, channel 33
    QCOMPARE(fixture.module.slaves().at(3), (SlaveModule { 2, 33, true, 2 }));
    QVERIFY(fixture.answers(frame("0F08"), zero));
    QVERIFY(fixture.answers(frame("0F02"), one)); // printer 2 still answers there
    QVERIFY(fixture.answers(frame("0C21"), one));
    QCOMPARE(fixture.module.hostChannel(), 33);
    QVERIFY(fixture.answers(frame("0F01"), zero));
    QVERIFY(fixture.answers(frame("0F02"), one)); // now printer 4
    QVERIFY(fixture.answers(frame("0B02022114"), one));
    QVERIFY(fixture.answers(frame("0F02"), zero));
    QCOMPARE(fixture.module.freeChannels(33, 33), QList<int> { 33 });
}

void tst_HostModule::baudRatesChange()
{
    Fixture fixture;
    QVERIFY(fixture.answers(frame("110803"), QByteArray("\x01")));
    QCOMPARE(fixture.module.slaves().at(3).baudIndex, 3);
    QCOMPARE(fixture.module.slaves().at(0).baudIndex, 2);

    QStringList order;
    connect(&fixture.module, &HostModule::replyReady, this,
        [&](const QByteArray &bytes) { order << bytes.toHex(); });
    connect(&fixture.module, &HostModule::hostBaudIndexChanged, this,
        [&](int index) { order << QString::number(index); });
    fixture.module.feed(frame("1201"));
    QCOMPARE(fixture.module.hostBaudIndex(), 2);
    QTRY_COMPARE(order, (QStringList { "01", "1" }));
    QCOMPARE(fixture.module.hostBaudIndex(), 1);
}

void tst_HostModule::channelSearchLetsOtherRepliesThrough()
{
    Fixture fixture({ "--search-time", "300" });
    QSignalSpy executed(&fixture.module, &HostModule::frameExecuted);
    fixture.module.feed(frame("0E0004") + frame("0F01"));
    QCOMPARE(executed.count(), 2);
    QCOMPARE(executed.at(0).at(2).toByteArray(), QByteArray::fromHex("0001020304"));
    QTRY_COMPARE(fixture.replies, QByteArray::fromHex("000101020304"));
}

void tst_HostModule::printDataReachesSelectedOnLinePrintersOnTheHostChannel()
{
    HostModule module(optionsFrom({ "--slave", "1:20:off", "--slave", "8:21:on" }));
    QStringList deliveries;
    connect(&module, &HostModule::delivered, this,
        [&](int printer, const QByteArray &data) { deliveries << QString::number(printer) + ':' + data; });
    connect(&module, &HostModule::undelivered, this,
        [&](const QByteArray &data) { deliveries << "none:" + data; });

    QCOMPARE(module.selectedPrinters(), 0);
    module.feed("before");
    module.feed("x" + frame("0D0F") + "all" + frame("0D04") + "three");
    module.feed(frame("0D09") + "off or away");
    module.feed(frame("0C15") + "away is home");
    QCOMPARE(deliveries,
        (QStringList {
            "none:before", "none:x", "2:all", "3:all", "3:three", "none:off or away", "4:away is home" }));

    deliveries.clear();
    module.feed(frame("0D06") + QByteArray::fromHex("16066A41"));
    QCOMPARE(deliveries, (QStringList { "none:" + QByteArray::fromHex("16066A41") }));
    QVERIFY(!module.isReceiving(2) && !module.isReceiving(3));
}

void tst_HostModule::incompleteFramesAndUnknownCodes()
{
    Fixture fixture({ "--frame-timeout", "50" });
    QSignalSpy dropped(&fixture.module, &HostModule::frameDropped);
    QSignalSpy unknown(&fixture.module, &HostModule::unknownCode);
    QSignalSpy undelivered(&fixture.module, &HostModule::undelivered);

    fixture.module.feed(frame("0B0801"));
    QVERIFY(fixture.module.isHoldingFrame());
    QTRY_COMPARE(dropped.count(), 1);
    QCOMPARE(dropped.at(0).at(0).toInt(), 11);
    QCOMPARE(dropped.at(0).at(1).toByteArray(), QByteArray::fromHex("0801"));
    QVERIFY(!fixture.module.isHoldingFrame());
    QVERIFY(fixture.answers({}, {}));

    fixture.module.feed(frame("2A") + "A" + QByteArray::fromHex("1606"));
    QCOMPARE(unknown.count(), 1);
    QCOMPARE(unknown.at(0).at(0).toInt(), 0x2A);
    QTRY_COMPARE(undelivered.count(), 2);
    QCOMPARE(undelivered.at(0).at(0).toByteArray() + undelivered.at(1).at(0).toByteArray(),
        frame("2A") + "A" + QByteArray::fromHex("1606"));
    QVERIFY(fixture.answers({}, {}));
}

QTEST_GUILESS_MAIN(tst_HostModule)
#include "tst_hostmodule.moc"
