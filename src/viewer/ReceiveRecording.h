#pragma once

#include "viewer/ReceivedStream.h"
#include "viewer/ViewerNotation.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QFile>
#include <QObject>
#include <QString>
#include <QTimer>

// Every received byte written to a file as it comes: the bytes themselves,
// or a timed log with one line per chunk in a viewer notation (see
// TimedLine), encoded in code page 936 like the viewer's saved text.
//
// Writes are gathered and go to the file when FlushBytes are waiting, and at
// the latest FlushIntervalMs after the first of them arrived, so that a
// program killed meanwhile loses at most that second. A write that fails
// ends the recording: failed() says why, once, and what arrives later is no
// longer recorded.
class ReceiveRecording : public QObject
{
    Q_OBJECT

public:
    enum class Format { Raw, TimedLog };

    ReceiveRecording(const QString &path, Format format, ViewerNotation form, QObject *parent = nullptr);
    // Writes what is waiting: the program's end is one of the recording's.
    ~ReceiveRecording() override;

    // Creates or empties the file; the reason it cannot be written, or an
    // empty string.
    QString open();
    bool isRecording() const { return m_file.isOpen(); }
    const QString &path() const { return m_path; }
    Format format() const { return m_format; }

    void record(QByteArrayView chunk);
    void record(QByteArrayView chunk, const QDateTime &arrived);
    // Writes what is waiting and closes the file; the reason the last write
    // failed (also one failed() told of), or an empty string.
    QString stop();

    static constexpr qsizetype FlushBytes = 64 * 1024;
    static constexpr int FlushIntervalMs = 1000;

Q_SIGNALS:
    // A write failed and the recording has ended.
    void failed(const QString &reason);

private:
    void addLine(const QDateTime &time, const QString &text);
    void flushOrFail();
    // The reason the waiting bytes could not be written, or an empty string.
    QString flush();

    QString m_path;
    Format m_format;
    ReceivedStream m_stream;
    QFile m_file;
    QByteArray m_waiting;
    QTimer m_flushTimer;
    // Txt: when the lead byte that waits for its trail byte arrived.
    QDateTime m_lastArrival;
    QString m_failure;
};
