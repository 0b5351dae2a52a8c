#include "RecordingProcessLauncher.h"
#include "RecordingUserChannels.h"
#include "ScriptedFileChooser.h"
#include "SerialFixture.h"
#include "UsbAdapterEntry.h"
#include "app/FrmMain.h"
#include "app/TrayIcon.h"
#include "serial/CommErrorReport.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// The device the user plugged in, found and kept. This machine has no USB
// adapters: an injected port list presents them, each backed by a
// pseudo-terminal reached through a link of the test's, as a by-id name
// would be. The list and the links change as an unplugged adapter's would.

class tst_FrmMainPorts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void theOneAdapterIsTakenAtStart();
    void ofSeveralAdaptersNoneIsTaken();
    void choosingADeviceRebindsTheSelectedPort();
    void aDeviceThatComesBackIsReopened();
    void closingWhileTheDeviceIsAwayEndsTheWait();

private:
    template<typename T> T *child(const char *name) const
    {
        T *widget = m_window->findChild<T *>(QLatin1String(name));
        Q_ASSERT_X(widget, "child", name);
        return widget;
    }
    void start();
    QString link(const QString &name, const PtyPair &pty);
    void sendText(const QString &text);

    QTemporaryDir m_dir;
    QList<SerialPortEntry> m_present;
    RecordingUserChannels m_channels;
    ScriptedFileChooser m_files;
    RecordingProcessLauncher m_launcher;
    std::unique_ptr<FrmMain> m_window;
    QByteArray m_savedCom3;
};

void tst_FrmMainPorts::init()
{
    m_savedCom3 = qgetenv("VELTRIN_COM3");
    qunsetenv("VELTRIN_COM3");
    m_present.clear();
    m_channels.clear();
}

void tst_FrmMainPorts::cleanup()
{
    m_window.reset();
    if (!m_savedCom3.isEmpty())
        qputenv("VELTRIN_COM3", m_savedCom3);
}

void tst_FrmMainPorts::start()
{
    m_window = std::make_unique<FrmMain>(m_channels, m_files, m_launcher, [this] { return m_present; });
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    // The adapter is looked for after the first frame, just before the
    // tray icon goes in.
    QTRY_VERIFY(m_window->trayIcon().isVisible());
    // A pty has no CTS line.
    QCOMPARE(m_window->port().setHandshaking(0), 0);
}

QString tst_FrmMainPorts::link(const QString &name, const PtyPair &pty)
{
    const QString path = m_dir.filePath(name);
    QFile::remove(path);
    if (!QFile::link(pty.slavePath(), path))
        qWarning("cannot link %s", qPrintable(path));
    return path;
}

void tst_FrmMainPorts::sendText(const QString &text)
{
    child<QPlainTextEdit>("txtCmd")->setPlainText(text);
    QTest::mouseClick(child<QPushButton>("Cmdsendcmd"), Qt::LeftButton);
}

void tst_FrmMainPorts::theOneAdapterIsTakenAtStart()
{
    PtyPair pty;
    const QString path = link(QStringLiteral("usb-adapter"), pty);
    m_present = { usbAdapter(path) };
    start();
    QCOMPARE(m_channels.lastStatus(), QStringLiteral("COM3 → %1 (USB Serial, 1a86:7523)").arg(path));
    QCOMPARE(m_window->port().devicePath(), path);

    sendText(QStringLiteral("65 66"));
    // The select frame, then the data.
    QCOMPARE(pty.readMaster().right(2), QByteArray("AB"));
    QCOMPARE(m_channels.lastStatus(), QStringLiteral("数据发送完成"));
}

void tst_FrmMainPorts::ofSeveralAdaptersNoneIsTaken()
{
    PtyPair first;
    PtyPair second;
    m_present
        = { usbAdapter(link(QStringLiteral("a"), first)), usbAdapter(link(QStringLiteral("b"), second)) };
    start();
    QCOMPARE(m_window->port().devicePath(), CommPort::devicePathFor(3));
    QVERIFY(m_channels.statusTexts.isEmpty());

    QTest::mouseClick(child<QPushButton>("cmdComset"), Qt::LeftButton);
    const QComboBox *devices = child<QComboBox>("cboDevice");
    // COM3's own device, not present, stands first and is shown.
    QCOMPARE(devices->count(), 3);
    QCOMPARE(devices->currentIndex(), 0);
    QCOMPARE(devices->itemText(0), CommPort::devicePathFor(3) + QStringLiteral("（未找到）"));
    QCOMPARE(devices->itemData(1).toString(), m_present.at(0).systemLocation);
    QCOMPARE(devices->itemData(2).toString(), m_present.at(1).systemLocation);
}

