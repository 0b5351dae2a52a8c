#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <memory>

class QSocketNotifier;

// The simulator's end of the serial line: a pseudo-terminal in raw mode. The
// program opens slavePath() as its serial port; the simulator reads and writes
// the master without blocking. A descriptor on the slave stays open for the
// whole run, so the master never sees a hang-up while the program closes and
// reopens its port, and so the line speed can be set on the slave's termios.
//
// close() is the USB adapter pulled out: the program's open descriptor then
// meets a hang-up, and what the module sends until the next open() is lost
// on the floor.
class PtyEndpoint : public QObject
{
    Q_OBJECT

public:
    explicit PtyEndpoint(QObject *parent = nullptr);
    ~PtyEndpoint() override;

    // A fresh pty each time, under a new slave path.
    bool open(int bitsPerSecond, QString *error);
    void close();
    bool isOpen() const { return m_master >= 0; }
    QString slavePath() const { return m_slavePath; }

    // Queues what the line cannot take at once and writes it when it can.
    void write(const QByteArray &bytes);
    qsizetype pendingBytes() const { return m_outgoing.size(); }
    // What the far end has not read yet of what the pty took (0 when closed).
    int unreadByPeer() const;

    // A pty carries bytes at any speed, so this only records the rate.
    bool setLineSpeed(int bitsPerSecond, QString *error);
    int lineSpeed() const { return m_lineSpeed; }

Q_SIGNALS:
    void received(const QByteArray &bytes);
    // The line took the last queued byte.
    void drained();
    void failed(const QString &reason);

private:
    void readAvailable();
    void writePending();
    void fail(const QString &reason);

    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
    int m_lineSpeed = 0;
    QByteArray m_outgoing;
    std::unique_ptr<QSocketNotifier> m_readNotifier;
    std::unique_ptr<QSocketNotifier> m_writeNotifier;
};
