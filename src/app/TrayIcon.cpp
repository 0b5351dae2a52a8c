#include "app/TrayIcon.h"

#include "app/AboutBox.h"
#include "app/DesktopCalculator.h"
#include "app/TrayTipField.h"
#include "interfaces/ProcessLauncher.h"
#include "interfaces/UserChannels.h"

#include <QCoreApplication>
#include <QIcon>
#include <QMenu>
#include <QWidget>

TrayIcon::TrayIcon(QWidget *mainWindow, UserChannels &channels, ProcessLauncher &launcher, QObject *parent)
    : QObject(parent)
    , m_mainWindow(mainWindow)
    , m_channels(channels)
    , m_launcher(launcher)
    , m_mnuPop(std::make_unique<QMenu>(QStringLiteral("&Caption")))
{
    setObjectName(QStringLiteral("FrmICON"));
    buildMenu();
}

TrayIcon::~TrayIcon() = default;

void TrayIcon::buildMenu()
{
    m_mnuPop->setObjectName(QStringLiteral("mnuPop"));
    QMenu *mnumytool = addSubmenu("mnumytool", QStringLiteral("常用工具"));
    connect(addItem(mnumytool, "mnuCalc", QStringLiteral("计算器")), &QAction::triggered, this,
        &TrayIcon::mnuCalc_Click);
    addSeparator("mnuSep2");
    QMenu *mnumypc = addSubmenu("mnumypc", QStringLiteral("我的电脑"));
    addItem(mnumypc, "mnuCdish", QStringLiteral("C盘"), QStringLiteral("Ctrl+C"));
    addItem(mnumypc, "mnuDdisk", QStringLiteral("D盘"), QStringLiteral("Ctrl+D"));
    addItem(mnumypc, "mnuEdisk", QStringLiteral("E盘"), QStringLiteral("Ctrl+E"));
    addItem(mnumypc, "mnuFdisk", QStringLiteral("F盘"), QStringLiteral("Ctrl+F"));
    addSeparator("mnuSep3");
    QMenu *mnudocument = addSubmenu("mnudocument", QStringLiteral("我的文档"));
    addItem(mnudocument, "mnumyExper", QStringLiteral("经验小结"));
    addItem(mnudocument, "mnumylife", QStringLiteral("我的一生"));
    addSeparator("mnuSep1");
    connect(addItem(m_mnuPop.get(), "imnuabout", QStringLiteral("关于本软件"), QStringLiteral("Ctrl+A")),
        &QAction::triggered, this, &TrayIcon::imnuabout_Click);
    addItem(m_mnuPop.get(), "imnuhelp", QStringLiteral("使用说明"));
    addSeparator("mnuSep0");
    connect(addItem(m_mnuPop.get(), "mnuexit", QStringLiteral("退出"), QStringLiteral("Ctrl+S")),
        &QAction::triggered, this, &TrayIcon::mnuexit_Click);
}

QMenu *TrayIcon::addSubmenu(const char *name, const QString &caption)
{
    QMenu *submenu = m_mnuPop->addMenu(caption);
    submenu->setObjectName(QLatin1StringView(name));
    submenu->menuAction()->setObjectName(QLatin1StringView(name));
    return submenu;
}

// The shortcut is only a label beside the caption (the text after the tab):
// the keys belong to the main window and must never reach this menu.
QAction *TrayIcon::addItem(QMenu *menu, const char *name, const QString &caption, const QString &shortcut)
{
    QAction *item = menu->addAction(shortcut.isEmpty() ? caption : caption + QLatin1Char('\t') + shortcut);
    item->setObjectName(QLatin1StringView(name));
    return item;
}

void TrayIcon::addSeparator(const char *name)
{
    m_mnuPop->addSeparator()->setObjectName(QLatin1StringView(name));
}

void TrayIcon::AddTrayIcon()
{
    if (!m_icon) {
        m_icon = std::make_unique<QSystemTrayIcon>(this);
        connect(m_icon.get(), &QSystemTrayIcon::activated, this, &TrayIcon::TrayWndProc);
    }
    m_icon->setIcon(QIcon(QStringLiteral(":/veltrin.png")));
    m_icon->setToolTip(m_toolTip);
    // The tray opens this menu itself, at the pointer, on the right button.
    m_icon->setContextMenu(m_mnuPop.get());
    m_icon->show();
}

void TrayIcon::SetTrayTip(const QString &text)
{
    m_toolTip = TrayTipField(text).displayedText();
    if (m_icon)
        m_icon->setToolTip(m_toolTip);
}

void TrayIcon::removeIcon()
{
    if (m_icon)
        m_icon->hide();
}

void TrayIcon::RemoveTrayIconAndEnd()
{
    removeIcon();
    QCoreApplication::exit(0);
}

bool TrayIcon::isVisible() const
{
    return m_icon && m_icon->isVisible();
}

bool TrayIcon::canRestoreHiddenWindow() const
{
    return isVisible() && QSystemTrayIcon::isSystemTrayAvailable();
}

QMenu *TrayIcon::menu() const
{
    return m_mnuPop.get();
}

QRect TrayIcon::geometry() const
{
    return m_icon ? m_icon->geometry() : QRect();
}

QString TrayIcon::toolTip() const
{
    return m_toolTip;
}

// Every left-button release flips ShownFromTray. The tray reports the first
// click of a double click as Trigger and the second as DoubleClick, so both
// count as one release each; the right button's menu needs nothing here.
void TrayIcon::TrayWndProc(QSystemTrayIcon::ActivationReason reason)
{
    if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
        flipShownFromTray();
}

// The flag alternates without looking at the window's actual state.
void TrayIcon::flipShownFromTray()
{
    ShownFromTray = !ShownFromTray;
    if (ShownFromTray) {
        m_mainWindow->showNormal();
        m_mainWindow->raise();
        m_mainWindow->activateWindow();
    } else {
        m_mainWindow->showMinimized();
        m_mainWindow->hide();
    }
}

void TrayIcon::mnuCalc_Click()
{
    const QString calculator = DesktopCalculator::find();
    if (calculator.isEmpty() || !m_launcher.startDetached(calculator, {}))
        m_channels.ShowStatusText(QStringLiteral("没有找到可以启动的计算器"));
}

void TrayIcon::imnuabout_Click()
{
    ShowAbout(m_channels);
}

void TrayIcon::mnuexit_Click()
{
    RemoveTrayIconAndEnd();
}
