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
    m_designSize = size();
    m_designLabelHeight = m_ui->lblmsg->height();
    m_designButtonPosition = m_ui->Command1->pos();
    setFixedSize(m_designSize);
    connect(m_ui->Command1, &QPushButton::clicked, this, &QDialog::accept);
}

FrmMsg::~FrmMsg() = default;

void FrmMsg::setMessage(const QString &message)
{
    m_ui->lblmsg->setText(message);
    fitMessage();
}

void FrmMsg::fitMessage()
{
    QLabel &label = *m_ui->lblmsg;
    const int extra = qMax(0, label.heightForWidth(label.width()) - m_designLabelHeight);
    label.resize(label.width(), m_designLabelHeight + extra);
    m_ui->Command1->move(m_designButtonPosition + QPoint(0, extra));
    setFixedSize(m_designSize + QSize(0, extra));
}

QString FrmMsg::message() const
{
    return m_ui->lblmsg->text();
}
