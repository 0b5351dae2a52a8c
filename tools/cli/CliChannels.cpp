#include "CliChannels.h"

#include <QIODevice>

#include <utility>

CliChannels::CliChannels(QIODevice &err, bool verbose)
    : m_err(err)
    , m_verbose(verbose)
{ }

void CliChannels::ShowStatusText(const QString &text)
{
    if (m_verbose)
        diagnostic(text);
}

int CliChannels::messageBox(const QString &prompt, int, const QString &)
{
    m_inputRefused = true;
    diagnostic(prompt);
    // Nobody can answer: the first button, as a user pressing Enter would.
    return AnswerOk;
}

void CliChannels::showInformationTip(const QString &message)
{
    m_portFailed = true;
    diagnostic(message);
}

void CliChannels::clearFailures()
{
    m_portFailed = false;
    m_inputRefused = false;
}

QStringList CliChannels::takeMessages()
{
    return std::exchange(m_messages, {});
}

void CliChannels::diagnostic(const QString &text)
{
    if (m_keepMessages)
        m_messages.append(text);
    // A cause on a line of its own keeps its line, under the same prefix.
    QString lines;
    for (const QString &line : text.split(QLatin1Char('\n')))
        lines += QStringLiteral("veltrin-cli: ") + line + QLatin1Char('\n');
    m_err.write(lines.toUtf8());
}
