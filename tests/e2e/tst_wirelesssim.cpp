// The wireless panel against the simulated host module: configuration frames
// change the module's state, and the queries that follow report it back.

#include "RangeDialogConfirmer.h"
#include "WirelessPanelRig.h"
#include "hostsim/HostSimulator.h"
#include "viewer/FrmReceiveShow.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

// Everything the tests talk to sits on channel 50, outside the searched range.
constexpr int homeChannel = 50;
const QString online = QStringLiteral("提示:所检测的打印机在线！");
const QString offline = QStringLiteral("提示:所检测的打印机不在线！");
const QString setDone = QStringLiteral("提示:设置成功");

} // namespace

class tst_WirelessSim : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void repliesCountWhateverTheLineDelay_data();
    void repliesCountWhateverTheLineDelay();
    void searchStillAnsweringIsNoReplyToTheNextQuestion();
    void reAddressedPrinterAnswersAtItsNewAddress();
    void hostChannelIsReportedBack();
    void searchShowsTheFreeChannelsInHex();
    void hostBaudSwitchesBothEnds();

private:
    static HostOptions testOptions();
    void start(const HostOptions &options);
    QString statusOf(int printerEntry);

    std::unique_ptr<HostSimulator> m_simulator;
    std::unique_ptr<WirelessPanelRig> m_rig;
};

HostOptions tst_WirelessSim::testOptions()
{
    HostOptions options;
    options.quiet = true;
    options.hostChannel = homeChannel;
    options.slaves = HostOptions::defaultSlaves(homeChannel);
    // Printer 4 is switched off, so address 8 is free to move a printer to.
    options.slaves[3].online = false;
    options.busyChannels = { 3, 7 };
    options.searchTimeMs = 100;
    return options;
}

void tst_WirelessSim::init()
{
    start(testOptions());
}

void tst_WirelessSim::start(const HostOptions &options)
{
    m_rig.reset();
    m_simulator = std::make_unique<HostSimulator>(options);
    QString error;
    QVERIFY2(m_simulator->start(&error), qPrintable(error));
    qputenv("VELTRIN_COM3", m_simulator->slavePath().toLocal8Bit());

    m_rig = std::make_unique<WirelessPanelRig>();
    QVERIFY(m_rig->showAndWaitForPaint());
}

void tst_WirelessSim::cleanup()
{
    m_rig.reset();
    m_simulator.reset();
    qunsetenv("VELTRIN_COM3");
}

QString tst_WirelessSim::statusOf(int printerEntry)
{
    m_rig->choose("WLCombo120", printerEntry);
    m_rig->click("CmdStatus");
    return m_rig->label("WLlblstatus");
}

// A USB adapter hands received bytes on only after its latency timer (16 ms
// by default), and a module may take its time: every answer still counts,
// every time. The simulator shares this process's event loop, so on a loaded
// machine its answer can start late; the slow module keeps half the reply
// deadline as margin here, and bench_replies times one that answers after
// 60 ms.
void tst_WirelessSim::repliesCountWhateverTheLineDelay_data()
{
    QTest::addColumn<int>("latencyMs");
    QTest::addColumn<int>("chunkDelayMs");
    QTest::newRow("module answers after 16 ms") << 16 << 0;
    QTest::newRow("module answers after 50 ms") << 50 << 0;
    QTest::newRow("frames reach the module in 16 ms bursts") << 2 << 16;
}

void tst_WirelessSim::repliesCountWhateverTheLineDelay()
{
    QFETCH(int, latencyMs);
    QFETCH(int, chunkDelayMs);
    HostOptions options = testOptions();
    options.latencyMs = latencyMs;
    options.chunkDelayMs = chunkDelayMs;
    start(options);

    m_rig->click("WLOption3");
    m_rig->choose("WLCombo4", homeChannel);
    for (int attempt = 0; attempt < 20; ++attempt) {
        QCOMPARE(statusOf(0), online);
        m_rig->click("cmdMasterCHN");
        QCOMPARE(m_rig->label("WLlbl123"), QStringLiteral("主机处于通道：%1").arg(homeChannel));
        m_rig->click("CmdWLsend");
        QCOMPARE(m_rig->label("WLLabel1"), setDone);
    }
}

