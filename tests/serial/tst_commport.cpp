#include "PtyPair.h"
#include "SerialFixture.h"
#include "serial/CommPort.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace {

QByteArray randomBytes(qsizetype count, quint32 seed)
{
    QRandomGenerator generator(seed);
    QByteArray bytes(count, Qt::Uninitialized);
    for (char &byte : bytes)
        byte = char(generator.bounded(256));
    return bytes;
}

void waitMs(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

// A descriptor of the pty's slave taken before the port opens it (Qt opens
// it exclusively), to read the termios the port sets.
class SlaveView
{
public:
    explicit SlaveView(const PtyPair &pty)
        : m_fd(::open(pty.slavePath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK))
    { }
    ~SlaveView() { ::close(m_fd); }
    SlaveView(const SlaveView &) = delete;
    SlaveView &operator=(const SlaveView &) = delete;

    termios attributes() const
    {
        termios tio {};
        ::tcgetattr(m_fd, &tio);
        return tio;
    }
    bool hardwareFlow() const { return attributes().c_cflag & CRTSCTS; }
    bool softwareFlow() const { return (attributes().c_iflag & (IXON | IXOFF)) == (IXON | IXOFF); }

private:
    int m_fd;
};

// One row of the numeric properties that only store their value.
struct StoredProperty {
    const char *name;
    int (CommPort::*set)(int);
    int (CommPort::*get)() const;
};

const StoredProperty storedProperties[] = {
    { "handshaking", &CommPort::setHandshaking, &CommPort::handshaking },
    { "inputLength", &CommPort::setInputLength, &CommPort::inputLength },
    { "inBufferSize", &CommPort::setInBufferSize, &CommPort::inBufferSize },
    { "outBufferSize", &CommPort::setOutBufferSize, &CommPort::outBufferSize },
    { "inputMode", &CommPort::setInputMode, &CommPort::inputMode },
    { "rThreshold", &CommPort::setRThreshold, &CommPort::rThreshold },
    { "sThreshold", &CommPort::setSThreshold, &CommPort::sThreshold },
};

} // namespace

class tst_CommPort : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void defaultsAreThoseOfTheClassicControl();
    void settingsAreParsedAndComposed_data();
    void settingsAreParsedAndComposed();
    void malformedSettingsChangeNothing_data();
    void malformedSettingsChangeNothing();
    void invalidPropertyValuesChangeNothing_data();
    void invalidPropertyValuesChangeNothing();
    void portNumberRules();
    void devicePathFollowsTheEnvironment();
    void devicePathGivenDirectly();
    void relativeDevicePathFromTheWorkingDirectory();

    void openFailures_data();
    void openFailures();
    void portOpenedTwiceIsRefused();
    void closedPortOperationsNeedAnOpenPort();

    void receivedBytesArriveWholeInChunks_data();
    void receivedBytesArriveWholeInChunks();
    void receiveThresholdCountsWaitingBytes();
    void handlerThatDoesNotReadGetsOneEventPerArrival();
    void nestedWaitGetsNoSecondReceiveEvent();
    void clearInBufferDiscardsWaitingBytes();

    void outputReachesTheMasterExactly();
    void outputKeepsWhatTheOsCannotTakeYet();
    void clearOutBufferDiscardsWaitingBytes();

    void handshakingReachesTheDevice_data();
    void handshakingReachesTheDevice();
    void baudChangeWhileOpenReachesTheDevice();
    void refusedSettingChangesNothing_data();
    void refusedSettingChangesNothing();
    void refusedStoredSettingFailsTheOpen();

    void lineChangesRaiseOneEventEach();
    void unsupportedLineQueryStopsPolling();
    void ptyLineQueryStopsQuietly();

    void lostDeviceIsReportedOnceAndPortReopens();
    void outputToLostDeviceReturnsTheError();
};

