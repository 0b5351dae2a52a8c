#include "serial/UnlistedDevice.h"

#include <QDir>

QString UnlistedDevice::displayText(const QString &path, bool open)
{
    const bool present = open || isPseudoTerminal(path);
    return QStringLiteral("%1（%2）")
        .arg(QDir::toNativeSeparators(path), present ? QStringLiteral("虚拟串口") : QStringLiteral("未找到"));
}
