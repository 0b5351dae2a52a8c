#pragma once

// One printer-side radio module. The simulator has four, printers 1 to 4;
// a printer keeps its number for the whole run, while its address, channel
// and baud index change through control frames.
struct SlaveModule {
    int address = 1;
    int channel = 20;
    bool online = true;
    int baudIndex = 2;

    bool operator==(const SlaveModule &) const = default;
};
