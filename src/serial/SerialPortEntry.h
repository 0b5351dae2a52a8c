#pragma once

#include <QString>

#include <optional>

// One serial port present: what QSerialPortInfo says of it, and on Linux the
// stable names udev keeps for it, which outlive the ttyUSBn number the kernel
// happens to give the device when it is plugged in.
struct SerialPortEntry {
    // The device path: /dev/ttyUSB0, or \\.\COM7 on Windows.
    QString systemLocation;
    QString description;
    QString manufacturer;
    std::optional<quint16> vendorId;
    std::optional<quint16> productId;
    QString serialNumber;
    // The /dev/serial/by-id link to the device (named after the adapter) and
    // the /dev/serial/by-path one (named after the USB socket); empty when
    // there is none, and always on Windows.
    QString byIdPath;
    QString byPathPath;

    bool operator==(const SerialPortEntry &) const = default;

    bool isUsb() const { return vendorId && productId; }
    // "1a86:7523", empty for a port that is not a USB one.
    QString usbId() const;
    // "/dev/ttyUSB0 (USB Serial, 1a86:7523)": what the status line and the
    // port list show.
    QString displayText() const;

    // Whether this is the device remembered, as far as the port's own
    // description tells: the same adapter by its serial number where it has
    // one; otherwise the same kind of adapter in the same USB socket (the
    // by-path name where both have one, else the path); otherwise the same
    // path.
    bool isSameDevice(const SerialPortEntry &remembered) const;

    // Whether path names this port: its own path, a stable link to it, the
    // file a link of the user's resolves to, or on Windows its name without
    // the device namespace ("COM7" for \\.\COM7).
    bool isNamedBy(const QString &path) const;
    // The path to bind the port by: the by-id link where there is one, which
    // names the adapter itself and stays when the system numbers it anew.
    QString stablePath() const { return byIdPath.isEmpty() ? systemLocation : byIdPath; }
};