void tst_FrmMainPorts::choosingADeviceRebindsTheSelectedPort()
{
    PtyPair first;
    PtyPair second;
    m_present
        = { usbAdapter(link(QStringLiteral("a"), first)), usbAdapter(link(QStringLiteral("b"), second)) };
    start();
    QTest::mouseClick(child<QPushButton>("cmdComset"), Qt::LeftButton);
    QComboBox *devices = child<QComboBox>("cboDevice");
    devices->setCurrentIndex(2);
    Q_EMIT devices->activated(2);

    QVERIFY(m_window->port().portOpen());
    QCOMPARE(m_window->port().devicePath(), m_present.at(1).systemLocation);
    QCOMPARE(m_channels.lastStatus(), QStringLiteral("Port setting : COM3"));
    QCOMPARE(child<QRadioButton>("optPortset_2")->toolTip(), m_present.at(1).systemLocation);
    QVERIFY(child<QRadioButton>("Option1")->isChecked());
    QCOMPARE(devices->currentIndex(), 1);

    m_window->transmitter().SendDecimalList(QStringLiteral("7"));
    QCOMPARE(second.readMaster(), QByteArray("\x07"));
    QCOMPARE(first.readMaster(50), QByteArray());

    // Another port option, then COM3 again: the binding lasts for the run.
    QTest::mouseClick(child<QRadioButton>("optPortset_0"), Qt::LeftButton);
    QTest::mouseClick(child<QRadioButton>("optPortset_2"), Qt::LeftButton);
    QCOMPARE(m_window->port().devicePath(), m_present.at(1).systemLocation);
}

// The adapter comes back under another name, as ttyUSB1 after ttyUSB0: its
// serial number says it is the same one.
void tst_FrmMainPorts::aDeviceThatComesBackIsReopened()
{
    auto before = std::make_unique<PtyPair>();
    m_present = { usbAdapter(link(QStringLiteral("ttyUSB0"), *before), QStringLiteral("A1")) };
    start();
    sendText(QStringLiteral("65"));
    QVERIFY(m_window->port().portOpen());

    before->closeMaster();
    QTRY_COMPARE(m_channels.informationTips.size(), 1);
    QCOMPARE(m_channels.informationTips.first(),
        commErrorMessage(CommPort::CommReadError) + QLatin1Char('\n') + deviceLostCause(true));
    QFile::remove(m_dir.filePath(QStringLiteral("ttyUSB0")));
    m_present.clear();
    QTest::qWait(600);
    QVERIFY(!m_window->port().portOpen());

    PtyPair after;
    const QString path = link(QStringLiteral("ttyUSB1"), after);
    m_present = { usbAdapter(path, QStringLiteral("A1")) };
    QTRY_VERIFY_WITH_TIMEOUT(m_window->port().portOpen(), 2000);
    QCOMPARE(m_window->port().devicePath(), path);
    QCOMPARE(
        m_channels.lastStatus(), QStringLiteral("COM3 已重新打开：%1 (USB Serial, 1a86:7523)").arg(path));
    QCOMPARE(m_channels.informationTips.size(), 1);

    QVERIFY(after.writeMaster("hello"));
    QTRY_COMPARE(m_window->commEvents().RxBytes, QByteArray("hello"));
    sendText(QStringLiteral("66"));
    QCOMPARE(after.readMaster().right(1), QByteArray("B"));
}

void tst_FrmMainPorts::closingWhileTheDeviceIsAwayEndsTheWait()
{
    auto before = std::make_unique<PtyPair>();
    const QString path = link(QStringLiteral("ttyUSB0"), *before);
    m_present = { usbAdapter(path, QStringLiteral("A1")) };
    start();
    QTest::mouseClick(child<QPushButton>("cmdComset"), Qt::LeftButton);
    QTest::mouseClick(child<QRadioButton>("Option1"), Qt::LeftButton);
    QVERIFY(m_window->port().portOpen());

    before->closeMaster();
    QTRY_COMPARE(m_channels.informationTips.size(), 1);
    m_present.clear();
    QTest::mouseClick(child<QRadioButton>("Option2"), Qt::LeftButton);

    PtyPair after;
    link(QStringLiteral("ttyUSB0"), after);
    m_present = { usbAdapter(path, QStringLiteral("A1")) };
    QTest::qWait(1500);
    QVERIFY(!m_window->port().portOpen());
}

QTEST_MAIN(tst_FrmMainPorts)
#include "tst_frmmainports.moc"
