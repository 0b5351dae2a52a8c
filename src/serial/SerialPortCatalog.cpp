#include "serial/SerialPortCatalog.h"

#include "serial/SerialPortListFile.h"
#include "serial/SerialPortScanner.h"

#include <algorithm>
#include <memory>

namespace {

// A list file stands in for the system's list, read where it is asked.
SerialPortCatalog::Source systemSource()
{
    const QString listFile = qEnvironmentVariable(SerialPortListFile::variable);
    if (listFile.isEmpty())
        return {};
    return [listFile] { return SerialPortListFile::read(listFile); };
}

} // namespace

SerialPortCatalog::SerialPortCatalog(QObject *parent)
    : QObject(parent)
    , m_source(systemSource())
{
    m_pollTimer.setInterval(pollIntervalMs);
    connect(&m_pollTimer, &QTimer::timeout, this, &SerialPortCatalog::requestScan);
    m_scanThread.setObjectName(QStringLiteral("serial port scan"));
}

SerialPortCatalog::~SerialPortCatalog()
{
    m_scanThread.quit();
    m_scanThread.wait();
}

void SerialPortCatalog::setSource(Source source)
{
    m_source = source ? std::move(source) : systemSource();
    refresh();
}

SerialPortScanner &SerialPortCatalog::scanner()
{
    if (!m_scanner) {
        m_scanner = std::make_unique<SerialPortScanner>();
        m_scanner->moveToThread(&m_scanThread);
        m_scanThread.start();
    }
    return *m_scanner;
}

void SerialPortCatalog::refresh()
{
    const quint64 number = ++m_asked;
    QList<SerialPortEntry> ports;
    if (m_source) {
        ports = m_source();
    } else {
        SerialPortScanner &onThread = scanner();
        QMetaObject::invokeMethod(
            &onThread, [&onThread] { return onThread.scan(); }, Qt::BlockingQueuedConnection, &ports);
    }
    take(number, std::move(ports));
    Q_EMIT scanned();
}

void SerialPortCatalog::requestScan()
{
    if (m_source) {
        refresh();
        return;
    }
    if (m_backgroundScanRunning) {
        m_scanAgain = true;
        return;
    }
    scanInBackground();
}

void SerialPortCatalog::scanInBackground()
{
    m_backgroundScanRunning = true;
    m_scanAgain = false;
    const quint64 number = ++m_asked;
    SerialPortScanner &onThread = scanner();
    // The answer is posted back to this object's thread: the scan thread
    // never touches the catalog, and the catalog outlives the thread.
    QMetaObject::invokeMethod(&onThread, [this, &onThread, number] {
        QList<SerialPortEntry> ports = onThread.scan();
        QMetaObject::invokeMethod(
            this,
            [this, number, ports = std::move(ports)]() mutable {
                backgroundScanEnded(number, std::move(ports));
            },
            Qt::QueuedConnection);
    });
}

void SerialPortCatalog::backgroundScanEnded(quint64 number, QList<SerialPortEntry> ports)
{
    m_backgroundScanRunning = false;
    take(number, std::move(ports));
    Q_EMIT scanned();
    if (m_scanAgain)
        scanInBackground();
}

void SerialPortCatalog::take(quint64 number, QList<SerialPortEntry> ports)
{
    if (number < m_taken)
        return;
    m_taken = number;
    std::stable_sort(ports.begin(), ports.end(), [](const SerialPortEntry &a, const SerialPortEntry &b) {
        return a.systemLocation < b.systemLocation;
    });
    if (ports == m_ports)
        return;
    m_ports = std::move(ports);
    Q_EMIT changed();
}

void SerialPortCatalog::startWatching()
{
    if (m_watchers++ > 0)
        return;
    requestScan();
    m_pollTimer.start();
}

void SerialPortCatalog::stopWatching()
{
    Q_ASSERT(m_watchers > 0);
    if (--m_watchers == 0)
        m_pollTimer.stop();
}

std::optional<SerialPortEntry> SerialPortCatalog::find(const SerialPortEntry &remembered) const
{
    std::optional<SerialPortEntry> found;
    for (const SerialPortEntry &entry : m_ports) {
        if (!entry.isSameDevice(remembered))
            continue;
        if (entry.systemLocation == remembered.systemLocation)
            return entry;
        if (!found)
            found = entry;
    }
    return found;
}

SerialPortCatalog::UsbChoice SerialPortCatalog::usbChoice() const
{
    UsbChoice choice;
    std::copy_if(m_ports.cbegin(), m_ports.cend(), std::back_inserter(choice.ports),
        [](const SerialPortEntry &entry) { return entry.isUsb(); });
    if (choice.ports.size() == 1)
        choice.found = UsbChoice::Found::One;
    else if (choice.ports.size() > 1)
        choice.found = UsbChoice::Found::Several;
    return choice;
}
