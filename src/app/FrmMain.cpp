#include "app/FrmMain.h"

#include "app/FrmHelpShow.h"
#include "app/TrayIcon.h"
#include "engine/KitQuestions.h"
#include "interfaces/UserChannels.h"
#include "printtest/FrmCommShow.h"
#include "protocol/FrmKitShow.h"
#include "protocol/FrmWirelessShow.h"
#include "serial/FrmPortSetShow.h"
#include "ui_FrmMain.h"
#include "viewer/ReceiveRecording.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDate>
#include <QDebug>
#include <QDir>
#include <QLocale>
#include <QTime>

namespace {

const QString chosenButtonStyle = QStringLiteral("background-color: rgb(224, 224, 224);");
const QString otherButtonStyle = QStringLiteral("background-color: rgb(240, 240, 240);");
const QPoint panelPosition(120 / 15, 1440 / 15);
// What the line still holds at the end is taken in until it has been quiet
// this long, for at most the limit: a system that is shutting down gives a
// few seconds.
constexpr int endQuietMs = 20;
constexpr int endLimitMs = 1000;

// Drops every time-zone field ("t", "tt", ...) from a time format, with the
// parentheses around it and the blanks before it. Done by hand: the regular
// expression engine would be loaded and compiled for this alone, half a
// megabyte of resident memory for as long as the program runs.
QString withoutTimeZone(const QString &format)
{
    QString kept;
    for (qsizetype i = 0; i < format.size();) {
        if (format.at(i) != QLatin1Char('t')) {
            kept.append(format.at(i++));
            continue;
        }
        if (kept.endsWith(QLatin1Char('(')))
            kept.chop(1);
        while (!kept.isEmpty() && kept.back().isSpace())
            kept.chop(1);
        while (i < format.size() && format.at(i) == QLatin1Char('t'))
            ++i;
        if (i < format.size() && format.at(i) == QLatin1Char(')'))
            ++i;
    }
    return kept;
}

// The locale's long time format, for the seconds, without the time zone that
// many locales append to it.
QString clockFormat(const QLocale &locale)
{
    return withoutTimeZone(locale.timeFormat(QLocale::LongFormat)).trimmed();
}

} // namespace

FrmMain::FrmMain(UserChannels &channels, FileChooser &files, ProcessLauncher &launcher,
    SerialPortCatalog::Source portSource, QWidget *parent)
    : QWidget(parent,
        Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
            | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
    , m_channels(channels)
    , m_launcher(launcher)
    , m_receiveViewer(this, channels, files)
    , m_engine(channels, m_receiveViewer, std::move(portSource))
    , m_ui(std::make_unique<Ui::FrmMain>())
    , m_searchWatch(m_engine.exchange(), m_engine.commEvents())
{
    m_ui->setupUi(this);
    setFixedSize(size());
    setButtonFonts();

    m_FrmCommShow = new FrmCommShow(transmitter(), sendTextParser(), channels, files, this);
    m_trayIcon = std::make_unique<TrayIcon>(this, channels, launcher);

    connect(m_ui->cmdCommTest, &QPushButton::clicked, this, &FrmMain::cmdCommTest_Click);
    connect(m_ui->cmdWireless, &QPushButton::clicked, this, &FrmMain::cmdWireless_Click);
    connect(m_ui->cmdComset, &QPushButton::clicked, this, &FrmMain::cmdComset_Click);
    connect(m_ui->cmdHelp, &QPushButton::clicked, this, &FrmMain::cmdHelp_Click);
    connect(m_ui->cmdExit, &QPushButton::clicked, this, &FrmMain::cmdExit_Click);
    connect(m_ui->lblTestRF, &ClickableLabel::clicked, this, &FrmMain::lblTestRF_Click);
    connect(&m_TimeSysTimer, &QTimer::timeout, this, &FrmMain::TimeSysTimer_Timer);
    connect(&m_searchWatch, &ChannelSearchWatch::ended, this, &FrmMain::showSearchMap);
    connect(&m_engine, &KitEngine::jobRunningChanged, this, &FrmMain::holdPanels);

    Form_Load();
}

// The panels use the engine and go before it does: as children of the window
// they would outlive it, and the port panel stops watching the ports when it
// is hidden or destroyed.
FrmMain::~FrmMain()
{
    delete m_FrmKitShow;
    delete m_FrmPortSetShow;
    delete m_FrmWirelessShow;
    delete m_FrmCommShow;
}

QLabel *FrmMain::statusCell() const
{
    return m_ui->ShowStatus_0;
}

void FrmMain::setButtonFonts()
{
    const QList<QPushButton *> buttons { m_ui->cmdCommTest, m_ui->cmdWireless, m_ui->cmdComset, m_ui->cmdHelp,
        m_ui->cmdExit };
    for (QPushButton *button : buttons) {
        QFont font = button->font();
        font.setPointSizeF(10.5);
        button->setFont(font);
    }
    m_ui->cmdExit->setStyleSheet(otherButtonStyle);
}

void FrmMain::Form_Load()
{
    sendTextParser().DataMode = 0;
    transmitter().setStopSending(false);
    transmitter().setSendReady(true);
    m_FrmCommShow->PrinterMask = 128;

    // The icon itself goes in after the first frame (afterFirstFrame()).
    m_trayIcon->SetTrayTip(QStringLiteral("Corvessa"));

    m_FrmCommShow->move(panelPosition);
    cmdCommTest_Click();
    m_ui->lblTestRF->setText(QString());
    portSettings().ApplyPortDefaults();
    m_engine.returnWatch().setEnabled(true);

    m_TimeSysTimer.start(1000);
}

void FrmMain::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
    if (m_firstFramePainted)
        return;
    m_firstFramePainted = true;
    // Queued, so that the frame goes to the screen first.
    QTimer::singleShot(0, this, &FrmMain::afterFirstFrame);
}

