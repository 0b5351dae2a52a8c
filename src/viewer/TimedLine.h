#pragma once

#include "viewer/ViewerNotation.h"

#include <QDateTime>
#include <QString>
#include <QStringView>

// A received chunk on a line of its own after the local time it arrived, to
// the millisecond: "2026-12-08 13:52:50.123  41 42 0D 0A". The same form
// goes to a timed recording and to veltrin-cli's timed output, so that the
// two can be lined up.
class TimedLine
{
public:
    static QString timeText(const QDateTime &time);
    // Tokens lose the blank after the last one; in Txt every character is a
    // received byte's and stays.
    static QString format(const QDateTime &time, ViewerNotation form, QStringView text);
};
