#include "serial/CommPort.h"

#include "serial/NativeLine.h"

#include <QEventLoop>
#include <QMetaObject>
#include <QSignalBlocker>
#include <QTimer>

#include <algorithm>
#include <array>
#include <utility>

// Error numbers follow src/serial/ERRORS.md; keep the two in step.

namespace {

constexpr int lastPortNumber = 16;
// Modem lines and error counters have no change notification in
// QSerialPort; 20 ms is well below the time a far end holds a handshake line.
constexpr int lineQueryIntervalMs = 20;
// After a failed read of a device that still answered, reading starts again
// this much later (see rearmReading()).
constexpr int rearmReadingMs = 10;
// A device that went away reads as a failed read of the comm device,
// whichever operation happened to meet it.
constexpr int deviceLostNumber = CommPort::CommReadError;

struct LineSettings {
    qint32 baudRate = 9600;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;
};

struct ParityLetter {
    QChar letter;
    QSerialPort::Parity parity;
};

constexpr std::array<ParityLetter, 5> parityLetters { {
    { u'N', QSerialPort::NoParity },
    { u'E', QSerialPort::EvenParity },
    { u'O', QSerialPort::OddParity },
    { u'M', QSerialPort::MarkParity },
    { u'S', QSerialPort::SpaceParity },
} };

struct StopBitsText {
    QLatin1StringView text;
    QSerialPort::StopBits stopBits;
};

constexpr std::array<StopBitsText, 3> stopBitsTexts { {
    { QLatin1StringView("1"), QSerialPort::OneStop },
    { QLatin1StringView("1.5"), QSerialPort::OneAndHalfStop },
    { QLatin1StringView("2"), QSerialPort::TwoStop },
} };

struct LineEvent {
    QSerialPort::PinoutSignal line;
    int event;
};

struct ErrorCountEvent {
    quint32 CommPort::LineErrorCounts::*count;
    int event;
};

constexpr std::array<ErrorCountEvent, 5> errorCountEvents { {
    { &CommPort::LineErrorCounts::breaks, CommPort::ErBreak },
    { &CommPort::LineErrorCounts::framing, CommPort::ErFrame },
    { &CommPort::LineErrorCounts::overruns, CommPort::ErOverrun },
    { &CommPort::LineErrorCounts::bufferOverruns, CommPort::ErRxOver },
    { &CommPort::LineErrorCounts::parity, CommPort::ErRxParity },
} };

constexpr std::array<LineEvent, 4> lineEvents { {
    { QSerialPort::ClearToSendSignal, CommPort::EvCTS },
    { QSerialPort::DataSetReadySignal, CommPort::EvDSR },
    { QSerialPort::DataCarrierDetectSignal, CommPort::EvCD },
    { QSerialPort::RingIndicatorSignal, CommPort::EvRing },
} };

bool isDecimal(QStringView text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); });
}

std::optional<LineSettings> parseSettings(QStringView text)
{
    const QList<QStringView> fields = text.split(u',');
    if (fields.size() != 4 || !isDecimal(fields[0]) || fields[1].size() != 1)
        return std::nullopt;

    LineSettings parsed;
    bool ok = false;
    parsed.baudRate = fields[0].toInt(&ok);
    if (!ok || parsed.baudRate <= 0)
        return std::nullopt;

    const QChar letter = fields[1].front().toUpper();
    const auto parity = std::find_if(parityLetters.begin(), parityLetters.end(),
        [letter](const ParityLetter &p) { return p.letter == letter; });
    if (parity == parityLetters.end())
        return std::nullopt;
    parsed.parity = parity->parity;

    const int dataBits = fields[2].toInt(&ok);
    if (!ok || fields[2].size() != 1 || dataBits < 5 || dataBits > 8)
        return std::nullopt;
    parsed.dataBits = QSerialPort::DataBits(dataBits);

    const auto stop = std::find_if(stopBitsTexts.begin(), stopBitsTexts.end(),
        [&fields](const StopBitsText &s) { return fields[3] == s.text; });
    if (stop == stopBitsTexts.end())
        return std::nullopt;
    parsed.stopBits = stop->stopBits;
    return parsed;
}

