#include "serial/SerialDeviceLinks.h"

// Windows keeps no stable names for serial devices: a COM number is already
// tied to the adapter, or to the USB socket for one without a serial number.
SerialDeviceLinks SerialDeviceLinks::system()
{
    return {};
}
