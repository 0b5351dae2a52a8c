#include "SimulatedKit.h"

SimulatedKit::SimulatedKit(const HostOptions &options)
    : simulator(options)
    , engine(channels, *this)
{ }

SimulatedKit::~SimulatedKit()
{
    qunsetenv("VELTRIN_COM3");
}

bool SimulatedKit::start()
{
    if (!simulator.start(&error))
        return false;
    qputenv("VELTRIN_COM3", simulator.slavePath().toLocal8Bit());
    PortSettings &settings = engine.portSettings();
    settings.ApplyPortDefaults();
    settings.SelectHandshake(0);
    settings.OpenPort();
    if (!engine.port().portOpen()) {
        error = QStringLiteral("COM3 at %1 did not open: %2")
                    .arg(simulator.slavePath(), channels.informationTips.join(QLatin1Char(' ')));
        return false;
    }
    return true;
}
