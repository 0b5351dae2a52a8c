#pragma once

#include <QString>
#include <QStringList>

// The calculator that the tray menu's "计算器" starts: on Windows the classic
// fixed path where it still exists, else the system's own calculator; on
// other systems the first desktop calculator found on PATH.
class DesktopCalculator
{
public:
    // The programs tried, in order: full paths as they are, names on PATH.
    // Each system's list is in a source file of its own.
    static QStringList candidates();

    // The full path of the first candidate installed; empty when none is.
    static QString find();
};
