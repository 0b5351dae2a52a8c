#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QString>

class CommPort;
class SerialPortCatalog;
class UserChannels;

// Every byte the program sends leaves through here. A transmission keeps the
// line busy without flooding it: it hands the OS new bytes whenever fewer
// than a window of about 10 ms of line time are still queued (our buffer
// plus the OS output queue), so a USB adapter always has the next bytes while
// a stop still takes effect within a window. It runs pending events at least
// every 10 ms, whether or not it had to wait, so the window never freezes and
// "停止发送" is seen at once; it waits only on the line, through a local event
// loop, never by spinning. No received byte is thrown away: what waits when a
// transmission starts is taken in before it, what arrives during it reaches
// the receive path as it comes.
class Transmitter : public QObject
{
    Q_OBJECT

public:
    Transmitter(CommPort &port, UserChannels &channels, QObject *parent = nullptr);

    // The ports present, named when an open fails (none by default).
    void setPortCatalog(SerialPortCatalog *catalog) { m_catalog = catalog; }

    // Opens the port when it is closed, transmits and reports the outcome on
    // the status line: "数据发送完成" once every byte has left the OS queue,
    // otherwise "数据发送失败".
    void SendByteArray(qint32 count, const QByteArray &bytes);
    bool TransmitBytes(qint32 count, const QByteArray &bytes);

    // Blank-separated decimal numbers 0-255, sent as bytes. Text that does not
    // convert sends nothing and reports "数据发送失败".
    void SendDecimalList(const QString &text);

    // "数据发送完成" or "数据发送失败", as the status line shows a
    // transmission's outcome.
    static QString outcomeText(bool completed);

    // Waits at least ms milliseconds while the event queue keeps running;
    // events are pumped at least once.
    void DelayMs(double ms);

    bool StopSending() const { return m_stopSending; }
    // A transmission is under way: a handler run inside its waits must not
    // start a long job of frames in the middle of its data.
    bool isTransmitting() const { return m_transmitting; }
    void setStopSending(bool stop);
    bool SendReady() const { return m_sendReady; }
    void setSendReady(bool ready);

    // The stop command (the print-test panel's "停止发送").
    void cmdstopcmd_Click() { setStopSending(true); }

    // How long the line may take no byte before the transmission gives up.
    void setDrainTimeoutMs(int ms) { m_drainTimeoutMs = ms; }

    // Bytes queued for the line at most, at the port's current speed.
    qsizetype windowBytes() const;

Q_SIGNALS:
    // StopSending or SendReady changed: wakes a waiting transmission.
    void flagsChanged();
    // Bytes handed to the port so far in the running transmission, of total;
    // emitted at most every pump interval, and once all are handed over, for
    // progress displays.
    void progress(qint64 handedOver, qint64 total);
    // A SendByteArray or SendDecimalList has ended, with the outcome it showed
    // on the status line: for callers that act on it rather than show it.
    void sendEnded(bool completed);

private:
    enum class Step { Go, Stopped, Failed };

    // One transmission's progress on the line. Kept on the stack, since a
    // transmission can start inside another one's wait.
    struct Run {
        qint64 total = 0;
        qint64 handedOver = 0;
        qint64 leftLast = 0;
        QElapsedTimer sinceProgress;
        QElapsedTimer sincePump;
        QElapsedTimer sinceProgressReport;
    };

    Step waitForSendReady(Run &run);
    Step waitForRoom(Run &run, qsizetype *room);
    Step waitUntilDrained(Run &run);
    Step checkLine(Run &run, qsizetype *queued);
    void waitForLine(Run &run, qsizetype queued);
    void waitForEvents(int timeoutMs);
    void pumpWhenDue(Run &run);
    void reportProgress(Run &run);
    bool fail(int errorNumber);
    void reportOutcome(bool completed);

    CommPort &m_port;
    UserChannels &m_channels;
    SerialPortCatalog *m_catalog = nullptr;
    bool m_stopSending = false;
    bool m_transmitting = false;
    bool m_sendReady = true;
    int m_drainTimeoutMs = 2000;
};