QString composeSettings(const LineSettings &line)
{
    const auto parity = std::find_if(parityLetters.begin(), parityLetters.end(),
        [&line](const ParityLetter &p) { return p.parity == line.parity; });
    const auto stop = std::find_if(stopBitsTexts.begin(), stopBitsTexts.end(),
        [&line](const StopBitsText &s) { return s.stopBits == line.stopBits; });
    return QStringLiteral("%1,%2,%3,%4")
        .arg(line.baudRate)
        .arg(parity->letter)
        .arg(int(line.dataBits))
        .arg(stop->text);
}

// Failures of QSerialPort::open().
int openErrorNumber(QSerialPort::SerialPortError error)
{
    switch (error) {
    case QSerialPort::NoError:
        return CommPort::NoError;
    case QSerialPort::DeviceNotFoundError:
    case QSerialPort::ResourceError:
        return CommPort::InvalidPortNumber;
    case QSerialPort::PermissionError:
        return CommPort::HardwareUnavailable;
    case QSerialPort::OpenError:
        return CommPort::PortAlreadyOpen;
    case QSerialPort::UnsupportedOperationError:
        return CommPort::UnsupportedDeviceIdentifier;
    default:
        return CommPort::UnknownError;
    }
}

// Failures of an open port: input, output, buffer purges, line settings.
int ioErrorNumber(QSerialPort::SerialPortError error)
{
    switch (error) {
    case QSerialPort::NoError:
        return CommPort::NoError;
    case QSerialPort::DeviceNotFoundError:
        return CommPort::InvalidPortNumber;
    case QSerialPort::PermissionError:
    case QSerialPort::WriteError:
    case QSerialPort::ResourceError:
        return CommPort::HardwareUnavailable;
    case QSerialPort::OpenError:
        return CommPort::PortAlreadyOpen;
    case QSerialPort::ReadError:
        return CommPort::CommReadError;
    case QSerialPort::UnsupportedOperationError:
        return CommPort::CannotSetCommState;
    case QSerialPort::TimeoutError:
        return CommPort::DeviceBusy;
    case QSerialPort::NotOpenError:
        return CommPort::PortNotOpen;
    default:
        return CommPort::UnknownError;
    }
}

// The errors by which an open device may tell that it is gone.
bool isDeviceFailure(QSerialPort::SerialPortError error)
{
    return error == QSerialPort::ReadError || error == QSerialPort::WriteError
        || error == QSerialPort::ResourceError;
}

} // namespace

class CommPort::Private
{
public:
    explicit Private(CommPort &q);
    ~Private();

    // Opening covers QSerialPort::open() and the settings applied after it:
    // their errors are the open's result, not a device failure.
    enum class DeviceState { Closed, Opening, Open };

    // Marks a call into QSerialPort whose failure the caller returns as an
    // error number; a device failure inside it is returned, not signalled.
    class Operation
    {
    public:
        explicit Operation(Private &d);
        ~Operation();
        Operation(const Operation &) = delete;
        Operation &operator=(const Operation &) = delete;
        // The error number for a call that returned ok.
        int result(bool ok);

    private:
        Private &m_d;
    };

    int open();
    void close();
    int applyLineSettings(const LineSettings &line);
    int applyHandshaking(int mode);
    int refusedSetting(int unsupportedNumber);

    void handleError(QSerialPort::SerialPortError error);
    void rearmReading();
    void loseDevice();
    void handleReadyRead();
    bool receiveEventDue() const;
    void raise(int event);

    void startLineQueries();
    void updateLineTimer();
    void pollLine();
    void queryLines();
    void queryErrorCounts();
    std::optional<QSerialPort::PinoutSignals> currentLines();
    std::optional<QSerialPort::PinoutSignals> pinoutSignals();
    std::optional<LineErrorCounts> currentErrorCounts();
    std::optional<qsizetype> osOutputQueue();

