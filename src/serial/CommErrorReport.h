#pragma once

#include <QString>

class SerialPortCatalog;
class UserChannels;

// The message for a serial-port error number; "未知错误 " for numbers the
// table does not know.
QString commErrorMessage(int number);

// What lies behind a failure, for the line under the message: a device that
// went away while open (and whether the port reopens when it returns), and a
// transmission stalled by the handshake (empty where the handshake mode
// cannot stall it).
QString deviceLostCause(bool reopensByItself);
QString handshakeStallCause(int handshaking);
// The line under a failed open: the device tried, and where the user can
// pick another when serial adapters are present (catalog may be null).
QString openFailureCause(const QString &device, SerialPortCatalog *catalog);

// Shows the message for number in the information-tip window, with the cause
// on a line of its own when there is one.
void ReportCommError(UserChannels &channels, int number, const QString &cause = QString());
