#pragma once

#include "RecordingUserChannels.h"
#include "engine/KitEngine.h"
#include "hostsim/HostSimulator.h"
#include "interfaces/ReceiveSink.h"

#include <QByteArray>
#include <QString>

// The engine both front ends build, open on COM3 at the simulated host
// module's pty, as the program starts (port defaults), with handshaking off
// since a pty has no CTS line. Everything received is kept in received.
class SimulatedKit : public ReceiveSink
{
public:
    explicit SimulatedKit(const HostOptions &options);
    ~SimulatedKit() override;

    // False, with the reason in error, when the simulator or the port failed.
    [[nodiscard]] bool start();

    void appendReceived(QByteArrayView bytes) override { received.append(bytes); }

    HostModule &module() { return simulator.module(); }

    HostSimulator simulator;
    RecordingUserChannels channels;
    KitEngine engine;
    QByteArray received;
    QString error;
};
