#include "engine/KitEngine.h"

#include "serial/CommErrorReport.h"

KitEngine::KitEngine(UserChannels &channels, ReceiveSink &sink, QObject *parent)
    : QObject(parent)
    , m_channels(channels)
    , m_transmitter(m_port, channels)
    , m_commEvents(m_port, m_transmitter, channels, sink)
    , m_portSettings(m_port, channels)
    , m_exchange(m_port, m_transmitter, m_commEvents)
    , m_parser(m_transmitter, channels)
{
    connect(&m_port, &CommPort::onComm, &m_commEvents, &CommEventHandler::MSComm1_OnComm);
    // The port emits failed() from the event loop, once per vanished device.
    connect(&m_port, &CommPort::failed, this,
        [this](int number) { ReportCommError(m_channels, number, deviceLostCause()); });
}
