#include "serial/Transmitter.h"

#include "interfaces/UserChannels.h"
#include "serial/CommErrorReport.h"
#include "serial/CommPort.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QStringList>
#include <QTimer>

#include <cmath>

namespace {

QString sendDoneText()
{
    return QStringLiteral("数据发送完成");
}

QString sendFailedText()
{
    return QStringLiteral("数据发送失败");
}

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

// Polling the OS output queue is the only way to learn that a byte has left;
// a millisecond matches the granularity at which USB serial adapters report.
constexpr int drainPollMs = 1;
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
            ReportCommError(m_channels, error);
            m_channels.ShowStatusText(sendFailedText());
            return;
        }
    }
    m_channels.ShowStatusText(TransmitBytes(count, bytes) ? sendDoneText() : sendFailedText());
}

bool Transmitter::TransmitBytes(qint32 count, const QByteArray &bytes)
{
    // The count is the caller's; never read past the array it came with.
    const qint32 total = qMin<qsizetype>(count, bytes.size());
    for (qint32 i = 0; i < total; ++i) {
        // Bytes received before this one are stale for the reply rules: a
        // reply counts only when it arrives after the frame went out.
        if (const int error = m_port.clearInBuffer())
            return fail(error);
        if (const int error = m_port.output(QByteArrayView(bytes.constData() + i, 1)))
            return fail(error);
        if (waitUntilDrained() != WaitResult::Done)
            return false;
        if (m_port.handshaking() != 0 && waitForSendReady() != WaitResult::Done)
            return false;
        if (m_stopSending)
            return false;
    }
    return true;
}

Transmitter::WaitResult Transmitter::waitUntilDrained()
{
    int error = 0;
    if (m_port.outBufferCount(&error) == 0 && error == 0)
        return WaitResult::Done;

    QElapsedTimer elapsed;
    elapsed.start();
    while (error == 0) {
        waitForEvents(drainPollMs);
        if (m_stopSending)
            return WaitResult::Stopped;
        if (!m_port.portOpen()) {
            error = CommPort::PortNotOpen;
            break;
        }
        if (m_port.outBufferCount(&error) == 0 && error == 0)
            return WaitResult::Done;
        if (error == 0 && elapsed.elapsed() >= m_drainTimeoutMs)
            error = CommPort::DeviceBusy;
    }
    fail(error);
    return WaitResult::Failed;
}

Transmitter::WaitResult Transmitter::waitForSendReady()
{
    while (!m_sendReady) {
        waitForEvents(readyPollMs);
        if (m_stopSending)
            return WaitResult::Stopped;
    }
    return WaitResult::Done;
}

void Transmitter::waitForEvents(int timeoutMs)
{
    QEventLoop loop;
    QTimer::singleShot(timeoutMs, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    connect(this, &Transmitter::flagsChanged, &loop, &QEventLoop::quit);
    loop.exec();
}

bool Transmitter::fail(int errorNumber)
{
    ReportCommError(m_channels, errorNumber);
    return false;
}

void Transmitter::SendDecimalList(const QString &text)
{
    const QList<QStringView> pieces = QStringView(text).split(QLatin1Char(' '));
    QByteArray bytes(pieces.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        if (!toByte(pieces.at(i), bytes.data() + i)) {
            m_channels.ShowStatusText(sendFailedText());
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