    CommPort &m_q;
    QSerialPort m_serial;
    NativeLine m_native { m_serial };
    QTimer m_lineTimer;
    DeviceState m_state = DeviceState::Closed;

    int m_portNumber = 1;
    QString m_devicePath;
    LineSettings m_line;
    int m_handshaking = 0;
    int m_inputLength = 0;
    int m_inBufferSize = 1024;
    int m_outBufferSize = 512;
    int m_inputMode = 0;
    int m_rThreshold = 0;
    int m_sThreshold = 0;

    int m_commEvent = 0;
    int m_eventDepth = 0;
    qsizetype m_takenByHandler = 0;

    int m_operationDepth = 0;
    int m_operationError = 0;
    int m_deviceFailure = 0;

    LineSource m_lineSource;
    ErrorCountSource m_errorCountSource;
    OutputQueueSource m_outputQueueSource;
    std::optional<QSerialPort::PinoutSignals> m_lines;
    std::optional<LineErrorCounts> m_errorCounts;
};

CommPort::Private::Private(CommPort &q)
    : m_q(q)
{
    // QSerialPort's read buffer stays unlimited (readBufferSize 0) whatever
    // the receive-buffer size says: a capped buffer stops reading the device,
    // and on a line without handshake the bytes the OS cannot hold are lost.
    m_lineTimer.setInterval(lineQueryIntervalMs);
    QObject::connect(&m_lineTimer, &QTimer::timeout, &m_q, [this] { pollLine(); });
    QObject::connect(&m_serial, &QSerialPort::bytesWritten, &m_q, [this] { Q_EMIT m_q.bytesWritten(); });
    QObject::connect(&m_serial, &QSerialPort::errorOccurred, &m_q,
        [this](QSerialPort::SerialPortError error) { handleError(error); });
    QObject::connect(&m_serial, &QSerialPort::readyRead, &m_q, [this] { handleReadyRead(); });
}

CommPort::Private::~Private()
{
    // Nobody may hear of a close while the port is being destroyed.
    QSignalBlocker quiet(m_q);
    close();
}

CommPort::Private::Operation::Operation(Private &d)
    : m_d(d)
{
    if (m_d.m_operationDepth++ == 0)
        m_d.m_operationError = 0;
}

CommPort::Private::Operation::~Operation()
{
    --m_d.m_operationDepth;
}

int CommPort::Private::Operation::result(bool ok)
{
    if (m_d.m_operationError != 0)
        return m_d.m_operationError;
    if (ok)
        return NoError;
    const int number = ioErrorNumber(m_d.m_serial.error());
    m_d.m_serial.clearError();
    return number;
}

int CommPort::Private::open()
{
    if (m_serial.isOpen())
        return PortAlreadyOpen;

    m_state = DeviceState::Opening;
    m_deviceFailure = 0;
    // Open with settings every serial device takes, then apply the stored
    // ones one by one, so that a refused setting is told apart from a path
    // that is no serial device at all.
    m_serial.setPortName(m_q.devicePath());
    m_serial.setBaudRate(QSerialPort::Baud9600);
    m_serial.setDataBits(QSerialPort::Data8);
    m_serial.setParity(QSerialPort::NoParity);
    m_serial.setStopBits(QSerialPort::OneStop);
    m_serial.setFlowControl(QSerialPort::NoFlowControl);
    if (!m_serial.open(QIODevice::ReadWrite)) {
        const int number = openErrorNumber(m_serial.error());
        m_serial.clearError();
        m_state = DeviceState::Closed;
        return number;
    }

    int number = applyLineSettings(m_line);
    if (number == NoError)
        number = applyHandshaking(m_handshaking);
    if (number != NoError) {
        close();
        return number;
    }
    // open() reports NoError through errorOccurred and leaves error() as it was.
    m_serial.clearError();
    m_state = DeviceState::Open;
    startLineQueries();
    Q_EMIT m_q.openChanged(true);
    return NoError;
}

