#pragma once

#include <atomic>
#include <thread>

// Empties a pty master from a thread of its own, so that a benchmark's writes
// to the slave never block on a full queue.
class MasterDrain
{
public:
    explicit MasterDrain(int master);
    ~MasterDrain();
    MasterDrain(const MasterDrain &) = delete;
    MasterDrain &operator=(const MasterDrain &) = delete;

private:
    void run(int master);

    std::atomic<bool> m_stop = false;
    std::thread m_thread;
};
