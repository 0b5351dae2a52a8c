#include "protocol/FrmWirelessShow.h"

#include "interfaces/ReceiveViewer.h"
#include "protocol/ControlFrame.h"
#include "protocol/FrmSetting.h"
#include "protocol/ModuleAnswer.h"
#include "protocol/ModuleExchange.h"
#include "serial/PortSettings.h"
#include "serial/Transmitter.h"
#include "ui_FrmWirelessShow.h"

namespace {

const QColor blue(0, 0, 255);
const QColor red(255, 0, 0);

constexpr int channelCount = 125;
constexpr int printerCount = 4;
// The module comes up at 38400 bit/s, the third rate.
constexpr int defaultBaudEntry = 2;

constexpr double searchWaitMs = 5;

// WLFrame5 takes the place of the four selector frames (120, 1320 twips).
const QPoint printerFramePosition(120 / 15, 1320 / 15);

} // namespace

FrmWirelessShow::FrmWirelessShow(ModuleExchange &exchange, Transmitter &transmitter,
    PortSettings &portSettings, ReceiveViewer &receiveViewer, UserChannels &channels, QWidget *parent)
    : QWidget(parent)
    , m_ui(std::make_unique<Ui::FrmWirelessShow>())
    , m_exchange(exchange)
    , m_transmitter(transmitter)
    , m_portSettings(portSettings)
    , m_receiveViewer(receiveViewer)
    , m_channels(channels)
{
    m_ui->setupUi(this);

    connect(m_ui->WLOption1, &QRadioButton::clicked, this, &FrmWirelessShow::WLOption1_Click);
    connect(m_ui->WLOption2, &QRadioButton::clicked, this, &FrmWirelessShow::WLOption2_Click);
    connect(m_ui->WLOption3, &QRadioButton::clicked, this, &FrmWirelessShow::WLOption3_Click);
    connect(m_ui->WLOption4, &QRadioButton::clicked, this, &FrmWirelessShow::WLOption4_Click);
    connect(m_ui->WLOption5, &QRadioButton::clicked, this, &FrmWirelessShow::WLOption5_Click);
    connect(m_ui->CmdWLsend, &QPushButton::clicked, this, &FrmWirelessShow::CmdWLsend_Click);
    connect(m_ui->CmdStatus, &QPushButton::clicked, this, &FrmWirelessShow::CmdStatus_Click);
    connect(m_ui->CmdSearchCHN, &QPushButton::clicked, this, &FrmWirelessShow::CmdSearchCHN_Click);
    connect(m_ui->cmdMasterCHN, &QPushButton::clicked, this, &FrmWirelessShow::cmdMasterCHN_Click);
    connect(m_ui->CmdKitShow, &QPushButton::clicked, this, &FrmWirelessShow::kitShowRequested);
}

FrmWirelessShow::~FrmWirelessShow() = default;

void FrmWirelessShow::selectFirstCommand()
{
    // Like a user's click: checks the option and runs its handler.
    m_ui->WLOption1->click();
}

void FrmWirelessShow::fillStatusPrinterList()
{
    fillPrinters(m_ui->WLCombo120);
}

void FrmWirelessShow::fillPrinters(QComboBox *combo)
{
    combo->clear();
    for (int number = 1; number <= printerCount; ++number)
        combo->addItem(QString::number(number) + QStringLiteral("号机"));
    combo->setCurrentIndex(0);
}

void FrmWirelessShow::fillChannels(QComboBox *combo)
{
    combo->clear();
    for (int channel = 0; channel < channelCount; ++channel)
        combo->addItem(QStringLiteral("信道") + QString::number(channel));
    combo->setCurrentIndex(0);
}

void FrmWirelessShow::fillBaudRates(QComboBox *combo)
{
    combo->clear();
    combo->addItems({ QStringLiteral("9600bps"), QStringLiteral("19200bps"), QStringLiteral("38400bps"),
        QStringLiteral("115200bps") });
    combo->setCurrentIndex(defaultBaudEntry);
}

void FrmWirelessShow::hideCommandFrames()
{
    for (QGroupBox *frame :
        { m_ui->WLFrame1, m_ui->WLFrame2, m_ui->WLFrame3, m_ui->WLFrame4, m_ui->WLFrame5 })
        frame->hide();
}

void FrmWirelessShow::showSelectorFrame(int number, const QString &caption)
{
    QGroupBox *const frames[] = { m_ui->WLFrame1, m_ui->WLFrame2, m_ui->WLFrame3, m_ui->WLFrame4 };
    QGroupBox *frame = frames[number - 1];
    frame->setTitle(caption);
    frame->show();
}

void FrmWirelessShow::WLOption1_Click()
{
    m_ui->WLFrame5->hide();
    showSelectorFrame(1, QStringLiteral("原来的地址是"));
    showSelectorFrame(2, QStringLiteral("设置为新的地址"));
    showSelectorFrame(3, QStringLiteral("原来的信道是"));
    showSelectorFrame(4, QStringLiteral("设置为新的信道"));
    fillPrinters(m_ui->WLCombo1);
    fillPrinters(m_ui->WLCombo2);
    fillChannels(m_ui->WLCombo3);
    fillChannels(m_ui->WLCombo4);
    m_WLCommandIndex = 0;
}

void FrmWirelessShow::WLOption2_Click()
{
    hideCommandFrames();
    m_ui->WLFrame5->move(printerFramePosition);
    m_ui->WLFrame5->show();
    m_WLCommandIndex = 1;
}

