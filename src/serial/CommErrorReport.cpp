#include "serial/CommErrorReport.h"

#include "interfaces/UserChannels.h"
#include "serial/SerialPortCatalog.h"

#include <QDir>
#include <QHash>

QString commErrorMessage(int number)
{
    static const QHash<int, QString> messages {
        { 380, QStringLiteral("无效属性值") },
        { 383, QStringLiteral("属性为只读") },
        { 394, QStringLiteral("属性为只读") },
        { 8000, QStringLiteral("端口打开时操作不合法") },
        { 8001, QStringLiteral("超时值必须大于0") },
        { 8002, QStringLiteral("无效端口号") },
        { 8003, QStringLiteral("属性只在运行时有效") },
        { 8004, QStringLiteral("属性在运行时为只读") },
        { 8005, QStringLiteral("端口已经打开") },
        { 8006, QStringLiteral("设备标识符无效或不支持该标识符") },
        { 8007, QStringLiteral("不支持设备的波特率") },
        { 8008, QStringLiteral("指定的字节大小无效") },
        { 8009, QStringLiteral("缺省参数错误") },
        { 8010, QStringLiteral("硬件不可用(被其它设备锁定)") },
        { 8011, QStringLiteral("函数不能分配队列") },
        { 8012, QStringLiteral("设备没有打开") },
        { 8013, QStringLiteral("设备已经打开") },
        { 8014, QStringLiteral("不能使用 comm 通知") },
        { 8015, QStringLiteral("不能设置 comm 状态") },
        { 8016, QStringLiteral("不能设置 comm 事件屏蔽") },
        { 8018, QStringLiteral("仅当端口打开时操作才有效") },
        { 8019, QStringLiteral("设备忙") },
        { 8020, QStringLiteral("读 comm 设备错误") },
        { 8021, QStringLiteral("为该端口检索设备控制块时的内部错误") },
    };
    return messages.value(number, QStringLiteral("未知错误 "));
}

QString deviceLostCause(bool reopensByItself)
{
    if (reopensByItself)
        return QStringLiteral("串口设备已断开(例如USB转串口线被拔出)。接回同一设备后，串口会自动重新打开。");
    return QStringLiteral(
        "串口设备已断开(例如USB转串口线被拔出)。接回设备后，选择“打开串口”或再次发送即可重新打开。");
}

QString openFailureCause(const QString &device, SerialPortCatalog *catalog)
{
    QString cause = QStringLiteral("无法打开的设备：%1").arg(QDir::toNativeSeparators(device));
    if (catalog) {
        // The window's catalog has scanned since the start; only a program
        // that never looked (veltrin-cli) waits for a scan here.
        if (!catalog->hasScanned())
            catalog->refresh();
        if (catalog->usbChoice().found != SerialPortCatalog::UsbChoice::Found::None)
            cause += QStringLiteral("\n已接上的串口适配器可在“串口设置”面板的“串口设备”中选择。");
    }
    return cause;
}

QString handshakeStallCause(int handshaking)
{
    switch (handshaking) {
    case 1:
        return QStringLiteral("对方发出XOFF后没有再发XON，数据无法发出。");
    case 2:
        return QStringLiteral(
            "对方没有给出CTS信号，数据无法发出。如果线路上没有接CTS，请在串口设置中选择“无握手”。");
    case 3:
        return QStringLiteral("对方没有给出CTS信号，或发出XOFF后没有再发XON，数据无法发出。如果线路上没有接CT"
                              "S，请在串口设置中选择“无握手”或“软件握手”。");
    default:
        return QString();
    }
}

void ReportCommError(UserChannels &channels, int number, const QString &cause)
{
    const QString message = commErrorMessage(number);
    channels.showInformationTip(cause.isEmpty() ? message : message + QLatin1Char('\n') + cause);
}
