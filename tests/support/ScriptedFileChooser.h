#pragma once

#include "interfaces/FileChooser.h"

#include <QStringList>

#include <functional>

// Answers the file dialogs with a path (and filter) the test chose, and
// remembers the filters offered.
class ScriptedFileChooser : public FileChooser
{
public:
    QString ChooseTextFile(const QString &filter) override
    {
        filters.append(filter);
        return nextPath;
    }

    QString ChooseSaveFile(const QString &filter, int &filterIndex) override
    {
        filters.append(filter);
        filterIndex = nextFilterIndex;
        if (whileDialogShows)
            whileDialogShows();
        return nextPath;
    }

    QString nextPath;
    int nextFilterIndex = 1;
    QStringList filters;
    // Runs where a real save dialog would be on the screen, modal.
    std::function<void()> whileDialogShows;
};
