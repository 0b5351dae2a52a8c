#include "app/DetachedProcessLauncher.h"

#include <QFileInfo>
#include <QProcess>

bool DetachedProcessLauncher::startDetached(const QString &program, const QStringList &arguments)
{
    // A missing program is not an error the user needs to hear about: the
    // launchers that use this have no message of their own.
    if (!QFileInfo(program).isExecutable())
        return false;
    return QProcess::startDetached(program, arguments);
}
