#include "UsbAdapterEntry.h"
#include "serial/SerialPortEntry.h"

#include <QTest>

namespace {

SerialPortEntry plainPort(const QString &path)
{
    SerialPortEntry entry;
    entry.systemLocation = path;
    return entry;
}

const QString socket1 = QStringLiteral("/dev/serial/by-path/pci-0000:00:14.0-usb-0:1:1.0-port0");
const QString socket2 = QStringLiteral("/dev/serial/by-path/pci-0000:00:14.0-usb-0:2:1.0-port0");

} // namespace

Q_DECLARE_METATYPE(SerialPortEntry)

class tst_SerialPortEntry : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void displayText_data();
    void displayText();
    void sameDevice_data();
    void sameDevice();
};

void tst_SerialPortEntry::displayText_data()
{
    QTest::addColumn<SerialPortEntry>("entry");
    QTest::addColumn<QString>("text");

    QTest::newRow("USB adapter") << usbAdapter(QStringLiteral("/dev/ttyUSB0"))
                                 << "/dev/ttyUSB0 (USB Serial, 1a86:7523)";
    SerialPortEntry unnamed = usbAdapter(QStringLiteral("/dev/ttyACM0"));
    unnamed.description.clear();
    unnamed.vendorId = 0x0483;
    unnamed.productId = 0x5740;
    QTest::newRow("USB adapter without a description") << unnamed << "/dev/ttyACM0 (0483:5740)";
    SerialPortEntry onboard = plainPort(QStringLiteral("/dev/ttyS0"));
    onboard.description = QStringLiteral("16550A");
    QTest::newRow("port with a description only") << onboard << "/dev/ttyS0 (16550A)";
    QTest::newRow("port with nothing said of it") << plainPort(QStringLiteral("/dev/ttyS1")) << "/dev/ttyS1";
    QTest::newRow("Windows device name")
        << usbAdapter(QStringLiteral("\\\\.\\COM7")) << "COM7 (USB Serial, 1a86:7523)";
}

void tst_SerialPortEntry::displayText()
{
    QFETCH(SerialPortEntry, entry);
    QFETCH(QString, text);
    QCOMPARE(entry.displayText(), text);
}

void tst_SerialPortEntry::sameDevice_data()
{
    QTest::addColumn<SerialPortEntry>("remembered");
    QTest::addColumn<SerialPortEntry>("present");
    QTest::addColumn<bool>("same");

    const QString usb0 = QStringLiteral("/dev/ttyUSB0");
    const QString usb1 = QStringLiteral("/dev/ttyUSB1");
    QTest::newRow("serial number, back under a new path")
        << usbAdapter(usb0, "A5069RR4", socket1) << usbAdapter(usb1, "A5069RR4", socket2) << true;
    QTest::newRow("another serial number at the same path and socket")
        << usbAdapter(usb0, "A5069RR4", socket1) << usbAdapter(usb0, "A5069RR5", socket1) << false;
    SerialPortEntry otherMake = usbAdapter(usb0, "0001");
    otherMake.vendorId = 0x10c4;
    QTest::newRow("the same serial number on another make") << usbAdapter(usb0, "0001") << otherMake << false;
    QTest::newRow("no serial number, same socket, new path")
        << usbAdapter(usb0, {}, socket1) << usbAdapter(usb1, {}, socket1) << true;
    QTest::newRow("no serial number, another socket, same path")
        << usbAdapter(usb0, {}, socket1) << usbAdapter(usb0, {}, socket2) << false;
    QTest::newRow("no serial number, no socket names, same path")
        << usbAdapter(usb0) << usbAdapter(usb0) << true;
    QTest::newRow("no serial number, no socket names, new path")
        << usbAdapter(usb0) << usbAdapter(usb1) << false;
    QTest::newRow("socket name not yet made, same path")
        << usbAdapter(usb0, {}, socket1) << usbAdapter(usb0) << true;
    QTest::newRow("not yet described as USB") << usbAdapter(usb0) << plainPort(usb0) << false;
    QTest::newRow("serial number not yet read")
        << usbAdapter(usb0, "A5069RR4", socket1) << usbAdapter(usb0, {}, socket1) << false;
    QTest::newRow("port that is no USB one, same path")
        << plainPort(QStringLiteral("/dev/ttyS0")) << plainPort(QStringLiteral("/dev/ttyS0")) << true;
    QTest::newRow("port that is no USB one, other path")
        << plainPort(QStringLiteral("/dev/ttyS0")) << plainPort(QStringLiteral("/dev/ttyS1")) << false;
}

void tst_SerialPortEntry::sameDevice()
{
    QFETCH(SerialPortEntry, remembered);
    QFETCH(SerialPortEntry, present);
    QFETCH(bool, same);
    QCOMPARE(present.isSameDevice(remembered), same);
    QCOMPARE(remembered.isSameDevice(present), same);
}

QTEST_GUILESS_MAIN(tst_SerialPortEntry)
#include "tst_serialportentry.moc"
