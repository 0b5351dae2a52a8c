// The simulator played as a USB adapter that is pulled out and plugged back,
// against the program's own serial port opened at the simulator's link, as
// Veltrin opens VELTRIN_COM3. A pty going away is the nearest a machine
// without the adapter comes to an unplug: the port's open descriptor meets a
// hang-up and the device path stops naming anything.

#include "hostsim/HostSimulator.h"
#include "serial/CommPort.h"

#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray frame(const char *hexCodeAndArguments)
{
    return QByteArray::fromHex("16066A660A03") + QByteArray::fromHex(hexCodeAndArguments);
}

constexpr int awayMs = 300;

} // namespace

class tst_HostSimReplug : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void unplugIsOneLossToThePortAndTheModuleAnswersAfterIt();
    void unplugWhileAwayIsRefused();
    void plannedReplugsRunTheirCount();

private:
    bool startSimulator(HostOptions options);
    bool openPort();

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<HostSimulator> m_simulator;
    std::unique_ptr<CommPort> m_port;
    QString m_link;
    QByteArray m_received;
};

void tst_HostSimReplug::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_link = m_dir->filePath(QStringLiteral("COM3"));
    m_received.clear();
}

void tst_HostSimReplug::cleanup()
{
    m_port.reset();
    m_simulator.reset();
    m_dir.reset();
}

bool tst_HostSimReplug::startSimulator(HostOptions options)
{
    options.linkPath = m_link;
    m_simulator = std::make_unique<HostSimulator>(options);
    QString error;
    return m_simulator->start(&error);
}

bool tst_HostSimReplug::openPort()
{
    m_port = std::make_unique<CommPort>();
    connect(m_port.get(), &CommPort::onComm, this, [this] {
        if (m_port->commEvent() == CommPort::EvReceive)
            m_received += m_port->input();
    });
    return m_port->setDevicePath(m_link) == 0 && m_port->setRThreshold(1) == 0
        && m_port->setPortOpen(true) == 0;
}

void tst_HostSimReplug::unplugIsOneLossToThePortAndTheModuleAnswersAfterIt()
{
    QVERIFY(startSimulator({}));
    QVERIFY(openPort());
    // A host channel set before the loss, to ask for after it.
    QCOMPARE(m_port->output(frame("0C21")), 0);
    QTRY_COMPARE(m_simulator->module().hostChannel(), 33);
    QSignalSpy failures(m_port.get(), &CommPort::failed);
    QSignalSpy returns(m_simulator.get(), &HostSimulator::pluggedBack);

    QVERIFY(m_simulator->unplugFor(awayMs));
    QVERIFY(!QFileInfo::exists(m_link));
    QVERIFY(failures.wait());
    QVERIFY(!m_port->portOpen());
    QCOMPARE(m_port->setPortOpen(true), int(CommPort::InvalidPortNumber));

    QVERIFY(returns.wait(10 * awayMs));
    QCOMPARE(failures.count(), 1);
    QCOMPARE(failures.at(0).at(0).toInt(), int(CommPort::CommReadError));
    QCOMPARE(QFileInfo(m_link).symLinkTarget(), m_simulator->slavePath());
    QCOMPARE(returns.at(0).at(0).toString(), m_simulator->slavePath());

    QCOMPARE(m_port->setPortOpen(true), 0);
    m_received.clear();
    QCOMPARE(m_port->output(frame("13")), 0);
    QTRY_COMPARE(m_received, QByteArray("\x21"));
    QCOMPARE(failures.count(), 1);
}

void tst_HostSimReplug::unplugWhileAwayIsRefused()
{
    QVERIFY(startSimulator({}));
    QSignalSpy losses(m_simulator.get(), &HostSimulator::unplugged);
    QVERIFY(m_simulator->unplugFor(awayMs));
    QVERIFY(!m_simulator->isPluggedIn());
    QVERIFY(!m_simulator->unplugFor(awayMs));
    QCOMPARE(losses.count(), 1);
    QTRY_VERIFY_WITH_TIMEOUT(m_simulator->isPluggedIn(), 10 * awayMs);
    QVERIFY(m_simulator->unplugFor(awayMs));
    QCOMPARE(losses.count(), 2);
}

void tst_HostSimReplug::plannedReplugsRunTheirCount()
{
    HostOptions options;
    options.replugAfterMs = 100;
    options.awayMs = 100;
    options.replugs = 3;
    QVERIFY(startSimulator(options));
    QSignalSpy losses(m_simulator.get(), &HostSimulator::unplugged);
    QSignalSpy returns(m_simulator.get(), &HostSimulator::pluggedBack);
    QTRY_COMPARE_WITH_TIMEOUT(returns.count(), 3, 5000);
    QCOMPARE(losses.count(), 3);
    QCOMPARE(losses.at(0).at(0).toInt(), 100);
    QTest::qWait(3 * (options.replugAfterMs + options.awayMs));
    QCOMPARE(losses.count(), 3);
    QVERIFY(m_simulator->isPluggedIn());
    QVERIFY(QFileInfo::exists(m_link));
}

QTEST_GUILESS_MAIN(tst_HostSimReplug)
#include "tst_hostsimreplug.moc"
