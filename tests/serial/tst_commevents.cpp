#include "RecordingUserChannels.h"
#include "SerialFixture.h"
#include "interfaces/ReceiveSink.h"
#include "serial/CommEventHandler.h"
#include "serial/CommPort.h"
#include "serial/Transmitter.h"

#include <QTest>

namespace {

class ChunkLog : public ReceiveSink
{
public:
    void appendReceived(QByteArrayView bytes) override { chunks.append(bytes.toByteArray()); }
    QByteArray all() const { return chunks.join(); }
    QList<QByteArray> chunks;
};

} // namespace

class tst_CommEvents : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void receivedBytesBecomeReplyAndViewerText();
    void replyByteIsTheFirstByteOfTheLatestChunk();
    void chunksNeverExceedTheReadLength();
    void lineChangesDriveSendReady();
    void replyArrivesDuringDelay();

private:
    void openWithLines();

    std::unique_ptr<PtyPort> m_pty;
    std::unique_ptr<CommPort> m_port;
    RecordingUserChannels m_channels;
    ChunkLog m_viewer;
    std::unique_ptr<Transmitter> m_transmitter;
    std::unique_ptr<CommEventHandler> m_handler;
    QSerialPort::PinoutSignals m_lines = QSerialPort::NoSignal;
};

void tst_CommEvents::init()
{
    m_pty = std::make_unique<PtyPort>(1);
    m_port = std::make_unique<CommPort>();
    QCOMPARE(m_port->setPortNumber(1), 0);
    QCOMPARE(m_port->setInputLength(512), 0);
    QCOMPARE(m_port->setRThreshold(1), 0);
    QCOMPARE(m_port->setInputMode(1), 0);
    m_channels.clear();
    m_viewer.chunks.clear();
    m_transmitter = std::make_unique<Transmitter>(*m_port, m_channels);
    m_handler = std::make_unique<CommEventHandler>(*m_port, *m_transmitter, m_channels, m_viewer);
    connect(m_port.get(), &CommPort::onComm, m_handler.get(), &CommEventHandler::MSComm1_OnComm);
    QCOMPARE(m_port->setPortOpen(true), 0);
}

void tst_CommEvents::cleanup()
{
    m_handler.reset();
    m_transmitter.reset();
    m_port.reset();
    m_pty.reset();
}

void tst_CommEvents::receivedBytesBecomeReplyAndViewerText()
{
    QVERIFY(m_pty->pty.writeMaster(QByteArray::fromHex("16060A")));
    QTRY_COMPARE(m_viewer.all().toHex(' '), QByteArray("16 06 0a"));
    QCOMPARE(m_handler->ReplyByte, 22);
    QCOMPARE(m_handler->RxBytes.toHex(' '), QByteArray("16 06 0a"));
    QCOMPARE(m_channels.lastStatus(), QStringLiteral("串口中断事件:"));
}

void tst_CommEvents::replyByteIsTheFirstByteOfTheLatestChunk()
{
    QVERIFY(m_pty->pty.writeMaster(QByteArray(1, 1)));
    QTRY_COMPARE(m_viewer.chunks.size(), 1);
    QCOMPARE(m_handler->ReplyByte, 1);
    QVERIFY(m_pty->pty.writeMaster(QByteArray(1, 0)));
    QTRY_COMPARE(m_viewer.chunks.size(), 2);
    QCOMPARE(m_handler->ReplyByte, 0);
}

void tst_CommEvents::chunksNeverExceedTheReadLength()
{
    QByteArray bytes;
    for (int i = 0; i < 5000; ++i)
        bytes.append(char(i * 7));
    QVERIFY(m_pty->pty.writeMaster(bytes));
    QTRY_COMPARE(m_viewer.all().size(), bytes.size());
    QVERIFY(m_viewer.all() == bytes);
    for (const QByteArray &chunk : std::as_const(m_viewer.chunks))
        QVERIFY(chunk.size() <= 512);
    QCOMPARE(m_handler->RxBytes, m_viewer.chunks.last());
}

void tst_CommEvents::lineChangesDriveSendReady()
{
    m_port->setLineSource([this] { return std::optional(m_lines); });
    QVERIFY(m_transmitter->SendReady());

    m_lines = QSerialPort::ClearToSendSignal;
    QTRY_COMPARE(m_channels.lastStatus(), QStringLiteral("串口中断事件:被检测的 CTS 改变"));
    QVERIFY(!m_transmitter->SendReady());

    m_lines |= QSerialPort::DataSetReadySignal;
    QTRY_COMPARE(m_channels.lastStatus(), QStringLiteral("串口中断事件:被检测的 DSR 改变"));
    QVERIFY(m_transmitter->SendReady());

    // Only CTS and DSR move the flag; CD and RI are reported and nothing more.
    m_lines |= QSerialPort::DataCarrierDetectSignal;
    QTRY_COMPARE(m_channels.lastStatus(), QStringLiteral("串口中断事件:被检测的 CD 改变"));
    m_lines |= QSerialPort::RingIndicatorSignal;
    QTRY_COMPARE(m_channels.lastStatus(), QStringLiteral("串口中断事件:Ring Indicator 变化"));
    QVERIFY(m_transmitter->SendReady());

    // A CTS change makes it false whatever the new level is.
    m_lines &= ~QSerialPort::ClearToSendSignal;
    QTRY_VERIFY(!m_transmitter->SendReady());
}

void tst_CommEvents::replyArrivesDuringDelay()
{
    QVERIFY(m_pty->pty.writeMaster(QByteArray(1, 42)));
    m_transmitter->DelayMs(20);
    QCOMPARE(m_handler->ReplyByte, 42);
}

QTEST_GUILESS_MAIN(tst_CommEvents)
#include "tst_commevents.moc"
