#pragma once

#include "RecordingUserChannels.h"
#include "notation/SendTextParser.h"
#include "serial/CommPort.h"
#include "serial/Transmitter.h"

// The send path as the print-test panel uses it: a closed port on
// COM<portNumber> with hand-shaking off (a pty has no CTS line), the
// transmitter and the notation parser on it, and recorded user channels.
// COM<portNumber> must point at its device before the rig is made.
class SendPathRig
{
public:
    explicit SendPathRig(int portNumber);

    RecordingUserChannels channels;
    CommPort port;
    Transmitter transmitter;
    SendTextParser parser;
    // Non-zero when the port refused the number or the hand-shaking.
    int portSetupError = 0;
};
