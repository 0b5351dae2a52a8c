// The catalog of serial ports, fed lists of its tests' making: this machine
// has no USB adapter, so each adapter here is a pty, presented through the
// catalog's source as the system would list a CH340 (vendor, product and
// USB socket included). A pty's link coming and going stands in for the
// adapter being plugged in and out; what that proves is the catalog's side
// (polling, change detection, identity), not the system's listing.

#include "PtyPair.h"
#include "UsbAdapterEntry.h"
#include "serial/SerialDeviceLinks.h"
#include "serial/SerialPortCatalog.h"
#include "serial/SystemSerialPorts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Plugged into the same USB socket unless said otherwise.
SerialPortEntry usbAdapterInSocket(const QString &path, const QString &serialNumber = {},
    const QString &byPath = QStringLiteral("/dev/serial/by-path/pci-0000:00:14.0-usb-0:1:1.0-port0"))
{
    return usbAdapter(path, serialNumber, byPath);
}

SerialPortEntry onboardPort(const QString &path = QStringLiteral("/dev/ttyS0"))
{
    SerialPortEntry entry;
    entry.systemLocation = path;
    return entry;
}

// A USB adapter that is a pty: present while its link exists.
class PtyAdapter
{
public:
    explicit PtyAdapter(const QTemporaryDir &dir)
        : m_link(dir.filePath(QStringLiteral("ttyUSB0")))
    { }

    bool plugIn() const { return QFile::link(m_pty.slavePath(), m_link); }
    bool unplug() const { return QFile::remove(m_link); }
    QString path() const { return m_link; }

    QList<SerialPortEntry> present() const
    {
        return QFileInfo::exists(m_link) ? QList { usbAdapterInSocket(m_link) } : QList<SerialPortEntry> {};
    }

private:
    PtyPair m_pty;
    QString m_link;
};

QStringList pathsOf(const QList<SerialPortEntry> &entries)
{
    QStringList paths;
    for (const SerialPortEntry &entry : entries)
        paths.append(entry.systemLocation);
    return paths;
}

} // namespace

using EntryList = QList<SerialPortEntry>;
Q_DECLARE_METATYPE(EntryList)

class tst_SerialPortCatalog : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void changedOnlyWhenTheListDiffers_data();
    void changedOnlyWhenTheListDiffers();
    void plugAndUnplugShowWhileWatched();
    void pollsOnlyWhileWatched();
    void findFollowsTheDeviceToItsNewPath();
    void usbChoice_data();
    void usbChoice();
    void stableNamesComeFromTheLinks();
    void emptySourceRestoresTheSystemList();
    void systemListArrivesAfterTheRequest();
};

void tst_SerialPortCatalog::changedOnlyWhenTheListDiffers_data()
{
    QTest::addColumn<EntryList>("next");
    QTest::addColumn<bool>("changed");

    const EntryList before { onboardPort(), usbAdapterInSocket(QStringLiteral("/dev/ttyUSB0")) };
    QTest::newRow("the same list") << before << false;
    QTest::newRow("the same ports in another order") << EntryList { before.at(1), before.at(0) } << false;
    QTest::newRow("a port plugged in")
        << before + EntryList { usbAdapterInSocket(QStringLiteral("/dev/ttyUSB1"), "A5069RR4") } << true;
    QTest::newRow("a port unplugged") << EntryList { before.at(0) } << true;
    EntryList described = before;
    described[1].manufacturer = QStringLiteral("wch.cn");
    QTest::newRow("a port described further") << described << true;
    EntryList linked = before;
    linked[1].byIdPath = QStringLiteral("/dev/serial/by-id/usb-1a86_USB_Serial-if00-port0");
    QTest::newRow("a port's by-id name made") << linked << true;
}

void tst_SerialPortCatalog::changedOnlyWhenTheListDiffers()
{
    QFETCH(EntryList, next);
    QFETCH(bool, changed);

    EntryList listed { usbAdapterInSocket(QStringLiteral("/dev/ttyUSB0")), onboardPort() };
    SerialPortCatalog catalog;
    catalog.setSource([&listed] { return listed; });
    QSignalSpy changes(&catalog, &SerialPortCatalog::changed);
    catalog.refresh();
    QCOMPARE(changes.count(), 0);

    listed = next;
    catalog.refresh();
    QCOMPARE(changes.count(), changed ? 1 : 0);
    QStringList sorted = pathsOf(next);
    sorted.sort();
    QCOMPARE(pathsOf(catalog.ports()), sorted);
}

