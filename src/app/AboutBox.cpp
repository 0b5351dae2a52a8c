#include "app/AboutBox.h"

#include "interfaces/UserChannels.h"

#include <QStringList>

void ShowAbout(UserChannels &channels)
{
    const QStringList lines { QStringLiteral("Lunvaric"), QStringLiteral("作者：Quillfern 软件工作室"),
        QStringLiteral("版权所有 (C) 2005 Quillfern"), QStringLiteral("日期：2005.11.05") };
    channels.messageBox(lines.join(QLatin1Char('\n')),
        UserChannels::InformationIcon + UserChannels::DefaultButton2, QStringLiteral("关于"));
}
