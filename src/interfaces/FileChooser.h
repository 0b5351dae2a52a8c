#pragma once

#include <QString>

// The file-open dialog, behind an interface so that tests can choose a file.
class FileChooser
{
public:
    virtual ~FileChooser() = default;

    // filter in the classic "description|pattern" form, e.g. "文件(txt)|*.txt".
    // Returns the chosen path, or an empty string when nothing was chosen.
    virtual QString ChooseTextFile(const QString &filter) = 0;
};
