#pragma once

#include <QString>

#include <atomic>
#include <thread>

// A FIFO, a socket and a character device, for code that must refuse them
// without opening them. Opening a FIFO to read blocks until a writer comes;
// a watcher thread plays that writer whenever a reader waits, so that a
// wrong open ends in a failed check of fifoWasOpened() and not in a hang.
class SpecialFiles
{
public:
    explicit SpecialFiles(const QString &directory);
    ~SpecialFiles();
    SpecialFiles(const SpecialFiles &) = delete;
    SpecialFiles &operator=(const SpecialFiles &) = delete;

    bool isValid() const { return m_valid; }
    bool fifoWasOpened() const { return m_fifoOpened; }

    const QString fifo;
    const QString socket;
    const QString characterDevice;

private:
    void watchFifo();

    bool m_valid = false;
    std::atomic<bool> m_stop { false };
    std::atomic<bool> m_fifoOpened { false };
    std::thread m_watcher;
};
