#include "XdoMouse.h"

#include "app/TrayIcon.h"

#include <QApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTest>

namespace XdoMouse {

void run(const QStringList &arguments)
{
    QProcess::execute(QStringLiteral("xdotool"), arguments);
}

void clickAt(QPoint point, int button, int clicks)
{
    QStringList arguments { QStringLiteral("mousemove"), QString::number(point.x()),
        QString::number(point.y()), QStringLiteral("click") };
    if (clicks > 1)
        arguments << QStringLiteral("--repeat") << QString::number(clicks) << QStringLiteral("--delay")
                  << QStringLiteral("80");
    run(arguments << QString::number(button));
}

bool leftClickIcon(const TrayIcon &tray, int clicks)
{
    QSignalSpy activations(tray.findChild<QSystemTrayIcon *>(), &QSystemTrayIcon::activated);
    clickAt(tray.geometry().center(), 1, clicks);
    const bool reported = QTest::qWaitFor([&] { return activations.size() == clicks; }, 5000);
    QTest::qWait(QApplication::doubleClickInterval() + 100);
    return reported;
}

} // namespace XdoMouse
