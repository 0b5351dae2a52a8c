#include "RecordingProcessLauncher.h"
#include "RecordingUserChannels.h"
#include "ScriptedFileChooser.h"
#include "SerialFixture.h"
#include "SpecialFiles.h"
#include "app/FrmMain.h"
#include "app/TrayIcon.h"
#include "serial/CommErrorReport.h"
#include "viewer/FrmReceiveShow.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSocketNotifier>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

const QString chosenColour = QStringLiteral("rgb(224, 224, 224)");
const QString otherColour = QStringLiteral("rgb(240, 240, 240)");

} // namespace

class tst_FrmMain : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void startsWithThePrintTestPanel();
    void trayIconGoesInAfterTheFirstFrame();
    void portPanelShowsTheDefaults();
    void portPanelMadeLaterShowsThePortAsItIs();
    void wirelessPanelStartsAtTheFirstCommand();
    void navigationShowsOnePanel_data();
    void navigationShowsOnePanel();
    void clockFillsTimeAndDateCells_data();
    void clockFillsTimeAndDateCells();
    void choosingAPortOpensIt();
    void choosingAPortWithoutDeviceExplainsIt();
    void vanishingDeviceIsReportedAndCanBeReopened();
    void deviceVanishingMidSendIsReportedOnce();
    void baudRateReachesTheWire();
    void receiveLabelOpensOneViewer();
    void minimisingWithoutTrayKeepsTheWindowReachable();
    void specialFilesGiveATipWhileTheClockTicks();

private:
    template<typename T> T *child(const char *name) const
    {
        T *widget = m_window->findChild<T *>(QLatin1String(name));
        Q_ASSERT_X(widget, "child", name);
        return widget;
    }
    QWidget *panel(const char *name) const { return child<QWidget>(name); }

    RecordingUserChannels m_channels;
    ScriptedFileChooser m_files;
    RecordingProcessLauncher m_launcher;
    std::unique_ptr<FrmMain> m_window;
};

