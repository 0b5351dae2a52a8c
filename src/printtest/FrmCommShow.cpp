#include "printtest/FrmCommShow.h"

#include "interfaces/FileChooser.h"
#include "interfaces/UserChannels.h"
#include "notation/SendTextParser.h"
#include "printtest/EditorLineBreaks.h"
#include "printtest/EditorLoader.h"
#include "printtest/TextFileLoader.h"
#include "protocol/ControlFrame.h"
#include "serial/Transmitter.h"
#include "ui_FrmCommShow.h"

FrmCommShow::FrmCommShow(Transmitter &transmitter, SendTextParser &parser, UserChannels &channels,
    FileChooser &files, QWidget *parent)
    : QWidget(parent)
    , m_ui(std::make_unique<Ui::FrmCommShow>())
    , m_transmitter(transmitter)
    , m_parser(parser)
    , m_channels(channels)
    , m_files(files)
{
    m_ui->setupUi(this);
    m_loader = new EditorLoader(*m_ui->txtCmd, this);
    // The option's id is the notation it selects.
    m_ui->Jinzhi->setId(m_ui->Jinzhi_0, 0);
    m_ui->Jinzhi->setId(m_ui->Jinzhi_1, 1);
    m_ui->Jinzhi->setId(m_ui->Jinzhi_2, 2);
    m_ui->Jinzhi->setId(m_ui->Jinzhi_3, 3);

    connect(m_ui->Jinzhi, &QButtonGroup::idClicked, this, &FrmCommShow::Jinzhi_Click);
    connect(m_ui->Cmdsendcmd, &QPushButton::clicked, this, &FrmCommShow::Cmdsendcmd_Click);
    connect(m_ui->cmdOpenfile, &QPushButton::clicked, this, &FrmCommShow::cmdOpenfile_Click);
    connect(m_ui->cmdClearcmd, &QPushButton::clicked, this, &FrmCommShow::cmdClearcmd_Click);
    connect(m_ui->cmdstopcmd, &QPushButton::clicked, &m_transmitter, &Transmitter::cmdstopcmd_Click);
}

FrmCommShow::~FrmCommShow() = default;

void FrmCommShow::Jinzhi_Click(int index)
{
    m_parser.DataMode = qint16(index);
}

void FrmCommShow::PrinterSelect_function()
{
    const QCheckBox *boxes[] = { m_ui->chkPrinter1, m_ui->chkPrinter2, m_ui->chkPrinter3, m_ui->chkPrinter4,
        m_ui->chkPrinter5, m_ui->chkPrinter6, m_ui->chkPrinter7, m_ui->chkPrinter8 };
    int mask = 0;
    for (int i = 0; i < 8; ++i) {
        if (boxes[i]->isChecked())
            mask |= 1 << i;
    }
    // 128 names none of the slave addresses 1, 2, 4 and 8.
    PrinterMask = quint8(mask == 0 ? 128 : mask);
}

QString FrmCommShow::editorText()
{
    m_loader->finish();
    return EditorLineBreaks::text(*m_ui->txtCmd->document());
}

void FrmCommShow::Cmdsendcmd_Click()
{
    m_ui->Cmdsendcmd->setEnabled(false);
    m_transmitter.setStopSending(false);
    QString text = editorText();
    if (text.isEmpty()) {
        m_channels.ShowTip(QStringLiteral("发送数据不能为空！"), 0);
        m_ui->Cmdsendcmd->setEnabled(true);
        return;
    }
    if (m_parser.DataMode != 3)
        text.replace(QLatin1String("\r\n"), QLatin1String(" "));
    PrinterSelect_function();
    m_transmitter.SendDecimalList(ControlFrame::text(ControlFrame::SelectPrinters, { PrinterMask }));
    m_parser.ParseSendText(text);
    m_ui->Cmdsendcmd->setEnabled(true);
    if (isVisible())
        m_ui->Cmdsendcmd->setFocus();
}

void FrmCommShow::cmdOpenfile_Click()
{
    const QString path = m_files.ChooseTextFile(QStringLiteral("文件(txt)|*.txt"));
    if (path.isEmpty())
        return;
    const TextFileLoader::Result loaded = TextFileLoader::load(path);
    if (!loaded.ok()) {
        m_channels.ShowTip(loaded.error, 0);
        return;
    }
    // The file's own line breaks stay as they are; only the one after the
    // directive is the editor's.
    m_loader->load(QStringLiteral("#txt\r\n") + loaded.text);
    m_channels.ShowStatusText(QStringLiteral("文件已载入，编码：") + loaded.encoding);
}

void FrmCommShow::cmdClearcmd_Click()
{
    m_loader->cancel();
    m_ui->txtCmd->clear();
}
