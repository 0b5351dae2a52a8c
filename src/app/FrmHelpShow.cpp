#include "app/FrmHelpShow.h"

#include "app/HelpDocument.h"
#include "app/HelpWindow.h"
#include "interfaces/ProcessLauncher.h"
#include "ui_FrmHelpShow.h"

#include <QCoreApplication>
#include <QDir>
#include <QKeyEvent>
#include <QScreen>

FrmHelpShow::FrmHelpShow(ProcessLauncher &launcher, QWidget *parent)
    : QWidget(parent)
    , m_ui(std::make_unique<Ui::FrmHelpShow>())
    , m_launcher(launcher)
    , m_programFolder(QCoreApplication::applicationDirPath())
{
    m_ui->setupUi(this);
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
    m_ui->rtxhelp->setDocument(HelpDocument::create(m_ui->rtxhelp));
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
    if (!m_launcher.startDetached(QDir::toNativeSeparators(folder.filePath(QStringLiteral("hh.exe"))),
            { QDir::toNativeSeparators(folder.filePath(QStringLiteral("help.chm"))) }))
        showHelpWindow();
}

// One window, brought forward again on every further Shift+F1. It opens
// over the whole screen even where no window manager maximises it.
void FrmHelpShow::showHelpWindow()
{
    if (!m_helpWindow) {
        m_helpWindow = new HelpWindow(this);
        if (const QScreen *screen = this->screen())
            m_helpWindow->setGeometry(screen->availableGeometry());
    }
    m_helpWindow->showMaximized();
    m_helpWindow->raise();
    m_helpWindow->activateWindow();
}
