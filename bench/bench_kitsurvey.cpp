// A full survey, channels 0-124, against the simulated host module at its
// defaults (2 ms latency, the four printers on line on channel 20), through
// the engine both front ends build: 125 host-channel changes and 500 status
// questions, then the host put back. Wall time and this process's CPU time
// (the simulator runs in it too), and the questions asked, for three runs.
// The goal is a survey under 15 s.

#include "SimulatedKit.h"
#include "engine/KitSurvey.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>

#include <ctime>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    HostOptions options;
    options.quiet = true;
    for (int run = 1; run <= 3; ++run) {
        SimulatedKit kit(options);
        if (!kit.start()) {
            out << kit.error << Qt::endl;
            return 1;
        }
        int frames = 0;
        QObject::connect(&kit.module(), &HostModule::frameExecuted, [&frames] { ++frames; });
        KitSurvey survey(kit.engine);
        const std::clock_t cpuStart = std::clock();
        QElapsedTimer clock;
        clock.start();
        const KitSurvey::Result result = survey.run(0, 124);
        const qint64 wallMs = clock.elapsed();
        const double cpuMs = 1000.0 * double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
        out << "run " << run << ": " << wallMs << " ms wall, " << qRound(cpuMs) << " ms CPU, " << frames
            << " frames answered, "
            << (result.isComplete() && result.hostRestored ? "complete" : "INCOMPLETE") << ", "
            << double(wallMs) / frames << " ms a question" << Qt::endl;
    }
    return 0;
}