void tst_SerialPortCatalog::plugAndUnplugShowWhileWatched()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const PtyAdapter adapter(dir);
    SerialPortCatalog catalog;
    catalog.setSource([&adapter] { return adapter.present(); });
    QSignalSpy changes(&catalog, &SerialPortCatalog::changed);
    catalog.startWatching();
    QVERIFY(catalog.ports().isEmpty());

    QVERIFY(adapter.plugIn());
    QVERIFY(changes.wait(4 * SerialPortCatalog::pollIntervalMs));
    QCOMPARE(pathsOf(catalog.ports()), QStringList { adapter.path() });

    QVERIFY(adapter.unplug());
    QVERIFY(changes.wait(4 * SerialPortCatalog::pollIntervalMs));
    QVERIFY(catalog.ports().isEmpty());
    QCOMPARE(changes.count(), 2);
    catalog.stopWatching();
}

void tst_SerialPortCatalog::pollsOnlyWhileWatched()
{
    int scans = 0;
    SerialPortCatalog catalog;
    catalog.setSource([&scans] {
        ++scans;
        return EntryList {};
    });
    scans = 0;
    QTest::qWait(3 * SerialPortCatalog::pollIntervalMs);
    QCOMPARE(scans, 0);

    catalog.startWatching();
    QCOMPARE(scans, 1);
    catalog.startWatching();
    QCOMPARE(scans, 1);
    QTRY_VERIFY_WITH_TIMEOUT(scans >= 2, 4 * SerialPortCatalog::pollIntervalMs);
    catalog.stopWatching();
    QVERIFY(catalog.isWatching());
    const int scansBefore = scans;
    QTRY_VERIFY_WITH_TIMEOUT(scans > scansBefore, 4 * SerialPortCatalog::pollIntervalMs);

    catalog.stopWatching();
    QVERIFY(!catalog.isWatching());
    const int scansAtStop = scans;
    QTest::qWait(3 * SerialPortCatalog::pollIntervalMs);
    QCOMPARE(scans, scansAtStop);
}

void tst_SerialPortCatalog::findFollowsTheDeviceToItsNewPath()
{
    const QString socket2 = QStringLiteral("/dev/serial/by-path/pci-0000:00:14.0-usb-0:2:1.0-port0");
    EntryList listed { onboardPort(), usbAdapterInSocket(QStringLiteral("/dev/ttyUSB0"), {}, socket2) };
    SerialPortCatalog catalog;
    catalog.setSource([&listed] { return listed; });
    const SerialPortEntry remembered = usbAdapterInSocket(QStringLiteral("/dev/ttyUSB0"));
    QVERIFY(!catalog.find(remembered));

    // Replugged into the same socket while ttyUSB0 was still held open: the
    // kernel gives it the next number.
    listed.append(usbAdapterInSocket(QStringLiteral("/dev/ttyUSB1")));
    catalog.refresh();
    QCOMPARE(catalog.find(remembered)->systemLocation, QStringLiteral("/dev/ttyUSB1"));

    // Adapters that share one serial number are one device as far as the
    // ports tell; the one at the remembered path is taken.
    listed = { usbAdapterInSocket(QStringLiteral("/dev/ttyUSB0"), "0001"),
        usbAdapterInSocket(QStringLiteral("/dev/ttyUSB1"), "0001") };
    catalog.refresh();
    QCOMPARE(catalog.find(usbAdapterInSocket(QStringLiteral("/dev/ttyUSB1"), "0001"))->systemLocation,
        QStringLiteral("/dev/ttyUSB1"));
    QCOMPARE(catalog.find(usbAdapterInSocket(QStringLiteral("/dev/ttyUSB5"), "0001"))->systemLocation,
        QStringLiteral("/dev/ttyUSB0"));
}

