#include "serial/PortSettings.h"

#include "interfaces/UserChannels.h"
#include "serial/CommErrorReport.h"
#include "serial/CommPort.h"

#include <QStringList>

namespace {

const char *const baudRates[] = { "9600", "19200", "38400", "115200" };
constexpr int baudRateCount = 4;

int baudIndex(const QString &baud)
{
    for (int index = 0; index < baudRateCount; ++index) {
        if (baud == QLatin1String(baudRates[index]))
            return index;
    }
    return -1;
}

} // namespace

PortSettings::PortSettings(CommPort &port, UserChannels &channels, QObject *parent)
    : QObject(parent)
    , m_port(port)
    , m_channels(channels)
{
    connect(&m_port, &CommPort::openChanged, this, &PortSettings::portOpenChanged);
}

QString PortSettings::portCaption(int index)
{
    return QStringLiteral("COM%1").arg(index + 1);
}

QString PortSettings::baudCaption(int index)
{
    return QLatin1String(baudRates[index]) + QLatin1String("bps");
}

void PortSettings::report(int errorNumber)
{
    // A device that went away under the operation is reported by the port.
    if (errorNumber != CommPort::NoError && m_port.deviceFailure() == 0)
        ReportCommError(m_channels, errorNumber);
}

void PortSettings::reportOpen(int errorNumber)
{
    if (errorNumber != CommPort::NoError && m_port.deviceFailure() == 0)
        ReportCommError(m_channels, errorNumber, openFailureCause(m_port.devicePath(), m_catalog));
}

// The port number, and the device bound to it if there is one.
int PortSettings::usePort(int index)
{
    const int error = m_port.setPortNumber(index + 1);
    const auto bound = m_boundDevices.constFind(index);
    if (error != CommPort::NoError || bound == m_boundDevices.constEnd())
        return error;
    return m_port.setDevicePath(*bound);
}

void PortSettings::ApplyPortDefaults()
{
    ClosePort();
    report(usePort(2));
    report(m_port.setSettings(QStringLiteral("38400,N,8,1")));
    report(m_port.setInputLength(512));
    report(m_port.setInBufferSize(512));
    report(m_port.setOutBufferSize(1024));
    report(m_port.setInputMode(1));
    report(m_port.setRThreshold(1));
    report(m_port.setSThreshold(0));
    report(m_port.setHandshaking(2));
    SelectedBaud = QStringLiteral("38400");
}

void PortSettings::SelectPort(int index)
{
    ClosePort();
    if (const int error = usePort(index))
        report(error);
    else
        reportOpen(m_port.setPortOpen(true));
    m_channels.ShowStatusText(QStringLiteral("Port setting : ") + portCaption(index));
}

void PortSettings::SelectDevice(int index, const QString &path)
{
    ClosePort();
    bindDevice(index, path);
    SelectPort(index);
}

void PortSettings::bindDevice(int index, const QString &path)
{
    m_boundDevices.insert(index, path);
    if (!m_port.portOpen() && selectedPortIndex() == index)
        report(usePort(index));
    Q_EMIT deviceBound(index);
}

QString PortSettings::devicePath(int index) const
{
    return m_boundDevices.value(index, CommPort::devicePathFor(index + 1));
}

int PortSettings::selectedPortIndex() const
{
    return m_port.portNumber() - 1;
}

void PortSettings::SelectBaudRate(int index)
{
    const QStringList fields = m_port.settings().split(QLatin1Char(','));
    if (index < 0 || index >= baudRateCount) {
        m_channels.messageBox(QStringLiteral("system erron!"), 0, QStringLiteral("Veltrin"));
        return;
    }
    const QString baud = QLatin1String(baudRates[index]);
    // Only the baud field changes; parity, data and stop bits stand as they were.
    const QStringList rest = fields.mid(1);
    const int error = m_port.setSettings(baud + QLatin1Char(',') + rest.join(QLatin1Char(',')));
    if (error != CommPort::NoError) {
        // The device refused the speed and runs on at the old one: the
        // option and SelectedBaud go on saying so, and the status line does
        // not claim the new one.
        Q_EMIT baudRateSelected(selectedBaudIndex());
        report(error);
        return;
    }
    SelectedBaud = baud;
    Q_EMIT baudRateSelected(index);
    m_channels.ShowStatusText(QStringLiteral("Baud rate setting : ") + baudCaption(index));
}

void PortSettings::SelectHandshake(int index)
{
    if (index >= 0 && index <= 3)
        report(m_port.setHandshaking(index));
}

void PortSettings::OpenPort()
{
    if (!m_port.portOpen())
        reportOpen(m_port.setPortOpen(true));
}

int PortSettings::selectedBaudIndex() const
{
    return baudIndex(SelectedBaud);
}

bool PortSettings::portOpen() const
{
    return m_port.portOpen();
}

void PortSettings::ClosePort()
{
    Q_EMIT portReleased();
    if (m_port.portOpen())
        report(m_port.setPortOpen(false));
}
