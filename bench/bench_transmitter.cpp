// The transmitter on a modelled USB serial adapter. A pty drains at once and
// its output queue always reads 0, so it cannot show what limits a real
// adapter; the adapter's queue is modelled behind the port's output-queue
// source instead: the driver passes bytes to the device at the next 1 ms USB
// frame, the device puts them on the line at the line rate, and the count the
// driver reports is only as fresh as the last frame. Reports the share of the
// line rate reached by the windowed transmitter, against the per-byte wait it
// replaced (hand over one byte, poll the queue every millisecond until it
// reads empty), at 38400 and 115200 bit/s.

#include "PtyPair.h"
#include "RecordingUserChannels.h"
#include "serial/CommPort.h"
#include "serial/Transmitter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <cmath>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int bitsPerByte = 10;

class ModelledAdapter
{
public:
    ModelledAdapter(int master, int baudRate)
        : m_master(master)
        , m_byteUs(1e6 * bitsPerByte / baudRate)
    {
        m_clock.start();
    }

    std::optional<qsizetype> queue()
    {
        const qint64 nowUs = m_clock.nsecsElapsed() / 1000;
        const qint64 frame = nowUs / 1000;
        if (frame > m_lastFrame) {
            // What the driver held goes to the device at the first frame after it came.
            const double submittedUs = double(m_lastFrame + 1) * 1000;
            m_lineFreeUs = std::max(m_lineFreeUs, submittedUs) + double(m_pending) * m_byteUs;
            m_pending = 0;
            m_lastFrame = frame;
        }
        char buffer[4096];
        ssize_t n = 0;
        while ((n = ::read(m_master, buffer, sizeof buffer)) > 0)
            m_pending += n;
        const double onDeviceUs = std::max(0.0, m_lineFreeUs - double(frame) * 1000);
        return qsizetype(std::ceil(onDeviceUs / m_byteUs)) + m_pending;
    }

private:
    int m_master;
    double m_byteUs;
    QElapsedTimer m_clock;
    qint64 m_lastFrame = 0;
    qsizetype m_pending = 0;
    double m_lineFreeUs = 0;
};

void waitMs(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

// The transmitter as it was: each byte handed over alone and waited for
// until the queue reads empty, polled every millisecond.
bool perByteWait(CommPort &port, const QByteArray &bytes)
{
    for (char byte : bytes) {
        if (port.clearInBuffer() || port.output(QByteArrayView(&byte, 1)))
            return false;
        int error = 0;
        while (port.outBufferCount(&error) != 0 && error == 0)
            waitMs(1);
        if (error)
            return false;
    }
    return true;
}

double lineShare(double elapsedNs, qsizetype bytes, int baudRate)
{
    const double lineNs = double(bytes) * bitsPerByte * 1e9 / baudRate;
    return lineNs / elapsedNs;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    PtyPair pty;
    qputenv("VELTRIN_COM1", pty.slavePath().toLocal8Bit());
    ::fcntl(pty.masterFd(), F_SETFL, ::fcntl(pty.masterFd(), F_GETFL) | O_NONBLOCK);

    CommPort port;
    RecordingUserChannels channels;
    Transmitter transmitter(port, channels);
    if (port.setPortNumber(1) || port.setHandshaking(0) || port.setPortOpen(true))
        return 1;

    QTextStream out(stdout);
    out << "share of the line rate reached on a modelled USB adapter (1 ms frames)\n";
    bool allDone = true;
    for (const int baudRate : { 38400, 115200 }) {
        if (port.setSettings(QStringLiteral("%1,N,8,1").arg(baudRate)))
            return 1;
        // About two seconds of line time for the window, a fraction of that
        // for the per-byte wait, which is many times slower.
        const QByteArray bytes(baudRate / bitsPerByte * 2, 'x');
        const QByteArray fewBytes = bytes.left(bytes.size() / 8);

        ModelledAdapter windowed(pty.masterFd(), baudRate);
        port.setOutputQueueSource([&windowed] { return windowed.queue(); });
        QElapsedTimer clock;
        clock.start();
        transmitter.SendByteArray(qint32(bytes.size()), bytes);
        const double windowShare = lineShare(clock.nsecsElapsed(), bytes.size(), baudRate);
        allDone = allDone && channels.lastStatus() == QStringLiteral("数据发送完成");

        ModelledAdapter oneByOne(pty.masterFd(), baudRate);
        port.setOutputQueueSource([&oneByOne] { return oneByOne.queue(); });
        clock.restart();
        allDone = perByteWait(port, fewBytes) && allDone;
        const double perByteShare = lineShare(clock.nsecsElapsed(), fewBytes.size(), baudRate);

        out << "  " << baudRate << " bit/s: windowed transmitter " << qRound(windowShare * 1000) / 10.0
            << "% (" << bytes.size() << " bytes, window " << transmitter.windowBytes() << "), per-byte wait "
            << qRound(perByteShare * 1000) / 10.0 << "% (" << fewBytes.size() << " bytes)\n";
    }
    port.setOutputQueueSource({});
    if (!allDone)
        out << "some transmissions failed!\n";
    return allDone ? 0 : 1;
}
