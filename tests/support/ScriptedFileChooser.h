#pragma once

#include "interfaces/FileChooser.h"

#include <QStringList>

// Answers the file dialog with a path the test chose, and remembers the filter.
class ScriptedFileChooser : public FileChooser
{
public:
    QString ChooseTextFile(const QString &filter) override
    {
        filters.append(filter);
        return nextPath;
    }

    QString nextPath;
    QStringList filters;
};
