#pragma once

#include <QString>
#include <QStringList>

// Starting an external program and not waiting for it. Behind an interface so
// that tests can see what would be started without starting it.
class ProcessLauncher
{
public:
    virtual ~ProcessLauncher() = default;

    // Starts program with arguments passed separately (never one command line
    // to be split by a shell). Returns false when it could not be started.
    virtual bool startDetached(const QString &program, const QStringList &arguments) = 0;
};
