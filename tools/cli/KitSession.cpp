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
    const bool automatic = request.port == QLatin1String("auto");
    if (automatic && !chooseUsbPort())
        return false;
    if (const int error = automatic ? CommPort::NoError : choosePort(request.port))
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

int KitSession::choosePort(const QString &name)
{
    static const QRegularExpression comName(
        QStringLiteral("^COM([1-6])$"), QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch com = comName.match(name);
    if (com.hasMatch())
        return port().setPortNumber(com.captured(1).toInt());
    return port().setDevicePath(name);
}

// No port is guessed among several: the user names one of those listed.
bool KitSession::chooseUsbPort()
{
    catalog().refresh();
    const SerialPortCatalog::UsbChoice choice = catalog().usbChoice();
    if (choice.found == SerialPortCatalog::UsbChoice::Found::One) {
        m_channels.diagnostic(QStringLiteral("auto: %1").arg(choice.ports.first().displayText()));
        if (const int error = port().setDevicePath(choice.ports.first().stablePath()))
            ReportCommError(m_channels, error);
        return true;
    }
    QString text = choice.found == SerialPortCatalog::UsbChoice::Found::None
        ? QStringLiteral("--port auto: no USB serial port is present")
        : QStringLiteral("--port auto: several USB serial ports are present; name one with --port:");
    for (const SerialPortEntry &entry : choice.ports)
        text += QStringLiteral("\n  %1").arg(entry.displayText());
    m_channels.diagnostic(text);
    return false;
}

bool KitSession::failed() const
{
    return m_sendFailed || m_channels.portFailed() || m_engine.port().deviceFailure() != 0;
}

void KitSession::clearFailures()
{
    m_sendFailed = false;
    m_channels.clearFailures();
}

void KitSession::appendReceived(QByteArrayView bytes)
{
    Q_EMIT received(bytes.toByteArray());
}