void tst_CommPort::defaultsAreThoseOfTheClassicControl()
{
    const CommPort port;
    QCOMPARE(port.portNumber(), 1);
    QCOMPARE(port.settings(), QStringLiteral("9600,N,8,1"));
    QCOMPARE(port.handshaking(), 0);
    QVERIFY(!port.portOpen());
    QCOMPARE(port.inputLength(), 0);
    QCOMPARE(port.inBufferSize(), 1024);
    QCOMPARE(port.outBufferSize(), 512);
    QCOMPARE(port.inputMode(), 0);
    QCOMPARE(port.rThreshold(), 0);
    QCOMPARE(port.sThreshold(), 0);
}

void tst_CommPort::settingsAreParsedAndComposed_data()
{
    QTest::addColumn<QString>("settings");
    QTest::addColumn<QString>("composed");
    QTest::newRow("program default") << "38400,N,8,1"
                                     << "38400,N,8,1";
    QTest::newRow("even, 7 bits, 2 stop") << "9600,E,7,2"
                                          << "9600,E,7,2";
    QTest::newRow("odd, 5 bits, 1.5 stop") << "115200,O,5,1.5"
                                           << "115200,O,5,1.5";
    QTest::newRow("mark, 6 bits") << "300,M,6,1"
                                  << "300,M,6,1";
    QTest::newRow("space") << "19200,S,8,2"
                           << "19200,S,8,2";
    QTest::newRow("lower-case parity") << "9600,e,8,1"
                                       << "9600,E,8,1";
    QTest::newRow("leading zero in baud") << "09600,N,8,1"
                                          << "9600,N,8,1";
}

void tst_CommPort::settingsAreParsedAndComposed()
{
    QFETCH(QString, settings);
    QFETCH(QString, composed);
    CommPort port;
    QCOMPARE(port.setSettings(settings), 0);
    QCOMPARE(port.settings(), composed);
    QCOMPARE(port.settings().split(QLatin1Char(',')).size(), 4);
}

void tst_CommPort::malformedSettingsChangeNothing_data()
{
    QTest::addColumn<QString>("settings");
    QTest::newRow("empty") << "";
    QTest::newRow("baud only") << "9600";
    QTest::newRow("three fields") << "9600,N,8";
    QTest::newRow("five fields") << "9600,N,8,1,";
    QTest::newRow("unknown parity") << "9600,X,8,1";
    QTest::newRow("two parity letters") << "9600,NN,8,1";
    QTest::newRow("9 data bits") << "9600,N,9,1";
    QTest::newRow("4 data bits") << "9600,N,4,1";
    QTest::newRow("3 stop bits") << "9600,N,8,3";
    QTest::newRow("stop bits 1.0") << "9600,N,8,1.0";
    QTest::newRow("zero baud") << "0,N,8,1";
    QTest::newRow("negative baud") << "-9600,N,8,1";
    QTest::newRow("baud not a number") << "fast,N,8,1";
    QTest::newRow("baud beyond 32 bits") << "99999999999,N,8,1";
    QTest::newRow("blank before baud") << " 9600,N,8,1";
}

void tst_CommPort::malformedSettingsChangeNothing()
{
    QFETCH(QString, settings);
    CommPort port;
    QCOMPARE(port.setSettings(QStringLiteral("19200,E,7,2")), 0);
    QCOMPARE(port.setSettings(settings), int(CommPort::InvalidPropertyValue));
    QCOMPARE(port.settings(), QStringLiteral("19200,E,7,2"));
}

void tst_CommPort::invalidPropertyValuesChangeNothing_data()
{
    QTest::addColumn<int>("property");
    QTest::addColumn<int>("value");
    for (int i = 0; i < int(std::size(storedProperties)); ++i)
        QTest::addRow("%s -1", storedProperties[i].name) << i << -1;
    QTest::newRow("handshaking 4") << 0 << 4;
    QTest::newRow("inputMode 2") << 4 << 2;
}

void tst_CommPort::invalidPropertyValuesChangeNothing()
{
    QFETCH(int, property);
    QFETCH(int, value);
    const StoredProperty &row = storedProperties[property];
    CommPort port;
    QCOMPARE((port.*row.set)(1), 0);
    QCOMPARE((port.*row.set)(value), int(CommPort::InvalidPropertyValue));
    QCOMPARE((port.*row.get)(), 1);
}

