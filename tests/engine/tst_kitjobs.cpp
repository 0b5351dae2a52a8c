// The kit jobs against the simulated host module (the real HostModule on a
// pty, in this process): the engine both front ends build asks, and the
// module's own state afterwards proves where every module is. A bare pty,
// where nobody answers, stands for a host that is not there.

#include "PtyPair.h"
#include "SimulatedKit.h"
#include "engine/ChannelSearchResult.h"
#include "engine/ChannelSearchWatch.h"
#include "engine/KitMove.h"
#include "engine/KitSurvey.h"
#include "protocol/ControlFrame.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

constexpr int home = 20;

HostOptions kitOptions()
{
    HostOptions options;
    options.quiet = true;
    options.searchTimeMs = 100;
    // Printer 4 is switched off: three printers make the kit.
    options.slaves[3].online = false;
    return options;
}

} // namespace

class tst_KitJobs : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup();

    void searchResultIsAMapOfTheRange_data();
    void searchResultIsAMapOfTheRange();
    void wifiChannelsAssumeTwoPointFourGigahertzPlusN();
    void searchWatchGathersTheSimulatorsFreeChannels();

    void surveyFindsPrintersOnThreeChannels();
    void stoppedSurveyPutsTheHostBack();
    void surveyWithoutAHostStartsNothing();

    void moveOfThreePrintersIsVerified();
    void failingPrinterIsRolledBackAndReported_data();
    void failingPrinterIsRolledBackAndReported();
    void moveToTheHostsOwnChannelSendsNothing();

private:
    SimulatedKit &start(const HostOptions &options);
    // Each module the report places is where the simulator has it; the
    // printers it cannot place are off line there.
    void compareWithSimulator(const KitMove::Report &report);

    std::unique_ptr<SimulatedKit> m_kit;
};

void tst_KitJobs::cleanup()
{
    m_kit.reset();
}

SimulatedKit &tst_KitJobs::start(const HostOptions &options)
{
    m_kit = std::make_unique<SimulatedKit>(options);
    if (!m_kit->start())
        qFatal("%s", qPrintable(m_kit->error));
    return *m_kit;
}

void tst_KitJobs::searchResultIsAMapOfTheRange_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<QList<int>>("free");
    QTest::addColumn<QList<int>>("notFree");
    QTest::addColumn<QList<int>>("stray");
    QTest::newRow("some free") << 0 << 5 << QByteArray("\x00\x02\x05", 3) << QList<int> { 0, 2, 5 }
                               << QList<int> { 1, 3, 4 } << QList<int> {};
    QTest::newRow("range given backwards, as the module takes it")
        << 5 << 3 << QByteArray("\x04") << QList<int> { 4 } << QList<int> { 3, 5 } << QList<int> {};
    QTest::newRow("bytes outside the range are no free channel")
        << 10 << 12 << QByteArray("\x0b\x30\xff") << QList<int> { 11 } << QList<int> { 10, 12 }
        << QList<int> { 48, 255 };
    QTest::newRow("nothing came back")
        << 124 << 124 << QByteArray() << QList<int> {} << QList<int> { 124 } << QList<int> {};
}

void tst_KitJobs::searchResultIsAMapOfTheRange()
{
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(QByteArray, answer);
    QFETCH(QList<int>, free);
    QFETCH(QList<int>, notFree);
    QFETCH(QList<int>, stray);
    ChannelSearchResult result(first, last);
    result.take(answer);
    QCOMPARE(result.freeChannels(), free);
    QCOMPARE(result.notFreeChannels(), notFree);
    QCOMPARE(result.strayBytes(), stray);
    QVERIFY(!result.isSearched(std::min(first, last) - 1));
}

void tst_KitJobs::wifiChannelsAssumeTwoPointFourGigahertzPlusN()
{
    // Wi-Fi 1, 6 and 11 are centred at 2412, 2437 and 2462 MHz.
    const QList<ChannelSearchResult::WifiChannel> wifi = ChannelSearchResult::wifiChannels();
    QCOMPARE(wifi.size(), 3);
    QCOMPARE(wifi.at(0).centre, 12);
    QCOMPARE(wifi.at(1).centre, 37);
    QCOMPARE(wifi.at(2).centre, 62);
    QCOMPARE(wifi.at(2).low, 51);
    QCOMPARE(wifi.at(2).high, 73);
}

