#include "viewer/TimedLine.h"

QString TimedLine::timeText(const QDateTime &time)
{
    return time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
}

QString TimedLine::format(const QDateTime &time, ViewerNotation form, QStringView text)
{
    if (form != ViewerNotation::Txt && text.endsWith(QLatin1Char(' ')))
        text.chop(1);
    return timeText(time) + QLatin1String("  ") + text.toString();
}
