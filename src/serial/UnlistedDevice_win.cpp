#include "serial/UnlistedDevice.h"

// Windows has no pseudo-terminals that act as serial ports; its virtual
// serial ports (com0com and the like) register as COM ports and are listed.
bool UnlistedDevice::isPseudoTerminal(const QString &)
{
    return false;
}
