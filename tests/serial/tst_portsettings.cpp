#include "RecordingUserChannels.h"
#include "SerialFixture.h"
#include "serial/CommErrorReport.h"
#include "serial/CommPort.h"
#include "serial/PortSettings.h"

#include <QSignalSpy>
#include <QTest>

class tst_PortSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void defaultsLeaveThePortClosedOnCom3();
    void selectingAPortOpensItAndClosesThePrevious();
    void selectingAPortWithoutDeviceReportsThenShowsTheSetting();
    void baudRateChangesOnlyTheBaudField_data();
    void baudRateChangesOnlyTheBaudField();
    void baudRateReachesTheOpenDevice();
    void invalidBaudIndexChangesNothing_data();
    void invalidBaudIndexChangesNothing();
    void handshakeTakesOnlyKnownModes();
    void openAndCloseAreIdempotent();
    void deviceGoneUnderASettingIsReportedOnce();
    void errorMessages_data();
    void errorMessages();

private:
    RecordingUserChannels m_channels;
    std::unique_ptr<CommPort> m_port;
    std::unique_ptr<PortSettings> m_settings;
};

void tst_PortSettings::init()
{
    m_channels.clear();
    m_port = std::make_unique<CommPort>();
    m_settings = std::make_unique<PortSettings>(*m_port, m_channels);
    m_settings->ApplyPortDefaults();
}

void tst_PortSettings::cleanup()
{
    m_settings.reset();
    m_port.reset();
}

void tst_PortSettings::defaultsLeaveThePortClosedOnCom3()
{
    QVERIFY(!m_port->portOpen());
    QCOMPARE(m_port->portNumber(), 3);
    QCOMPARE(m_port->settings(), QStringLiteral("38400,N,8,1"));
    QCOMPARE(m_port->handshaking(), 2);
    QCOMPARE(m_port->inputLength(), 512);
    QCOMPARE(m_port->inBufferSize(), 512);
    QCOMPARE(m_port->outBufferSize(), 1024);
    QCOMPARE(m_port->inputMode(), 1);
    QCOMPARE(m_port->rThreshold(), 1);
    QCOMPARE(m_port->sThreshold(), 0);
    QCOMPARE(m_settings->SelectedBaud, QStringLiteral("38400"));
    QVERIFY(m_channels.informationTips.isEmpty());
}

void tst_PortSettings::selectingAPortOpensItAndClosesThePrevious()
{
    PtyPort com3(3);
    PtyPort com1(1);
    QCOMPARE(m_port->setHandshaking(0), 0);
    m_settings->OpenPort();
    QVERIFY(m_port->portOpen());

    m_settings->SelectPort(0);
    QVERIFY(m_port->portOpen());
    QCOMPARE(m_port->portNumber(), 1);
    QCOMPARE(m_channels.statusTexts, QStringList { QStringLiteral("Port setting : COM1") });
    QVERIFY(m_channels.informationTips.isEmpty());

    // COM3 was released: another user can have it now.
    CommPort other;
    QCOMPARE(other.setPortNumber(3), 0);
    QCOMPARE(other.setHandshaking(0), 0);
    QCOMPARE(other.setPortOpen(true), 0);
}

void tst_PortSettings::selectingAPortWithoutDeviceReportsThenShowsTheSetting()
{
    qputenv("VELTRIN_COM5", "/nonexistent/veltrin-com5");
    m_settings->SelectPort(4);
    qunsetenv("VELTRIN_COM5");
    QVERIFY(!m_port->portOpen());
    QCOMPARE(m_port->portNumber(), 5);
    QCOMPARE(m_channels.informationTips,
        QStringList { commErrorMessage(CommPort::InvalidPortNumber)
            + QStringLiteral("\n无法打开的设备：/nonexistent/veltrin-com5") });
    QCOMPARE(m_channels.statusTexts, QStringList { QStringLiteral("Port setting : COM5") });
}

void tst_PortSettings::baudRateChangesOnlyTheBaudField_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("status");
    QTest::newRow("9600 from the defaults")
        << QStringLiteral("38400,N,8,1") << 0 << QStringLiteral("9600,N,8,1")
        << QStringLiteral("Baud rate setting : 9600bps");
    QTest::newRow("115200 after 9600") << QStringLiteral("9600,N,8,1") << 3 << QStringLiteral("115200,N,8,1")
                                       << QStringLiteral("Baud rate setting : 115200bps");
    QTest::newRow("other fields carried over")
        << QStringLiteral("38400,E,7,2") << 1 << QStringLiteral("19200,E,7,2")
        << QStringLiteral("Baud rate setting : 19200bps");
    QTest::newRow("one and a half stop bits")
        << QStringLiteral("9600,O,5,1.5") << 2 << QStringLiteral("38400,O,5,1.5")
        << QStringLiteral("Baud rate setting : 38400bps");
}

