#pragma once

#include <QString>

class UserChannels;

// The message for a serial-port error number; "未知错误 " for numbers the
// table does not know.
QString commErrorMessage(int number);

// What lies behind a failure, for the line under the message: a device that
// went away while open, and a transmission stalled by the handshake (empty
// where the handshake mode cannot stall it).
QString deviceLostCause();
QString handshakeStallCause(int handshaking);

// Shows the message for number in the information-tip window, with the cause
// on a line of its own when there is one.
void ReportCommError(UserChannels &channels, int number, const QString &cause = QString());
