// The kit window in the real main window, offscreen, against the simulated
// host module (the real HostModule on a pty, in this process), driven by
// objectName as a user drives it: the search's map, the survey's table and
// the move with its report, each compared with the simulator's own state.
// With VELTRIN_SCREENSHOT_DIR set, each case leaves a picture of the window
// there, grabbed at the form's size.

#include "PtyPair.h"
#include "RangeDialogConfirmer.h"
#include "RecordingProcessLauncher.h"
#include "RecordingUserChannels.h"
#include "ScriptedFileChooser.h"
#include "app/DialogUserChannels.h"
#include "app/FrmMain.h"
#include "hostsim/HostSimulator.h"
#include "protocol/ChannelMapWidget.h"
#include "protocol/ControlFrame.h"
#include "viewer/FrmReceiveShow.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

constexpr int home = 20;

HostOptions kitOptions()
{
    HostOptions options;
    options.quiet = true;
    options.searchTimeMs = 200;
    options.busyChannels = { 3, 7, 11 };
    options.slaves[3].online = false;
    return options;
}

QStringList listed(const QListWidget *list)
{
    QStringList rows;
    for (int row = 0; row < list->count(); ++row)
        rows.append(list->item(row)->text());
    return rows;
}

} // namespace

class tst_KitWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup();

    void mapShowsExactlyTheSimulatorsFreeChannels();
    void clickOnAFreeChannelOffersItForTheMove();
    void surveyTableMatchesTheSimulatorsPrinters();
    void stopPutsTheHostBackAndPanelsWaitMeanwhile();
    void moveIsConfirmedVerifiedAndReported();
    void moveWithAPrinterIgnoringTheReaddressLeavesEveryModuleWhereTheTipSays();
    void moveAsksAndReportsInTheRealMessageBoxes();
    void noJobStartsInTheMiddleOfPrintData();

private:
    void start(const HostOptions &options);
    template<typename T> T *child(const char *name) const
    {
        T *widget = m_window->findChild<T *>(QLatin1String(name));
        if (!widget)
            qFatal("no %s", name);
        return widget;
    }
    void click(const char *name) const { QTest::mouseClick(child<QPushButton>(name), Qt::LeftButton); }
    QWidget *openKitWindow();
    void saveScreenshot(QWidget *window, const QString &name) const;

    RecordingUserChannels m_channels;
    ScriptedFileChooser m_files;
    RecordingProcessLauncher m_launcher;
    std::unique_ptr<HostSimulator> m_simulator;
    std::unique_ptr<FrmMain> m_window;
};

void tst_KitWindow::cleanup()
{
    m_window.reset();
    m_simulator.reset();
    qunsetenv("VELTRIN_COM3");
}

void tst_KitWindow::start(const HostOptions &options)
{
    m_channels.clear();
    m_simulator = std::make_unique<HostSimulator>(options);
    QString error;
    QVERIFY2(m_simulator->start(&error), qPrintable(error));
    qputenv("VELTRIN_COM3", m_simulator->slavePath().toLocal8Bit());
    m_window = std::make_unique<FrmMain>(m_channels, m_files, m_launcher);
    // A pty has no CTS line.
    m_window->portSettings().SelectHandshake(0);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    click("cmdWireless");
}

QWidget *tst_KitWindow::openKitWindow()
{
    click("CmdKitShow");
    QWidget *window = child<QWidget>("FrmKitShow");
    if (!QTest::qWaitForWindowExposed(window))
        qFatal("the kit window did not show");
    return window;
}

