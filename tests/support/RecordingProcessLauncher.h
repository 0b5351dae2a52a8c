#pragma once

#include "interfaces/ProcessLauncher.h"

#include <QList>
#include <QStringList>

// Records the programs that would be started, with their arguments as
// handed over, and starts nothing.
class RecordingProcessLauncher : public ProcessLauncher
{
public:
    struct Start {
        QString program;
        QStringList arguments;
    };

    bool startDetached(const QString &program, const QStringList &arguments) override
    {
        starts.append({ program, arguments });
        return false;
    }

    QList<Start> starts;
};
