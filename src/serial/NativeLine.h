#pragma once

#include "serial/CommPort.h"

#include <QSerialPort>
#include <QString>

#include <optional>

// What CommPort asks of the operating system beyond QSerialPort: the device
// behind a port number, both flow controls at once, the OS output queue and
// the driver's error counters. Each system has a source file of its own
// (NativeLine_unix.cpp, NativeLine_win.cpp); the build picks one.
class NativeLine
{
public:
    explicit NativeLine(QSerialPort &serial);

    // "COMn" on Windows; elsewhere the environment variable VELTRIN_COMn, or
    // /dev/ttyS{n-1} without it.
    static QString devicePathFor(int portNumber);
    // A device path given by the user, as QSerialPort must be told it.
    static QString devicePathFrom(const QString &path);

    // QSerialPort knows one flow control at a time. Both at once are XON/XOFF
    // with RTS/CTS added on the native handle; this has to be repeated after
    // every open, because QSerialPort::open() applies its own single mode.
    bool addHardwareFlowControl();
    // Lets QSerialPort take in what has arrived by now, without waiting for
    // more; CommPort then hands it to its reader as it does any arrival.
    void takeArrivedInput();
    // Bytes the OS has taken but not yet put on the line; nullopt when the
    // device no longer answers.
    std::optional<qsizetype> outputQueue();
    // The driver's running counts; nullopt when it keeps none.
    std::optional<CommPort::LineErrorCounts> errorCounts();

private:
    QSerialPort &m_serial;
    // Windows answers error flags that its query clears, so the running
    // counts are kept here; Unix drivers keep their own.
    CommPort::LineErrorCounts m_counts;
};
