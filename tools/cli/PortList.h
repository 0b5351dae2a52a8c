#pragma once

class ResultWriter;

// The serial ports present, with what identifies each device (description,
// manufacturer, USB VID:PID, serial number, the /dev/serial/by-id name) and
// the COMn that resolves to it: what a user needs to pick --port or set
// VELTRIN_COMn.
class PortList
{
public:
    static void write(ResultWriter &results);
};