void tst_KitWindow::saveScreenshot(QWidget *window, const QString &name) const
{
    const QString folder = qEnvironmentVariable("VELTRIN_SCREENSHOT_DIR");
    if (!folder.isEmpty())
        QVERIFY(window->grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png")));
}

// The map's cells are read back from its drawing, pixel by pixel.
void tst_KitWindow::mapShowsExactlyTheSimulatorsFreeChannels()
{
    start(kitOptions());
    confirmRangeDialogWhenItOpens(this);
    click("CmdSearchCHN");
    QWidget *kitWindow = nullptr;
    QTRY_VERIFY_WITH_TIMEOUT(
        (kitWindow = m_window->findChild<QWidget *>(QStringLiteral("FrmKitShow"))) && kitWindow->isVisible(),
        10000);
    auto *map = child<ChannelMapWidget>("ChannelMap");
    const QList<int> free = m_simulator->module().freeChannels(0, 20);
    QCOMPARE(map->result().freeChannels(), free);
    QCOMPARE(map->result().hostChannel(), std::optional<int>(home));
    const QImage picture = map->grab().toImage();
    const qreal scale = picture.devicePixelRatio();
    for (int channel = 0; channel < ChannelSearchResult::channelCount; ++channel) {
        const QColor expected = channel > 20 ? ChannelMapWidget::unsearchedColour
            : free.contains(channel)         ? ChannelMapWidget::freeColour
                                             : ChannelMapWidget::notFreeColour;
        const QPoint centre = map->cellRect(channel).center();
        QColor drawn = picture.pixelColor(int(centre.x() * scale), int(centre.y() * scale));
        // The Wi-Fi bands lie over the cells, translucent: compare hues.
        QVERIFY2(drawn.hue() == expected.hue() || (expected.saturation() == 0 && drawn.saturation() < 80),
            qPrintable(QStringLiteral("channel %1 drawn %2, expected %3")
                           .arg(channel)
                           .arg(drawn.name(), expected.name())));
    }
    QVERIFY(child<QLabel>("lblMapLegend")->text().contains(QStringLiteral("2400+n MHz")));
    // The viewer still has every byte, as before.
    QTRY_VERIFY(
        m_window->receiveViewer().viewer().text().startsWith(QStringLiteral("00 01 02 04 05 06 08 ")));
    saveScreenshot(kitWindow, QStringLiteral("channel-map"));
}

void tst_KitWindow::clickOnAFreeChannelOffersItForTheMove()
{
    start(kitOptions());
    confirmRangeDialogWhenItOpens(this);
    click("CmdSearchCHN");
    QTRY_VERIFY_WITH_TIMEOUT(m_window->findChild<QWidget *>(QStringLiteral("FrmKitShow")), 10000);
    auto *map = child<ChannelMapWidget>("ChannelMap");
    QTRY_VERIFY_WITH_TIMEOUT(map->isVisible(), 10000);
    QTest::mouseClick(map, Qt::LeftButton, {}, map->cellRect(3).center());
    QCOMPARE(child<QComboBox>("MoveChannel")->currentIndex(), 0);
    QTest::mouseClick(map, Qt::LeftButton, {}, map->cellRect(9).center());
    QCOMPARE(child<QComboBox>("MoveChannel")->currentIndex(), 9);
    QVERIFY(child<QLabel>("lblMoveResult")->text().contains(QStringLiteral("信道9")));
}

void tst_KitWindow::surveyTableMatchesTheSimulatorsPrinters()
{
    HostOptions options = kitOptions();
    options.slaves[1].channel = 33;
    options.slaves[2].channel = 77;
    start(options);
    QWidget *kitWindow = openKitWindow();
    click("CmdSurvey");
    QCOMPARE(listed(child<QListWidget>("SurveyTable")),
        (QStringList { "1号机 · 信道 20 · 在线", "2号机 · 信道 33 · 在线", "3号机 · 信道 77 · 在线",
            "4号机 · 未找到", "主机 · 信道 20 · 已回到原信道",
            "普查完成：已查信道 0-124，主机已回到信道 20。" }));
    QCOMPARE(m_simulator->module().hostChannel(), home);
    QCOMPARE(child<QProgressBar>("SurveyProgress")->value(), 125);
    saveScreenshot(kitWindow, QStringLiteral("survey"));
}

void tst_KitWindow::stopPutsTheHostBackAndPanelsWaitMeanwhile()
{
    start(kitOptions());
    openKitWindow();
    bool panelsHeld = false;
    bool stopCould = false;
    auto *progress = child<QProgressBar>("SurveyProgress");
    connect(progress, &QProgressBar::valueChanged, this, [&](int value) {
        if (value != 30)
            return;
        panelsHeld
            = !child<QWidget>("FrmWirelessShow")->isEnabled() && !child<QWidget>("FrmCommShow")->isEnabled();
        stopCould = child<QPushButton>("CmdSurveyStop")->isEnabled();
        click("CmdSurveyStop");
    });
    click("CmdSurvey");
    QVERIFY(panelsHeld);
    QVERIFY(stopCould);
    QVERIFY(child<QWidget>("FrmWirelessShow")->isEnabled());
    QVERIFY(!child<QPushButton>("CmdSurveyStop")->isEnabled());
    QCOMPARE(m_simulator->module().hostChannel(), home);
    const QStringList rows = listed(child<QListWidget>("SurveyTable"));
    QCOMPARE(rows.constLast(), QStringLiteral("普查已停止：已查信道 0-29，主机已回到信道 20。"));
    QCOMPARE(child<QLabel>("lblSurveyChannel")->text(), QStringLiteral("普查未完成"));
}

void tst_KitWindow::moveIsConfirmedVerifiedAndReported()
{
    start(kitOptions());
    QWidget *kitWindow = openKitWindow();
    child<QComboBox>("MoveChannel")->setCurrentIndex(40);
    m_channels.nextAnswer = UserChannels::AnswerYes;
    click("CmdMove");
    const QStringList tips = m_channels.tips();
    QCOMPARE(tips.size(), 2);
    QCOMPARE(tips.at(0), QStringLiteral("把 3 台打印机和主机从信道 20 迁到信道 40？"));
    QCOMPARE(tips.at(1),
        QStringLiteral("迁移完成：主机和 3 台打印机都已在信道 40上确认。\n主机 · 信道 40 · 已确认\n"
                       "1号机 · 信道 40 · 在线\n2号机 · 信道 40 · 在线\n3号机 · 信道 40 · 在线"));
    QCOMPARE(m_simulator->module().hostChannel(), 40);
    for (int printer = 0; printer < 3; ++printer)
        QCOMPARE(m_simulator->module().slaves().at(printer).channel, 40);
    saveScreenshot(kitWindow, QStringLiteral("move-done"));
}

void tst_KitWindow::moveWithAPrinterIgnoringTheReaddressLeavesEveryModuleWhereTheTipSays()
{
    HostOptions options = kitOptions();
    options.ignoringReaddress = { 2 };
    start(options);
    QWidget *kitWindow = openKitWindow();
    child<QComboBox>("MoveChannel")->setCurrentIndex(40);
    m_channels.nextAnswer = UserChannels::AnswerYes;
    click("CmdMove");
    QCOMPARE(m_channels.tips().size(), 2);
    QCOMPARE(m_channels.tips().at(1),
        QStringLiteral("迁移失败：2号机没有接受迁到信道 40（设置失败）。所有模块已回到信道 20，并已确认。\n"
                       "主机 · 信道 20 · 已确认\n1号机 · 信道 20 · 在线\n2号机 · 信道 20 · 在线\n"
                       "3号机 · 信道 20 · 在线"));
    QCOMPARE(m_simulator->module().hostChannel(), home);
    for (const SlaveModule &slave : m_simulator->module().slaves())
        QCOMPARE(slave.channel, home);
    QCOMPARE(child<QLabel>("lblMoveResult")->styleSheet(), QStringLiteral("color: rgb(255, 0, 0);"));
    saveScreenshot(kitWindow, QStringLiteral("move-rolled-back"));
}

// The window's own user channels: the question is a real Yes/No box whose
// Yes starts the move, and the report one real box.
void tst_KitWindow::moveAsksAndReportsInTheRealMessageBoxes()
{
    HostOptions options = kitOptions();
    options.droppingAfterReaddress = { 3 };
    m_simulator = std::make_unique<HostSimulator>(options);
    QString error;
    QVERIFY2(m_simulator->start(&error), qPrintable(error));
    qputenv("VELTRIN_COM3", m_simulator->slavePath().toLocal8Bit());
    DialogUserChannels channels;
    m_window = std::make_unique<FrmMain>(channels, m_files, m_launcher);
    channels.setOwner(m_window.get());
    m_window->portSettings().SelectHandshake(0);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    click("cmdWireless");
    openKitWindow();
    child<QComboBox>("MoveChannel")->setCurrentIndex(40);

    QStringList shown;
    QTimer answerer;
    connect(&answerer, &QTimer::timeout, this, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible() || shown.contains(box->text()))
            return;
        shown.append(box->text());
        if (QAbstractButton *yes = box->button(QMessageBox::Yes)) {
            QTest::mouseClick(yes, Qt::LeftButton);
            return;
        }
        saveScreenshot(box, QStringLiteral("move-report"));
        QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    });
    answerer.start(20);
    click("CmdMove");
    answerer.stop();
    QCOMPARE(shown.size(), 2);
    QCOMPARE(shown.at(0), QStringLiteral("把 3 台打印机和主机从信道 20 迁到信道 40？"));
    QCOMPARE(shown.at(1),
        QStringLiteral(
            "迁移失败：3号机在信道 40上没有应答。没能让所有模块回到信道 20，各模块现在的位置如下。\n"
            "主机 · 信道 20 · 已确认\n1号机 · 信道 20 · 在线\n2号机 · 信道 20 · 在线\n"
            "3号机 · 未应答 · 最后在信道 40"));
    // Where the box says: printer 3 on channel 40, off line; the rest home.
    const QList<SlaveModule> &slaves = m_simulator->module().slaves();
    QCOMPARE(slaves.at(2).channel, 40);
    QVERIFY(!slaves.at(2).online);
    QCOMPARE(slaves.at(0).channel, home);
    QCOMPARE(slaves.at(1).channel, home);
    QCOMPARE(m_simulator->module().hostChannel(), home);
    // The window is destroyed before the channels it reports through.
    m_window.reset();
}

