#include "serial/CommEventHandler.h"

#include "interfaces/ReceiveSink.h"
#include "interfaces/UserChannels.h"
#include "serial/CommPort.h"
#include "serial/Transmitter.h"

#include <QHash>

CommEventHandler::CommEventHandler(
    CommPort &port, Transmitter &transmitter, UserChannels &channels, ReceiveSink &viewer, QObject *parent)
    : QObject(parent)
    , m_port(port)
    , m_transmitter(transmitter)
    , m_channels(channels)
    , m_viewer(viewer)
{ }

QString CommEventHandler::eventMessage(int code)
{
    static const QHash<int, QString> messages {
        { CommPort::EvSend, QStringLiteral("传输缓冲区有 Sthreshold 个字符") },
        { CommPort::EvCTS, QStringLiteral("被检测的 CTS 改变") },
        { CommPort::EvDSR, QStringLiteral("被检测的 DSR 改变") },
        { CommPort::EvCD, QStringLiteral("被检测的 CD 改变") },
        { CommPort::EvRing, QStringLiteral("Ring Indicator 变化") },
        { CommPort::EvEOF, QStringLiteral("被检测的文件结尾") },
        { CommPort::ErBreak, QStringLiteral("收到中断") },
        { CommPort::ErCTSTimeout, QStringLiteral("CTS 超时") },
        { CommPort::ErDSRTimeout, QStringLiteral("DSR 超时") },
        { CommPort::ErFrame, QStringLiteral("帧错误") },
        { CommPort::ErOverrun, QStringLiteral("超限错误") },
        { CommPort::ErCDTimeout, QStringLiteral("运输检测超时") },
        { CommPort::ErRxOver, QStringLiteral("接收缓冲区溢出") },
        { CommPort::ErRxParity, QStringLiteral("奇偶校验错") },
        { CommPort::ErTxFull, QStringLiteral("传送缓冲区满") },
        { CommPort::ErDCB, QStringLiteral("检索 DCB 错误") },
    };
    return messages.value(code);
}

void CommEventHandler::MSComm1_OnComm()
{
    const int code = m_port.commEvent();
    if (code == CommPort::EvReceive) {
        QByteArray chunk = m_port.input();
        // Bytes taken in before a transmission or a question are read at
        // once, so a later event for them can find nothing left to read.
        if (chunk.isEmpty())
            return;
        RxBytes = std::move(chunk);
        ReplyByte = quint8(RxBytes.at(0));
        m_viewer.appendReceived(RxBytes);
        Q_EMIT replyStored(ReplyByte);
    } else if (code == CommPort::EvCTS) {
        m_transmitter.setSendReady(false);
    } else if (code == CommPort::EvDSR) {
        m_transmitter.setSendReady(true);
    }
    m_channels.ShowStatusText(QStringLiteral("串口中断事件:") + eventMessage(code));
}
