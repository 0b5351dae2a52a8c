#pragma once

#include "interfaces/UserChannels.h"

#include <QList>
#include <QStringList>
#include <functional>

// Records what would be shown to the user. Message boxes answer with
// nextAnswer (OK by default) instead of blocking.
class RecordingUserChannels : public UserChannels
{
public:
    struct Box {
        QString prompt;
        int style = 0;
        QString title;
    };

    void ShowStatusText(const QString &text) override { statusTexts.append(text); }

    int messageBox(const QString &prompt, int style, const QString &title) override
    {
        boxes.append({ prompt, style, title });
        return nextAnswer;
    }

    void showInformationTip(const QString &message) override
    {
        informationTips.append(message);
        if (whileTipShows)
            whileTipShows();
    }

    QString lastStatus() const { return statusTexts.isEmpty() ? QString() : statusTexts.last(); }

    // Prompts of the tip boxes (title "温馨提示") only.
    QStringList tips() const
    {
        QStringList result;
        for (const Box &box : boxes) {
            if (box.title == tipTitle())
                result.append(box.prompt);
        }
        return result;
    }

    void clear()
    {
        statusTexts.clear();
        boxes.clear();
        informationTips.clear();
    }

    QStringList statusTexts;
    QList<Box> boxes;
    QStringList informationTips;
    int nextAnswer = AnswerOk;
    // Runs where a real information tip would be on the screen, modal.
    std::function<void()> whileTipShows;
};