void CommPort::Private::close()
{
    const bool wasOpen = m_state == DeviceState::Open;
    m_state = DeviceState::Closed;
    m_deviceFailure = 0;
    m_lineTimer.stop();
    m_lines.reset();
    m_errorCounts.reset();
    if (m_serial.isOpen())
        m_serial.close();
    m_serial.clearError();
    if (wasOpen)
        Q_EMIT m_q.openChanged(false);
}

int CommPort::Private::applyLineSettings(const LineSettings &line)
{
    if (!m_serial.setBaudRate(line.baudRate))
        return refusedSetting(UnsupportedBaudRate);
    if (!m_serial.setDataBits(line.dataBits))
        return refusedSetting(InvalidByteSize);
    if (!m_serial.setParity(line.parity) || !m_serial.setStopBits(line.stopBits))
        return refusedSetting(CannotSetCommState);
    return NoError;
}

int CommPort::Private::applyHandshaking(int mode)
{
    static constexpr std::array<QSerialPort::FlowControl, 4> flowControls {
        QSerialPort::NoFlowControl,
        QSerialPort::SoftwareControl,
        QSerialPort::HardwareControl,
        QSerialPort::SoftwareControl,
    };
    if (!m_serial.setFlowControl(flowControls[mode]))
        return refusedSetting(CannotSetCommState);
    if (mode == 3 && !m_native.addHardwareFlowControl())
        return CannotSetCommState;
    return NoError;
}

int CommPort::Private::refusedSetting(int unsupportedNumber)
{
    if (m_operationError != 0)
        return m_operationError;
    const QSerialPort::SerialPortError error = m_serial.error();
    m_serial.clearError();
    return error == QSerialPort::UnsupportedOperationError ? unsupportedNumber : ioErrorNumber(error);
}

void CommPort::Private::handleError(QSerialPort::SerialPortError error)
{
    // A vanished device makes QSerialPort repeat its error tens of thousands
    // of times while the port stays open; closing at the first one turns the
    // burst into one report.
    if (m_state != DeviceState::Open || !isDeviceFailure(error))
        return;
    // QSerialPort also reports a full OS output queue (EAGAIN from a write)
    // as ResourceError. The device has gone only when it no longer answers;
    // otherwise the bytes stay in QSerialPort's buffer for the event loop.
    if (osOutputQueue()) {
        m_serial.clearError();
        rearmReading();
        return;
    }
    loseDevice();
}

// A failed read (EIO) is the same ResourceError, and QSerialPort stops
// reading at it. A pty whose master has just closed fails the read a moment
// before its hang-up makes the queue count fail too: the device seemed to
// answer, and the port stayed open and deaf, so that it never returned
// (about one replug in a hundred). Reading starts again shortly, and the
// next read tells whether the device has gone. Restarting a read that never
// stopped (a full output queue) changes nothing.
void CommPort::Private::rearmReading()
{
    QTimer::singleShot(rearmReadingMs, &m_q, [this] {
        if (m_state == DeviceState::Open)
            m_serial.setReadBufferSize(0);
    });
}

// Whoever meets a vanished device first (a notifier, an operation, a queue
// count), the port closes and failed() reports it once. An operation that
// met it also returns the number, so that its caller stops.
void CommPort::Private::loseDevice()
{
    if (m_state != DeviceState::Open)
        return;
    close();
    m_deviceFailure = deviceLostNumber;
    if (m_operationDepth > 0)
        m_operationError = deviceLostNumber;
    // Queued, so that a modal report runs from the event loop and not from
    // inside QSerialPort's notifier or the caller's operation.
    QMetaObject::invokeMethod(
        &m_q, [q = &m_q] { Q_EMIT q->failed(deviceLostNumber); }, Qt::QueuedConnection);
}