void tst_WirelessSim::searchStillAnsweringIsNoReplyToTheNextQuestion()
{
    HostOptions options = testOptions();
    options.searchTimeMs = 1500;
    start(options);

    confirmRangeDialogWhenItOpens(this);
    m_rig->click("CmdSearchCHN");
    QVERIFY(m_rig->viewer.viewer().text().size() < 3 * 18);
    // Printer 4 is off line: the free channels still coming in are no answer.
    QCOMPARE(statusOf(3), offline);
    QCOMPARE(m_rig->viewer.viewer().text(),
        QStringLiteral("00 01 02 04 05 06 08 09 0A 0B 0C 0D 0E 0F 10 11 12 13 14 00 "));
}

void tst_WirelessSim::reAddressedPrinterAnswersAtItsNewAddress()
{
    QCOMPARE(statusOf(0), online);
    QCOMPARE(statusOf(3), offline);

    m_rig->click("WLOption1");
    m_rig->choose("WLCombo1", 0);
    m_rig->choose("WLCombo2", 3);
    m_rig->choose("WLCombo3", homeChannel);
    m_rig->choose("WLCombo4", homeChannel);
    m_rig->click("CmdWLsend");
    QCOMPARE(m_rig->label("WLLabel1"), setDone);
    QCOMPARE(m_simulator->module().slaves().at(0).address, 8);

    QCOMPARE(statusOf(3), online);
    QCOMPARE(statusOf(0), offline);
}

void tst_WirelessSim::hostChannelIsReportedBack()
{
    m_rig->click("cmdMasterCHN");
    QCOMPARE(m_rig->label("WLlbl123"), QStringLiteral("主机处于通道：%1").arg(homeChannel));

    m_rig->click("WLOption3");
    m_rig->choose("WLCombo4", 77);
    m_rig->click("CmdWLsend");
    QCOMPARE(m_rig->label("WLLabel1"), setDone);
    QCOMPARE(m_simulator->module().hostChannel(), 77);

    m_rig->click("cmdMasterCHN");
    QCOMPARE(m_rig->label("WLlbl123"), QStringLiteral("主机处于通道：77"));
    // The printers stayed behind on the old channel.
    QCOMPARE(statusOf(0), offline);
}

void tst_WirelessSim::searchShowsTheFreeChannelsInHex()
{
    confirmRangeDialogWhenItOpens(this);
    m_rig->click("CmdSearchCHN");

    // Channels 3 and 7 are busy; 50, where the printers are, lies outside.
    QTRY_COMPARE(m_rig->viewer.viewer().text(),
        QStringLiteral("00 01 02 04 05 06 08 09 0A 0B 0C 0D 0E 0F 10 11 12 13 14 "));
    QVERIFY(m_rig->viewer.viewer().isVisible());
    QCOMPARE(m_rig->viewer.viewer().windowTitle(), QStringLiteral("以下显示为可用信道,以十六进制显示"));
}

void tst_WirelessSim::hostBaudSwitchesBothEnds()
{
    QCOMPARE(m_simulator->lineSpeed(), 38400);
    m_rig->click("WLOption5");
    m_rig->choose("WLCombo4", 0);
    m_rig->click("CmdWLsend");
    QCOMPARE(m_rig->label("WLLabel1"), setDone);
    QTRY_COMPARE(m_simulator->lineSpeed(), 9600);
    QCOMPARE(m_simulator->module().hostBaudIndex(), 0);
    QCOMPARE(m_rig->port.settings(), QStringLiteral("9600,N,8,1"));
    QCOMPARE(m_rig->settings.SelectedBaud, QStringLiteral("9600"));

    QCOMPARE(statusOf(1), online);
}

QTEST_MAIN(tst_WirelessSim)
#include "tst_wirelesssim.moc"
