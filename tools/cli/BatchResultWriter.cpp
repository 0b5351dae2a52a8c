#include "BatchResultWriter.h"

#include <QIODevice>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QList<QByteArray> linesOf(const QByteArray &printed)
{
    QList<QByteArray> lines = printed.split('\n');
    lines.removeAll(QByteArray());
    return lines;
}

QJsonValue answerOf(const QByteArray &printed)
{
    QJsonArray objects;
    for (const QByteArray &line : linesOf(printed))
        objects.append(QJsonDocument::fromJson(line).object());
    if (objects.isEmpty())
        return QJsonValue::Null;
    return objects.size() == 1 ? objects.first() : QJsonValue(objects);
}

} // namespace

BatchResultWriter::BatchResultWriter(QIODevice &out, bool json)
    : m_out(out)
    , m_json(json)
{ }

void BatchResultWriter::write(int lineNumber, const QString &command, int exitCode, const QByteArray &printed,
    const QStringList &messages)
{
    if (m_json)
        writeJson(lineNumber, command, exitCode, printed, messages);
    else
        writeText(command, exitCode, printed, messages);
}

void BatchResultWriter::writeText(
    const QString &command, int exitCode, const QByteArray &printed, QStringList messages)
{
    QStringList parts;
    for (const QByteArray &line : linesOf(printed))
        parts.append(QString::fromUtf8(line));
    // A message of several lines stays on the command's line.
    for (QString &message : messages)
        message.replace(QLatin1Char('\n'), QLatin1Char(' '));
    parts += messages;
    m_out.write(QStringLiteral("[%1] %2: %3\n")
                    .arg(exitCode)
                    .arg(command, parts.join(QStringLiteral("; ")))
                    .toUtf8());
}

void BatchResultWriter::writeJson(int lineNumber, const QString &command, int exitCode,
    const QByteArray &printed, const QStringList &messages)
{
    QJsonObject object { { QStringLiteral("line"), lineNumber }, { QStringLiteral("command"), command },
        { QStringLiteral("exit_code"), exitCode }, { QStringLiteral("answer"), answerOf(printed) } };
    if (!messages.isEmpty())
        object.insert(QStringLiteral("messages"), QJsonArray::fromStringList(messages));
    m_out.write(QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n');
}
