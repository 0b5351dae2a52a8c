#include "app/FrmMsg.h"

#include "ui_FrmMsg.h"

FrmMsg::FrmMsg(QWidget *owner)
    : QDialog(owner,
        Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::CustomizeWindowHint
            | Qt::WindowCloseButtonHint)
    , m_ui(std::make_unique<Ui::frmmsg>())
{
    m_ui->setupUi(this);
    // A form file holds whole points only.
    QFont font = m_ui->lblmsg->font();
    font.setPointSizeF(9.75);
    m_ui->lblmsg->setFont(font);
    setFixedSize(size());
    connect(m_ui->Command1, &QPushButton::clicked, this, &QDialog::accept);
}

FrmMsg::~FrmMsg() = default;

void FrmMsg::setMessage(const QString &message)
{
    m_ui->lblmsg->setText(message);
}

QString FrmMsg::message() const
{
    return m_ui->lblmsg->text();
}
