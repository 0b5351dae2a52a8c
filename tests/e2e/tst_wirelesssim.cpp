// The wireless panel against the simulated host module: configuration frames
// change the module's state, and the queries that follow report it back.

#include "RecordingUserChannels.h"
#include "hostsim/HostSimulator.h"
#include "protocol/FrmWirelessShow.h"
#include "serial/CommEventHandler.h"
#include "serial/CommPort.h"
#include "serial/PortSettings.h"
#include "serial/Transmitter.h"
#include "viewer/FrmReceiveShow.h"
#include "viewer/ReceiveViewerHost.h"

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

    void reAddressedPrinterAnswersAtItsNewAddress();
    void hostChannelIsReportedBack();
    void searchShowsTheFreeChannelsInHex();
    void hostBaudSwitchesBothEnds();

private:
    template<typename T> T *child(const char *name) const
    {
        T *widget = m_panel->findChild<T *>(QLatin1String(name));
        Q_ASSERT_X(widget, "child", name);
        return widget;
    }
    void click(const char *name) { QTest::mouseClick(child<QAbstractButton>(name), Qt::LeftButton); }
    void choose(const char *combo, int index) { child<QComboBox>(combo)->setCurrentIndex(index); }
    QString statusOf(int printerEntry);
    QString label(const char *name) const { return child<QLabel>(name)->text(); }

    std::unique_ptr<HostSimulator> m_simulator;
    std::unique_ptr<CommPort> m_port;
    RecordingUserChannels m_channels;
    std::unique_ptr<PortSettings> m_settings;
    std::unique_ptr<Transmitter> m_transmitter;
    std::unique_ptr<ReceiveViewerHost> m_viewer;
    std::unique_ptr<CommEventHandler> m_events;
    std::unique_ptr<FrmWirelessShow> m_panel;
};

void tst_WirelessSim::init()
{
    HostOptions options;
    options.quiet = true;
    options.hostChannel = homeChannel;
    options.slaves = HostOptions::defaultSlaves(homeChannel);
    // Printer 4 is switched off, so address 8 is free to move a printer to.
    options.slaves[3].online = false;
    options.busyChannels = { 3, 7 };
    options.searchTimeMs = 100;
    // The status query reads its reply after 5 ms; answering at once leaves
    // a loaded machine the most of that.
    options.latencyMs = 0;
    m_simulator = std::make_unique<HostSimulator>(options);
    QString error;
    QVERIFY2(m_simulator->start(&error), qPrintable(error));
    qputenv("VELTRIN_COM3", m_simulator->slavePath().toLocal8Bit());

    m_port = std::make_unique<CommPort>();
    m_channels.clear();
    m_settings = std::make_unique<PortSettings>(*m_port, m_channels);
    m_transmitter = std::make_unique<Transmitter>(*m_port, m_channels);
    m_viewer = std::make_unique<ReceiveViewerHost>(nullptr, m_channels);
    m_events = std::make_unique<CommEventHandler>(*m_port, *m_transmitter, m_channels, *m_viewer);
    connect(m_port.get(), &CommPort::onComm, m_events.get(), &CommEventHandler::MSComm1_OnComm);
    m_panel
        = std::make_unique<FrmWirelessShow>(*m_transmitter, *m_events, *m_settings, *m_viewer, m_channels);
    m_panel->selectFirstCommand();
    m_panel->fillStatusPrinterList();
    m_settings->ApplyPortDefaults();
    // A pty has no CTS line to hand-shake with.
    m_settings->SelectHandshake(0);
    m_panel->show();
    // The first paint loads the fonts; inside a 5 ms reply wait it would hold
    // the reply back until the wait is over.
    QVERIFY(QTest::qWaitForWindowExposed(m_panel.get()));
}

void tst_WirelessSim::cleanup()
{
    m_panel.reset();
    m_events.reset();
    m_viewer.reset();
    m_transmitter.reset();
    m_settings.reset();
    m_port.reset();
    m_simulator.reset();
    qunsetenv("VELTRIN_COM3");
}