// One receive event per arrival. QIODevice never emits readyRead() inside
// its own readyRead() handlers, so a handler that waits (pumping events)
// cannot get a second receive event delivered inside itself; what arrives
// meanwhile is raised when it returns. When bytes remain after a handler
// took its chunk, or more arrived during it, the event is raised again, so
// nothing waits for a next arrival. A handler that takes nothing of a quiet
// line gets one event and no loop.
void CommPort::Private::handleReadyRead()
{
    while (receiveEventDue()) {
        const qsizetype waiting = m_serial.bytesAvailable();
        m_takenByHandler = 0;
        raise(EvReceive);
        if (m_takenByHandler == 0 && m_serial.bytesAvailable() <= waiting)
            break;
    }
}

bool CommPort::Private::receiveEventDue() const
{
    return m_state == DeviceState::Open && m_rThreshold > 0 && m_serial.bytesAvailable() >= m_rThreshold;
}

void CommPort::Private::raise(int event)
{
    // A handler nested inside another one's wait must not change the code
    // the outer handler reads after the wait.
    const int outer = m_commEvent;
    m_commEvent = event;
    ++m_eventDepth;
    Q_EMIT m_q.onComm();
    --m_eventDepth;
    if (m_eventDepth > 0)
        m_commEvent = outer;
}

void CommPort::Private::startLineQueries()
{
    m_lines = currentLines();
    m_errorCounts = currentErrorCounts();
    updateLineTimer();
}

void CommPort::Private::updateLineTimer()
{
    if (m_state == DeviceState::Open && (m_lines || m_errorCounts))
        m_lineTimer.start();
    else
        m_lineTimer.stop();
}

void CommPort::Private::pollLine()
{
    if (m_lines)
        queryLines();
    if (m_errorCounts && m_state == DeviceState::Open)
        queryErrorCounts();
    updateLineTimer();
}

void CommPort::Private::queryLines()
{
    const std::optional<QSerialPort::PinoutSignals> lines = currentLines();
    if (m_state != DeviceState::Open)
        return;
    if (!lines) {
        m_lines.reset();
        return;
    }
    const QSerialPort::PinoutSignals changed = *lines ^ *m_lines;
    m_lines = lines;
    for (const LineEvent &lineEvent : lineEvents) {
        if (changed.testFlag(lineEvent.line) && m_state == DeviceState::Open)
            raise(lineEvent.event);
    }
}

// Each kind of error raises its event once per poll in which its count grew,
// however many errors the poll found.
void CommPort::Private::queryErrorCounts()
{
    const std::optional<LineErrorCounts> counts = currentErrorCounts();
    if (m_state != DeviceState::Open)
        return;
    if (!counts) {
        m_errorCounts.reset();
        return;
    }
    const LineErrorCounts before = *m_errorCounts;
    m_errorCounts = counts;
    for (const ErrorCountEvent &errorEvent : errorCountEvents) {
        if ((*counts).*errorEvent.count > before.*errorEvent.count && m_state == DeviceState::Open)
            raise(errorEvent.event);
    }
}

std::optional<CommPort::LineErrorCounts> CommPort::Private::currentErrorCounts()
{
    if (m_errorCountSource)
        return m_errorCountSource();
    return m_native.errorCounts();
}

std::optional<qsizetype> CommPort::Private::osOutputQueue()
{
    if (m_outputQueueSource)
        return m_outputQueueSource();
    return m_native.outputQueue();
}

std::optional<QSerialPort::PinoutSignals> CommPort::Private::currentLines()
{
    return m_lineSource ? m_lineSource() : pinoutSignals();
}

std::optional<QSerialPort::PinoutSignals> CommPort::Private::pinoutSignals()
{
    const QSerialPort::PinoutSignals lines = m_serial.pinoutSignals();
    if (m_serial.error() == QSerialPort::NoError && m_serial.isOpen())
        return lines;
    // A pty or a driver without modem lines answers UnsupportedOperationError:
    // that is no failure of the port, so it is neither reported nor left set.
    m_serial.clearError();
    return std::nullopt;
}

