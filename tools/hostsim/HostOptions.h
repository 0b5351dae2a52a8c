#pragma once

#include "hostsim/SlaveModule.h"

#include <QList>
#include <QSet>
#include <QString>

// Everything the simulator is started with.
struct HostOptions {
    static constexpr int defaultChannel = 20;

    // Printers 1-4 at addresses 1, 2, 4, 8, all on line on the given channel.
    static QList<SlaveModule> defaultSlaves(int channel = defaultChannel);

    int hostChannel = defaultChannel;
    int hostBaudIndex = 2;
    // Index i is printer i + 1.
    QList<SlaveModule> slaves = defaultSlaves();
    // Channels taken by other equipment: never reported free.
    QSet<int> busyChannels;
    // Printers (1-4) that ignore a re-address (command 11): they stay where
    // they are, and the host answers 0.
    QSet<int> ignoringReaddress;
    // Printers (1-4) that take a re-address and answer it, then drop off
    // line, as one whose power fails in the middle of a move.
    QSet<int> droppingAfterReaddress;
    int latencyMs = 2;
    // What the PC sends reaches the module in bursts, each this long after
    // its first byte, as through a USB adapter's latency timer; 0: at once.
    int chunkDelayMs = 0;
    // A channel search spreads its answer bytes over this time.
    int searchTimeMs = 2000;
    // A frame (or the start of one) that stays incomplete this long is over.
    int frameTimeoutMs = 500;
    // Print data lands in outDir/printerN.bin when set.
    QString outDir;
    // A symbolic link kept pointing at the pty while the simulator runs.
    QString linkPath;
    // Vanish as an unplugged USB adapter does this long after the start, and
    // again this long after each return, replugs times in all; 0: never.
    int replugAfterMs = 0;
    int replugs = 1;
    // How long each vanishing lasts, whether planned or asked for by signal.
    int awayMs = 1000;
    // A file whose bytes go to the PC as fast as the pty takes them.
    QString streamFile;
    bool quiet = false;
};
