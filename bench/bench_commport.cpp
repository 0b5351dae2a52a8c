// Per-byte cost of the transmitter's calls into CommPort on a pty, against a
// bare write() + tcdrain() on the same kind of device. A thread empties the
// master so that the slave never blocks.

#include "MasterDrain.h"
#include "PtyPair.h"
#include "serial/CommPort.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>

#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr int byteCount = 200000;

double nsPerByte(const std::function<void(char)> &sendOne)
{
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < byteCount; ++i)
        sendOne(char(i));
    return double(clock.nsecsElapsed()) / byteCount;
}

double bareWrite()
{
    PtyPair pty;
    const MasterDrain drain(pty.masterFd());
    const int fd = ::open(pty.slavePath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    termios tio {};
    ::tcgetattr(fd, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(fd, TCSANOW, &tio);
    const double ns = nsPerByte([fd](char byte) {
        if (::write(fd, &byte, 1) == 1)
            ::tcdrain(fd);
    });
    ::close(fd);
    return ns;
}

double commPort(bool purgeFirst)
{
    PtyPair pty;
    const MasterDrain drain(pty.masterFd());
    qputenv("VELTRIN_COM1", pty.slavePath().toLocal8Bit());
    CommPort port;
    if (port.setPortOpen(true) != 0)
        return -1;
    return nsPerByte([&port, purgeFirst](char byte) {
        if (purgeFirst)
            (void)port.clearInBuffer();
        (void)port.output(QByteArrayView(&byte, 1));
        (void)port.outBufferCount();
    });
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    out << "bytes per run: " << byteCount << "\n";
    out << "bare write() + tcdrain():                     " << bareWrite() << " ns/byte\n";
    out << "output() + outBufferCount():                  " << commPort(false) << " ns/byte\n";
    out << "clearInBuffer() + output() + outBufferCount(): " << commPort(true) << " ns/byte\n";
    return 0;
}
