#include "serial/DeviceReturnWatch.h"

#include "interfaces/UserChannels.h"
#include "serial/CommPort.h"
#include "serial/PortSettings.h"
#include "serial/SerialPortCatalog.h"

#include <QDir>
#include <QFileInfo>

DeviceReturnWatch::DeviceReturnWatch(CommPort &port, PortSettings &settings, SerialPortCatalog &catalog,
    UserChannels &channels, QObject *parent)
    : QObject(parent)
    , m_port(port)
    , m_settings(settings)
    , m_catalog(catalog)
    , m_channels(channels)
{
    // A device node can appear a little before it can be opened; a failed
    // try is repeated at the catalog's pace, quietly.
    m_retry.setInterval(SerialPortCatalog::pollIntervalMs);
    connect(&m_retry, &QTimer::timeout, this, &DeviceReturnWatch::tryReopen);
    connect(&m_catalog, &SerialPortCatalog::changed, this, [this] {
        if (m_waiting)
            tryReopen();
        else if (!m_listed && !m_openedPath.isEmpty())
            identify();
    });
    connect(&m_port, &CommPort::openChanged, this, [this](bool open) {
        if (open)
            remember();
    });
    connect(&m_port, &CommPort::failed, this, &DeviceReturnWatch::startWaiting);
    connect(&m_settings, &PortSettings::portReleased, this, &DeviceReturnWatch::forget);
}

DeviceReturnWatch::~DeviceReturnWatch()
{
    stopWaiting();
}

void DeviceReturnWatch::setEnabled(bool enabled)
{
    m_enabled = enabled;
    if (!enabled)
        forget();
    else if (m_port.portOpen())
        remember();
}

void DeviceReturnWatch::remember()
{
    if (!m_enabled)
        return;
    m_openedPath = m_port.devicePath();
    m_listed = false;
    m_device = SerialPortEntry { m_openedPath };
    identify();
    // The list as last scanned may not have the device yet (it was plugged
    // in a moment ago); the scan asked for here names it when it ends.
    m_catalog.requestScan();
}

void DeviceReturnWatch::identify()
{
    for (const SerialPortEntry &entry : m_catalog.ports()) {
        if (entry.isNamedBy(m_openedPath)) {
            m_device = entry;
            m_listed = true;
            return;
        }
    }
}

void DeviceReturnWatch::startWaiting()
{
    if (!m_enabled || m_openedPath.isEmpty() || m_waiting)
        return;
    m_waiting = true;
    m_catalog.startWatching();
    m_retry.start();
}

void DeviceReturnWatch::stopWaiting()
{
    if (!m_waiting)
        return;
    m_waiting = false;
    m_retry.stop();
    m_catalog.stopWatching();
}

void DeviceReturnWatch::forget()
{
    stopWaiting();
    m_openedPath.clear();
}

QString DeviceReturnWatch::returnedPath()
{
    if (!m_listed)
        return QFileInfo::exists(m_openedPath) ? m_openedPath : QString();
    const std::optional<SerialPortEntry> found = m_catalog.find(m_device);
    if (!found)
        return QString();
    m_device = *found;
    // Opened by a stable link that still names it, it is reopened by that
    // link; otherwise by wherever the system put it now.
    return found->isNamedBy(m_openedPath) ? m_openedPath : found->systemLocation;
}

void DeviceReturnWatch::tryReopen()
{
    if (!m_waiting || m_port.portOpen())
        return;
    const QString path = returnedPath();
    if (path.isEmpty())
        return;
    const int index = m_settings.selectedPortIndex();
    if (path != m_port.devicePath())
        m_settings.bindDevice(index, path);
    if (m_port.setPortOpen(true) != CommPort::NoError)
        return;
    stopWaiting();
    const QString device = m_listed ? m_device.displayText() : QDir::toNativeSeparators(path);
    const QString text = QStringLiteral("%1 已重新打开：%2").arg(PortSettings::portCaption(index), device);
    m_channels.ShowStatusText(text);
    Q_EMIT reopened(text);
}
