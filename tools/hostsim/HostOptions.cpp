#include "hostsim/HostOptions.h"

QList<SlaveModule> HostOptions::defaultSlaves(int channel)
{
    QList<SlaveModule> slaves;
    for (int printer = 1; printer <= 4; ++printer)
        slaves.append(SlaveModule { 1 << (printer - 1), channel, true, 2 });
    return slaves;
}
