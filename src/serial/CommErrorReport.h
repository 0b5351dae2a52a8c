#pragma once

#include <QString>

class UserChannels;

// The message for a serial-port error number; "未知错误 " for numbers the
// table does not know.
QString commErrorMessage(int number);

// Shows the message for number in the information-tip window.
void ReportCommError(UserChannels &channels, int number);
