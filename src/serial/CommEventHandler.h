#pragma once

#include <QByteArray>
#include <QObject>

class CommPort;
class ReceiveSink;
class Transmitter;
class UserChannels;

// The receive path and the port's line events: takes every received chunk
// into RxBytes, its first byte into ReplyByte (the host module's reply, read
// and reset by the wireless panels), hands the chunk to the viewer, drives
// SendReady from CTS and DSR changes and reports every event on the status
// line.
class CommEventHandler : public QObject
{
    Q_OBJECT

public:
    CommEventHandler(CommPort &port, Transmitter &transmitter, UserChannels &channels, ReceiveSink &viewer,
        QObject *parent = nullptr);

    void MSComm1_OnComm();

    // The message for an event code; empty for codes without one.
    static QString eventMessage(int code);

    QByteArray RxBytes;
    quint8 ReplyByte = 0;

Q_SIGNALS:
    // A receive event stored its chunk's first byte in ReplyByte.
    void replyStored(quint8 replyByte);

private:
    CommPort &m_port;
    Transmitter &m_transmitter;
    UserChannels &m_channels;
    ReceiveSink &m_viewer;
};
