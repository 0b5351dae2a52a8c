#include "serial/NativeLine.h"

#include <QCoreApplication>

#include <windows.h>

namespace {

// ClearCommError answers the output queue and clears the error flags in one
// call, so every call adds the flags it cleared to running counts, which the
// error polling reads like Linux's counters.
std::optional<qsizetype> commStatus(HANDLE handle, CommPort::LineErrorCounts &counts)
{
    COMSTAT status {};
    DWORD errors = 0;
    if (!::ClearCommError(handle, &errors, &status))
        return std::nullopt;
    counts.breaks += (errors & CE_BREAK) ? 1 : 0;
    counts.framing += (errors & CE_FRAME) ? 1 : 0;
    counts.overruns += (errors & CE_OVERRUN) ? 1 : 0;
    counts.bufferOverruns += (errors & CE_RXOVER) ? 1 : 0;
    counts.parity += (errors & CE_RXPARITY) ? 1 : 0;
    return qsizetype(status.cbOutQue);
}

} // namespace

NativeLine::NativeLine(QSerialPort &serial)
    : m_serial(serial)
{ }

QString NativeLine::devicePathFor(int portNumber)
{
    return QStringLiteral("COM%1").arg(portNumber);
}

QString NativeLine::devicePathFrom(const QString &path)
{
    return path;
}

bool NativeLine::addHardwareFlowControl()
{
    DCB dcb {};
    dcb.DCBlength = sizeof dcb;
    if (!::GetCommState(m_serial.handle(), &dcb))
        return false;
    dcb.fOutxCtsFlow = TRUE;
    dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
    return ::SetCommState(m_serial.handle(), &dcb);
}

void NativeLine::takeArrivedInput()
{
    // QSerialPort learns of arrivals from its completion port notifier, a
    // child that queues a call to itself for them. Those queued calls are
    // delivered here, which starts the reads they announce. Not
    // waitForReadyRead(0): in Qt 6.4.2 the notifier's queued call takes
    // every waiting result but counts only one, and a later waitFor...()
    // then takes a result from an empty queue and crashes (seen as an access
    // violation in QWinOverlappedIoNotifierPrivate::dispatchNextIoResult
    // once two completions came close together).
    for (QObject *child : m_serial.children()) {
        if (qstrcmp(child->metaObject()->className(), "QWinOverlappedIoNotifier") == 0)
            QCoreApplication::sendPostedEvents(child, QEvent::MetaCall);
    }
}

std::optional<qsizetype> NativeLine::outputQueue()
{
    return commStatus(m_serial.handle(), m_counts);
}

std::optional<CommPort::LineErrorCounts> NativeLine::errorCounts()
{
    if (!commStatus(m_serial.handle(), m_counts))
        return std::nullopt;
    return m_counts;
}
