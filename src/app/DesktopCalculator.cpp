#include "app/DesktopCalculator.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QStringList DesktopCalculator::candidates()
{
#ifdef Q_OS_WIN
    return { QStringLiteral("c:\\winnt.0\\System32\\calc.exe"), QStringLiteral("calc") };
#else
    return { QStringLiteral("gnome-calculator"), QStringLiteral("kcalc"), QStringLiteral("galculator"),
        QStringLiteral("mate-calc"), QStringLiteral("qalculate-gtk"), QStringLiteral("xcalc") };
#endif
}

QString DesktopCalculator::find()
{
    const QStringList programs = candidates();
    for (const QString &program : programs) {
        if (!QDir::isAbsolutePath(program)) {
            const QString found = QStandardPaths::findExecutable(program);
            if (!found.isEmpty())
                return found;
        } else if (QFileInfo(program).isFile() && QFileInfo(program).isExecutable()) {
            return program;
        }
    }
    return {};
}
