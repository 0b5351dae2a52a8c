#include "VirtualTrayDisplay.h"

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int ServerStartTimeoutMs = 15000;

} // namespace

VirtualTrayDisplay::~VirtualTrayDisplay()
{
    stop(m_tray);
    stop(m_server);
}

bool VirtualTrayDisplay::start(QString &error)
{
    if (!startServer(error))
        return false;
    qputenv("DISPLAY", m_display);
    qputenv("QT_QPA_PLATFORM", "xcb");
    const char *const tray[] = { "trayer", "--edge", "top", "--align", "left", "--widthtype", "request",
        "--height", "32", "--SetDockType", "false", nullptr };
    m_tray = spawn(tray, -1);
    if (m_tray < 0) {
        error = QStringLiteral("cannot start trayer");
        return false;
    }
    return true;
}

// Xvfb chooses a free display number itself and writes it to the pipe once
// it accepts connections.
bool VirtualTrayDisplay::startServer(QString &error)
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) {
        error = QStringLiteral("cannot create a pipe");
        return false;
    }
    const QByteArray writeEnd = QByteArray::number(pipeEnds[1]);
    const char *const server[] = { "Xvfb", "-displayfd", writeEnd.constData(), "-screen", "0", "1024x768x24",
        "-nolisten", "tcp", nullptr };
    m_server = spawn(server, pipeEnds[1]);
    close(pipeEnds[1]);

    QByteArray number;
    pollfd readable { pipeEnds[0], POLLIN, 0 };
    char c = 0;
    while (poll(&readable, 1, ServerStartTimeoutMs) == 1 && read(pipeEnds[0], &c, 1) == 1 && c != '\n')
        number.append(c);
    close(pipeEnds[0]);
    if (m_server < 0 || number.isEmpty()) {
        error = QStringLiteral("Xvfb did not report a display");
        return false;
    }
    m_display = ':' + number;
    return true;
}

// Starts a program with its output discarded. It receives SIGTERM when this
// process ends, so that a crashed test leaves no server behind.
pid_t VirtualTrayDisplay::spawn(const char *const arguments[], int keepOpen)
{
    const pid_t process = fork();
    if (process != 0)
        return process;
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    const int null = open("/dev/null", O_RDWR);
    dup2(null, STDIN_FILENO);
    dup2(null, STDOUT_FILENO);
    dup2(null, STDERR_FILENO);
    for (int fd = 3; fd < 1024; ++fd) {
        if (fd != keepOpen)
            close(fd);
    }
    execvp(arguments[0], const_cast<char *const *>(arguments));
    _exit(127);
}

void VirtualTrayDisplay::stop(pid_t &process)
{
    if (process <= 0)
        return;
    kill(process, SIGTERM);
    waitpid(process, nullptr, 0);
    process = -1;
}
