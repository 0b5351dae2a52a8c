#pragma once

#include "serial/SerialPortEntry.h"

#include <QObject>
#include <QString>
#include <QTimer>

class CommPort;
class PortSettings;
class SerialPortCatalog;
class UserChannels;

// Keeps the device the user opened. When it goes away while open (a module
// that resets, a cable pulled out), the loss is reported once, as always;
// this then waits for the same device to come back and reopens the port
// with the settings it had, following the device to a new path when the
// system numbers it anew. The same device is the one the port catalog says
// it is (serial number, USB socket, path); a device the catalog does not
// list (a pseudo-terminal, a link of the user's) is the same path existing
// again. Choosing another port or device, or closing the port, ends the
// wait: the port is never reopened against the user's choice. A
// transmission that was running when the device went stays failed.
class DeviceReturnWatch : public QObject
{
    Q_OBJECT

public:
    DeviceReturnWatch(CommPort &port, PortSettings &settings, SerialPortCatalog &catalog,
        UserChannels &channels, QObject *parent = nullptr);
    ~DeviceReturnWatch() override;

    // Off by default: a program that ends at a lost device has no use for it.
    void setEnabled(bool enabled);
    bool isEnabled() const { return m_enabled; }
    bool isWaiting() const { return m_waiting; }

Q_SIGNALS:
    // The device came back and the port is open again: what the status line
    // said.
    void reopened(const QString &text);

private:
    void remember();
    // Takes the device's description from the catalog's list, where it is
    // listed.
    void identify();
    void startWaiting();
    void stopWaiting();
    void forget();
    void tryReopen();
    // The path to open now, or an empty one while the device is away.
    QString returnedPath();

    CommPort &m_port;
    PortSettings &m_settings;
    SerialPortCatalog &m_catalog;
    UserChannels &m_channels;
    bool m_enabled = false;
    bool m_waiting = false;
    // The device as it was when it opened, and the path it was opened by.
    SerialPortEntry m_device;
    bool m_listed = false;
    QString m_openedPath;
    QTimer m_retry;
};
