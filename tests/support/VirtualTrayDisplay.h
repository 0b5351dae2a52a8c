#pragma once

#include <QByteArray>
#include <QString>

#include <sys/types.h>

// A private X display with a notification area: an Xvfb server on a free
// display number and the "trayer" tray host on it. start() points this
// process at the display (DISPLAY, and the xcb platform); the servers end
// with this object, and also when the process dies.
class VirtualTrayDisplay
{
public:
    VirtualTrayDisplay() = default;
    VirtualTrayDisplay(const VirtualTrayDisplay &) = delete;
    VirtualTrayDisplay &operator=(const VirtualTrayDisplay &) = delete;
    ~VirtualTrayDisplay();

    // Must run before the application object exists. On failure, error says why.
    bool start(QString &error);
    QByteArray displayName() const { return m_display; }

private:
    bool startServer(QString &error);
    static pid_t spawn(const char *const arguments[], int keepOpen);
    static void stop(pid_t &process);

    pid_t m_server = -1;
    pid_t m_tray = -1;
    QByteArray m_display;
};
