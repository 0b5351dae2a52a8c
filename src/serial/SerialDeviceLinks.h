#pragma once

#include <QHash>
#include <QString>

struct SerialPortEntry;

// The stable names of serial devices: on Linux, udev's symbolic links in
// /dev/serial/by-id (named after the adapter: make, model, serial number) and
// /dev/serial/by-path (named after the USB socket). A program that opens such
// a name keeps its device when the kernel numbers it ttyUSB1 instead of
// ttyUSB0 after a replug. Windows has no such names.
class SerialDeviceLinks
{
public:
    // The system's links, read now.
    static SerialDeviceLinks system();
    // The links in two folders of the caller's choice.
    static SerialDeviceLinks inFolders(const QString &byIdFolder, const QString &byPathFolder);

    bool operator==(const SerialDeviceLinks &) const = default;

    // Fills in the entry's by-id and by-path names.
    void name(SerialPortEntry &entry) const;

private:
    // The device each link points at (its canonical path) to the link's path.
    using LinksByDevice = QHash<QString, QString>;
    static LinksByDevice read(const QString &folder);

    LinksByDevice m_byId;
    LinksByDevice m_byPath;
};
