#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

class QIODevice;

// A batch's results on stdout, one line per command, written at once so a
// station script reads each as it comes. In text
//     [0] status 1: 提示:所检测的打印机在线！
// the exit code, the command as written, then what it printed and what it
// said on stderr, joined by "; ". With --json one object per line:
//     {"line":3,"command":"status 1","exit_code":0,"answer":{...},"messages":[...]}
// where answer is the command's own JSON result (an array when it gave
// several, null when none) and messages appear when it said anything.
class BatchResultWriter
{
public:
    BatchResultWriter(QIODevice &out, bool json);

    // printed: what the command wrote through its ResultWriter, in the
    // batch's form (text lines, or JSON objects one per line).
    void write(int lineNumber, const QString &command, int exitCode, const QByteArray &printed,
        const QStringList &messages);

private:
    void writeText(const QString &command, int exitCode, const QByteArray &printed, QStringList messages);
    void writeJson(int lineNumber, const QString &command, int exitCode, const QByteArray &printed,
        const QStringList &messages);

    QIODevice &m_out;
    bool m_json;
};
