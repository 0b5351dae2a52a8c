#pragma once

#include <QByteArray>
#include <QString>

// A pseudo-terminal: the slave is a real serial device for the program's
// serial layer; the test reads and writes the master to see the wire.
class PtyPair
{
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair &) = delete;
    PtyPair &operator=(const PtyPair &) = delete;

    bool isValid() const { return m_master >= 0; }
    QString slavePath() const { return m_slavePath; }
    int masterFd() const { return m_master; }

    // Everything the master can read within timeoutMs of quiet (the wait
    // restarts after every chunk), at most maxBytes.
    QByteArray readMaster(int timeoutMs = 100, qsizetype maxBytes = 1 << 30);
    // Reads until exactly count bytes arrived or timeoutMs passed without any.
    QByteArray readMasterExactly(qsizetype count, int timeoutMs = 2000);
    bool writeMaster(const QByteArray &bytes);

    // Closes the master: the slave side sees a hang-up.
    void closeMaster();

    // The baud rate currently set on the slave's termios (as a number).
    int slaveBaudRate() const;

private:
    int m_master = -1;
    int m_slaveKeepAlive = -1;
    QString m_slavePath;
};