void tst_CommPort::portNumberRules()
{
    PtyPort pty(1);
    CommPort port;
    QCOMPARE(port.setPortNumber(0), int(CommPort::InvalidPortNumber));
    QCOMPARE(port.setPortNumber(17), int(CommPort::InvalidPortNumber));
    QCOMPARE(port.setPortNumber(16), 0);
    QCOMPARE(port.portNumber(), 16);
    QCOMPARE(port.setPortNumber(1), 0);
    QCOMPARE(port.setPortOpen(true), 0);
    QCOMPARE(port.setPortNumber(2), int(CommPort::PortAlreadyOpen));
    QCOMPARE(port.setPortNumber(1), int(CommPort::PortAlreadyOpen));
    QCOMPARE(port.portNumber(), 1);
}

void tst_CommPort::devicePathFollowsTheEnvironment()
{
    qunsetenv("VELTRIN_COM5");
    QCOMPARE(CommPort::devicePathFor(5), QStringLiteral("/dev/ttyS4"));
    qputenv("VELTRIN_COM5", "/tmp/somewhere");
    QCOMPARE(CommPort::devicePathFor(5), QStringLiteral("/tmp/somewhere"));
    qputenv("VELTRIN_COM16", "/tmp/sixteen");
    QCOMPARE(CommPort::devicePathFor(16), QStringLiteral("/tmp/sixteen"));
    CommPort port;
    QCOMPARE(port.setPortNumber(5), 0);
    QCOMPARE(port.devicePath(), QStringLiteral("/tmp/somewhere"));
    qunsetenv("VELTRIN_COM5");
    qunsetenv("VELTRIN_COM16");
    QCOMPARE(port.devicePath(), QStringLiteral("/dev/ttyS4"));
}

void tst_CommPort::devicePathGivenDirectly()
{
    PtyPair pty;
    QVERIFY(pty.isValid());
    qputenv("VELTRIN_COM4", "/nonexistent/ttyX");
    CommPort port;
    QCOMPARE(port.setPortNumber(4), 0);
    QCOMPARE(port.setDevicePath(QString()), int(CommPort::InvalidPortNumber));
    QCOMPARE(port.setDevicePath(pty.slavePath()), 0);
    QCOMPARE(port.devicePath(), pty.slavePath());
    QCOMPARE(port.setPortOpen(true), 0);
    QCOMPARE(port.setDevicePath(QStringLiteral("/dev/null")), int(CommPort::PortAlreadyOpen));
    QCOMPARE(port.output("A"), 0);
    QCOMPARE(pty.readMasterExactly(1), QByteArray("A"));
    QCOMPARE(port.setPortOpen(false), 0);
    // A port number takes over again, resolved as before.
    QCOMPARE(port.setPortNumber(4), 0);
    QCOMPARE(port.devicePath(), QStringLiteral("/nonexistent/ttyX"));
    QCOMPARE(port.setPortOpen(true), int(CommPort::InvalidPortNumber));
    qunsetenv("VELTRIN_COM4");
}

void tst_CommPort::relativeDevicePathFromTheWorkingDirectory()
{
    PtyPair pty;
    QTemporaryDir dir;
    QVERIFY(pty.isValid() && dir.isValid());
    QVERIFY(QFile::link(pty.slavePath(), dir.filePath(QStringLiteral("hostlink"))));
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(dir.path()));
    CommPort port;
    const int set = port.setDevicePath(QStringLiteral("hostlink"));
    QVERIFY(QDir::setCurrent(before));
    QCOMPARE(set, 0);
    QCOMPARE(port.devicePath(), dir.filePath(QStringLiteral("hostlink")));
    QCOMPARE(port.setPortOpen(true), 0);
    QCOMPARE(port.output("A"), 0);
    QCOMPARE(pty.readMasterExactly(1), QByteArray("A"));
}

