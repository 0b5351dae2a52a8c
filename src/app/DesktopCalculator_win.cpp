#include "app/DesktopCalculator.h"

QStringList DesktopCalculator::candidates()
{
    return { QStringLiteral("c:\\winnt.0\\System32\\calc.exe"), QStringLiteral("calc") };
}
