#pragma once

#include "interfaces/ProcessLauncher.h"

class DetachedProcessLauncher : public ProcessLauncher
{
public:
    bool startDetached(const QString &program, const QStringList &arguments) override;
};