void tst_CommPort::openFailures_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<int>("error");
    QTest::newRow("missing device") << "/nonexistent/ttyX" << int(CommPort::InvalidPortNumber);
    QTest::newRow("dangling link") << "link-to-nothing" << int(CommPort::InvalidPortNumber);
    QTest::newRow("pty whose master has gone") << "dead-pty" << int(CommPort::InvalidPortNumber);
    QTest::newRow("regular file") << "regular-file" << int(CommPort::UnsupportedDeviceIdentifier);
    QTest::newRow("/dev/null") << "/dev/null" << int(CommPort::UnsupportedDeviceIdentifier);
    QTest::newRow("directory") << "directory" << int(CommPort::UnknownError);
}

void tst_CommPort::openFailures()
{
    QFETCH(QString, device);
    QFETCH(int, error);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QString path = device.startsWith(QLatin1Char('/')) ? device : dir.filePath(device);
    if (device == QLatin1String("link-to-nothing")) {
        QVERIFY(QFile::link(dir.filePath(QStringLiteral("nothing")), path));
    } else if (device == QLatin1String("regular-file")) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
    } else if (device == QLatin1String("directory")) {
        QVERIFY(QDir(dir.path()).mkdir(device));
    } else if (device == QLatin1String("dead-pty")) {
        PtyPair gone;
        path = gone.slavePath();
    }
    qputenv("VELTRIN_COM4", path.toLocal8Bit());
    CommPort port;
    QCOMPARE(port.setPortNumber(4), 0);
    QCOMPARE(port.setPortOpen(true), error);
    QVERIFY(!port.portOpen());
    qunsetenv("VELTRIN_COM4");
}

void tst_CommPort::portOpenedTwiceIsRefused()
{
    PtyPort pty(1);
    CommPort first;
    CommPort second;
    QCOMPARE(first.setPortOpen(true), 0);
    QCOMPARE(first.setPortOpen(true), int(CommPort::PortAlreadyOpen));
    QCOMPARE(second.setPortOpen(true), int(CommPort::HardwareUnavailable));
    QVERIFY(first.portOpen());
    QVERIFY(!second.portOpen());
    QCOMPARE(first.setPortOpen(false), 0);
    QCOMPARE(first.setPortOpen(false), 0);
    QCOMPARE(second.setPortOpen(true), 0);
}

void tst_CommPort::closedPortOperationsNeedAnOpenPort()
{
    CommPort port;
    int error = 0;
    QCOMPARE(port.output("x"), int(CommPort::PortNotOpen));
    QCOMPARE(port.clearInBuffer(), int(CommPort::PortNotOpen));
    QCOMPARE(port.clearOutBuffer(), int(CommPort::PortNotOpen));
    QCOMPARE(port.outBufferCount(&error), 0);
    QCOMPARE(error, int(CommPort::PortNotOpen));
    error = 0;
    QVERIFY(port.input(&error).isEmpty());
    QCOMPARE(error, int(CommPort::PortNotOpen));
}

void tst_CommPort::receivedBytesArriveWholeInChunks_data()
{
    QTest::addColumn<int>("inputLength");
    QTest::newRow("read length 512") << 512;
    QTest::newRow("read length 100") << 100;
    QTest::newRow("read length 1") << 1;
    QTest::newRow("read length 0: all waiting") << 0;
}

void tst_CommPort::receivedBytesArriveWholeInChunks()
{
    QFETCH(int, inputLength);
    PtyPort pty(1);
    CommPort port;
    QCOMPARE(port.setInputLength(inputLength), 0);
    QCOMPARE(port.setRThreshold(1), 0);
    QCOMPARE(port.setPortOpen(true), 0);
    QByteArray received;
    qsizetype largest = 0;
    connect(&port, &CommPort::onComm, this, [&] {
        QCOMPARE(port.commEvent(), int(CommPort::EvReceive));
        const QByteArray chunk = port.input();
        largest = qMax(largest, chunk.size());
        received += chunk;
    });

    const QByteArray data = randomBytes(100 * 1024, 7);
    constexpr qsizetype piece = 4096;
    for (qsizetype sent = 0; sent < data.size(); sent += piece) {
        QVERIFY(pty.pty.writeMaster(data.mid(sent, piece)));
        QTRY_COMPARE(received.size(), qMin(sent + piece, data.size()));
    }
    QCOMPARE(received, data);
    if (inputLength > 0)
        QVERIFY(largest <= inputLength);
}