void tst_FrmMain::init()
{
    m_channels.clear();
    m_window = std::make_unique<FrmMain>(m_channels, m_files, m_launcher);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void tst_FrmMain::cleanup()
{
    m_window.reset();
}

void tst_FrmMain::startsWithThePrintTestPanel()
{
    QCOMPARE(m_window->windowTitle(), QStringLiteral("Veltrin"));
    QCOMPARE(child<QLabel>("Label5")->text(), QStringLiteral("Veltrin"));
    QCOMPARE(child<QLabel>("ShowStatus_0")->text(), QStringLiteral("Veltrin"));
    QCOMPARE(child<QLabel>("ShowStatus_1")->text(), QStringLiteral("Time"));
    QCOMPARE(child<QLabel>("lblTestRF")->text(), QString());
    QVERIFY(panel("FrmCommShow")->isVisible());
    QCOMPARE(panel("FrmCommShow")->pos(), QPoint(8, 96));
    QVERIFY(child<QPushButton>("cmdCommTest")->styleSheet().contains(chosenColour));
    for (const char *name : { "cmdWireless", "cmdComset", "cmdHelp", "cmdExit" })
        QVERIFY2(child<QPushButton>(name)->styleSheet().contains(otherColour), name);
    QVERIFY(!m_window->port().portOpen());
    QCOMPARE(m_window->port().portNumber(), 3);
    QCOMPARE(m_window->port().settings(), QStringLiteral("38400,N,8,1"));
    QCOMPARE(m_window->port().handshaking(), 2);
    QCOMPARE(m_window->sendTextParser().DataMode, 0);
    QVERIFY(m_window->transmitter().SendReady());
    QVERIFY(!m_window->transmitter().StopSending());
}

// The real window on the offscreen platform: the system's tray icon (whose
// making waits on the session bus) is not made before the window has drawn
// its first frame, and is made right after it, with its tip.
void tst_FrmMain::trayIconGoesInAfterTheFirstFrame()
{
    m_window.reset();
    m_window = std::make_unique<FrmMain>(m_channels, m_files, m_launcher);
    QVERIFY(!m_window->trayIcon().findChild<QSystemTrayIcon *>());
    QVERIFY(!m_window->trayIcon().isVisible());
    m_window->show();
    QVERIFY(!m_window->trayIcon().findChild<QSystemTrayIcon *>());
    QTRY_VERIFY(m_window->trayIcon().isVisible());
    QCOMPARE(m_window->trayIcon().findChild<QSystemTrayIcon *>()->toolTip(), QStringLiteral("Corvessa"));
}

void tst_FrmMain::portPanelShowsTheDefaults()
{
    QTest::mouseClick(child<QPushButton>("cmdComset"), Qt::LeftButton);
    for (const char *name : { "optPortset_2", "optBautrateSet_2", "Option3_2", "Option2" })
        QVERIFY2(child<QRadioButton>(name)->isChecked(), name);
    QCOMPARE(child<QRadioButton>("optPortset_0")->toolTip(), QStringLiteral("/dev/ttyS0"));
}

void tst_FrmMain::portPanelMadeLaterShowsThePortAsItIs()
{
    PtyPort com3(3);
    QCOMPARE(m_window->port().setHandshaking(0), 0);
    m_window->portSettings().OpenPort();
    // As the wireless panel's host baud-rate command switches it.
    m_window->portSettings().SelectBaudRate(3);
    QTest::mouseClick(child<QPushButton>("cmdComset"), Qt::LeftButton);
    for (const char *name : { "optPortset_2", "optBautrateSet_3", "Option1" })
        QVERIFY2(child<QRadioButton>(name)->isChecked(), name);
}

void tst_FrmMain::wirelessPanelStartsAtTheFirstCommand()
{
    QTest::mouseClick(child<QPushButton>("cmdWireless"), Qt::LeftButton);
    QVERIFY(child<QRadioButton>("WLOption1")->isChecked());
    QVERIFY(child<QWidget>("WLFrame1")->isVisible());
    QVERIFY(!child<QWidget>("WLFrame5")->isVisible());
    const std::pair<const char *, int> combos[] = { { "WLCombo1", 4 }, { "WLCombo2", 4 }, { "WLCombo3", 125 },
        { "WLCombo4", 125 }, { "WLCombo120", 4 } };
    for (const auto &[name, entries] : combos) {
        QCOMPARE(child<QComboBox>(name)->count(), entries);
        QCOMPARE(child<QComboBox>(name)->currentIndex(), 0);
    }
    QCOMPARE(child<QComboBox>("WLCombo120")->currentText(), QStringLiteral("1号机"));
}

void tst_FrmMain::navigationShowsOnePanel_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("shown");
    QTest::newRow("无线配置") << "cmdWireless"
                              << "FrmWirelessShow";
    QTest::newRow("串口设置") << "cmdComset"
                              << "FrmPortSetShow";
    QTest::newRow("使用帮助") << "cmdHelp"
                              << "FrmHelpShow";
    QTest::newRow("打印测试 again") << "cmdCommTest"
                                    << "FrmCommShow";
}

void tst_FrmMain::navigationShowsOnePanel()
{
    QFETCH(QString, button);
    QFETCH(QString, shown);
    QTest::mouseClick(child<QPushButton>(button.toLatin1().constData()), Qt::LeftButton);
    const std::pair<const char *, const char *> pairs[]
        = { { "cmdCommTest", "FrmCommShow" }, { "cmdWireless", "FrmWirelessShow" },
              { "cmdComset", "FrmPortSetShow" }, { "cmdHelp", "FrmHelpShow" } };
    for (const auto &[buttonName, panelName] : pairs) {
        const bool chosen = QLatin1String(panelName) == shown;
        // All but the first panel are made the first time they are asked
        // for; until then they are not shown either.
        const bool made = m_window->findChild<QWidget *>(QLatin1String(panelName));
        QVERIFY(made || (!chosen && QLatin1String(panelName) != QLatin1String("FrmCommShow")));
        if (made) {
            QCOMPARE(panel(panelName)->isVisible(), chosen);
            QCOMPARE(panel(panelName)->pos(), QPoint(8, 96));
        }
        QVERIFY(child<QPushButton>(buttonName)->styleSheet().contains(chosen ? chosenColour : otherColour));
    }
    QVERIFY(child<QPushButton>("cmdExit")->styleSheet().contains(otherColour));
}

void tst_FrmMain::clockFillsTimeAndDateCells_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("time");
    // Long time formats with the time zone at the end, in parentheses, and in
    // front, which the clock leaves out.
    QTest::newRow("de_DE HH:mm:ss t") << "de_DE"
                                      << "^  \\d\\d:\\d\\d:\\d\\d$";
    QTest::newRow("ca_ES H:mm:ss (t)") << "ca_ES"
                                       << "^  \\d\\d?:\\d\\d:\\d\\d$";
    QTest::newRow("zh_Hans_HK t APh:mm:ss") << "zh_Hans_HK"
                                            << "^  (上午|下午)\\d\\d?:\\d\\d:\\d\\d$";
}