void tst_PortSettings::baudRateChangesOnlyTheBaudField()
{
    QFETCH(QString, before);
    QFETCH(int, index);
    QFETCH(QString, after);
    QFETCH(QString, status);
    QCOMPARE(m_port->setSettings(before), 0);
    QSignalSpy selected(m_settings.get(), &PortSettings::baudRateSelected);

    m_settings->SelectBaudRate(index);
    QCOMPARE(m_port->settings(), after);
    QCOMPARE(m_settings->SelectedBaud, after.section(QLatin1Char(','), 0, 0));
    QCOMPARE(selected.size(), 1);
    QCOMPARE(selected.at(0).at(0).toInt(), index);
    QCOMPARE(m_channels.statusTexts, QStringList { status });
}

void tst_PortSettings::baudRateReachesTheOpenDevice()
{
    PtyPort com3(3);
    QCOMPARE(m_port->setHandshaking(0), 0);
    m_settings->OpenPort();
    QVERIFY(m_port->portOpen());
    QCOMPARE(com3.pty.slaveBaudRate(), 38400);
    m_settings->SelectBaudRate(0);
    QCOMPARE(com3.pty.slaveBaudRate(), 9600);
    m_settings->SelectBaudRate(3);
    QCOMPARE(com3.pty.slaveBaudRate(), 115200);
    QVERIFY(m_channels.informationTips.isEmpty());
}

void tst_PortSettings::invalidBaudIndexChangesNothing_data()
{
    QTest::addColumn<int>("index");
    QTest::newRow("-1") << -1;
    QTest::newRow("4") << 4;
}

void tst_PortSettings::invalidBaudIndexChangesNothing()
{
    QFETCH(int, index);
    QSignalSpy selected(m_settings.get(), &PortSettings::baudRateSelected);
    m_settings->SelectBaudRate(index);
    QCOMPARE(m_channels.boxes.size(), 1);
    QCOMPARE(m_channels.boxes.at(0).prompt, QStringLiteral("system erron!"));
    QCOMPARE(m_channels.boxes.at(0).style, 0);
    QCOMPARE(m_port->settings(), QStringLiteral("38400,N,8,1"));
    QCOMPARE(m_settings->SelectedBaud, QStringLiteral("38400"));
    QCOMPARE(selected.size(), 0);
    QVERIFY(m_channels.statusTexts.isEmpty());
}

void tst_PortSettings::handshakeTakesOnlyKnownModes()
{
    m_settings->SelectHandshake(0);
    QCOMPARE(m_port->handshaking(), 0);
    m_settings->SelectHandshake(3);
    QCOMPARE(m_port->handshaking(), 3);
    m_settings->SelectHandshake(4);
    m_settings->SelectHandshake(-1);
    QCOMPARE(m_port->handshaking(), 3);
    QVERIFY(m_channels.statusTexts.isEmpty());
    QVERIFY(m_channels.informationTips.isEmpty());
}

void tst_PortSettings::openAndCloseAreIdempotent()
{
    PtyPort com3(3);
    QCOMPARE(m_port->setHandshaking(0), 0);
    m_settings->ClosePort();
    QVERIFY(!m_port->portOpen());
    m_settings->OpenPort();
    m_settings->OpenPort();
    QVERIFY(m_port->portOpen());
    m_settings->ClosePort();
    m_settings->ClosePort();
    QVERIFY(!m_port->portOpen());
    QVERIFY(m_channels.informationTips.isEmpty());
    QVERIFY(m_channels.statusTexts.isEmpty());
}

void tst_PortSettings::errorMessages_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("message");
    QTest::newRow("380") << 380 << QStringLiteral("无效属性值");
    QTest::newRow("394 read-only") << 394 << QStringLiteral("属性为只读");
    QTest::newRow("8002") << 8002 << QStringLiteral("无效端口号");
    QTest::newRow("8010") << 8010 << QStringLiteral("硬件不可用(被其它设备锁定)");
    QTest::newRow("8017 has no entry") << 8017 << QStringLiteral("未知错误 ");
    QTest::newRow("8018") << 8018 << QStringLiteral("仅当端口打开时操作才有效");
    QTest::newRow("8021") << 8021 << QStringLiteral("为该端口检索设备控制块时的内部错误");
    QTest::newRow("1 is unknown") << 1 << QStringLiteral("未知错误 ");
}

void tst_PortSettings::errorMessages()
{
    QFETCH(int, number);
    QFETCH(QString, message);
    ReportCommError(m_channels, number);
    QCOMPARE(m_channels.informationTips, QStringList { message });
}

void tst_PortSettings::deviceGoneUnderASettingIsReportedOnce()
{
    PtyPort com3(3);
    m_settings->SelectHandshake(0);
    m_settings->OpenPort();
    QVERIFY(m_port->portOpen());
    int failures = 0;
    connect(m_port.get(), &CommPort::failed, this, [&failures] { ++failures; });
    com3.pty.closeMaster();
    // The speed change meets the vanished device before the event loop does.
    m_settings->SelectBaudRate(0);
    QTest::qWait(100);
    QVERIFY(!m_port->portOpen());
    QCOMPARE(failures, 1);
    QVERIFY2(m_channels.informationTips.isEmpty(), "the port's own report is the only one");
}

QTEST_GUILESS_MAIN(tst_PortSettings)
#include "tst_portsettings.moc"