void tst_KitJobs::searchWatchGathersTheSimulatorsFreeChannels()
{
    HostOptions options = kitOptions();
    options.busyChannels = { 3, 7, 12 };
    SimulatedKit &kit = start(options);
    ChannelSearchWatch watch(kit.engine.exchange(), kit.engine.commEvents());
    QSignalSpy ended(&watch, &ChannelSearchWatch::ended);
    kit.engine.exchange().search(ControlFrame::text(ControlFrame::SearchFreeChannels, { 0, 30 }));
    watch.start(0, 30);
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 1, 10000);
    const auto result = ended.at(0).at(0).value<ChannelSearchResult>();
    QCOMPARE(result.freeChannels(), kit.module().freeChannels(0, 30));
    QCOMPARE(result.notFreeChannels(), (QList<int> { 3, 7, 12, home }));
    // The viewer's path got every byte too.
    QCOMPARE(kit.received.size(), kit.module().freeChannels(0, 30).size());
}

void tst_KitJobs::surveyFindsPrintersOnThreeChannels()
{
    HostOptions options = kitOptions();
    options.slaves[1].channel = 33;
    options.slaves[2].channel = 77;
    SimulatedKit &kit = start(options);
    KitSurvey survey(kit.engine);
    QSignalSpy found(&survey, &KitSurvey::printerFound);
    QSignalSpy gate(&kit.engine, &KitEngine::jobRunningChanged);

    const KitSurvey::Result result = survey.run(0, 124);
    QVERIFY(result.isComplete());
    QCOMPARE(result.found, (QList<QList<int>> { { home }, { 33 }, { 77 }, {} }));
    QCOMPARE(found.count(), 3);
    QCOMPARE(result.rows(),
        (QStringList { "1号机 · 信道 20 · 在线", "2号机 · 信道 33 · 在线", "3号机 · 信道 77 · 在线",
            "4号机 · 未找到", "主机 · 信道 20 · 已回到原信道" }));
    QCOMPARE(result.summary(), QStringLiteral("普查完成：已查信道 0-124，主机已回到信道 20。"));
    QCOMPARE(kit.module().hostChannel(), home);
    // The panels held their commands for the whole survey.
    QCOMPARE(gate.count(), 2);
    QCOMPARE(gate.at(0).at(0).toBool(), true);
    QCOMPARE(gate.at(1).at(0).toBool(), false);
    QVERIFY(!kit.engine.jobRunning());
}

void tst_KitJobs::stoppedSurveyPutsTheHostBack()
{
    HostOptions options = kitOptions();
    options.slaves[1].channel = 5;
    options.slaves[2].channel = 90;
    SimulatedKit &kit = start(options);
    KitSurvey survey(kit.engine);
    connect(&survey, &KitSurvey::channelStarted, &survey, [&survey](int channel) {
        if (channel == 40)
            survey.stop();
    });
    const KitSurvey::Result result = survey.run(0, 124);
    QVERIFY(result.stopped);
    QVERIFY(!result.isComplete());
    QCOMPARE(result.lastSurveyed, 39);
    QCOMPARE(result.found, (QList<QList<int>> { { home }, { 5 }, {}, {} }));
    QCOMPARE(kit.module().hostChannel(), home);
    QVERIFY(result.hostRestored);
    QCOMPARE(result.summary(), QStringLiteral("普查已停止：已查信道 0-39，主机已回到信道 20。"));
}

void tst_KitJobs::surveyWithoutAHostStartsNothing()
{
    PtyPair pty;
    QVERIFY(pty.isValid());
    SimulatedKit kit(kitOptions());
    // The engine on a bare pty: nobody answers.
    qputenv("VELTRIN_COM3", pty.slavePath().toLocal8Bit());
    kit.engine.portSettings().ApplyPortDefaults();
    kit.engine.portSettings().SelectHandshake(0);
    kit.engine.portSettings().OpenPort();
    KitSurvey survey(kit.engine);
    const KitSurvey::Result result = survey.run(0, 124);
    QCOMPARE(result.failure, QStringLiteral("主机没有回答信道检测，普查没有开始"));
    QVERIFY(!result.hostChannel);
    // Only the host-channel question went out.
    QCOMPARE(pty.readMaster(), ControlFrame::bytes(ControlFrame::HostChannel));
}

