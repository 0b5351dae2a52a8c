#include "serial/NativeLine.h"

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
