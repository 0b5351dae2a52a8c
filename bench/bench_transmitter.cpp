// Median cost per byte of a whole transmission through the transmitter
// (receive purge, one-byte output, drain wait) on a pty, against a bare loop
// of one-byte write() + tcdrain() on the same pty in the same run. A thread
// empties the master so that the slave never fills up.

#include "MasterDrain.h"
#include "PtyPair.h"
#include "RecordingUserChannels.h"
#include "serial/CommPort.h"
#include "serial/Transmitter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>

#include <algorithm>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr int bytesPerRun = 20000;
constexpr int runs = 11;

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double bareRun(const QString &path)
{
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    termios tio {};
    ::tcgetattr(fd, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(fd, TCSANOW, &tio);
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < bytesPerRun; ++i) {
        const char byte = char(i);
        if (::write(fd, &byte, 1) == 1)
            ::tcdrain(fd);
    }
    const double ns = double(clock.nsecsElapsed()) / bytesPerRun;
    ::close(fd);
    return ns;
}

double transmitterRun(Transmitter &transmitter, const QByteArray &bytes)
{
    QElapsedTimer clock;
    clock.start();
    transmitter.SendByteArray(qint32(bytes.size()), bytes);
    return double(clock.nsecsElapsed()) / bytes.size();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    PtyPair pty;
    const MasterDrain drain(pty.masterFd());
    qputenv("VELTRIN_COM1", pty.slavePath().toLocal8Bit());

    CommPort port;
    RecordingUserChannels channels;
    Transmitter transmitter(port, channels);
    if (port.setPortNumber(1) || port.setHandshaking(0) || port.setPortOpen(true))
        return 1;

    QByteArray bytes(bytesPerRun, Qt::Uninitialized);
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = char(i * 13);

    std::vector<double> bare;
    std::vector<double> sent;
    for (int run = 0; run < runs; ++run) {
        bare.push_back(bareRun(pty.slavePath()));
        sent.push_back(transmitterRun(transmitter, bytes));
    }
    const bool allDone = channels.statusTexts.count(QStringLiteral("数据发送完成")) == runs;

    QTextStream out(stdout);
    out << "bytes per run: " << bytesPerRun << ", runs: " << runs << "\n";
    out << "bare write()+tcdrain():   median " << median(bare) / 1000 << " us/byte\n";
    out << "Transmitter, with drain:  median " << median(sent) / 1000 << " us/byte\n";
    out << "ratio: " << median(sent) / median(bare) << (allDone ? "" : "  (some transmissions failed!)")
        << "\n";
    out << "for scale, 115200 bit/s is 86.8 us/byte\n";
    return allDone ? 0 : 1;
}
