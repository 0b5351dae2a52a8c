#include "protocol/FrmSetting.h"

#include "interfaces/UserChannels.h"
#include "ui_FrmSetting.h"

namespace {

constexpr int lastChannel = 124;

} // namespace

FrmSetting::FrmSetting(UserChannels &channels, QWidget *owner)
    : QDialog(owner)
    , m_ui(std::make_unique<Ui::frmSetting>())
    , m_channels(channels)
{
    m_ui->setupUi(this);
    setFixedSize(size());
    connect(m_ui->Command1, &QPushButton::clicked, this, &FrmSetting::Command1_Click);
}

FrmSetting::~FrmSetting() = default;

std::optional<quint8> FrmSetting::parseChannel(const QString &text)
{
    // QString::toUInt would also take blanks and a '+'; the message promises
    // a plain whole number.
    if (text.isEmpty() || text.size() > 3)
        return std::nullopt;
    for (QChar c : text) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
    }
    const int channel = text.toInt();
    if (channel > lastChannel)
        return std::nullopt;
    return quint8(channel);
}

std::optional<quint8> FrmSetting::checkedChannel(QLineEdit *box)
{
    const std::optional<quint8> channel = parseChannel(box->text());
    if (!channel) {
        m_channels.ShowTip(QStringLiteral("数据不能为空，且只能为整数，范围：0-124"), 0);
        box->clear();
        box->setFocus();
    }
    return channel;
}

void FrmSetting::Command1_Click()
{
    const std::optional<quint8> first = checkedChannel(m_ui->Text1);
    if (!first)
        return;
    const std::optional<quint8> last = checkedChannel(m_ui->Text2);
    if (!last)
        return;
    emit rangeConfirmed(*first, *last);
    accept();
}
