#include "PtyPair.h"
#include "SendPathRig.h"
#include "SerialFixture.h"
#include "serial/CommErrorReport.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QSocketNotifier>
#include <QTest>
#include <QTimer>

#include <unistd.h>

namespace {

const QString done = QStringLiteral("数据发送完成");
const QString failed = QStringLiteral("数据发送失败");

} // namespace

class tst_Transmitter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void decimalListGoesOutAsBytes();
    void badDecimalListSendsNothing_data();
    void badDecimalListSendsNothing();
    void emptyArrayOpensThePortAndReportsDone();
    void largeTransmissionArrivesWholeAndInOrder();
    void nestedTransmissionLeavesTheOuterOneWhole();
    void progressIsToldWhileTheLineHoldsTheSendBack();
    void withoutHandshakeSendReadyIsIgnored();
    void handshakeWaitsForSendReadyAndStopEndsIt();
    void staleStopWritesOneByteAndFails();
    void byteThatCannotLeaveEndsTheTransmission_data();
    void byteThatCannotLeaveEndsTheTransmission();
    void portThatCannotOpenReportsItsError();
    void delayWaitsAndKeepsEventsRunning();

private:
    std::unique_ptr<PtyPort> m_pty;
    std::unique_ptr<SendPathRig> m_rig;
};

void tst_Transmitter::init()
{
    m_pty = std::make_unique<PtyPort>(1);
    QVERIFY(m_pty->pty.isValid());
    m_rig = std::make_unique<SendPathRig>(1);
    QCOMPARE(m_rig->portSetupError, 0);
}

void tst_Transmitter::cleanup()
{
    m_rig.reset();
    m_pty.reset();
}

void tst_Transmitter::decimalListGoesOutAsBytes()
{
    QVERIFY(!m_rig->port.portOpen());
    m_rig->transmitter.SendDecimalList(QStringLiteral("22 06 106 102 10 03 19"));
    QCOMPARE(m_pty->pty.readMaster().toHex(' '), QByteArray("16 06 6a 66 0a 03 13"));
    QCOMPARE(m_rig->channels.statusTexts, QStringList { done });
    QVERIFY2(m_rig->port.portOpen(), "a send opens the port and leaves it open");
}

void tst_Transmitter::badDecimalListSendsNothing_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("empty text") << QString();
    QTest::newRow("two blanks in a row") << QStringLiteral("1  2");
    QTest::newRow("trailing blank") << QStringLiteral("1 2 ");
    QTest::newRow("leading blank") << QStringLiteral(" 1 2");
    QTest::newRow("above a byte") << QStringLiteral("1 256");
    QTest::newRow("negative") << QStringLiteral("-1");
    QTest::newRow("signed") << QStringLiteral("+1");
    QTest::newRow("letters") << QStringLiteral("1 a");
    QTest::newRow("fraction") << QStringLiteral("1.5");
    QTest::newRow("huge") << QStringLiteral("99999999999999999999");
}

void tst_Transmitter::badDecimalListSendsNothing()
{
    QFETCH(QString, text);
    QVERIFY(m_rig->port.setPortOpen(true) == 0);
    m_rig->transmitter.SendDecimalList(text);
    QCOMPARE(m_rig->channels.statusTexts, QStringList { failed });
    QCOMPARE(m_pty->pty.readMaster(50), QByteArray());
}

void tst_Transmitter::emptyArrayOpensThePortAndReportsDone()
{
    m_rig->transmitter.SendByteArray(0, QByteArray());
    QVERIFY(m_rig->port.portOpen());
    QCOMPARE(m_rig->channels.statusTexts, QStringList { done });
    QCOMPARE(m_pty->pty.readMaster(50), QByteArray());
}

