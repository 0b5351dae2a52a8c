#pragma once

#include "serial/SerialPortEntry.h"

#include <QList>
#include <QObject>
#include <QThread>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

class SerialPortScanner;

// The serial ports present, kept current while anyone watches: the list the
// port panel offers, and where the program looks for a device that went away
// to come back.
//
// The system's list is read on a scan thread of the catalog's own (started
// at the first scan), through SystemSerialPorts, whose poll costs well under
// a millisecond while nothing is plugged in or out and a full QSerialPortInfo
// scan when something was. Only refresh() waits for it, for callers that need
// an answer at once (veltrin-cli); the window asks through requestScan() and
// the polls, and takes the answer from changed() and scanned().
//
// The list comes from a source that tests replace, to present USB adapters
// (backed by ptys) that the machine does not have; such a source is the
// caller's own function and is asked on the caller's thread, at once. The
// list is kept sorted by path, so that a source listing the same ports in
// another order changes nothing.
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

    // Reads the system's list; the first scan waits for the first refresh(),
    // requestScan() or startWatching(), as it takes QSerialPortInfo's full
    // scan.
    explicit SerialPortCatalog(QObject *parent = nullptr);
    // Waits for a scan under way to end.
    ~SerialPortCatalog() override;

    // Replaces the source (an empty one restores the system's) and scans.
    void setSource(Source source);

    // As of the last scan.
    QList<SerialPortEntry> ports() const { return m_ports; }
    bool hasScanned() const { return m_taken > 0; }
    // Scans now and waits for the answer; changed() follows when the list
    // differs. Not for the window's UI thread: a full scan holds it.
    void refresh();
    // Starts a scan without waiting for it: a source of the caller's is asked
    // at once; the system's answer arrives later. scanned() follows, after
    // changed() when the list differs. A request while a scan is under way
    // is served by one more scan after it.
    void requestScan();

    // Counted: the list is polled from the first start to the matching last
    // stop. Starting asks for a scan at once.
    void startWatching();
    void stopWatching();
    bool isWatching() const { return m_watchers > 0; }

    // The port present that is the device remembered; of several that are,
    // the one at the remembered path.
    std::optional<SerialPortEntry> find(const SerialPortEntry &remembered) const;
    UsbChoice usbChoice() const;

Q_SIGNALS:
    void changed();
    // A scan has ended, whether or not anything changed.
    void scanned();

private:
    SerialPortScanner &scanner();
    void scanInBackground();
    void backgroundScanEnded(quint64 number, QList<SerialPortEntry> ports);
    // Keeps the answer to scan number unless a later one is kept already.
    void take(quint64 number, QList<SerialPortEntry> ports);

    // Empty for the system's list, read on the scan thread.
    Source m_source;
    QList<SerialPortEntry> m_ports;
    QTimer m_pollTimer;
    int m_watchers = 0;
    // Scans are numbered as they are asked for, so that an answer overtaken
    // by a later one (a refresh() while a poll was under way) is dropped.
    quint64 m_asked = 0;
    quint64 m_taken = 0;
    bool m_backgroundScanRunning = false;
    bool m_scanAgain = false;
    QThread m_scanThread;
    std::unique_ptr<SerialPortScanner> m_scanner;
};