void FrmWirelessShow::WLOption4_Click()
{
    hideCommandFrames();
    showSelectorFrame(3, QStringLiteral("选择打印机地址"));
    showSelectorFrame(4, QStringLiteral("选择波特率"));
    m_ui->WLCombo3->clear();
    for (int number = 1; number <= printerCount; ++number)
        m_ui->WLCombo3->addItem(QStringLiteral("机号") + QString::number(number));
    m_ui->WLCombo3->setCurrentIndex(0);
    fillBaudRates(m_ui->WLCombo4);
    m_WLCommandIndex = 2;
}

void FrmWirelessShow::WLOption3_Click()
{
    hideCommandFrames();
    showSelectorFrame(4, QStringLiteral("设置主机信道为"));
    fillChannels(m_ui->WLCombo4);
    m_WLCommandIndex = 3;
}

void FrmWirelessShow::WLOption5_Click()
{
    hideCommandFrames();
    showSelectorFrame(4, QStringLiteral("选择波特率"));
    fillBaudRates(m_ui->WLCombo4);
    m_WLCommandIndex = 4;
}

QString FrmWirelessShow::configurationFrameText() const
{
    // The entry index is the value sent: printer entries give the address
    // 2^index, channel and baud-rate entries the index itself.
    const int combo1 = m_ui->WLCombo1->currentIndex();
    const int combo2 = m_ui->WLCombo2->currentIndex();
    const int combo3 = m_ui->WLCombo3->currentIndex();
    const int combo4 = m_ui->WLCombo4->currentIndex();
    switch (m_WLCommandIndex) {
    case 0:
        return ControlFrame::text(ControlFrame::SetSlaveChannelAndAddress,
            { ControlFrame::printerAddress(combo1), ControlFrame::printerAddress(combo2), combo3, combo4 });
    case 1: {
        int printerSet = 0;
        const QCheckBox *const boxes[]
            = { m_ui->WLPrinter1, m_ui->WLPrinter2, m_ui->WLPrinter3, m_ui->WLPrinter4 };
        for (int i = 0; i < printerCount; ++i) {
            if (boxes[i]->isChecked())
                printerSet |= ControlFrame::printerAddress(i);
        }
        return ControlFrame::text(ControlFrame::SelectPrinters, { printerSet });
    }
    case 2:
        return ControlFrame::text(
            ControlFrame::SetSlaveBaudRate, { ControlFrame::printerAddress(combo3), combo4 });
    case 3:
        return ControlFrame::text(ControlFrame::SetHostChannel, { combo4 });
    default:
        return ControlFrame::text(ControlFrame::SetHostBaudRate, { combo4 });
    }
}

void FrmWirelessShow::showResult(QLabel *label, const QString &text, const QColor &colour)
{
    label->setStyleSheet(QStringLiteral("color: %1;").arg(colour.name()));
    label->setText(text);
}

void FrmWirelessShow::CmdWLsend_Click()
{
    m_ui->CmdWLsend->setEnabled(false);
    showResult(m_ui->WLLabel1, QStringLiteral("正在设置..."), blue);
    // Built before the wait: clicks on the options meanwhile change neither
    // the frame nor whether the PC's port follows the host.
    const QString frame = configurationFrameText();
    const bool portFollows = m_WLCommandIndex == 4;
    const int baudIndex = m_ui->WLCombo4->currentIndex();

    // The module answers at its old speed; the PC's port follows after that.
    const bool done = ModuleAnswer::isYes(m_exchange.ask(frame));
    if (portFollows)
        m_portSettings.SelectBaudRate(baudIndex);

    showResult(m_ui->WLLabel1, ModuleAnswer::configurationText(done), done ? blue : red);
    m_ui->CmdWLsend->setEnabled(true);
}

void FrmWirelessShow::CmdStatus_Click()
{
    m_ui->CmdStatus->setEnabled(false);
    // The entry index is the value sent: entry i is printer address 2^i.
    const int address = ControlFrame::printerAddress(m_ui->WLCombo120->currentIndex());
    const bool online
        = ModuleAnswer::isYes(m_exchange.ask(ControlFrame::text(ControlFrame::SlaveStatus, { address })));

    showResult(m_ui->WLlblstatus, ModuleAnswer::statusText(online), online ? blue : red);
    m_ui->CmdStatus->setEnabled(true);
}

void FrmWirelessShow::runRangeDialog()
{
    // Destroyed when it closes, so every search starts from "0" and "20".
    FrmSetting dialog(m_channels, this);
    connect(&dialog, &FrmSetting::rangeConfirmed, this, [this](quint8 first, quint8 last) {
        m_SearchStartChannel = first;
        m_SearchEndChannel = last;
    });
    dialog.exec();
}

void FrmWirelessShow::CmdSearchCHN_Click()
{
    runRangeDialog();
    m_ui->CmdSearchCHN->setEnabled(false);
    m_exchange.search(
        ControlFrame::text(ControlFrame::SearchFreeChannels, { m_SearchStartChannel, m_SearchEndChannel }));
    Q_EMIT searchSent(m_SearchStartChannel, m_SearchEndChannel);
    m_transmitter.DelayMs(searchWaitMs);
    // The free channels arrive over the next seconds; the receive path
    // appends them to the viewer.
    m_receiveViewer.showWithCaption(QStringLiteral("以下显示为可用信道,以十六进制显示"));
    m_ui->CmdSearchCHN->setEnabled(true);
}

void FrmWirelessShow::cmdMasterCHN_Click()
{
    const quint8 channel = m_exchange.ask(ControlFrame::text(ControlFrame::HostChannel)).value_or(0);
    m_ui->WLlbl123->setText(QStringLiteral("主机处于通道：") + QString::number(channel));
}
