#include "app/DesktopCalculator.h"

QStringList DesktopCalculator::candidates()
{
    return { QStringLiteral("gnome-calculator"), QStringLiteral("kcalc"), QStringLiteral("galculator"),
        QStringLiteral("mate-calc"), QStringLiteral("qalculate-gtk"), QStringLiteral("xcalc") };
}
