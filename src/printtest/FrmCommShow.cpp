#include "printtest/FrmCommShow.h"

#include "interfaces/FileChooser.h"
#include "interfaces/UserChannels.h"
#include "notation/SendTextParser.h"
#include "printtest/EditorLineBreaks.h"
#include "printtest/EditorLoader.h"
#include "printtest/TextFileLoader.h"
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
    , m_sender(transmitter, parser, channels)
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
    int ticked = 0;
    for (int i = 0; i < 8; ++i) {
        if (boxes[i]->isChecked())
            ticked |= 1 << i;
    }
    PrinterMask = PrintTestSender::printerSet(ticked);
}

QString FrmCommShow::editorText()
{
    m_loader->finish();
    return EditorLineBreaks::text(*m_ui->txtCmd->document());
}

void FrmCommShow::Cmdsendcmd_Click()
{
    m_ui->Cmdsendcmd->setEnabled(false);
    const std::optional<QString> text = m_sender.prepare(editorText());
    if (!text) {
        m_ui->Cmdsendcmd->setEnabled(true);
        return;
    }
    PrinterSelect_function();
    m_sender.transmit(*text, PrinterMask);
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
    m_loader->load(TextFileLoader::printTestText(loaded.text));
    m_channels.ShowStatusText(QStringLiteral("文件已载入，编码：") + loaded.encoding);
}

void FrmCommShow::cmdClearcmd_Click()
{
    m_loader->cancel();
    m_ui->txtCmd->clear();
}
