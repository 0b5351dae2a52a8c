#include "app/DesktopCalculator.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

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
