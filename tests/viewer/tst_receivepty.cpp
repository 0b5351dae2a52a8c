#include "RecordingUserChannels.h"
#include "ScriptedFileChooser.h"
#include "SerialFixture.h"
#include "serial/CommEventHandler.h"
#include "serial/CommPort.h"
#include "serial/Transmitter.h"
#include "viewer/FrmReceiveShow.h"
#include "viewer/ReceiveViewerHost.h"

#include <QRandomGenerator>
#include <QTest>
#include <QTimer>

#include <unistd.h>

// The whole receive path on a real serial device: bytes written to the far
// end of a pty arrive in the viewer's text, every one, in order.
class tst_ReceivePty : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void megabyteThroughThePortArrivesWhole();
};

void tst_ReceivePty::megabyteThroughThePortArrivesWhole()
{
    PtyPort com1(1);
    CommPort port;
    QCOMPARE(port.setPortNumber(1), 0);
    QCOMPARE(port.setInputLength(512), 0);
    QCOMPARE(port.setRThreshold(1), 0);
    QCOMPARE(port.setInputMode(1), 0);
    RecordingUserChannels channels;
    Transmitter transmitter(port, channels);
    ScriptedFileChooser files;
    ReceiveViewerHost host(nullptr, channels, files);
    CommEventHandler handler(port, transmitter, channels, host);
    connect(&port, &CommPort::onComm, &handler, &CommEventHandler::MSComm1_OnComm);
    QCOMPARE(port.setPortOpen(true), 0);

    QByteArray bytes(1 << 20, Qt::Uninitialized);
    QRandomGenerator random(7);
    random.fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);

    // The test and the port share one thread: write what the pty takes and
    // let the event loop read in between, never blocking on a full buffer.
    qsizetype sent = 0;
    QTimer feeder;
    feeder.setInterval(0);
    connect(&feeder, &QTimer::timeout, this, [&] {
        const qsizetype size = std::min<qsizetype>(1 + random.bounded(3000), bytes.size() - sent);
        const ssize_t written = ::write(com1.pty.masterFd(), bytes.constData() + sent, size_t(size));
        if (written > 0)
            sent += written;
        if (sent == bytes.size())
            feeder.stop();
    });
    feeder.start();

    const QString hex = QString::fromLatin1(bytes.toHex(' ').toUpper() + ' ');
    QTRY_COMPARE_WITH_TIMEOUT(host.viewer().text().size(), hex.size(), 60000);
    QVERIFY(host.viewer().text() == hex);
    QVERIFY(!host.viewer().isVisible());
    QCOMPARE(handler.ReplyByte, quint8(handler.RxBytes.at(0)));
}

QTEST_MAIN(tst_ReceivePty)
#include "tst_receivepty.moc"
