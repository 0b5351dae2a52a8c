#include "hostsim/HostSimulator.h"
#include "serial/CommPort.h"

#include <QTest>

namespace {

QByteArray frame(const char *hexCodeAndArguments)
{
    return QByteArray::fromHex("16066A660A03") + QByteArray::fromHex(hexCodeAndArguments);
}

} // namespace

// The program's own serial port against the simulator, as Veltrin runs with
// VELTRIN_COM3 pointing at it.
class tst_HostSimCommPort : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void queriesAreAnsweredOnTheProgramsPort();
    void printTestDataReachesTheSelectedPrinter();

private:
    bool openPort();

    std::unique_ptr<HostSimulator> m_simulator;
    std::unique_ptr<CommPort> m_port;
    QByteArray m_received;
};

void tst_HostSimCommPort::init()
{
    HostOptions options;
    options.searchTimeMs = 100;
    m_simulator = std::make_unique<HostSimulator>(options);
    QString error;
    QVERIFY2(m_simulator->start(&error), qPrintable(error));
    qputenv("VELTRIN_COM3", m_simulator->slavePath().toLocal8Bit());
    m_received.clear();
    QVERIFY(openPort());
}

void tst_HostSimCommPort::cleanup()
{
    m_port.reset();
    m_simulator.reset();
    qunsetenv("VELTRIN_COM3");
}

bool tst_HostSimCommPort::openPort()
{
    m_port = std::make_unique<CommPort>();
    connect(m_port.get(), &CommPort::onComm, this, [this] {
        if (m_port->commEvent() == CommPort::EvReceive)
            m_received += m_port->input();
    });
    return m_port->setPortNumber(3) == 0 && m_port->setSettings(QStringLiteral("38400,N,8,1")) == 0
        && m_port->setRThreshold(1) == 0 && m_port->setPortOpen(true) == 0;
}

void tst_HostSimCommPort::queriesAreAnsweredOnTheProgramsPort()
{
    QCOMPARE(m_port->output(frame("0F02")), 0);
    QTRY_COMPARE(m_received, QByteArray("\x01"));
    QCOMPARE(m_port->output(frame("13")), 0);
    QTRY_COMPARE(m_received, QByteArray("\x01\x14"));
    m_received.clear();
    QCOMPARE(m_port->output(frame("0E1216")), 0);
    QTRY_COMPARE(m_received, QByteArray::fromHex("12131516"));
}

void tst_HostSimCommPort::printTestDataReachesTheSelectedPrinter()
{
    // The print-test panel's frame with printers 2 and 4 ticked, then its data.
    QCOMPARE(m_port->output(frame("0D0A") + "ABC\r\n"), 0);
    QTRY_COMPARE(m_simulator->printed(4), QByteArray("ABC\r\n"));
    QCOMPARE(m_simulator->printed(2), QByteArray("ABC\r\n"));
    QVERIFY(m_simulator->printed(1).isEmpty());
    QTRY_COMPARE(m_received, QByteArray("\x01"));

    // Closing and reopening the port, as the program does, keeps the line.
    QCOMPARE(m_port->setPortOpen(false), 0);
    QVERIFY(openPort());
    QCOMPARE(m_port->output("D"), 0);
    QTRY_COMPARE(m_simulator->printed(4), QByteArray("ABC\r\nD"));
}

QTEST_GUILESS_MAIN(tst_HostSimCommPort)
#include "tst_hostsimcommport.moc"
