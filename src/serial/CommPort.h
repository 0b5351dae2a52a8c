#pragma once

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

// The program's one serial port, modelled on the classic comm control: a port
// number, a settings string, a handshaking mode, an open state, buffers,
// thresholds, one onComm() event per arrival or line condition on the UI
// thread, and numbered errors. Every operation that can fail returns the error
// number (380, 383, 394, 8000-8021), or 0 on success; nothing throws.
//
// Built on QSerialPort. Port numbers resolve to device paths through
// devicePathFor(): "COMn" on Windows; elsewhere the environment variable
// VELTRIN_COMn, or /dev/ttyS{n-1} without it. A device path can also be
// given directly (setDevicePath).
class CommPort : public QObject
{
    Q_OBJECT

public:
    // Event codes, read with commEvent() inside onComm().
    enum Event {
        EvSend = 1,
        EvReceive = 2,
        EvCTS = 3,
        EvDSR = 4,
        EvCD = 5,
        EvRing = 6,
        EvEOF = 7,
        ErBreak = 1001,
        ErCTSTimeout = 1002,
        ErDSRTimeout = 1003,
        ErFrame = 1004,
        ErOverrun = 1006,
        ErCDTimeout = 1007,
        ErRxOver = 1008,
        ErRxParity = 1009,
        ErTxFull = 1010,
        ErDCB = 1011,
    };

    // Error numbers.
    enum Error {
        NoError = 0,
        InvalidPropertyValue = 380,
        PropertyReadOnly = 383,
        PropertyIsReadOnly = 394,
        InvalidWhilePortOpen = 8000,
        TimeoutMustBePositive = 8001,
        InvalidPortNumber = 8002,
        RunTimeOnly = 8003,
        ReadOnlyAtRunTime = 8004,
        PortAlreadyOpen = 8005,
        UnsupportedDeviceIdentifier = 8006,
        UnsupportedBaudRate = 8007,
        InvalidByteSize = 8008,
        DefaultParameterError = 8009,
        HardwareUnavailable = 8010,
        CannotAllocateQueues = 8011,
        DeviceNotOpen = 8012,
        DeviceAlreadyOpen = 8013,
        CannotEnableNotification = 8014,
        CannotSetCommState = 8015,
        CannotSetEventMask = 8016,
        UnknownError = 8017,
        PortNotOpen = 8018,
        DeviceBusy = 8019,
        CommReadError = 8020,
        InternalDcbError = 8021,
    };

    // Modem-line source for the line-change polling: the current lines, or
    // nullopt when the device cannot report them (a pty cannot), which stops
    // the polling quietly until the next open.
    using LineSource = std::function<std::optional<QSerialPort::PinoutSignals>()>;

    // The driver's running counts of line errors since the device appeared.
    struct LineErrorCounts {
        quint32 breaks = 0;
        quint32 framing = 0;
        quint32 overruns = 0;
        quint32 bufferOverruns = 0;
        quint32 parity = 0;
    };
    // Error-counter source for the same polling: the counts, or nullopt when
    // the driver keeps none (a pty keeps none), which stops that part of the
    // polling quietly until the next open.
    using ErrorCountSource = std::function<std::optional<LineErrorCounts>()>;

    // The bytes the OS holds for the line, or nullopt when the device no
    // longer answers (it has gone).
    using OutputQueueSource = std::function<std::optional<qsizetype>()>;

    explicit CommPort(QObject *parent = nullptr);
    ~CommPort() override;

    static QString devicePathFor(int portNumber);
    // The device the port opens: the path set with setDevicePath(), or else
    // the port number's.
    QString devicePath() const;

    int portNumber() const;
    // Also drops a path set with setDevicePath().
    [[nodiscard]] int setPortNumber(int number);
    // Opens path as it is (on Unix, a relative path from the working
    // directory), for a program given a device rather than a port number;
    // the port number keeps its value but no longer decides.
    [[nodiscard]] int setDevicePath(const QString &path);

    // "baud,parity,databits,stopbits", e.g. "38400,N,8,1". Parity N E O M S,
    // data bits 5-8, stop bits 1, 1.5, 2. Applied at once to an open port.
    QString settings() const;
    [[nodiscard]] int setSettings(const QString &settings);
    // The line speed of the settings, in bit/s.
    int baudRate() const;

    // 0 none, 1 XON/XOFF, 2 RTS/CTS, 3 RTS/CTS and XON/XOFF.
    int handshaking() const;
    [[nodiscard]] int setHandshaking(int mode);

    bool portOpen() const;
    [[nodiscard]] int setPortOpen(bool open);
    // The number of the device failure that closed the port, which failed()
    // reports; 0 while the port is open and when it was closed on purpose.
    int deviceFailure() const;

    int inputLength() const;
    [[nodiscard]] int setInputLength(int length);
    int inBufferSize() const;
    [[nodiscard]] int setInBufferSize(int size);
    int outBufferSize() const;
    [[nodiscard]] int setOutBufferSize(int size);
    int inputMode() const;
    [[nodiscard]] int setInputMode(int mode);
    int rThreshold() const;
    [[nodiscard]] int setRThreshold(int threshold);
    int sThreshold() const;
    [[nodiscard]] int setSThreshold(int threshold);

    // Writing 0 to the buffer counts: discard what waits in that buffer.
    [[nodiscard]] int clearInBuffer();
    [[nodiscard]] int clearOutBuffer();

    // Hands bytes to the operating system and returns without waiting for
    // them to leave the line.
    [[nodiscard]] int output(QByteArrayView bytes);

    // Bytes handed over but not yet on the line (our buffer plus the OS
    // output queue). Sets *error when the count cannot be read, which means
    // the device has gone: the port is then closed and failed() follows.
    qsizetype outBufferCount(int *error = nullptr);
    qsizetype inBufferCount() const;

    // The waiting bytes, at most inputLength() of them (0: all); reading
    // removes them. Sets *error when the port is closed.
    QByteArray input(int *error = nullptr);

    // Takes in every byte the OS holds for the port now and raises its
    // receive events at once, rather than at the next turn of the event loop:
    // what came before this point is then handled before what comes after.
    void receiveNow();
    // At the end of a run: takes in what the OS holds, read after read, until
    // nothing more has come for quietMs (a pty hands out 4 KiB a read while
    // more waits behind it), or limitMs have passed, so that a far end that
    // keeps writing cannot hold the end up.
    void receiveUntilQuiet(int quietMs, int limitMs);

    // The condition that raised the current onComm().
    int commEvent() const;

    // Replace the modem-line query (the port's own pinoutSignals() by
    // default), the error-counter query (TIOCGICOUNT, ClearCommError) and the
    // OS output-queue query (TIOCOUTQ, ClearCommError): hardware behaviour a
    // pty cannot show. An empty source restores the default.
    void setLineSource(LineSource source);
    void setErrorCountSource(ErrorCountSource source);
    void setOutputQueueSource(OutputQueueSource source);

Q_SIGNALS:
    // One per arrival (while the receive threshold is not 0) or line condition.
    void onComm();
    // The device failed while open (unplugged, pty master closed): the port
    // has been closed. Emitted once per failure, from the event loop, also
    // when an operation met the failure and returned its number: callers of
    // operations leave the report to this signal (see deviceFailure()).
    void failed(int errorNumber);
    // Bytes went from our buffer to the OS: a transmission may go on.
    void bytesWritten();
    // The port opened or closed, whoever caused it: a panel, the transmitter
    // or a device that went away.
    void openChanged(bool open);

private:
    class Private;
    std::unique_ptr<Private> d;
};
