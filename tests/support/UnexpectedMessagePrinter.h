#pragma once

#include "interfaces/UserChannels.h"

#include <QTextStream>

// User channels for benchmarks: the status line is ignored, and any box or
// information tip, which a clean run never shows, is printed so that the
// figures beside it can be doubted.
class UnexpectedMessagePrinter : public UserChannels
{
public:
    void ShowStatusText(const QString &) override { }
    int messageBox(const QString &prompt, int, const QString &) override
    {
        QTextStream(stdout) << "  unexpected message: " << prompt << Qt::endl;
        return AnswerOk;
    }
    void showInformationTip(const QString &message) override
    {
        QTextStream(stdout) << "  unexpected information tip: " << message << Qt::endl;
    }
};