CommPort::CommPort(QObject *parent)
    : QObject(parent)
    , d(std::make_unique<Private>(*this))
{ }

CommPort::~CommPort() = default;

QString CommPort::devicePathFor(int portNumber)
{
    return NativeLine::devicePathFor(portNumber);
}

QString CommPort::devicePath() const
{
    return d->m_devicePath.isEmpty() ? devicePathFor(d->m_portNumber) : d->m_devicePath;
}

int CommPort::portNumber() const
{
    return d->m_portNumber;
}

int CommPort::setPortNumber(int number)
{
    if (portOpen())
        return PortAlreadyOpen;
    if (number < 1 || number > lastPortNumber)
        return InvalidPortNumber;
    d->m_portNumber = number;
    d->m_devicePath.clear();
    return NoError;
}

int CommPort::setDevicePath(const QString &path)
{
    if (portOpen())
        return PortAlreadyOpen;
    if (path.isEmpty())
        return InvalidPortNumber;
    d->m_devicePath = NativeLine::devicePathFrom(path);
    return NoError;
}

QString CommPort::settings() const
{
    return composeSettings(d->m_line);
}

int CommPort::setSettings(const QString &settings)
{
    const std::optional<LineSettings> parsed = parseSettings(settings);
    if (!parsed)
        return InvalidPropertyValue;
    if (portOpen()) {
        Private::Operation operation(*d);
        if (const int number = d->applyLineSettings(*parsed)) {
            // Put back what was applied before the refusal.
            d->applyLineSettings(d->m_line);
            return number;
        }
    }
    d->m_line = *parsed;
    return NoError;
}

int CommPort::baudRate() const
{
    return d->m_line.baudRate;
}

int CommPort::handshaking() const
{
    return d->m_handshaking;
}

int CommPort::setHandshaking(int mode)
{
    if (mode < 0 || mode > 3)
        return InvalidPropertyValue;
    if (portOpen()) {
        Private::Operation operation(*d);
        if (const int number = d->applyHandshaking(mode)) {
            d->applyHandshaking(d->m_handshaking);
            return number;
        }
    }
    d->m_handshaking = mode;
    return NoError;
}

bool CommPort::portOpen() const
{
    return d->m_serial.isOpen();
}

int CommPort::deviceFailure() const
{
    return d->m_deviceFailure;
}

int CommPort::setPortOpen(bool open)
{
    if (open)
        return d->open();
    d->close();
    return NoError;
}

int CommPort::inputLength() const
{
    return d->m_inputLength;
}

int CommPort::setInputLength(int length)
{
    if (length < 0)
        return InvalidPropertyValue;
    d->m_inputLength = length;
    return NoError;
}

int CommPort::inBufferSize() const
{
    return d->m_inBufferSize;
}

int CommPort::setInBufferSize(int size)
{
    if (size < 0)
        return InvalidPropertyValue;
    d->m_inBufferSize = size;
    return NoError;
}

int CommPort::outBufferSize() const
{
    return d->m_outBufferSize;
}

int CommPort::setOutBufferSize(int size)
{
    if (size < 0)
        return InvalidPropertyValue;
    d->m_outBufferSize = size;
    return NoError;
}

int CommPort::inputMode() const
{
    return d->m_inputMode;
}

int CommPort::setInputMode(int mode)
{
    // 0 text, 1 binary: both deliver the bytes as they came.
    if (mode < 0 || mode > 1)
        return InvalidPropertyValue;
    d->m_inputMode = mode;
    return NoError;
}

int CommPort::rThreshold() const
{
    return d->m_rThreshold;
}

int CommPort::setRThreshold(int threshold)
{
    if (threshold < 0)
        return InvalidPropertyValue;
    d->m_rThreshold = threshold;
    return NoError;
}

int CommPort::sThreshold() const
{
    return d->m_sThreshold;
}

