#include "serial/NativeLine.h"

#include <QByteArray>
#include <QFileInfo>

#include <sys/ioctl.h>
#include <termios.h>
// The error counters (TIOCGICOUNT) are Linux's own.
#ifdef Q_OS_LINUX
#include <linux/serial.h>
#endif

NativeLine::NativeLine(QSerialPort &serial)
    : m_serial(serial)
{ }

QString NativeLine::devicePathFor(int portNumber)
{
    const QByteArray variable = "VELTRIN_COM" + QByteArray::number(portNumber);
    const QString configured = qEnvironmentVariable(variable.constData());
    return configured.isEmpty() ? QStringLiteral("/dev/ttyS%1").arg(portNumber - 1) : configured;
}

QString NativeLine::devicePathFrom(const QString &path)
{
    // A relative path names a file from the working directory, as in a
    // shell; QSerialPort would look for it under /dev.
    return QFileInfo(path).absoluteFilePath();
}

bool NativeLine::addHardwareFlowControl()
{
    termios tio {};
    if (::tcgetattr(m_serial.handle(), &tio) != 0)
        return false;
    tio.c_cflag |= CRTSCTS;
    return ::tcsetattr(m_serial.handle(), TCSANOW, &tio) == 0;
}

void NativeLine::takeArrivedInput()
{
    // One read of what the OS holds now; a wait that finds nothing ends with
    // a time-out, which is no error.
    m_serial.waitForReadyRead(0);
}

std::optional<qsizetype> NativeLine::outputQueue()
{
    int queued = 0;
    if (::ioctl(m_serial.handle(), TIOCOUTQ, &queued) != 0)
        return std::nullopt;
    return qsizetype(queued);
}

// Serial drivers keep the counters; a pty keeps none.
std::optional<CommPort::LineErrorCounts> NativeLine::errorCounts()
{
#ifdef Q_OS_LINUX
    serial_icounter_struct counters {};
    if (::ioctl(m_serial.handle(), TIOCGICOUNT, &counters) != 0)
        return std::nullopt;
    return CommPort::LineErrorCounts { quint32(counters.brk), quint32(counters.frame),
        quint32(counters.overrun), quint32(counters.buf_overrun), quint32(counters.parity) };
#else
    return std::nullopt;
#endif
}
