#include "serial/SerialPortEntry.h"

#include <QFileInfo>
#include <QStringList>

namespace {

// Windows' device namespace prefix means nothing to a user: "COM7" is the name
// the system's own dialogs show.
QString shownLocation(const QString &systemLocation)
{
    static const QString devicePrefix = QStringLiteral("\\\\.\\");
    return systemLocation.startsWith(devicePrefix) ? systemLocation.mid(devicePrefix.size()) : systemLocation;
}

} // namespace

QString SerialPortEntry::usbId() const
{
    if (!isUsb())
        return QString();
    return QStringLiteral("%1:%2")
        .arg(*vendorId, 4, 16, QLatin1Char('0'))
        .arg(*productId, 4, 16, QLatin1Char('0'));
}

QString SerialPortEntry::displayText() const
{
    QStringList details;
    if (!description.isEmpty())
        details.append(description);
    if (isUsb())
        details.append(usbId());
    const QString location = shownLocation(systemLocation);
    if (details.isEmpty())
        return location;
    return QStringLiteral("%1 (%2)").arg(location, details.join(QStringLiteral(", ")));
}

bool SerialPortEntry::isSameDevice(const SerialPortEntry &remembered) const
{
    // A port that is described only in part (udev not yet done with a device
    // just plugged in) is not taken for the device: the next scan describes it
    // in full.
    if (isUsb() != remembered.isUsb())
        return false;
    if (!isUsb())
        return systemLocation == remembered.systemLocation;
    if (usbId() != remembered.usbId() || serialNumber != remembered.serialNumber)
        return false;
    // Adapters of one make without serial numbers are told apart by the
    // socket they are plugged into.
    if (!serialNumber.isEmpty())
        return true;
    if (!byPathPath.isEmpty() && !remembered.byPathPath.isEmpty())
        return byPathPath == remembered.byPathPath;
    return systemLocation == remembered.systemLocation;
}

bool SerialPortEntry::isNamedBy(const QString &path) const
{
    if (path.isEmpty())
        return false;
    if (path == systemLocation || path == byIdPath || path == byPathPath
        || path.compare(shownLocation(systemLocation), Qt::CaseInsensitive) == 0)
        return true;
    const QString resolved = QFileInfo(path).canonicalFilePath();
    return !resolved.isEmpty() && resolved == QFileInfo(systemLocation).canonicalFilePath();
}
