#pragma once

#include "serial/SerialPortEntry.h"

#include <QString>

// A USB serial adapter as the system lists one (a CH340, "USB Serial",
// 1a86:7523) at path, for the port lists tests present in place of the
// machine's, which has none.
inline SerialPortEntry usbAdapter(
    const QString &path, const QString &serialNumber = {}, const QString &byPath = {})
{
    SerialPortEntry entry;
    entry.systemLocation = path;
    entry.description = QStringLiteral("USB Serial");
    entry.vendorId = 0x1a86;
    entry.productId = 0x7523;
    entry.serialNumber = serialNumber;
    entry.byPathPath = byPath;
    return entry;
}