void tst_Transmitter::largeTransmissionArrivesWholeAndInOrder()
{
    QByteArray bytes(100000, Qt::Uninitialized);
    QRandomGenerator generator(7);
    generator.fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);

    // Read the master from the event loop, as a real far end would take the
    // bytes while the transmitter waits for its queue to drain.
    QByteArray received;
    QSocketNotifier reader(m_pty->pty.masterFd(), QSocketNotifier::Read);
    connect(&reader, &QSocketNotifier::activated, this, [&] { received += m_pty->pty.readMaster(0); });

    m_rig->transmitter.SendByteArray(qint32(bytes.size()), bytes);
    received += m_pty->pty.readMaster(100);
    QCOMPARE(m_rig->channels.statusTexts, QStringList { done });
    QCOMPARE(received.size(), bytes.size());
    QVERIFY(received == bytes);
}

// A transmission runs events while it works, so another one can start inside
// it (a wireless frame during a print test); each goes out whole.
void tst_Transmitter::nestedTransmissionLeavesTheOuterOneWhole()
{
    QByteArray bytes(200000, Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes[i] = char('a' + i % 26);
    QByteArray received;
    QSocketNotifier reader(m_pty->pty.masterFd(), QSocketNotifier::Read);
    connect(&reader, &QSocketNotifier::activated, this, [&] { received += m_pty->pty.readMaster(0); });
    QTimer::singleShot(20, this, [this] { m_rig->transmitter.SendDecimalList(QStringLiteral("1 2 3")); });

    m_rig->transmitter.SendByteArray(qint32(bytes.size()), bytes);
    received += m_pty->pty.readMaster(100);
    QCOMPARE(m_rig->channels.statusTexts, QStringList({ done, done }));
    const qsizetype inner = received.indexOf(QByteArray("\x01\x02\x03"));
    QVERIFY2(inner > 0, "the inner frame went out in one piece, during the outer transmission");
    QVERIFY(received.remove(inner, 3) == bytes);
}

void tst_Transmitter::progressIsToldWhileTheLineHoldsTheSendBack()
{
    // The far end takes 1000 bytes every 10 ms: once the pty's own buffer
    // (about 64 KB) is full, every write waits on the line.
    constexpr qsizetype total = 150000;
    QByteArray received;
    QTimer reader;
    connect(&reader, &QTimer::timeout, this, [&] { received += m_pty->pty.readMaster(0, 1000); });
    reader.start(10);
    QSignalSpy progress(&m_rig->transmitter, &Transmitter::progress);
    QSignalSpy ended(&m_rig->transmitter, &Transmitter::sendEnded);

    const QByteArray bytes(total, 'x');
    m_rig->transmitter.SendByteArray(qint32(total), bytes);
    received += m_pty->pty.readMaster(100);
    QCOMPARE(received.size(), total);
    QCOMPARE(ended.size(), 1);
    QCOMPARE(ended.first().first().toBool(), true);

    QVERIFY(!progress.isEmpty());
    QCOMPARE(progress.last(), (QVariantList { total, total }));
    const bool toldWhileHeldBack = std::any_of(progress.begin(), progress.end(), [](const QVariantList &p) {
        return p.first().toLongLong() > 80000 && p.first().toLongLong() < total;
    });
    QVERIFY(toldWhileHeldBack);
}

void tst_Transmitter::withoutHandshakeSendReadyIsIgnored()
{
    m_rig->transmitter.setSendReady(false);
    m_rig->transmitter.SendDecimalList(QStringLiteral("1 2 3"));
    QCOMPARE(m_pty->pty.readMaster().toHex(' '), QByteArray("01 02 03"));
    QCOMPARE(m_rig->channels.statusTexts, QStringList { done });
}

void tst_Transmitter::handshakeWaitsForSendReadyAndStopEndsIt()
{
    QCOMPARE(m_rig->port.setHandshaking(2), 0);
    m_rig->transmitter.setSendReady(false);
    QByteArray seenWhileWaiting;
    QTimer::singleShot(50, this, [&] {
        seenWhileWaiting = m_pty->pty.readMaster(10);
        m_rig->transmitter.cmdstopcmd_Click();
    });
    m_rig->transmitter.SendDecimalList(QStringLiteral("1 2 3"));
    // Nothing goes out while the far end is not ready.
    QCOMPARE(seenWhileWaiting.toHex(' '), QByteArray());
    QCOMPARE(m_pty->pty.readMaster(50), QByteArray());
    QCOMPARE(m_rig->channels.statusTexts, QStringList { failed });
    QVERIFY(m_rig->channels.informationTips.isEmpty());

    m_rig->transmitter.setStopSending(false);
    QTimer::singleShot(50, this, [&] {
        seenWhileWaiting = m_pty->pty.readMaster(10);
        m_rig->transmitter.setSendReady(true);
    });
    m_rig->transmitter.SendDecimalList(QStringLiteral("4 5 6"));
    QCOMPARE(seenWhileWaiting.toHex(' '), QByteArray());
    QCOMPARE(m_pty->pty.readMaster().toHex(' '), QByteArray("04 05 06"));
    QCOMPARE(m_rig->channels.lastStatus(), done);
}

void tst_Transmitter::staleStopWritesOneByteAndFails()
{
    m_rig->transmitter.setStopSending(true);
    m_rig->transmitter.SendDecimalList(QStringLiteral("1 2 3"));
    QCOMPARE(m_pty->pty.readMaster().toHex(' '), QByteArray("01"));
    QCOMPARE(m_rig->channels.statusTexts, QStringList { failed });
}

void tst_Transmitter::byteThatCannotLeaveEndsTheTransmission_data()
{
    QTest::addColumn<int>("handshaking");
    QTest::addColumn<QString>("tip");
    QTest::newRow("no handshake") << 0 << QStringLiteral("设备忙");
    QTest::newRow("RTS/CTS names the CTS line") << 2 << QStringLiteral("设备忙\n") + handshakeStallCause(2);
    QTest::newRow("both name CTS and XOFF") << 3 << QStringLiteral("设备忙\n") + handshakeStallCause(3);
}

void tst_Transmitter::byteThatCannotLeaveEndsTheTransmission()
{
    QFETCH(int, handshaking);
    QFETCH(QString, tip);
    // Nobody reads the master: the pty fills up and the bytes handed over
    // last can no longer leave, as when the far end holds CTS.
    QCOMPARE(m_rig->port.setHandshaking(handshaking), 0);
    m_rig->transmitter.setDrainTimeoutMs(200);
    const QByteArray bytes(1 << 20, 'x');
    m_rig->transmitter.SendByteArray(qint32(bytes.size()), bytes);
    QCOMPARE(m_rig->channels.statusTexts, QStringList { failed });
    QCOMPARE(m_rig->channels.informationTips, QStringList { tip });
    QVERIFY(handshakeStallCause(handshaking).contains(QStringLiteral("无握手")) == (handshaking >= 2));
}

void tst_Transmitter::portThatCannotOpenReportsItsError()
{
    QCOMPARE(m_rig->port.setPortNumber(2), 0);
    qputenv("VELTRIN_COM2", "/nonexistent/veltrin-device");
    m_rig->transmitter.SendDecimalList(QStringLiteral("1"));
    qunsetenv("VELTRIN_COM2");
    QCOMPARE(m_rig->channels.informationTips.size(), 1);
    QCOMPARE(m_rig->channels.statusTexts, QStringList { failed });
}

void tst_Transmitter::delayWaitsAndKeepsEventsRunning()
{
    bool ran = false;
    QTimer::singleShot(0, this, [&] { ran = true; });
    QElapsedTimer clock;
    clock.start();
    m_rig->transmitter.DelayMs(10);
    QVERIFY(clock.nsecsElapsed() >= 10'000'000);
    QVERIFY(ran);

    ran = false;
    QTimer::singleShot(0, this, [&] { ran = true; });
    m_rig->transmitter.DelayMs(0);
    QVERIFY2(ran, "events are pumped at least once");
}

QTEST_GUILESS_MAIN(tst_Transmitter)
#include "tst_transmitter.moc"
