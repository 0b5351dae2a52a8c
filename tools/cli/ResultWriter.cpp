#include "ResultWriter.h"

#include <QIODevice>
#include <QJsonDocument>

ResultWriter::ResultWriter(QIODevice &out, bool json)
    : m_out(out)
    , m_json(json)
{ }

void ResultWriter::result(const QString &line, const QJsonObject &object)
{
    if (m_json)
        m_out.write(QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n');
    else
        m_out.write((line + QLatin1Char('\n')).toUtf8());
}

void ResultWriter::text(const QString &text)
{
    m_out.write(text.toUtf8());
}

void ResultWriter::bytes(QByteArrayView bytes)
{
    m_out.write(bytes.data(), bytes.size());
}