void tst_CommPort::receiveThresholdCountsWaitingBytes()
{
    PtyPort pty(1);
    CommPort port;
    QCOMPARE(port.setRThreshold(0), 0);
    QCOMPARE(port.setPortOpen(true), 0);
    QSignalSpy events(&port, &CommPort::onComm);
    QVERIFY(pty.pty.writeMaster("ab"));
    QTRY_COMPARE(port.inBufferCount(), 2);
    QCOMPARE(events.count(), 0);

    QCOMPARE(port.setRThreshold(4), 0);
    QVERIFY(pty.pty.writeMaster("c"));
    QTRY_COMPARE(port.inBufferCount(), 3);
    QCOMPARE(events.count(), 0);
    QVERIFY(pty.pty.writeMaster("d"));
    QTRY_COMPARE(events.count(), 1);
    QCOMPARE(port.input(), QByteArray("abcd"));
}

void tst_CommPort::handlerThatDoesNotReadGetsOneEventPerArrival()
{
    PtyPort pty(1);
    CommPort port;
    QCOMPARE(port.setRThreshold(1), 0);
    QCOMPARE(port.setPortOpen(true), 0);
    int events = 0;
    connect(&port, &CommPort::onComm, this, [&] {
        // The first handler reads nothing but waits while more arrives.
        if (++events == 1) {
            QVERIFY(pty.pty.writeMaster("d"));
            waitMs(100);
        }
    });
    QVERIFY(pty.pty.writeMaster("abc"));
    QTRY_COMPARE(events, 2);
    waitMs(100);
    QCOMPARE(events, 2);
    QVERIFY(pty.pty.writeMaster("e"));
    QTRY_COMPARE(events, 3);
    QCOMPARE(port.input(), QByteArray("abcde"));
}

void tst_CommPort::nestedWaitGetsNoSecondReceiveEvent()
{
    PtyPort pty(1);
    CommPort port;
    QSerialPort::PinoutSignals lines = QSerialPort::NoSignal;
    port.setLineSource([&lines] { return std::optional(lines); });
    QCOMPARE(port.setRThreshold(1), 0);
    QCOMPARE(port.setPortOpen(true), 0);

    QList<int> events;
    QByteArray received;
    int depth = 0;
    int deepest = 0;
    int eventAfterWait = 0;
    connect(&port, &CommPort::onComm, this, [&] {
        events << port.commEvent();
        if (port.commEvent() != CommPort::EvReceive)
            return;
        deepest = qMax(deepest, ++depth);
        received += port.input();
        if (events.size() == 1) {
            // More bytes and a line change arrive while this handler waits.
            QVERIFY(pty.pty.writeMaster("second"));
            lines = QSerialPort::ClearToSendSignal;
            waitMs(150);
            eventAfterWait = port.commEvent();
        }
        --depth;
    });

    QVERIFY(pty.pty.writeMaster("first"));
    QTRY_COMPARE(received, QByteArray("firstsecond"));
    QCOMPARE(deepest, 1);
    QCOMPARE(eventAfterWait, int(CommPort::EvReceive));
    QCOMPARE(events, (QList<int> { CommPort::EvReceive, CommPort::EvCTS, CommPort::EvReceive }));
}

