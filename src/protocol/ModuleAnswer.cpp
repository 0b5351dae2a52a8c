#include "protocol/ModuleAnswer.h"

bool ModuleAnswer::isYes(std::optional<quint8> reply)
{
    return reply.value_or(0) != 0;
}

QString ModuleAnswer::statusText(bool online)
{
    return online ? QStringLiteral("提示:所检测的打印机在线！")
                  : QStringLiteral("提示:所检测的打印机不在线！");
}

QString ModuleAnswer::configurationText(bool done)
{
    return done ? QStringLiteral("提示:设置成功") : QStringLiteral("提示:设置失败");
}
