#pragma once

#include <QPoint>
#include <QStringList>

class TrayIcon;

// Real pointer input on the X display, through xdotool.
namespace XdoMouse {

void run(const QStringList &arguments);
// Moves the pointer to point and clicks button (1 left, 3 right) clicks times.
void clickAt(QPoint point, int button, int clicks = 1);
// Left-clicks the tray icon and waits until the tray has reported every click;
// the pause afterwards keeps the next click from joining a double click.
// False if the tray did not report them all.
[[nodiscard]] bool leftClickIcon(const TrayIcon &tray, int clicks = 1);

} // namespace XdoMouse
