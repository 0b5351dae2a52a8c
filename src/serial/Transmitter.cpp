#include "serial/Transmitter.h"

#include "interfaces/UserChannels.h"
#include "serial/CommErrorReport.h"
#include "serial/CommPort.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QScopedValueRollback>
#include <QStringList>
#include <QTimer>

#include <cmath>

namespace {

// A piece of a decimal byte list: digits only (leading zeros allowed), 0-255.
bool toByte(QStringView piece, char *byte)
{
    if (piece.isEmpty() || piece.size() > 8)
        return false;
    int value = 0;
    for (QChar c : piece) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
        value = value * 10 + (c.unicode() - '0');
    }
    if (value > 255)
        return false;
    *byte = char(value);
    return true;
}

// A window of about 10 ms of line time keeps a USB adapter busy between two
// looks at its queue, and bounds what still goes out after a stop.
constexpr int windowMs = 10;
// Start bit, eight data bits, stop bit.
constexpr int bitsPerByte = 10;
// Pending events run at least every 10 ms while a transmission works; half
// that leaves room for the write between two looks at the clock.
constexpr int pumpIntervalMs = 5;
// The ready-wait is woken by flagsChanged(); the timer only bounds a wait in
// which nothing at all happens.
constexpr int readyPollMs = 100;

} // namespace

Transmitter::Transmitter(CommPort &port, UserChannels &channels, QObject *parent)
    : QObject(parent)
    , m_port(port)
    , m_channels(channels)
{ }

void Transmitter::setStopSending(bool stop)
{
    m_stopSending = stop;
    Q_EMIT flagsChanged();
}

void Transmitter::setSendReady(bool ready)
{
    m_sendReady = ready;
    Q_EMIT flagsChanged();
}

void Transmitter::SendByteArray(qint32 count, const QByteArray &bytes)
{
    if (!m_port.portOpen()) {
        if (const int error = m_port.setPortOpen(true)) {
            ReportCommError(m_channels, error, openFailureCause(m_port.devicePath(), m_catalog));
            reportOutcome(false);
            return;
        }
    }
    reportOutcome(TransmitBytes(count, bytes));
}

QString Transmitter::outcomeText(bool completed)
{
    return completed ? QStringLiteral("数据发送完成") : QStringLiteral("数据发送失败");
}

void Transmitter::reportOutcome(bool completed)
{
    m_channels.ShowStatusText(outcomeText(completed));
    Q_EMIT sendEnded(completed);
}

qsizetype Transmitter::windowBytes() const
{
    return qMax<qsizetype>(1, qsizetype(m_port.baudRate()) * windowMs / 1000 / bitsPerByte);
}

bool Transmitter::TransmitBytes(qint32 count, const QByteArray &bytes)
{
    // The count is the caller's; never read past the array it came with.
    const qint64 total = qBound(qint64(0), qint64(count), qint64(bytes.size()));
    if (total == 0)
        return true;
    // What came in before the transmission is taken in first, so that it is
    // neither thrown away nor mistaken for an answer to what goes out now.
    // Nothing is purged: every received byte reaches the receive path, and
    // every byte handed over goes out.
    m_port.receiveNow();
    const QScopedValueRollback<bool> transmitting(m_transmitting, true);

    Run run;
    run.total = total;
    run.sinceProgress.start();
    run.sincePump.start();
    run.sinceProgressReport.start();
    while (run.handedOver < total) {
        if (m_port.handshaking() != 0 && waitForSendReady(run) != Step::Go)
            return false;
        qsizetype room = 0;
        if (waitForRoom(run, &room) != Step::Go)
            return false;
        // A stop is looked at after a write, so a stop still standing from
        // before lets exactly one byte out.
        const qint64 size = m_stopSending ? 1 : qMin<qint64>(room, total - run.handedOver);
        if (const int error = m_port.output(QByteArrayView(bytes.constData() + run.handedOver, size)))
            return fail(error);
        run.handedOver += size;
        reportProgress(run);
        if (m_stopSending)
            return false;
        pumpWhenDue(run);
        if (m_stopSending)
            return false;
    }
    Q_EMIT progress(run.handedOver, run.total);
    return waitUntilDrained(run) == Step::Go;
}

Transmitter::Step Transmitter::waitForSendReady(Run &run)
{
    if (m_sendReady)
        return Step::Go;
    while (!m_sendReady) {
        waitForEvents(readyPollMs);
        if (m_stopSending)
            return Step::Stopped;
    }
    // Time spent waiting for the far end is no stall of the line.
    run.sinceProgress.restart();
    return Step::Go;
}