void tst_CommPort::clearInBufferDiscardsWaitingBytes()
{
    PtyPort pty(1);
    CommPort port;
    QCOMPARE(port.setPortOpen(true), 0);
    QVERIFY(pty.pty.writeMaster(randomBytes(300, 3)));
    QTRY_COMPARE(port.inBufferCount(), 300);
    QCOMPARE(port.clearInBuffer(), 0);
    QCOMPARE(port.inBufferCount(), 0);
    QVERIFY(port.input().isEmpty());
    QVERIFY(pty.pty.writeMaster("next"));
    QTRY_COMPARE(port.inBufferCount(), 4);
    QCOMPARE(port.input(), QByteArray("next"));
}

void tst_CommPort::outputReachesTheMasterExactly()
{
    PtyPort pty(1);
    CommPort port;
    QCOMPARE(port.setPortOpen(true), 0);
    const QByteArray data = randomBytes(4096, 11);
    for (char byte : data) {
        QCOMPARE(port.output(QByteArrayView(&byte, 1)), 0);
        int error = -1;
        port.outBufferCount(&error);
        QCOMPARE(error, 0);
    }
    QCOMPARE(pty.pty.readMasterExactly(data.size()), data);
}

void tst_CommPort::outputKeepsWhatTheOsCannotTakeYet()
{
    PtyPort pty(1);
    CommPort port;
    QCOMPARE(port.setPortOpen(true), 0);
    const QByteArray data = randomBytes(1024 * 1024, 5);
    // Later pieces meet a full OS queue, which QSerialPort reports as
    // ResourceError (EAGAIN): that is no failure of the device.
    constexpr qsizetype piece = 64 * 1024;
    for (qsizetype offset = 0; offset < data.size(); offset += piece)
        QCOMPARE(port.output(QByteArrayView(data).sliced(offset, piece)), 0);
    QVERIFY(port.portOpen());
    QVERIFY2(port.outBufferCount() > 0, "the pty cannot take a megabyte at once");

    QByteArray arrived;
    QSocketNotifier master(pty.pty.masterFd(), QSocketNotifier::Read);
    connect(&master, &QSocketNotifier::activated, this, [&] { arrived += pty.pty.readMaster(0); });
    QTRY_COMPARE_WITH_TIMEOUT(arrived.size(), data.size(), 20000);
    QCOMPARE(arrived, data);
    QCOMPARE(port.outBufferCount(), 0);
}

void tst_CommPort::clearOutBufferDiscardsWaitingBytes()
{
    PtyPort pty(1);
    CommPort port;
    QCOMPARE(port.setPortOpen(true), 0);
    const QByteArray data = randomBytes(1024 * 1024, 9);
    QCOMPARE(port.output(data), 0);
    QVERIFY(port.outBufferCount() > 0);
    QCOMPARE(port.clearOutBuffer(), 0);
    QCOMPARE(port.outBufferCount(), 0);
    QVERIFY(pty.pty.readMaster().size() < data.size());
    QCOMPARE(port.output("after"), 0);
    QCOMPARE(pty.pty.readMaster(), QByteArray("after"));
}

void tst_CommPort::handshakingReachesTheDevice_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("hardware");
    QTest::addColumn<bool>("software");
    QTest::newRow("0 none") << 0 << false << false;
    QTest::newRow("1 XON/XOFF") << 1 << false << true;
    QTest::newRow("2 RTS/CTS") << 2 << true << false;
    QTest::newRow("3 RTS/CTS and XON/XOFF") << 3 << true << true;
}

void tst_CommPort::handshakingReachesTheDevice()
{
    QFETCH(int, mode);
    QFETCH(bool, hardware);
    QFETCH(bool, software);
    PtyPort pty(1);
    const SlaveView slave(pty.pty);
    CommPort port;
    QCOMPARE(port.setHandshaking(mode), 0);
    for (int open = 0; open < 2; ++open) {
        QCOMPARE(port.setPortOpen(true), 0);
        QCOMPARE(slave.hardwareFlow(), hardware);
        QCOMPARE(slave.softwareFlow(), software);
        QCOMPARE(port.setPortOpen(false), 0);
    }

    QCOMPARE(port.setHandshaking(mode == 0 ? 3 : 0), 0);
    QCOMPARE(port.setPortOpen(true), 0);
    QCOMPARE(port.setHandshaking(mode), 0);
    QCOMPARE(slave.hardwareFlow(), hardware);
    QCOMPARE(slave.softwareFlow(), software);
    QCOMPARE(port.handshaking(), mode);
}