void tst_FrmMain::clockFillsTimeAndDateCells()
{
    QFETCH(QString, locale);
    QFETCH(QString, time);
    const QLocale previous;
    QLocale::setDefault(QLocale(locale));
    m_channels.ShowStatusText(QStringLiteral("kept"));
    QTRY_VERIFY_WITH_TIMEOUT(child<QLabel>("ShowStatus_2")->text() != QStringLiteral("Date"), 3000);
    const QString date = child<QLabel>("ShowStatus_2")->text();
    const QString shown = child<QLabel>("ShowStatus_1")->text();
    QLocale::setDefault(previous);
    QCOMPARE(
        date, QStringLiteral("  ") + QLocale(locale).toString(QDate::currentDate(), QLocale::ShortFormat));
    QVERIFY2(QRegularExpression(time).match(shown).hasMatch(), qPrintable(shown));
}

void tst_FrmMain::choosingAPortOpensIt()
{
    PtyPort com1(1);
    QCOMPARE(m_window->port().setHandshaking(0), 0);
    QTest::mouseClick(child<QPushButton>("cmdComset"), Qt::LeftButton);
    QTest::mouseClick(child<QRadioButton>("optPortset_0"), Qt::LeftButton);
    QVERIFY(m_window->port().portOpen());
    QCOMPARE(m_window->port().portNumber(), 1);
    QCOMPARE(m_channels.lastStatus(), QStringLiteral("Port setting : COM1"));
    QVERIFY(m_channels.informationTips.isEmpty());
}

void tst_FrmMain::choosingAPortWithoutDeviceExplainsIt()
{
    qputenv("VELTRIN_COM6", "/nonexistent/veltrin-com6");
    QTest::mouseClick(child<QPushButton>("cmdComset"), Qt::LeftButton);
    QTest::mouseClick(child<QRadioButton>("optPortset_5"), Qt::LeftButton);
    qunsetenv("VELTRIN_COM6");
    // The tip names the device it tried.
    QCOMPARE(m_channels.informationTips,
        QStringList { commErrorMessage(CommPort::InvalidPortNumber)
            + QStringLiteral("\n无法打开的设备：/nonexistent/veltrin-com6") });
    QCOMPARE(m_channels.lastStatus(), QStringLiteral("Port setting : COM6"));
    QVERIFY(!m_window->port().portOpen());
}

void tst_FrmMain::vanishingDeviceIsReportedAndCanBeReopened()
{
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("com3"));
    qputenv("VELTRIN_COM3", link.toLocal8Bit());
    auto first = std::make_unique<PtyPair>();
    QVERIFY(QFile::link(first->slavePath(), link));
    QCOMPARE(m_window->port().setHandshaking(0), 0);

    QTest::mouseClick(child<QPushButton>("cmdComset"), Qt::LeftButton);
    QTest::mouseClick(child<QRadioButton>("Option1"), Qt::LeftButton);
    QVERIFY(m_window->port().portOpen());

    first->closeMaster();
    QTRY_COMPARE(m_channels.informationTips.size(), 1);
    QCOMPARE(m_channels.informationTips.first(),
        commErrorMessage(CommPort::CommReadError) + QLatin1Char('\n') + deviceLostCause(true));
    QVERIFY(!m_window->port().portOpen());
    QTest::qWait(100);
    QCOMPARE(m_channels.informationTips.size(), 1);

    PtyPair second;
    QVERIFY(QFile::remove(link));
    QVERIFY(QFile::link(second.slavePath(), link));
    QTest::mouseClick(child<QRadioButton>("Option2"), Qt::LeftButton);
    QTest::mouseClick(child<QRadioButton>("Option1"), Qt::LeftButton);
    QVERIFY(m_window->port().portOpen());
    m_window->transmitter().SendDecimalList(QStringLiteral("7"));
    QCOMPARE(second.readMaster(), QByteArray("\x07"));
    qunsetenv("VELTRIN_COM3");
}

