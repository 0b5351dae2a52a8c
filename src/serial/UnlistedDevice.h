#pragma once

#include <QString>

// A device path bound to a port that the system's list of serial ports does
// not hold. A pseudo-terminal (the simulator's, a socat link) is a serial
// port in every way the program uses, yet no driver lists it; a path the
// system does not have at all is a port that cannot be opened. The port
// panel tells the two apart, so that it never calls a working port missing.
class UnlistedDevice
{
public:
    // "/tmp/com3（虚拟串口）" for a pseudo-terminal or a device the port has
    // open, "/dev/ttyS2（未找到）" for anything else.
    static QString displayText(const QString &path, bool open);

    // Whether path is, or links to, a pseudo-terminal's serial side; per
    // platform (Windows lists its virtual ports with the others).
    static bool isPseudoTerminal(const QString &path);
};
