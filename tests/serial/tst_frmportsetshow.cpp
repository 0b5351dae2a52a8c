#include "SendPathRig.h"
#include "SerialFixture.h"
#include "serial/FrmPortSetShow.h"
#include "serial/PortSettings.h"
#include "serial/SerialPortCatalog.h"

#include <QComboBox>
#include <QFile>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

// The port options follow the port itself, whoever opens or closes it.
class tst_FrmPortSetShow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void failedOpenLeavesClosedTicked();
    void optionsFollowTransmitterAndVanishingDevice();
    void refusedBaudRateKeepsTheOldOne();
    void boundPtyShowsAsVirtualPort();

private:
    QRadioButton *option(const char *name) const
    {
        auto *button = m_panel->findChild<QRadioButton *>(QLatin1String(name));
        Q_ASSERT_X(button, "option", name);
        return button;
    }
    void click(const char *name) { QTest::mouseClick(option(name), Qt::LeftButton); }
    bool showsOpen() const { return option("Option1")->isChecked() && !option("Option2")->isChecked(); }
    bool showsClosed() const { return option("Option2")->isChecked() && !option("Option1")->isChecked(); }

    std::unique_ptr<PtyPort> m_pty;
    std::unique_ptr<SendPathRig> m_rig;
    std::unique_ptr<PortSettings> m_settings;
    SerialPortCatalog m_catalog;
    std::unique_ptr<FrmPortSetShow> m_panel;
};

void tst_FrmPortSetShow::init()
{
    m_pty = std::make_unique<PtyPort>(3);
    m_rig = std::make_unique<SendPathRig>(3);
    QCOMPARE(m_rig->portSetupError, 0);
    m_settings = std::make_unique<PortSettings>(m_rig->port, m_rig->channels);
    m_settings->ApplyPortDefaults();
    // A pty has no CTS line.
    QCOMPARE(m_rig->port.setHandshaking(0), 0);
    m_panel = std::make_unique<FrmPortSetShow>(*m_settings, m_catalog);
    m_panel->show();
}

void tst_FrmPortSetShow::cleanup()
{
    m_panel.reset();
    m_settings.reset();
    m_rig.reset();
    m_pty.reset();
}

void tst_FrmPortSetShow::failedOpenLeavesClosedTicked()
{
    qputenv("VELTRIN_COM1", "/nonexistent/veltrin-com1");
    QVERIFY(showsClosed());
    click("optPortset_0");
    QVERIFY(!m_rig->port.portOpen());
    QVERIFY(showsClosed());
    // The report is shown while the options already tell the truth.
    bool closedWhileReported = false;
    m_rig->channels.whileTipShows = [&] { closedWhileReported = showsClosed(); };
    click("Option1");
    qunsetenv("VELTRIN_COM1");
    QVERIFY(closedWhileReported);
    QVERIFY(!m_rig->port.portOpen());
    QVERIFY(showsClosed());
    QCOMPARE(m_rig->channels.informationTips.size(), 2);
}

void tst_FrmPortSetShow::optionsFollowTransmitterAndVanishingDevice()
{
    m_rig->transmitter.SendDecimalList(QStringLiteral("7"));
    QCOMPARE(m_pty->pty.readMaster(), QByteArray("\x07"));
    QVERIFY(showsOpen());

    m_pty->pty.closeMaster();
    QTRY_VERIFY(!m_rig->port.portOpen());
    QVERIFY(showsClosed());

    // Choosing a port closes and opens it as well.
    PtyPort com2(2);
    click("optPortset_1");
    QVERIFY(m_rig->port.portOpen());
    QVERIFY(showsOpen());
    click("Option2");
    QVERIFY(showsClosed());
}

// A pty takes every speed; one whose far end has hung up refuses every
// setting, which takes the path of a refused speed.
void tst_FrmPortSetShow::refusedBaudRateKeepsTheOldOne()
{
    click("Option1");
    QVERIFY(showsOpen());
    m_pty->pty.closeMaster();
    QSignalSpy failed(&m_rig->port, &CommPort::failed);
    click("optBautrateSet_0");
    QVERIFY(option("optBautrateSet_2")->isChecked());
    QCOMPARE(m_settings->SelectedBaud, QStringLiteral("38400"));
    QCOMPARE(m_rig->port.settings(), QStringLiteral("38400,N,8,1"));
    // Reported once, by the settings or, for a device that went away, by the port.
    QTRY_COMPARE(m_rig->channels.informationTips.size() + failed.size(), 1);
    QVERIFY(m_rig->channels.statusTexts.isEmpty());
    QCOMPARE(showsOpen(), m_rig->port.portOpen());
}

// The real build's catalog, reading the system's list on its scan thread: a
// pty is not in it, yet it is there and works, and the drop-down says so.
// Its words change when the pty goes, with nothing else in the list changing.
void tst_FrmPortSetShow::boundPtyShowsAsVirtualPort()
{
    const auto *devices = m_panel->findChild<QComboBox *>(QStringLiteral("cboDevice"));
    QVERIFY(devices);
    QSignalSpy scans(&m_catalog, &SerialPortCatalog::scanned);
    QVERIFY(scans.wait());
    const QString com3 = m_pty->pty.slavePath();
    QCOMPARE(devices->currentIndex(), 0);
    QCOMPARE(devices->itemText(0), com3 + QStringLiteral("（虚拟串口）"));
    QCOMPARE(devices->itemData(0).toString(), com3);

    // COM2 bound to a link, as socat or the simulator make one.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString link = dir.filePath(QStringLiteral("com2"));
    auto pty = std::make_unique<PtyPair>();
    QVERIFY(QFile::link(pty->slavePath(), link));
    qputenv("VELTRIN_COM2", link.toLocal8Bit());
    click("optPortset_1");
    QVERIFY(m_rig->port.portOpen());
    QCOMPARE(devices->itemText(0), link + QStringLiteral("（虚拟串口）"));

    // Gone while closed: the link is left pointing at nothing.
    click("Option2");
    pty.reset();
    QTRY_COMPARE(devices->itemText(0), link + QStringLiteral("（未找到）"));
    QCOMPARE(devices->currentIndex(), 0);
    qunsetenv("VELTRIN_COM2");
}

QTEST_MAIN(tst_FrmPortSetShow)
#include "tst_frmportsetshow.moc"
