#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class CommPort;
class UserChannels;

// Every byte the program sends leaves through here, one byte at a time, with
// the receive buffer purged before each one (the reply rules of the wireless
// panels depend on that). Each byte is written and waited for until the OS
// output queue has drained, so no byte handed over is ever discarded. The
// waits pump events through a local event loop, never by spinning.
class Transmitter : public QObject
{
    Q_OBJECT

public:
    Transmitter(CommPort &port, UserChannels &channels, QObject *parent = nullptr);

    // Opens the port when it is closed, transmits and reports the outcome on
    // the status line: "数据发送完成" or "数据发送失败".
    void SendByteArray(qint32 count, const QByteArray &bytes);
    bool TransmitBytes(qint32 count, const QByteArray &bytes);

    // Blank-separated decimal numbers 0-255, sent as bytes. Text that does not
    // convert sends nothing and reports "数据发送失败".
    void SendDecimalList(const QString &text);

    // Waits at least ms milliseconds while the event queue keeps running;
    // events are pumped at least once.
    void DelayMs(double ms);

    bool StopSending() const { return m_stopSending; }
    void setStopSending(bool stop);
    bool SendReady() const { return m_sendReady; }
    void setSendReady(bool ready);

    // The stop command (the print-test panel's "停止发送").
    void cmdstopcmd_Click() { setStopSending(true); }

    // How long one byte may take to leave before the transmission gives up.
    void setDrainTimeoutMs(int ms) { m_drainTimeoutMs = ms; }

Q_SIGNALS:
    // StopSending or SendReady changed: wakes a waiting transmission.
    void flagsChanged();

private:
    enum class WaitResult { Done, Stopped, Failed };

    WaitResult waitUntilDrained();
    WaitResult waitForSendReady();
    void waitForEvents(int timeoutMs);
    bool fail(int errorNumber);

    CommPort &m_port;
    UserChannels &m_channels;
    bool m_stopSending = false;
    bool m_sendReady = true;
    int m_drainTimeoutMs = 2000;
};