void tst_FrmMain::deviceVanishingMidSendIsReportedOnce()
{
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("com3"));
    qputenv("VELTRIN_COM3", link.toLocal8Bit());
    QCOMPARE(m_window->port().setHandshaking(0), 0);
    const QByteArray bytes(100000, 'x');

    for (int run = 0; run < 20; ++run) {
        m_channels.clear();
        auto device = std::make_unique<PtyPair>();
        QFile::remove(link);
        QVERIFY(QFile::link(device->slavePath(), link));
        // The far end takes a third of the data, then goes away.
        qsizetype taken = 0;
        auto reader = std::make_unique<QSocketNotifier>(device->masterFd(), QSocketNotifier::Read);
        connect(reader.get(), &QSocketNotifier::activated, this, [&] {
            taken += device->readMaster(0).size();
            if (taken > bytes.size() / 3 && reader) {
                reader->setEnabled(false);
                QTimer::singleShot(0, this, [&] {
                    reader.reset();
                    device->closeMaster();
                });
            }
        });
        // The next send reopens the port on the new device.
        m_window->transmitter().SendByteArray(qint32(bytes.size()), bytes);
        QCOMPARE(m_channels.lastStatus(), QStringLiteral("数据发送失败"));
        QTest::qWait(50);
        QCOMPARE(m_channels.informationTips,
            QStringList {
                commErrorMessage(CommPort::CommReadError) + QLatin1Char('\n') + deviceLostCause(true) });
        QVERIFY(!m_window->port().portOpen());
    }
    qunsetenv("VELTRIN_COM3");
}

void tst_FrmMain::baudRateReachesTheWire()
{
    PtyPort com3(3);
    QCOMPARE(m_window->port().setHandshaking(0), 0);
    QTest::mouseClick(child<QPushButton>("cmdComset"), Qt::LeftButton);
    QTest::mouseClick(child<QRadioButton>("Option1"), Qt::LeftButton);
    QTest::mouseClick(child<QRadioButton>("optBautrateSet_0"), Qt::LeftButton);
    QCOMPARE(m_window->port().settings(), QStringLiteral("9600,N,8,1"));
    QCOMPARE(com3.pty.slaveBaudRate(), 9600);
    QCOMPARE(m_channels.lastStatus(), QStringLiteral("Baud rate setting : 9600bps"));
}

void tst_FrmMain::receiveLabelOpensOneViewer()
{
    QTest::mouseClick(child<QLabel>("lblTestRF"), Qt::LeftButton);
    FrmReceiveShow *viewer = &m_window->receiveViewer().viewer();
    QVERIFY(viewer->isVisible());
    QTest::mouseClick(child<QLabel>("lblTestRF"), Qt::LeftButton);
    QCOMPARE(&m_window->receiveViewer().viewer(), viewer);
    const QWidgetList windows = QApplication::topLevelWidgets();
    QCOMPARE(std::count_if(windows.begin(), windows.end(),
                 [](QWidget *w) { return w->objectName() == QStringLiteral("frmReceiveShow"); }),
        1);
}

void tst_FrmMain::minimisingWithoutTrayKeepsTheWindowReachable()
{
    // No tray host offscreen: a hidden window could never come back.
    m_window->showMinimized();
    QTest::qWait(50);
    QVERIFY(m_window->isVisible());
}

// Opening a FIFO would stop the window until another program writes to it.
void tst_FrmMain::specialFilesGiveATipWhileTheClockTicks()
{
    QTemporaryDir dir;
    const SpecialFiles special(dir.path());
    QVERIFY(special.isValid());
    child<QPlainTextEdit>("txtCmd")->setPlainText(QStringLiteral("kept"));
    const QString time = child<QLabel>("ShowStatus_1")->text();

    for (const QString &path : { special.fifo, special.characterDevice, special.socket }) {
        m_files.nextPath = path;
        QTest::mouseClick(child<QPushButton>("cmdOpenfile"), Qt::LeftButton);
    }
    const QStringList tips = m_channels.tips();
    QCOMPARE(tips.size(), 3);
    for (const QString &tip : tips)
        QVERIFY2(tip.startsWith(QStringLiteral("所选的不是普通文件")), qPrintable(tip));
    QCOMPARE(child<QPlainTextEdit>("txtCmd")->toPlainText(), QStringLiteral("kept"));
    QTRY_VERIFY_WITH_TIMEOUT(child<QLabel>("ShowStatus_1")->text() != time, 3000);
    QVERIFY(!special.fifoWasOpened());
}

QTEST_MAIN(tst_FrmMain)
#include "tst_frmmain.moc"
