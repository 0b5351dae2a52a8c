#pragma once

#include <QString>

// The file dialogs, behind an interface so that tests can choose a file.
// Filters come in the classic "description|pattern" form, pairs joined by
// "|", e.g. "文件(txt)|*.txt".
class FileChooser
{
public:
    virtual ~FileChooser() = default;

    // Returns the chosen path, or an empty string when nothing was chosen.
    virtual QString ChooseTextFile(const QString &filter) = 0;

    // A file to save into. Returns the path, or an empty string when nothing
    // was chosen; filterIndex gets the filter chosen in the dialog, counted
    // from 1.
    virtual QString ChooseSaveFile(const QString &filter, int &filterIndex) = 0;
};