void tst_KitJobs::compareWithSimulator(const KitMove::Report &report)
{
    const HostModule &module = m_kit->module();
    QCOMPARE(report.modules.constFirst().name, QStringLiteral("主机"));
    QCOMPARE(report.modules.constFirst().channel, std::optional<int>(module.hostChannel()));
    for (const KitMove::Module &printer : report.modules.mid(1)) {
        const SlaveModule &slave = module.slaves().at(printer.name.left(1).toInt() - 1);
        if (printer.channel) {
            QVERIFY2(slave.online, qPrintable(printer.name));
            QCOMPARE(slave.channel, *printer.channel);
        } else {
            QVERIFY2(!slave.online, qPrintable(printer.name));
        }
        QCOMPARE(slave.channel, printer.lastKnownChannel);
    }
}

void tst_KitJobs::moveOfThreePrintersIsVerified()
{
    SimulatedKit &kit = start(kitOptions());
    KitMove move(kit.engine);
    const KitMove::Plan plan = move.plan();
    QCOMPARE(plan.hostChannel, std::optional<int>(home));
    QCOMPARE(plan.printers, (QList<int> { 1, 2, 3 }));
    QCOMPARE(plan.refusal(40), QString());
    QCOMPARE(plan.question(40), QStringLiteral("把 3 台打印机和主机从信道 20 迁到信道 40？"));

    const KitMove::Report report = move.run(plan, 40);
    QVERIFY2(report.done, qPrintable(report.text()));
    QCOMPARE(report.text(),
        QStringLiteral("迁移完成：主机和 3 台打印机都已在信道 40上确认。\n主机 · 信道 40 · 已确认\n"
                       "1号机 · 信道 40 · 在线\n2号机 · 信道 40 · 在线\n3号机 · 信道 40 · 在线"));
    compareWithSimulator(report);
    QCOMPARE(kit.module().slaves().at(3).channel, home);
    QVERIFY(!kit.engine.jobRunning());
}

void tst_KitJobs::failingPrinterIsRolledBackAndReported_data()
{
    QTest::addColumn<bool>("ignores");
    QTest::addColumn<QString>("failure");
    QTest::addColumn<QString>("lastRow");
    QTest::addColumn<QString>("outcome");
    // Printer 2 ignores its re-address: printer 1 comes back, printer 3 is
    // never touched.
    QTest::newRow("second printer ignores the re-address") << true << "2号机没有接受迁到信道 40（设置失败）"
                                                           << "3号机 · 信道 20 · 在线"
                                                           << "所有模块已回到信道 20，并已确认。";
    // Printer 2 moves, then goes off line: the others come back; it cannot.
    QTest::newRow("second printer drops off line after it") << false << "2号机在信道 40上没有应答"
                                                            << "3号机 · 信道 20 · 在线"
                                                            << "没能让所有模块回到信道 20";
}

void tst_KitJobs::failingPrinterIsRolledBackAndReported()
{
    QFETCH(bool, ignores);
    QFETCH(QString, failure);
    QFETCH(QString, lastRow);
    QFETCH(QString, outcome);
    HostOptions options = kitOptions();
    (ignores ? options.ignoringReaddress : options.droppingAfterReaddress) = { 2 };
    start(options);
    KitMove move(m_kit->engine);
    const KitMove::Report report = move.run(move.plan(), 40);
    QVERIFY(!report.done);
    QCOMPARE(report.failure, failure);
    const QStringList rows = report.rows();
    QCOMPARE(rows.mid(0, 2), (QStringList { "主机 · 信道 20 · 已确认", "1号机 · 信道 20 · 在线" }));
    QCOMPARE(rows.at(2),
        ignores ? QStringLiteral("2号机 · 信道 20 · 在线")
                : QStringLiteral("2号机 · 未应答 · 最后在信道 40"));
    QCOMPARE(rows.at(3), lastRow);
    QVERIFY2(report.text().contains(outcome), qPrintable(report.text()));
    compareWithSimulator(report);
}

void tst_KitJobs::moveToTheHostsOwnChannelSendsNothing()
{
    SimulatedKit &kit = start(kitOptions());
    KitMove move(kit.engine);
    const KitMove::Plan plan = move.plan();
    QSignalSpy frames(&kit.module(), &HostModule::frameExecuted);
    const KitMove::Report report = move.run(plan, home);
    QVERIFY(!report.done && !report.started);
    QCOMPARE(report.failure, QStringLiteral("主机已在信道 20上"));
    QVERIFY(report.text().startsWith(QStringLiteral("没有迁移：主机已在信道 20上。")));
    QTest::qWait(50);
    QCOMPARE(frames.count(), 0);
}

QTEST_GUILESS_MAIN(tst_KitJobs)
#include "tst_kitjobs.moc"
