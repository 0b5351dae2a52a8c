#include "KitSession.h"

#include "CliChannels.h"
#include "CliRequest.h"
#include "serial/CommErrorReport.h"

#include <QRegularExpression>

KitSession::KitSession(CliChannels &channels, QObject *parent)
    : QObject(parent)
    , m_channels(channels)
    , m_transmitter(m_port, channels)
    , m_commEvents(m_port, m_transmitter, channels, *this)
    , m_portSettings(m_port, channels)
    , m_exchange(m_port, m_transmitter, m_commEvents)
    , m_parser(m_transmitter, channels)
{
    connect(&m_port, &CommPort::onComm, &m_commEvents, &CommEventHandler::MSComm1_OnComm);
    // The port emits failed() from the event loop, once per vanished device.
    connect(&m_port, &CommPort::failed, this,
        [this](int number) { ReportCommError(m_channels, number, deviceLostCause()); });
    connect(&m_transmitter, &Transmitter::sendEnded, this, [this](bool completed) {
        if (!completed)
            m_sendFailed = true;
    });
}

bool KitSession::open(const CliRequest &request)
{
    m_portSettings.ApplyPortDefaults();
    static const QRegularExpression comName(
        QStringLiteral("^COM([1-6])$"), QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch com = comName.match(request.port);
    const int error
        = com.hasMatch() ? m_port.setPortNumber(com.captured(1).toInt()) : m_port.setDevicePath(request.port);
    if (error != CommPort::NoError)
        ReportCommError(m_channels, error);
    m_portSettings.SelectBaudRate(request.baudIndex);
    m_portSettings.SelectHandshake(request.handshaking);
    m_exchange.setReplyDeadlineMs(request.timeoutMs);
    if (!m_channels.portFailed())
        m_portSettings.OpenPort();
    if (m_channels.portFailed()) {
        m_channels.diagnostic(QStringLiteral("cannot use %1 (%2)").arg(request.port, m_port.devicePath()));
        return false;
    }
    return true;
}

bool KitSession::failed() const
{
    return m_sendFailed || m_channels.portFailed() || m_port.deviceFailure() != 0;
}

void KitSession::appendReceived(QByteArrayView bytes)
{
    Q_EMIT received(bytes.toByteArray());
}
