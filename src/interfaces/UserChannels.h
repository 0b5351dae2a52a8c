#pragma once

#include <QString>

// The three ways the program talks to the user: the status line, the tip box
// and the information-tip window. Core code reports only through this
// interface, so that tests can record what would be shown instead of blocking
// in a modal box.
class UserChannels
{
public:
    virtual ~UserChannels() = default;

    // Replaces the text of the status line (cell 0 of the main window).
    virtual void ShowStatusText(const QString &text) = 0;

    // A modal message box. style follows the classic message-box encoding:
    // buttons in the low nibble (0 = OK only), 64 = information icon,
    // 256 = second button is the default. Returns the answer code (1 = OK,
    // 6 = Yes, ...).
    virtual int messageBox(const QString &prompt, int style, const QString &title) = 0;

    // The information-tip window frmmsg: shows message alone, modally.
    virtual void showInformationTip(const QString &message) = 0;

    // The tip box: always carries the information icon and the fixed title.
    // True if and only if the answer is Yes.
    bool ShowTip(const QString &text, int buttonCode)
    {
        return messageBox(text, buttonCode + InformationIcon, tipTitle()) == AnswerYes;
    }

    static QString tipTitle() { return QStringLiteral("温馨提示"); }

    static constexpr int InformationIcon = 64;
    static constexpr int DefaultButton2 = 256;
    static constexpr int AnswerOk = 1;
    static constexpr int AnswerYes = 6;
};
