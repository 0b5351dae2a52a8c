#pragma once

#include <QFile>
#include <QObject>
#include <QString>

class PtyEndpoint;

// A file's bytes sent to the PC as fast as the line takes them, as a module
// that streams what it hears: a piece at a time whenever the pty has taken
// everything queued. It pauses while the simulator is unplugged, and before
// a vanishing (see HostSimulator::unplugFor), so that every byte sent is
// one the PC could read, and a recording of it can be compared with the file.
class StreamFeed : public QObject
{
    Q_OBJECT

public:
    explicit StreamFeed(PtyEndpoint &pty, QObject *parent = nullptr);

    bool open(const QString &path, QString *error);
    // Opened and not all sent yet.
    bool isActive() const { return m_file.isOpen(); }
    qint64 sent() const { return m_sent; }

    void pause();
    void resume();

    static constexpr qint64 PieceBytes = 64 * 1024;

Q_SIGNALS:
    void finished(qint64 bytes);

private:
    void feed();

    PtyEndpoint &m_pty;
    QFile m_file;
    bool m_paused = false;
    qint64 m_sent = 0;
};
