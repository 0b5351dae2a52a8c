#pragma once

#include "serial/SerialPortEntry.h"

#include <QList>
#include <QObject>
#include <QTimer>

#include <functional>
#include <optional>

// The serial ports present, kept current while anyone watches: the list the
// port panel offers, and where the program looks for a device that went away
// to come back. Scans run on the UI thread, so the system's list is read
// through SystemSerialPorts, whose poll costs well under a millisecond while
// nothing is plugged in or out.
//
// The list comes from a source that tests replace, to present USB adapters
// (backed by ptys) that the machine does not have. It is kept sorted by path,
// so that a source listing the same ports in another order changes nothing.
class SerialPortCatalog : public QObject
{
    Q_OBJECT

public:
    // Often enough that a port plugged in shows within a second, udev's own
    // delay included.
    static constexpr int pollIntervalMs = 500;

    using Source = std::function<QList<SerialPortEntry>()>;

    // What there is to take as the kit's adapter: the one USB serial port
    // present, or none, or several to choose from.
    struct UsbChoice {
        enum class Found { None, One, Several };
        Found found = Found::None;
        // Every USB serial port present.
        QList<SerialPortEntry> ports;
    };

    // Reads the system's list; the first scan waits for the first refresh() or
    // startWatching(), as it takes QSerialPortInfo's full scan.
    explicit SerialPortCatalog(QObject *parent = nullptr);

    // Replaces the source (an empty one restores the system's) and scans.
    void setSource(Source source);

    // As of the last scan.
    QList<SerialPortEntry> ports() const { return m_ports; }
    // Scans now; changed() follows when the list differs.
    void refresh();

    // Counted: the list is polled from the first start to the matching last
    // stop. Starting scans at once, so the list is current on return.
    void startWatching();
    void stopWatching();
    bool isWatching() const { return m_watchers > 0; }

    // The port present that is the device remembered; of several that are,
    // the one at the remembered path.
    std::optional<SerialPortEntry> find(const SerialPortEntry &remembered) const;
    UsbChoice usbChoice() const;

Q_SIGNALS:
    void changed();

private:
    Source m_source;
    QList<SerialPortEntry> m_ports;
    QTimer m_pollTimer;
    int m_watchers = 0;
};
