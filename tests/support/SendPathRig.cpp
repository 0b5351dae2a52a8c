#include "SendPathRig.h"

SendPathRig::SendPathRig(int portNumber)
    : transmitter(port, channels)
    , parser(transmitter, channels)
{
    portSetupError = port.setPortNumber(portNumber);
    if (portSetupError == 0)
        portSetupError = port.setHandshaking(0);
}
