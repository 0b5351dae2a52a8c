#include "hostsim/StreamFeed.h"

#include "hostsim/PtyEndpoint.h"

StreamFeed::StreamFeed(PtyEndpoint &pty, QObject *parent)
    : QObject(parent)
    , m_pty(pty)
{
    // Queued: the pty reports the queue empty from inside a write.
    connect(&m_pty, &PtyEndpoint::drained, this, &StreamFeed::feed, Qt::QueuedConnection);
}

bool StreamFeed::open(const QString &path, QString *error)
{
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, m_file.errorString());
        return false;
    }
    feed();
    return true;
}

void StreamFeed::pause()
{
    m_paused = true;
}

void StreamFeed::resume()
{
    m_paused = false;
    feed();
}

void StreamFeed::feed()
{
    while (isActive() && !m_paused && m_pty.isOpen() && m_pty.pendingBytes() == 0) {
        const QByteArray piece = m_file.read(PieceBytes);
        if (piece.isEmpty()) {
            m_file.close();
            Q_EMIT finished(m_sent);
            return;
        }
        m_sent += piece.size();
        m_pty.write(piece);
    }
}
