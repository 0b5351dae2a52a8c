#pragma once

#include <QByteArrayView>
#include <QJsonObject>
#include <QString>

class QIODevice;

// Results on stdout: a line of text each, or with --json one JSON object
// each (on a line of its own, so that a stream of them reads as JSON Lines).
// Every write goes out at once, for scripts reading as results arrive.
class ResultWriter
{
public:
    ResultWriter(QIODevice &out, bool json);

    bool isJson() const { return m_json; }

    // The line in text mode, the object with --json.
    void result(const QString &line, const QJsonObject &object);
    // Text mode only: text as it is, without a line break.
    void text(const QString &text);
    // Bytes as they are, for a file or a pipe.
    void bytes(QByteArrayView bytes);

private:
    QIODevice &m_out;
    bool m_json;
};
