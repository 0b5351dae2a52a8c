#include "app/FrmHelpShow.h"

#include "app/RtfReader.h"
#include "interfaces/ProcessLauncher.h"
#include "ui_FrmHelpShow.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>

FrmHelpShow::FrmHelpShow(ProcessLauncher &launcher, QWidget *parent)
    : QWidget(parent)
    , m_ui(std::make_unique<Ui::FrmHelpShow>())
    , m_launcher(launcher)
    , m_programFolder(QCoreApplication::applicationDirPath())
{
    m_ui->setupUi(this);
    // 宋体 sets ASCII at half the width of a Chinese character, which lines up
    // the byte columns of the command formats; the others are its stand-ins.
    QFont font = m_ui->rtxhelp->font();
    font.setFamilies({ QStringLiteral("SimSun"), QStringLiteral("NSimSun"),
        QStringLiteral("WenQuanYi Zen Hei Mono"), QStringLiteral("Monospace") });
    font.setPointSize(9);
    m_ui->rtxhelp->setFont(font);
    m_ui->rtxhelp->installEventFilter(this);
    loadHelpDocument();
}

FrmHelpShow::~FrmHelpShow() = default;

void FrmHelpShow::setProgramFolder(const QString &folder)
{
    m_programFolder = folder;
}

void FrmHelpShow::loadHelpDocument()
{
    QFile document(QStringLiteral(":/help.rtf"));
    if (document.open(QIODevice::ReadOnly))
        m_ui->rtxhelp->setPlainText(RtfReader::toPlainText(document.readAll()));
}

bool FrmHelpShow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_ui->rtxhelp && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        rtxhelp_KeyDown(key->key(), key->modifiers());
    }
    return QWidget::eventFilter(watched, event);
}

void FrmHelpShow::rtxhelp_KeyDown(int key, Qt::KeyboardModifiers shift)
{
    // Shift alone: Ctrl+Shift+F1 and Alt+Shift+F1 are not the help key.
    if (key != Qt::Key_F1 || (shift & ~Qt::KeypadModifier) != Qt::ShiftModifier)
        return;
    // Program and help file go to the viewer as separate arguments: a folder
    // name with a blank in it must not split the command into other words.
    const QDir folder(m_programFolder);
    m_launcher.startDetached(QDir::toNativeSeparators(folder.filePath(QStringLiteral("hh.exe"))),
        { QDir::toNativeSeparators(folder.filePath(QStringLiteral("help.chm"))) });
}