// A bare pty that nobody reads: the print test's data stays in it, and the
// send waits on the line, running events meanwhile; a survey pressed then
// would put its frames in the middle of the data.
void tst_KitWindow::noJobStartsInTheMiddleOfPrintData()
{
    PtyPair pty;
    QVERIFY(pty.isValid());
    qputenv("VELTRIN_COM3", pty.slavePath().toLocal8Bit());
    m_channels.clear();
    m_window = std::make_unique<FrmMain>(m_channels, m_files, m_launcher);
    m_window->portSettings().SelectHandshake(0);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    click("cmdWireless");
    openKitWindow();
    click("cmdCommTest");
    QTest::mouseClick(child<QRadioButton>("Jinzhi_3"), Qt::LeftButton);
    // Words of 99 letters: 100 KB of text notation.
    child<QPlainTextEdit>("txtCmd")->setPlainText(
        (QString(99, QLatin1Char('A')) + QLatin1Char(' ')).repeated(1000));

    bool pressedDuringTheSend = false;
    QTimer::singleShot(300, this, [&] {
        pressedDuringTheSend = m_window->transmitter().isTransmitting();
        click("CmdSurvey");
    });
    click("Cmdsendcmd");
    QVERIFY(pressedDuringTheSend);
    QVERIFY(m_channels.tips().contains(QStringLiteral("正在发送数据，请等发送结束后再试")));
    const QByteArray wire = pty.readMaster();
    QVERIFY(wire.startsWith(ControlFrame::bytes(ControlFrame::SelectPrinters, { 4 })));
    QVERIFY(!wire.contains(ControlFrame::bytes(ControlFrame::HostChannel)));
    m_window.reset();
}

QTEST_MAIN(tst_KitWindow)
#include "tst_kitwindow.moc"
