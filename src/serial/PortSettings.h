#pragma once

#include <QHash>
#include <QObject>
#include <QString>

class CommPort;
class SerialPortCatalog;
class UserChannels;

// The port's configuration and open state, as the user sets them on the
// port-settings panel. The panel is a thin view of this class: it forwards
// clicks here and follows the selection signals.
class PortSettings : public QObject
{
    Q_OBJECT

public:
    PortSettings(CommPort &port, UserChannels &channels, QObject *parent = nullptr);

    // The ports present, named when an open fails (none by default).
    void setPortCatalog(SerialPortCatalog *catalog) { m_catalog = catalog; }

    void ApplyPortDefaults();
    void SelectPort(int index);
    // Binds the device at path to the port option index for the rest of the
    // run (no settings are kept between runs), then acts as a click on that
    // option: close, bind, open, "Port setting : COMn".
    void SelectDevice(int index, const QString &path);
    // The same binding without touching the port's open state, for a device
    // taken at start.
    void bindDevice(int index, const QString &path);
    // The device behind the port option index: the one bound to it, or the
    // port number's own.
    QString devicePath(int index) const;
    // The option index of the port number.
    int selectedPortIndex() const;
    void SelectBaudRate(int index);
    void SelectHandshake(int index);
    void OpenPort();
    void ClosePort();

    bool portOpen() const;
    // The option index of SelectedBaud.
    int selectedBaudIndex() const;

    static QString portCaption(int index);
    static QString baudCaption(int index);

    // The baud rate last chosen: "9600", "19200", "38400" or "115200".
    QString SelectedBaud = QStringLiteral("38400");

Q_SIGNALS:
    // The baud-rate option index that is now selected (also when the host-baud
    // command of the wireless panel switched it).
    void baudRateSelected(int index);
    // The port opened or closed, whoever caused it: a panel, the
    // transmitter, or a device that went away.
    void portOpenChanged(bool open);
    // A device was bound to the port option index.
    void deviceBound(int index);
    // The user chose a port or a device, or closed the port: what was open
    // before is no longer wanted.
    void portReleased();

private:
    void report(int errorNumber);
    void reportOpen(int errorNumber);
    int usePort(int index);

    CommPort &m_port;
    UserChannels &m_channels;
    SerialPortCatalog *m_catalog = nullptr;
    // Port option index -> device path chosen for it.
    QHash<int, QString> m_boundDevices;
};