int CommPort::setSThreshold(int threshold)
{
    if (threshold < 0)
        return InvalidPropertyValue;
    d->m_sThreshold = threshold;
    return NoError;
}

int CommPort::clearInBuffer()
{
    if (!portOpen())
        return PortNotOpen;
    Private::Operation operation(*d);
    // QSerialPort::clear() also empties its own read buffer.
    return operation.result(d->m_serial.clear(QSerialPort::Input));
}

int CommPort::clearOutBuffer()
{
    if (!portOpen())
        return PortNotOpen;
    Private::Operation operation(*d);
    return operation.result(d->m_serial.clear(QSerialPort::Output));
}

int CommPort::output(QByteArrayView bytes)
{
    if (!portOpen())
        return PortNotOpen;
    Private::Operation operation(*d);
    if (d->m_serial.write(bytes.data(), bytes.size()) != bytes.size())
        return operation.result(false);
    // flush() writes what the OS takes now and never waits for the line;
    // bytes the OS cannot take yet stay in QSerialPort's buffer, counted by
    // outBufferCount() and written by the event loop.
    d->m_serial.flush();
    return operation.result(d->m_serial.error() == QSerialPort::NoError);
}

qsizetype CommPort::outBufferCount(int *error)
{
    int number = NoError;
    qsizetype count = 0;
    if (!portOpen()) {
        number = PortNotOpen;
    } else if (const std::optional<qsizetype> queued = d->osOutputQueue()) {
        count = d->m_serial.bytesToWrite() + *queued;
    } else {
        // The queue of an open descriptor is unreadable only when the
        // device behind it has gone.
        d->loseDevice();
        number = deviceLostNumber;
    }
    if (error)
        *error = number;
    return count;
}

qsizetype CommPort::inBufferCount() const
{
    return portOpen() ? d->m_serial.bytesAvailable() : 0;
}

QByteArray CommPort::input(int *error)
{
    if (error)
        *error = portOpen() ? NoError : PortNotOpen;
    if (!portOpen())
        return {};
    const qsizetype waiting = d->m_serial.bytesAvailable();
    const qsizetype count = d->m_inputLength > 0 ? qMin<qsizetype>(d->m_inputLength, waiting) : waiting;
    QByteArray bytes = d->m_serial.read(count);
    d->m_takenByHandler += bytes.size();
    return bytes;
}

void CommPort::receiveNow()
{
    if (!portOpen())
        return;
    // What has arrived by now; a far end that keeps writing must not keep
    // this from returning.
    d->m_native.takeArrivedInput();
    if (d->m_state == Private::DeviceState::Open) {
        d->m_serial.clearError();
        d->handleReadyRead();
    }
}

void CommPort::receiveUntilQuiet(int quietMs, int limitMs)
{
    if (!portOpen())
        return;
    receiveNow();
    // The arrivals come through the usual readyRead() path while the loop
    // runs, not through waitForReadyRead(), which Qt 6.4.2's Windows port
    // can crash in when completions come close together.
    QEventLoop loop;
    QTimer quiet;
    quiet.setSingleShot(true);
    QObject::connect(&quiet, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(
        &d->m_serial, &QSerialPort::readyRead, &quiet, [&quiet, quietMs] { quiet.start(quietMs); });
    QObject::connect(this, &CommPort::openChanged, &loop, &QEventLoop::quit);
    QTimer::singleShot(limitMs, &loop, &QEventLoop::quit);
    quiet.start(quietMs);
    loop.exec();
}

int CommPort::commEvent() const
{
    return d->m_commEvent;
}

void CommPort::setLineSource(LineSource source)
{
    d->m_lineSource = std::move(source);
    if (portOpen())
        d->startLineQueries();
}

void CommPort::setErrorCountSource(ErrorCountSource source)
{
    d->m_errorCountSource = std::move(source);
    if (portOpen())
        d->startLineQueries();
}

void CommPort::setOutputQueueSource(OutputQueueSource source)
{
    d->m_outputQueueSource = std::move(source);
}