void tst_SerialPortCatalog::usbChoice_data()
{
    QTest::addColumn<EntryList>("listed");
    QTest::addColumn<int>("found");
    QTest::addColumn<QStringList>("usbPorts");

    const SerialPortEntry usb0 = usbAdapterInSocket(QStringLiteral("/dev/ttyUSB0"));
    const SerialPortEntry acm0 = usbAdapterInSocket(QStringLiteral("/dev/ttyACM0"), "1234");
    QTest::newRow("none") << EntryList { onboardPort() } << int(SerialPortCatalog::UsbChoice::Found::None)
                          << QStringList {};
    QTest::newRow("one beside an onboard port")
        << EntryList { onboardPort(), usb0 } << int(SerialPortCatalog::UsbChoice::Found::One)
        << QStringList { usb0.systemLocation };
    QTest::newRow("several") << EntryList { usb0, onboardPort(), acm0 }
                             << int(SerialPortCatalog::UsbChoice::Found::Several)
                             << QStringList { acm0.systemLocation, usb0.systemLocation };
}

void tst_SerialPortCatalog::usbChoice()
{
    QFETCH(EntryList, listed);
    QFETCH(int, found);
    QFETCH(QStringList, usbPorts);

    SerialPortCatalog catalog;
    catalog.setSource([listed] { return listed; });
    const SerialPortCatalog::UsbChoice choice = catalog.usbChoice();
    QCOMPARE(int(choice.found), found);
    QCOMPARE(pathsOf(choice.ports), usbPorts);
}

void tst_SerialPortCatalog::stableNamesComeFromTheLinks()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("by-id")));
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("by-path")));
    const PtyPair adapter;
    const PtyPair other;
    const QString byId = dir.filePath(QStringLiteral("by-id/usb-1a86_USB_Serial-if00-port0"));
    const QString byPath = dir.filePath(QStringLiteral("by-path/pci-0000:00:14.0-usb-0:1:1.0-port0"));
    QVERIFY(QFile::link(adapter.slavePath(), byId));
    QVERIFY(QFile::link(adapter.slavePath(), byPath));
    QVERIFY(
        QFile::link(dir.filePath(QStringLiteral("gone")), dir.filePath(QStringLiteral("by-id/dangling"))));
    // The device as the system lists it may itself be a link (a pty's is).
    const QString location = dir.filePath(QStringLiteral("ttyUSB0"));
    QVERIFY(QFile::link(adapter.slavePath(), location));

    const SerialDeviceLinks links = SerialDeviceLinks::inFolders(
        dir.filePath(QStringLiteral("by-id")), dir.filePath(QStringLiteral("by-path")));
    SerialPortEntry entry = usbAdapterInSocket(location, {}, {});
    links.name(entry);
    QCOMPARE(entry.byIdPath, byId);
    QCOMPARE(entry.byPathPath, byPath);
    SerialPortEntry unlinked = usbAdapterInSocket(other.slavePath(), {}, {});
    links.name(unlinked);
    QCOMPARE(unlinked.byIdPath, QString());
    QCOMPARE(unlinked.byPathPath, QString());
}

void tst_SerialPortCatalog::emptySourceRestoresTheSystemList()
{
    SerialPortCatalog catalog;
    catalog.setSource([] { return EntryList { usbAdapterInSocket(QStringLiteral("/dev/ttyUSB9")) }; });
    catalog.setSource({});
    QStringList system = pathsOf(SystemSerialPorts::scan(SerialDeviceLinks::system()));
    system.sort();
    QCOMPARE(pathsOf(catalog.ports()), system);
}

// The real build's system scan, on the catalog's scan thread: the request
// returns before the answer is in, requests made while a scan runs are
// served by one more scan, and the answer is the system's list.
void tst_SerialPortCatalog::systemListArrivesAfterTheRequest()
{
    SerialPortCatalog catalog;
    QSignalSpy scans(&catalog, &SerialPortCatalog::scanned);
    catalog.requestScan();
    catalog.requestScan();
    catalog.requestScan();
    QVERIFY(!catalog.hasScanned());
    QCOMPARE(scans.count(), 0);
    QTRY_COMPARE(scans.count(), 2);
    QVERIFY(catalog.hasScanned());
    QTest::qWait(2 * SerialPortCatalog::pollIntervalMs);
    QCOMPARE(scans.count(), 2);
    QStringList system = pathsOf(SystemSerialPorts::scan(SerialDeviceLinks::system()));
    system.sort();
    QCOMPARE(pathsOf(catalog.ports()), system);
}

QTEST_GUILESS_MAIN(tst_SerialPortCatalog)
#include "tst_serialportcatalog.moc"
