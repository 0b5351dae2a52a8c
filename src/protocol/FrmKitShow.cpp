#include "protocol/FrmKitShow.h"

#include "engine/KitEngine.h"
#include "engine/KitMove.h"
#include "engine/KitSurvey.h"
#include "interfaces/UserChannels.h"
#include "protocol/FrmSetting.h"
#include "ui_FrmKitShow.h"

#include <QCloseEvent>

namespace {

constexpr int yesNoButtons = 4;
const QString badChannel = QStringLiteral("数据不能为空，且只能为整数，范围：0-124");

QString channelText(int channel)
{
    return QStringLiteral("信道") + QString::number(channel);
}

} // namespace

FrmKitShow::FrmKitShow(KitEngine &engine, UserChannels &channels, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_ui(std::make_unique<Ui::FrmKitShow>())
    , m_engine(engine)
    , m_channels(channels)
{
    m_ui->setupUi(this);
    setFixedSize(size());
    showLegend();
    // Entries as the panel's channel selectors have them; the index is the
    // channel.
    for (int channel = 0; channel < ChannelSearchResult::channelCount; ++channel)
        m_ui->MoveChannel->addItem(channelText(channel));
    connect(m_ui->CmdSurvey, &QPushButton::clicked, this, &FrmKitShow::CmdSurvey_Click);
    connect(m_ui->CmdSurveyStop, &QPushButton::clicked, this, &FrmKitShow::CmdSurveyStop_Click);
    connect(m_ui->CmdMove, &QPushButton::clicked, this, &FrmKitShow::CmdMove_Click);
    connect(m_ui->ChannelMap, &ChannelMapWidget::freeChannelClicked, this, &FrmKitShow::offerChannel);
    connect(&m_engine, &KitEngine::jobRunningChanged, this, &FrmKitShow::showJobRunning);
}

FrmKitShow::~FrmKitShow() = default;

void FrmKitShow::showSearch(const ChannelSearchResult &result)
{
    m_ui->ChannelMap->setResult(result);
    showLegend();
    show();
    raise();
}

void FrmKitShow::showLegend()
{
    const ChannelSearchResult &result = m_ui->ChannelMap->result();
    QString host = QStringLiteral("主机信道未知");
    if (result.hostChannel())
        host = QStringLiteral("蓝框是主机所在的信道 %1").arg(*result.hostChannel());
    QString searched = QStringLiteral("还没有搜索过信道（按“搜索信道”后在此显示）");
    if (result.last() >= result.first()) {
        searched = QStringLiteral("信道 %1-%2：绿 %3 个可用，红 %4 个不可用，灰色未搜索")
                       .arg(result.first())
                       .arg(result.last())
                       .arg(result.freeChannels().size())
                       .arg(result.notFreeChannels().size());
    }
    m_ui->lblMapLegend->setText(QStringLiteral("%1；%2。\nWi-Fi 1、6、11 按模块信道 n = 2400+n MHz 标出；"
                                               "点击绿色信道可选作新信道。")
                                    .arg(searched, host));
}

void FrmKitShow::offerChannel(int channel)
{
    m_ui->MoveChannel->setCurrentIndex(channel);
    showResult(m_ui->lblMoveResult,
        QStringLiteral("提示:已选%1为新信道，按“迁移套件”迁移").arg(channelText(channel)), true);
}

void FrmKitShow::showJobRunning(bool running)
{
    m_ui->CmdSurvey->setEnabled(!running);
    m_ui->CmdMove->setEnabled(!running);
    m_ui->CmdSurveyStop->setEnabled(running && m_survey);
}

void FrmKitShow::showResult(QLabel *label, const QString &text, bool good)
{
    label->setStyleSheet(
        good ? QStringLiteral("color: rgb(0, 0, 255);") : QStringLiteral("color: rgb(255, 0, 0);"));
    label->setText(text);
}

bool FrmKitShow::lineIsFree()
{
    if (!m_engine.transmitter().isTransmitting() && !m_engine.jobRunning())
        return true;
    m_channels.ShowTip(QStringLiteral("正在发送数据，请等发送结束后再试"), 0);
    return false;
}

std::optional<int> FrmKitShow::checkedChannel(QLineEdit *box)
{
    const std::optional<quint8> channel = FrmSetting::parseChannel(box->text());
    if (channel)
        return int(*channel);
    m_channels.ShowTip(badChannel, 0);
    box->clear();
    box->setFocus();
    return std::nullopt;
}

void FrmKitShow::CmdSurvey_Click()
{
    if (!lineIsFree())
        return;
    const std::optional<int> first = checkedChannel(m_ui->txtSurveyFrom);
    const std::optional<int> last = first ? checkedChannel(m_ui->txtSurveyTo) : std::nullopt;
    if (!last)
        return;
    KitSurvey survey(m_engine);
    m_survey = &survey;
    m_ui->SurveyTable->clear();
    m_ui->SurveyProgress->setRange(0, std::abs(*last - *first) + 1);
    m_ui->SurveyProgress->setValue(0);
    connect(&survey, &KitSurvey::channelStarted, this, [this](int channel, int index) {
        m_ui->SurveyProgress->setValue(index);
        showResult(m_ui->lblSurveyChannel, QStringLiteral("正在检测%1").arg(channelText(channel)), true);
    });
    connect(&survey, &KitSurvey::printerFound, this, [this](int printer, int channel) {
        m_ui->SurveyTable->addItem(QStringLiteral("%1号机 · 信道 %2 · 在线").arg(printer).arg(channel));
    });
    const KitSurvey::Result result = survey.run(*first, *last);
    m_survey = nullptr;
    showJobRunning(false);
    if (result.isComplete())
        m_ui->SurveyProgress->setValue(m_ui->SurveyProgress->maximum());
    m_ui->SurveyTable->clear();
    m_ui->SurveyTable->addItems(result.rows());
    showResult(m_ui->lblSurveyChannel,
        result.isComplete() ? QStringLiteral("普查完成") : QStringLiteral("普查未完成"),
        result.isComplete() && result.hostRestored);
    m_ui->SurveyTable->addItem(result.summary());
    if (result.hostRestored)
        m_ui->ChannelMap->setHostChannel(result.hostChannel);
    showLegend();
}

void FrmKitShow::CmdSurveyStop_Click()
{
    if (m_survey)
        m_survey->stop();
}

void FrmKitShow::CmdMove_Click()
{
    if (!lineIsFree())
        return;
    const int newChannel = m_ui->MoveChannel->currentIndex();
    KitMove move(m_engine);
    showResult(m_ui->lblMoveResult, QStringLiteral("正在检测..."), true);
    const KitMove::Plan plan = move.plan();
    if (const QString refusal = plan.refusal(newChannel); !refusal.isEmpty()) {
        showResult(m_ui->lblMoveResult, QStringLiteral("提示:") + refusal, false);
        return;
    }
    if (!m_channels.ShowTip(plan.question(newChannel), yesNoButtons)) {
        showResult(m_ui->lblMoveResult, QStringLiteral("提示:没有迁移"), true);
        return;
    }
    connect(&move, &KitMove::stepStarted, this, [this](const QString &text) {
        showResult(m_ui->lblMoveResult, QStringLiteral("正在") + text, true);
    });
    const KitMove::Report report = move.run(plan, newChannel);
    showResult(m_ui->lblMoveResult, report.text().section(QLatin1Char('\n'), 0, 0), report.done);
    m_ui->ChannelMap->setHostChannel(report.modules.constFirst().channel);
    showLegend();
    // The one tip that names every module's channel.
    m_channels.ShowTip(report.text(), 0);
}

void FrmKitShow::closeEvent(QCloseEvent *event)
{
    CmdSurveyStop_Click();
    event->accept();
}
