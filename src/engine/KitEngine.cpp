#include "engine/KitEngine.h"

#include "interfaces/UserChannels.h"
#include "serial/CommErrorReport.h"

#include <algorithm>

KitEngine::KitEngine(
    UserChannels &channels, ReceiveSink &sink, SerialPortCatalog::Source portSource, QObject *parent)
    : QObject(parent)
    , m_channels(channels)
    , m_transmitter(m_port, channels)
    , m_commEvents(m_port, m_transmitter, channels, sink)
    , m_portSettings(m_port, channels)
    , m_exchange(m_port, m_transmitter, m_commEvents)
    , m_parser(m_transmitter, channels)
    , m_returnWatch(m_port, m_portSettings, m_catalog, channels)
{
    if (portSource)
        m_catalog.setSource(std::move(portSource));
    m_transmitter.setPortCatalog(&m_catalog);
    m_portSettings.setPortCatalog(&m_catalog);
    connect(&m_port, &CommPort::onComm, &m_commEvents, &CommEventHandler::MSComm1_OnComm);
    // The port emits failed() from the event loop, once per vanished device.
    // The tip is modal, and the port reopens by itself while it is open: on
    // a bench left alone, a device that goes again would open a tip inside
    // the tip, one event loop deeper each time, until reading stopped. The
    // open tip already says the device went; the status bar tells each return.
    connect(&m_port, &CommPort::failed, this, [this](int number) {
        if (m_tellingLoss)
            return;
        m_tellingLoss = true;
        ReportCommError(m_channels, number, deviceLostCause(m_returnWatch.isEnabled()));
        m_tellingLoss = false;
    });
}

void KitEngine::takeKitAdapter()
{
    if (!qEnvironmentVariableIsSet("VELTRIN_COM3"))
        connect(&m_catalog, &SerialPortCatalog::scanned, this, &KitEngine::adoptKitAdapter,
            Qt::SingleShotConnection);
    // Scanned in any case: a port that fails to open later is reported with
    // the adapters present, from the list as it stands.
    m_catalog.requestScan();
}

void KitEngine::adoptKitAdapter()
{
    constexpr int com3 = 2;
    const QString own = CommPort::devicePathFor(com3 + 1);
    const QList<SerialPortEntry> ports = m_catalog.ports();
    if (std::any_of(ports.begin(), ports.end(),
            [&own](const SerialPortEntry &entry) { return entry.isNamedBy(own); }))
        return;
    const SerialPortCatalog::UsbChoice choice = m_catalog.usbChoice();
    if (choice.found != SerialPortCatalog::UsbChoice::Found::One)
        return;
    const SerialPortEntry &adapter = choice.ports.first();
    m_portSettings.bindDevice(com3, adapter.stablePath());
    m_channels.ShowStatusText(
        QStringLiteral("%1 → %2").arg(PortSettings::portCaption(com3), adapter.displayText()));
}

KitEngine::JobScope::JobScope(KitEngine &engine)
    : m_engine(engine)
{
    m_engine.setJobRunning(true);
}

KitEngine::JobScope::~JobScope()
{
    m_engine.setJobRunning(false);
}

void KitEngine::setJobRunning(bool running)
{
    if (m_jobRunning == running)
        return;
    m_jobRunning = running;
    Q_EMIT jobRunningChanged(running);
}