QString tst_WirelessSim::statusOf(int printerEntry)
{
    // The panel gives the reply 5 ms; a loaded machine (the sanitizer run
    // beside the plain one) can miss that now and then. A printer that is not
    // there never answers, so asking up to three times cannot turn a wrong
    // address into an on-line one. Between attempts the line goes quiet, so a
    // late answer is not read as the next one's.
    for (int attempt = 0; attempt < 3; ++attempt) {
        QTest::qWait(20);
        m_events->ReplyByte = 0;
        choose("WLCombo120", printerEntry);
        click("CmdStatus");
        if (label("WLlblstatus") == online)
            break;
    }
    return label("WLlblstatus");
}

void tst_WirelessSim::reAddressedPrinterAnswersAtItsNewAddress()
{
    QCOMPARE(statusOf(0), online);
    QCOMPARE(statusOf(3), offline);

    click("WLOption1");
    choose("WLCombo1", 0);
    choose("WLCombo2", 3);
    choose("WLCombo3", homeChannel);
    choose("WLCombo4", homeChannel);
    click("CmdWLsend");
    QCOMPARE(label("WLLabel1"), setDone);
    QCOMPARE(m_simulator->module().slaves().at(0).address, 8);

    QCOMPARE(statusOf(3), online);
    QCOMPARE(statusOf(0), offline);
}

void tst_WirelessSim::hostChannelIsReportedBack()
{
    click("cmdMasterCHN");
    QCOMPARE(label("WLlbl123"), QStringLiteral("主机处于通道：%1").arg(homeChannel));

    click("WLOption3");
    choose("WLCombo4", 77);
    click("CmdWLsend");
    QCOMPARE(label("WLLabel1"), setDone);
    QCOMPARE(m_simulator->module().hostChannel(), 77);

    click("cmdMasterCHN");
    QCOMPARE(label("WLlbl123"), QStringLiteral("主机处于通道：77"));
    // The printers stayed behind on the old channel.
    QCOMPARE(statusOf(0), offline);
}

void tst_WirelessSim::searchShowsTheFreeChannelsInHex()
{
    // Confirms the dialog with its opening range, 0 to 20, once it is up.
    QTimer confirm;
    confirm.setInterval(5);
    connect(&confirm, &QTimer::timeout, this, [&confirm] {
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (window->objectName() == QLatin1String("frmSetting") && window->isVisible()) {
                confirm.stop();
                QTest::mouseClick(
                    window->findChild<QPushButton *>(QStringLiteral("Command1")), Qt::LeftButton);
                return;
            }
        }
    });
    confirm.start();
    click("CmdSearchCHN");
    QVERIFY(!confirm.isActive());

    // Channels 3 and 7 are busy; 50, where the printers are, lies outside.
    QTRY_COMPARE(m_viewer->viewer().text(),
        QStringLiteral("00 01 02 04 05 06 08 09 0A 0B 0C 0D 0E 0F 10 11 12 13 14 "));
    QVERIFY(m_viewer->viewer().isVisible());
    QCOMPARE(m_viewer->viewer().windowTitle(), QStringLiteral("以下显示为可用信道,以十六进制显示"));
}

void tst_WirelessSim::hostBaudSwitchesBothEnds()
{
    QCOMPARE(m_simulator->lineSpeed(), 38400);
    click("WLOption5");
    choose("WLCombo4", 0);
    click("CmdWLsend");
    QCOMPARE(label("WLLabel1"), setDone);
    QTRY_COMPARE(m_simulator->lineSpeed(), 9600);
    QCOMPARE(m_simulator->module().hostBaudIndex(), 0);
    QCOMPARE(m_port->settings(), QStringLiteral("9600,N,8,1"));
    QCOMPARE(m_settings->SelectedBaud, QStringLiteral("9600"));

    QCOMPARE(statusOf(1), online);
}

QTEST_MAIN(tst_WirelessSim)
#include "tst_wirelesssim.moc"