Transmitter::Step Transmitter::waitForRoom(Run &run, qsizetype *room)
{
    const qsizetype window = windowBytes();
    for (;;) {
        qsizetype queued = 0;
        if (const Step step = checkLine(run, &queued); step != Step::Go)
            return step;
        if (queued < window) {
            *room = window - queued;
            return Step::Go;
        }
        waitForLine(run, queued);
        if (m_stopSending)
            return Step::Stopped;
    }
}

Transmitter::Step Transmitter::waitUntilDrained(Run &run)
{
    for (;;) {
        qsizetype queued = 0;
        if (const Step step = checkLine(run, &queued); step != Step::Go)
            return step;
        if (queued == 0)
            return Step::Go;
        waitForLine(run, queued);
        if (m_stopSending)
            return Step::Stopped;
    }
}

// Reads what is still queued for the line and watches that it moves: a line
// that takes no byte for the drain time ends the transmission as busy.
Transmitter::Step Transmitter::checkLine(Run &run, qsizetype *queued)
{
    if (!m_port.portOpen()) {
        fail(CommPort::PortNotOpen);
        return Step::Failed;
    }
    int error = 0;
    *queued = m_port.outBufferCount(&error);
    if (error != 0) {
        fail(error);
        return Step::Failed;
    }
    const qint64 left = run.handedOver - *queued;
    if (left > run.leftLast || *queued == 0) {
        run.leftLast = left;
        run.sinceProgress.restart();
    } else if (run.sinceProgress.elapsed() >= m_drainTimeoutMs) {
        ReportCommError(m_channels, CommPort::DeviceBusy, handshakeStallCause(m_port.handshaking()));
        return Step::Failed;
    }
    return Step::Go;
}

// Sleeps until the queue is down to about half a window at the line's speed,
// or until the port moves bytes on from its own buffer, whichever is first.
void Transmitter::waitForLine(Run &run, qsizetype queued)
{
    const double byteMs = 1000.0 * bitsPerByte / qMax(1, m_port.baudRate());
    const double drainMs = (double(queued) - double(windowBytes()) / 2) * byteMs;
    waitForEvents(qBound(1, int(std::ceil(drainMs)), windowMs));
    run.sincePump.restart();
}

void Transmitter::waitForEvents(int timeoutMs)
{
    QEventLoop loop;
    QTimer::singleShot(timeoutMs, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    connect(this, &Transmitter::flagsChanged, &loop, &QEventLoop::quit);
    connect(&m_port, &CommPort::bytesWritten, &loop, &QEventLoop::quit);
    connect(&m_port, &CommPort::openChanged, &loop, &QEventLoop::quit);
    loop.exec();
}

// A line that takes bytes as fast as they come (a pty, a virtual port) never
// makes the transmission wait; the events still run every pump interval.
void Transmitter::pumpWhenDue(Run &run)
{
    if (run.sincePump.elapsed() < pumpIntervalMs)
        return;
    QCoreApplication::processEvents();
    run.sincePump.restart();
}

// Apart from the pump: a line that makes the transmission wait runs events
// in its waits, and progress must still be told.
void Transmitter::reportProgress(Run &run)
{
    if (run.sinceProgressReport.elapsed() < pumpIntervalMs)
        return;
    Q_EMIT progress(run.handedOver, run.total);
    run.sinceProgressReport.restart();
}

bool Transmitter::fail(int errorNumber)
{
    // A device that went away is reported once, by the port's failed().
    if (m_port.deviceFailure() == 0)
        ReportCommError(m_channels, errorNumber);
    return false;
}

void Transmitter::SendDecimalList(const QString &text)
{
    const QList<QStringView> pieces = QStringView(text).split(QLatin1Char(' '));
    QByteArray bytes(pieces.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        if (!toByte(pieces.at(i), bytes.data() + i)) {
            reportOutcome(false);
            return;
        }
    }
    SendByteArray(qint32(bytes.size()), bytes);
}

void Transmitter::DelayMs(double ms)
{
    QElapsedTimer clock;
    clock.start();
    double elapsedMs = 0;
    do {
        QEventLoop loop;
        const int remaining = int(std::ceil(ms - elapsedMs));
        QTimer::singleShot(qMax(0, remaining), Qt::PreciseTimer, &loop, &QEventLoop::quit);
        loop.exec();
        elapsedMs = clock.nsecsElapsed() / 1e6;
    } while (elapsedMs < ms);
}
