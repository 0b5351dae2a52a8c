#include "KitSession.h"

#include "CliChannels.h"
#include "CliRequest.h"
#include "serial/CommErrorReport.h"

#include <QRegularExpression>

KitSession::KitSession(CliChannels &channels, QObject *parent)
    : QObject(parent)
    , m_channels(channels)
    , m_engine(channels, *this)
{
    connect(&transmitter(), &Transmitter::sendEnded, this, [this](bool completed) {
        if (!completed)
            m_sendFailed = true;
    });
}

bool KitSession::open(const CliRequest &request)
{
    PortSettings &settings = portSettings();
    settings.ApplyPortDefaults();
    static const QRegularExpression comName(
        QStringLiteral("^COM([1-6])$"), QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch com = comName.match(request.port);
    const int error
        = com.hasMatch() ? port().setPortNumber(com.captured(1).toInt()) : port().setDevicePath(request.port);
    if (error != CommPort::NoError)
        ReportCommError(m_channels, error);
    settings.SelectBaudRate(request.baudIndex);
    settings.SelectHandshake(request.handshaking);
    exchange().setReplyDeadlineMs(request.timeoutMs);
    if (!m_channels.portFailed())
        settings.OpenPort();
    if (m_channels.portFailed()) {
        m_channels.diagnostic(QStringLiteral("cannot use %1 (%2)").arg(request.port, port().devicePath()));
        return false;
    }
    return true;
}

bool KitSession::failed() const
{
    return m_sendFailed || m_channels.portFailed() || m_engine.port().deviceFailure() != 0;
}

void KitSession::appendReceived(QByteArrayView bytes)
{
    Q_EMIT received(bytes.toByteArray());
}
