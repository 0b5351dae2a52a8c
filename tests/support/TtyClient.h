#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

class QSocketNotifier;

// The program's side of a serial line as a plain descriptor: opens a tty (a
// pty's slave, or a link to one) raw and non-blocking, and collects what
// arrives while the event loop runs.
class TtyClient
{
public:
    explicit TtyClient(const QString &path);
    ~TtyClient();
    TtyClient(const TtyClient &) = delete;
    TtyClient &operator=(const TtyClient &) = delete;

    bool isOpen() const { return m_fd >= 0; }
    bool write(const QByteArray &bytes);
    QByteArray received() const { return m_received; }
    void clearReceived() { m_received.clear(); }
    // The speed on the tty's termios, in bit/s (0 for an unlisted one).
    int lineSpeed() const;

private:
    void readAvailable();

    int m_fd = -1;
    QByteArray m_received;
    std::unique_ptr<QSocketNotifier> m_notifier;
};
