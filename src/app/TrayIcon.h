#pragma once

#include <QObject>
#include <QRect>
#include <QSystemTrayIcon>

#include <memory>

class ProcessLauncher;
class QAction;
class QMenu;
class QWidget;
class UserChannels;

// The notification-area icon of the program (the hidden form FrmICON of the
// classic design): a left click alternately shows and hides the main window,
// a right click opens the popup menu mnuPop with the launcher items, the
// about box and the exit item. The tray's own clicks arrive as activations on
// the UI thread like every other event.
class TrayIcon : public QObject
{
    Q_OBJECT

public:
    TrayIcon(
        QWidget *mainWindow, UserChannels &channels, ProcessLauncher &launcher, QObject *parent = nullptr);
    ~TrayIcon() override;

    // Installs the icon with mnuPop as its popup menu. Where no tray is
    // available the program simply runs without it. The system's icon is
    // made here, not before: making one connects to the desktop's session
    // bus and waits for that (2-3 ms, and 30 ms and more when no bus runs
    // and one is looked for), which the main window pays after its first
    // frame rather than before it.
    void AddTrayIcon();
    // Kept for the icon when it is not installed yet.
    void SetTrayTip(const QString &text);
    // Takes the icon out of the tray; used by the main window's shutdown.
    void removeIcon();
    // Removes the icon and ends the program at once: the event loop returns
    // from exec() and no close handler of any window runs.
    void RemoveTrayIconAndEnd();

    bool isVisible() const;
    // Hiding a minimised main window is safe only while this icon is in a
    // tray, since the icon is then the only way back to the window.
    bool canRestoreHiddenWindow() const;
    bool isShownFromTray() const { return ShownFromTray; }
    QMenu *menu() const;
    QRect geometry() const;
    QString toolTip() const;

    void mnuCalc_Click();
    void imnuabout_Click();
    void mnuexit_Click();

private:
    void TrayWndProc(QSystemTrayIcon::ActivationReason reason);
    void flipShownFromTray();
    void buildMenu();
    QMenu *addSubmenu(const char *name, const QString &caption);
    QAction *addItem(
        QMenu *menu, const char *name, const QString &caption, const QString &shortcut = QString());
    void addSeparator(const char *name);

    QWidget *m_mainWindow;
    UserChannels &m_channels;
    ProcessLauncher &m_launcher;
    std::unique_ptr<QMenu> m_mnuPop;
    QString m_toolTip;
    // Declared after the menu so that the icon, which refers to it, goes
    // first; a child of this object too, found as such. None until installed.
    std::unique_ptr<QSystemTrayIcon> m_icon;
    bool ShownFromTray = false;
};
