#pragma once

#include "interfaces/ProcessLauncher.h"

#include <QList>
#include <QStringList>

// Records the programs that would be started, with their arguments as
// handed over, and starts nothing; answers as if the start succeeded when
// succeeds is set.
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
        return succeeds;
    }

    QList<Start> starts;
    bool succeeds = false;
};
