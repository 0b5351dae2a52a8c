#include "viewer/ReceiveRecording.h"

#include "viewer/GbkCodec.h"
#include "viewer/SpecialFile.h"
#include "viewer/TimedLine.h"

#include <QFileInfo>

ReceiveRecording::ReceiveRecording(const QString &path, Format format, ViewerNotation form, QObject *parent)
    : QObject(parent)
    , m_path(path)
    , m_format(format)
    , m_stream(form, ReceivedStream::LoneBytes::Kept)
    , m_file(path)
{
    m_flushTimer.setSingleShot(true);
    m_flushTimer.setInterval(FlushIntervalMs);
    connect(&m_flushTimer, &QTimer::timeout, this, &ReceiveRecording::flushOrFail);
}

ReceiveRecording::~ReceiveRecording()
{
    stop();
}

QString ReceiveRecording::open()
{
    const QFileInfo info(m_path);
    if (info.isDir())
        return QStringLiteral("所选的是文件夹，不是文件");
    // Opening a FIFO for writing would wait until something reads it.
    if (SpecialFile::isPipeOrSocket(m_path))
        return QStringLiteral("所选的是管道或套接字，无法记录到其中");
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        const QString reason = m_file.errorString();
        m_file.unsetError();
        return reason;
    }
    return {};
}

void ReceiveRecording::record(QByteArrayView chunk)
{
    record(chunk, m_format == Format::TimedLog ? QDateTime::currentDateTime() : QDateTime());
}

void ReceiveRecording::record(QByteArrayView chunk, const QDateTime &arrived)
{
    if (!isRecording() || chunk.isEmpty())
        return;
    if (m_format == Format::Raw) {
        m_waiting.append(chunk);
    } else {
        addLine(arrived, m_stream.take(chunk));
        m_lastArrival = arrived;
    }
    if (m_waiting.size() >= FlushBytes)
        flushOrFail();
    else if (!m_waiting.isEmpty() && !m_flushTimer.isActive())
        m_flushTimer.start();
}

QString ReceiveRecording::stop()
{
    if (!isRecording())
        return m_failure;
    if (m_format == Format::TimedLog)
        addLine(m_lastArrival, m_stream.finish());
    const QString reason = flush();
    m_file.close();
    return reason;
}

// A chunk that is only a lead byte has no character yet: it gets no line,
// and its character goes on the line of the chunk its trail byte comes in.
void ReceiveRecording::addLine(const QDateTime &time, const QString &text)
{
    if (text.isEmpty())
        return;
    m_waiting.append(GbkCodec::encode(TimedLine::format(time, m_stream.form(), text)));
    m_waiting.append("\r\n");
}

void ReceiveRecording::flushOrFail()
{
    const QString reason = flush();
    if (reason.isEmpty())
        return;
    m_failure = reason;
    m_file.close();
    Q_EMIT failed(reason);
}

QString ReceiveRecording::flush()
{
    m_flushTimer.stop();
    if (m_waiting.isEmpty())
        return {};
    const QByteArray bytes = std::exchange(m_waiting, {});
    // Where a file can be deleted while it is open, writing to it still
    // succeeds, into a file nobody will find.
    if (!QFileInfo::exists(m_path))
        return QStringLiteral("文件已不在原处（被删除或移走）");
    if (m_file.write(bytes) != bytes.size()) {
        const QString reason = m_file.errorString();
        return reason.isEmpty() ? QStringLiteral("写入不完整") : reason;
    }
    return {};
}
