#pragma once

#include <QtGlobal>

// The three notations of the received-data viewer; the values are those of
// DisplayMode.
enum class ViewerNotation : qint16 {
    Txt = 0,
    Ten = 1,
    Hex = 2,
};
