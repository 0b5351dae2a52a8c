#include "RecordingUserChannels.h"
#include "SerialFixture.h"
#include "interfaces/ReceiveSink.h"
#include "serial/CommEventHandler.h"
#include "serial/CommPort.h"
#include "serial/Transmitter.h"

#include <QSocketNotifier>
#include <QTest>

#include <unistd.h>

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
    void lineErrorsAppearOnTheStatusLine_data();
    void lineErrorsAppearOnTheStatusLine();
    void bytesArrivingDuringASendAllReachTheViewer();

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

// A pty keeps no error counters; the driver's counts are injected, the one
// thing about line errors a pty cannot stand in for.
void tst_CommEvents::lineErrorsAppearOnTheStatusLine_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("text");
    QTest::newRow("break") << 0 << QStringLiteral("串口中断事件:收到中断");
    QTest::newRow("framing") << 1 << QStringLiteral("串口中断事件:帧错误");
    QTest::newRow("overrun") << 2 << QStringLiteral("串口中断事件:超限错误");
    QTest::newRow("receive overflow") << 3 << QStringLiteral("串口中断事件:接收缓冲区溢出");
    QTest::newRow("parity") << 4 << QStringLiteral("串口中断事件:奇偶校验错");
}

void tst_CommEvents::lineErrorsAppearOnTheStatusLine()
{
    QFETCH(int, kind);
    QFETCH(QString, text);
    static constexpr quint32 CommPort::LineErrorCounts::*counts[] = { &CommPort::LineErrorCounts::breaks,
        &CommPort::LineErrorCounts::framing, &CommPort::LineErrorCounts::overruns,
        &CommPort::LineErrorCounts::bufferOverruns, &CommPort::LineErrorCounts::parity };
    CommPort::LineErrorCounts driver;
    driver.framing = 7;
    m_port->setErrorCountSource([&driver] { return std::optional(driver); });
    QTest::qWait(60);
    QVERIFY2(m_channels.statusTexts.isEmpty(), "counts from before the open are no new errors");

    driver.*counts[kind] += 3;
    QTRY_COMPARE(m_channels.statusTexts, QStringList { text });
    QTest::qWait(60);
    QCOMPARE(m_channels.statusTexts.size(), 1);
    driver.*counts[kind] += 1;
    QTRY_COMPARE(m_channels.statusTexts, (QStringList { text, text }));

    // A driver that stops answering ends the polling quietly.
    m_port->setErrorCountSource([] { return std::optional<CommPort::LineErrorCounts>(); });
    QTest::qWait(60);
    QCOMPARE(m_channels.statusTexts.size(), 2);
    QVERIFY(m_port->portOpen());
}

void tst_CommEvents::bytesArrivingDuringASendAllReachTheViewer()
{
    QByteArray incoming(256 * 1024, Qt::Uninitialized);
    for (qsizetype i = 0; i < incoming.size(); ++i)
        incoming[i] = char(i * 7 + i / 251);
    const QByteArray outgoing(300 * 1024, 'x');

    // The far end takes what the transmission sends and writes back
    // whenever the line has room for it.
    QByteArray sent;
    QSocketNotifier reader(m_pty->pty.masterFd(), QSocketNotifier::Read);
    connect(&reader, &QSocketNotifier::activated, this, [&] { sent += m_pty->pty.readMaster(0); });
    qsizetype written = 0;
    QSocketNotifier writer(m_pty->pty.masterFd(), QSocketNotifier::Write);
    connect(&writer, &QSocketNotifier::activated, this, [&] {
        const ssize_t n = ::write(m_pty->pty.masterFd(), incoming.constData() + written,
            size_t(qMin<qsizetype>(4096, incoming.size() - written)));
        written += qMax<ssize_t>(0, n);
        writer.setEnabled(written < incoming.size());
    });
    m_transmitter->SendByteArray(qint32(outgoing.size()), outgoing);
    const qsizetype writtenDuringSend = written;
    QCOMPARE(m_channels.statusTexts.filter(QStringLiteral("数据发送")),
        QStringList { QStringLiteral("数据发送完成") });
    QTRY_COMPARE(sent.size(), outgoing.size());
    QVERIFY2(writtenDuringSend > 0, "the far end spoke while the send ran");
    QTRY_COMPARE(m_viewer.all().size(), incoming.size());
    QVERIFY(m_viewer.all() == incoming);
}

QTEST_GUILESS_MAIN(tst_CommEvents)
#include "tst_commevents.moc"
