#include "app/FrmMain.h"

#include "app/FrmHelpShow.h"
#include "app/TrayIcon.h"
#include "interfaces/UserChannels.h"
#include "printtest/FrmCommShow.h"
#include "protocol/FrmWirelessShow.h"
#include "serial/FrmPortSetShow.h"
#include "ui_FrmMain.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDate>
#include <QLocale>
#include <QTime>

namespace {

const QString chosenButtonStyle = QStringLiteral("background-color: rgb(224, 224, 224);");
const QString otherButtonStyle = QStringLiteral("background-color: rgb(240, 240, 240);");
const QPoint panelPosition(120 / 15, 1440 / 15);

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

    Form_Load();
}

// The panels use the engine and go before it does: as children of the window
// they would outlive it, and the port panel stops watching the ports when it
// is hidden or destroyed.
FrmMain::~FrmMain()
{
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

    m_trayIcon->AddTrayIcon();
    m_trayIcon->SetTrayTip(QStringLiteral("Corvessa"));

    m_FrmCommShow->move(panelPosition);
    cmdCommTest_Click();
    m_ui->lblTestRF->setText(QString());
    portSettings().ApplyPortDefaults();
    m_engine.returnWatch().setEnabled(true);
    // Once the window is up: the first look at the system's ports takes
    // QSerialPortInfo's full scan, and the status line is there to say what
    // was taken.
    QTimer::singleShot(0, this, [this] { m_engine.takeKitAdapter(); });

    m_TimeSysTimer.start(1000);
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
    }
    return *m_FrmWirelessShow;
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