// What the start can do without: the window is on the screen first. The
// tray icon's connection to the session bus is the start's slowest and most
// uneven step (a few ms, 30 ms and more under load or with no bus running).
// The status line is there by now to say which adapter was taken.
void FrmMain::afterFirstFrame()
{
    m_engine.takeKitAdapter();
    m_trayIcon->AddTrayIcon();
}

void FrmMain::showPanel(QWidget *chosen)
{
    const std::pair<QPushButton *, QWidget *> pairs[] = {
        { m_ui->cmdCommTest, m_FrmCommShow },
        { m_ui->cmdWireless, m_FrmWirelessShow },
        { m_ui->cmdComset, m_FrmPortSetShow },
        { m_ui->cmdHelp, m_FrmHelpShow },
    };
    for (const auto &[button, panel] : pairs) {
        button->setStyleSheet(panel == chosen ? chosenButtonStyle : otherButtonStyle);
        // A panel not made yet is not shown either.
        if (panel)
            panel->setVisible(panel == chosen);
    }
}

FrmHelpShow &FrmMain::helpPanel()
{
    if (!m_FrmHelpShow) {
        m_FrmHelpShow = new FrmHelpShow(m_launcher, this);
        m_FrmHelpShow->move(panelPosition);
    }
    return *m_FrmHelpShow;
}

FrmWirelessShow &FrmMain::wirelessPanel()
{
    if (!m_FrmWirelessShow) {
        m_FrmWirelessShow = new FrmWirelessShow(
            moduleExchange(), transmitter(), portSettings(), m_receiveViewer, m_channels, this);
        m_FrmWirelessShow->move(panelPosition);
        m_FrmWirelessShow->selectFirstCommand();
        m_FrmWirelessShow->fillStatusPrinterList();
        connect(m_FrmWirelessShow, &FrmWirelessShow::kitShowRequested, this, [this] {
            kitWindow().show();
            kitWindow().raise();
        });
        connect(m_FrmWirelessShow, &FrmWirelessShow::searchSent, &m_searchWatch, &ChannelSearchWatch::start);
    }
    return *m_FrmWirelessShow;
}

FrmKitShow &FrmMain::kitWindow()
{
    if (!m_FrmKitShow)
        m_FrmKitShow = new FrmKitShow(m_engine, m_channels, this);
    return *m_FrmKitShow;
}

void FrmMain::showSearchMap(ChannelSearchResult result)
{
    // The host's channel completes the picture, asked only of an open port
    // with nothing else on the line.
    if (!m_engine.jobRunning() && !transmitter().isTransmitting() && port().portOpen())
        result.setHostChannel(KitQuestions(m_engine.exchange()).hostChannel());
    kitWindow().showSearch(result);
}

// While a survey or a move runs, the panels' commands wait for it.
void FrmMain::holdPanels(bool jobRunning)
{
    for (QWidget *panel : { static_cast<QWidget *>(m_FrmCommShow), static_cast<QWidget *>(m_FrmWirelessShow),
             static_cast<QWidget *>(m_FrmPortSetShow) }) {
        if (panel)
            panel->setEnabled(!jobRunning);
    }
}

FrmPortSetShow &FrmMain::portSetPanel()
{
    if (!m_FrmPortSetShow) {
        m_FrmPortSetShow = new FrmPortSetShow(portSettings(), m_engine.catalog(), this);
        m_FrmPortSetShow->move(panelPosition);
    }
    return *m_FrmPortSetShow;
}

void FrmMain::cmdCommTest_Click()
{
    showPanel(m_FrmCommShow);
}

void FrmMain::cmdWireless_Click()
{
    showPanel(&wirelessPanel());
}

void FrmMain::cmdComset_Click()
{
    showPanel(&portSetPanel());
}

void FrmMain::cmdHelp_Click()
{
    showPanel(&helpPanel());
}

void FrmMain::cmdExit_Click()
{
    close();
}

void FrmMain::endRun()
{
    transmitter().setStopSending(true);
    port().receiveUntilQuiet(endQuietMs, endLimitMs);
    const QString path = m_receiveViewer.recording() ? m_receiveViewer.recording()->path() : QString();
    // A box now would hold an unattended end (a shutdown, a logout) until
    // someone answers it: the failure goes to stderr.
    const QString failure = m_receiveViewer.finishRecording();
    if (!failure.isEmpty())
        qWarning().noquote()
            << QStringLiteral("记录文件写入失败：%1\n%2").arg(QDir::toNativeSeparators(path), failure);
    portSettings().ClosePort();
}

void FrmMain::lblTestRF_Click()
{
    m_receiveViewer.showViewer();
}

void FrmMain::TimeSysTimer_Timer()
{
    const QLocale locale;
    m_ui->ShowStatus_1->setText(
        QStringLiteral("  ") + locale.toString(QTime::currentTime(), clockFormat(locale)));
    m_ui->ShowStatus_2->setText(
        QStringLiteral("  ") + locale.toString(QDate::currentDate(), QLocale::ShortFormat));
}

void FrmMain::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        Form_Resize();
}

void FrmMain::Form_Resize()
{
    // Hiding a minimised window takes it off the task bar; that is only safe
    // when a tray icon is there to bring it back.
    if (isMinimized() && m_trayIcon->canRestoreHiddenWindow())
        QTimer::singleShot(0, this, &QWidget::hide);
}

void FrmMain::closeEvent(QCloseEvent *event)
{
    m_trayIcon->removeIcon();
    event->accept();
    QCoreApplication::quit();
}
