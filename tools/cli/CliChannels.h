#pragma once

#include "interfaces/UserChannels.h"

#include <QStringList>

class QIODevice;

// The user channels of a program without a screen: the tip box and the
// information-tip window become lines on stderr, and are remembered, so
// that the exit code can say what went wrong. The status line is shown only
// when asked for (--verbose), since it reports every event on the line.
class CliChannels : public UserChannels
{
public:
    CliChannels(QIODevice &err, bool verbose);

    void ShowStatusText(const QString &text) override;
    int messageBox(const QString &prompt, int style, const QString &title) override;
    void showInformationTip(const QString &message) override;

    // A line of the program's own on stderr.
    void diagnostic(const QString &text);

    // A port error was reported (information tip).
    bool portFailed() const { return m_portFailed; }
    // Input was refused (tip box): a notation error, an empty text.
    bool inputRefused() const { return m_inputRefused; }

    // A batch: each command starts with no failure, and what it said on
    // stderr is kept for its result too.
    void clearFailures();
    void keepMessages(bool keep) { m_keepMessages = keep; }
    QStringList takeMessages();

private:
    QIODevice &m_err;
    bool m_verbose;
    bool m_portFailed = false;
    bool m_inputRefused = false;
    bool m_keepMessages = false;
    QStringList m_messages;
};