void tst_CommPort::baudChangeWhileOpenReachesTheDevice()
{
    PtyPort pty(1);
    CommPort port;
    QCOMPARE(port.setSettings(QStringLiteral("38400,N,8,1")), 0);
    QCOMPARE(port.setPortOpen(true), 0);
    QCOMPARE(pty.pty.slaveBaudRate(), 38400);
    QCOMPARE(port.setSettings(QStringLiteral("115200,N,8,1")), 0);
    QCOMPARE(pty.pty.slaveBaudRate(), 115200);
    QCOMPARE(port.settings(), QStringLiteral("115200,N,8,1"));
}

void tst_CommPort::refusedSettingChangesNothing_data()
{
    // A pty takes neither parity nor data bits other than 8.
    QTest::addColumn<QString>("settings");
    QTest::addColumn<int>("error");
    QTest::newRow("even parity") << "9600,E,8,1" << int(CommPort::CannotSetCommState);
    QTest::newRow("7 data bits") << "9600,N,7,1" << int(CommPort::InvalidByteSize);
    QTest::newRow("new baud, then 7 data bits") << "19200,N,7,1" << int(CommPort::InvalidByteSize);
}

void tst_CommPort::refusedSettingChangesNothing()
{
    QFETCH(QString, settings);
    QFETCH(int, error);
    PtyPort pty(1);
    CommPort port;
    QCOMPARE(port.setPortOpen(true), 0);
    QCOMPARE(port.setSettings(settings), error);
    QCOMPARE(port.settings(), QStringLiteral("9600,N,8,1"));
    QCOMPARE(pty.pty.slaveBaudRate(), 9600);
    QVERIFY(port.portOpen());
    QCOMPARE(port.output("still works"), 0);
    QCOMPARE(pty.pty.readMaster(), QByteArray("still works"));
}

void tst_CommPort::refusedStoredSettingFailsTheOpen()
{
    PtyPort pty(1);
    CommPort port;
    QCOMPARE(port.setSettings(QStringLiteral("9600,E,8,1")), 0);
    QCOMPARE(port.setPortOpen(true), int(CommPort::CannotSetCommState));
    QVERIFY(!port.portOpen());
    QCOMPARE(port.setSettings(QStringLiteral("9600,N,8,1")), 0);
    QCOMPARE(port.setPortOpen(true), 0);
}

void tst_CommPort::lineChangesRaiseOneEventEach()
{
    PtyPort pty(1);
    CommPort port;
    QSerialPort::PinoutSignals lines = QSerialPort::DataCarrierDetectSignal;
    port.setLineSource([&lines] { return std::optional(lines); });
    QCOMPARE(port.setPortOpen(true), 0);
    QList<int> events;
    connect(&port, &CommPort::onComm, this, [&] { events << port.commEvent(); });

    lines |= QSerialPort::ClearToSendSignal;
    QTRY_COMPARE(events, QList<int> { CommPort::EvCTS });
    waitMs(100);
    QCOMPARE(events, QList<int> { CommPort::EvCTS });

    events.clear();
    lines |= QSerialPort::DataSetReadySignal;
    QTRY_COMPARE(events, QList<int> { CommPort::EvDSR });

    events.clear();
    lines = QSerialPort::DataSetReadySignal | QSerialPort::RingIndicatorSignal;
    QTRY_COMPARE(events, (QList<int> { CommPort::EvCTS, CommPort::EvCD, CommPort::EvRing }));

    events.clear();
    lines |= QSerialPort::DataTerminalReadySignal;
    waitMs(100);
    QVERIFY2(events.isEmpty(), "only CTS, DSR, CD and RI raise events");
}

