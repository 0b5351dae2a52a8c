#include "MasterDrain.h"

#include <poll.h>
#include <unistd.h>

MasterDrain::MasterDrain(int master)
    : m_thread([this, master] { run(master); })
{ }

MasterDrain::~MasterDrain()
{
    m_stop = true;
    m_thread.join();
}

void MasterDrain::run(int master)
{
    char buffer[65536];
    while (!m_stop) {
        pollfd p { master, POLLIN, 0 };
        if (::poll(&p, 1, 10) > 0 && ::read(master, buffer, sizeof buffer) < 0)
            return;
    }
}