void tst_CommPort::unsupportedLineQueryStopsPolling()
{
    PtyPort pty(1);
    CommPort port;
    int queries = 0;
    port.setLineSource([&queries]() -> std::optional<QSerialPort::PinoutSignals> {
        ++queries;
        return std::nullopt;
    });
    QCOMPARE(port.setPortOpen(true), 0);
    waitMs(100);
    QCOMPARE(queries, 1);
    QCOMPARE(port.setPortOpen(false), 0);
    QCOMPARE(port.setPortOpen(true), 0);
    waitMs(100);
    QCOMPARE(queries, 2);
}

void tst_CommPort::ptyLineQueryStopsQuietly()
{
    QTest::failOnWarning(QRegularExpression(QStringLiteral(".")));
    PtyPort pty(1);
    CommPort port;
    QSignalSpy events(&port, &CommPort::onComm);
    QSignalSpy failures(&port, &CommPort::failed);
    QCOMPARE(port.setPortOpen(true), 0);
    waitMs(100);
    QCOMPARE(events.count(), 0);
    QCOMPARE(failures.count(), 0);
    QVERIFY(port.portOpen());
    // The pty's refusal is not left behind as an error of the port.
    QCOMPARE(port.output("ok"), 0);
    QCOMPARE(pty.pty.readMaster(), QByteArray("ok"));

    QSerialPort::PinoutSignals lines = QSerialPort::NoSignal;
    port.setLineSource([&lines] { return std::optional(lines); });
    lines = QSerialPort::DataSetReadySignal;
    QTRY_COMPARE(events.count(), 1);
}

void tst_CommPort::lostDeviceIsReportedOnceAndPortReopens()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString link = dir.filePath(QStringLiteral("COM2"));
    qputenv("VELTRIN_COM2", link.toLocal8Bit());
    auto first = std::make_unique<PtyPair>();
    QVERIFY(QFile::link(first->slavePath(), link));

    CommPort port;
    QCOMPARE(port.setPortNumber(2), 0);
    QCOMPARE(port.setPortOpen(true), 0);
    QSignalSpy failures(&port, &CommPort::failed);
    first->closeMaster();
    QVERIFY(failures.wait());
    waitMs(200);
    QCOMPARE(failures.count(), 1);
    QCOMPARE(failures.at(0).at(0).toInt(), int(CommPort::CommReadError));
    QVERIFY(!port.portOpen());
    QCOMPARE(port.setPortOpen(true), int(CommPort::InvalidPortNumber));

    PtyPair second;
    QVERIFY(QFile::remove(link));
    QVERIFY(QFile::link(second.slavePath(), link));
    QCOMPARE(port.setPortOpen(true), 0);
    QCOMPARE(port.output("back"), 0);
    QCOMPARE(second.readMaster(), QByteArray("back"));
    QCOMPARE(failures.count(), 1);
    qunsetenv("VELTRIN_COM2");
}

void tst_CommPort::outputToLostDeviceReturnsTheError()
{
    PtyPort pty(1);
    CommPort port;
    QCOMPARE(port.setPortOpen(true), 0);
    QSignalSpy failures(&port, &CommPort::failed);
    QSignalSpy openStates(&port, &CommPort::openChanged);
    pty.pty.closeMaster();
    // The write meets the hang-up before the event loop does: the caller gets
    // the number to stop on, the port closes, and failed() reports it once,
    // with the number of a lost device and not of a locked one.
    QCOMPARE(port.output("x"), int(CommPort::CommReadError));
    QVERIFY(!port.portOpen());
    QCOMPARE(port.deviceFailure(), int(CommPort::CommReadError));
    waitMs(100);
    QCOMPARE(failures.count(), 1);
    QCOMPARE(failures.at(0).at(0).toInt(), int(CommPort::CommReadError));
    QCOMPARE(openStates.count(), 1);
    QCOMPARE(openStates.at(0).at(0).toBool(), false);
    QCOMPARE(port.output("x"), int(CommPort::PortNotOpen));
}

QTEST_GUILESS_MAIN(tst_CommPort)
#include "tst_commport.moc"
