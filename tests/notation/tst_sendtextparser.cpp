#include "SendPathRig.h"
#include "SerialFixture.h"

#include <QSocketNotifier>
#include <QTest>

namespace {

const QString done = QStringLiteral("数据发送完成");

} // namespace

class tst_SendTextParser : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void convertedTextGoesOnTheWire_data();
    void convertedTextGoesOnTheWire();
    void nothingToSendStillCompletes();
    void errorShowsOneTipAndSendsNothing_data();
    void errorShowsOneTipAndSendsNothing();
    void notationCarriesOverToTheNextSend();
    void longTextConvertsAsOneWhole();

private:
    std::unique_ptr<PtyPort> m_pty;
    std::unique_ptr<SendPathRig> m_rig;
};

void tst_SendTextParser::init()
{
    m_pty = std::make_unique<PtyPort>(1);
    QVERIFY(m_pty->pty.isValid());
    m_rig = std::make_unique<SendPathRig>(1);
    QCOMPARE(m_rig->portSetupError, 0);
}

void tst_SendTextParser::cleanup()
{
    m_rig.reset();
    m_pty.reset();
}

void tst_SendTextParser::convertedTextGoesOnTheWire_data()
{
    QTest::addColumn<qint16>("mode");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("wire");
    QTest::newRow("decimal") << qint16(0) << "27 64 13 10" << QByteArray("1b 40 0d 0a");
    QTest::newRow("ascii with mnemonic and double byte")
        << qint16(2) << "A SP esc 中" << QByteArray("41 20 1b d6 d0");
    QTest::newRow("text with a comment and a switch to decimal")
        << qint16(3) << "see //this #TEN 65" << QByteArray("73 65 65 20 41");
}

void tst_SendTextParser::convertedTextGoesOnTheWire()
{
    QFETCH(qint16, mode);
    QFETCH(QString, text);
    QFETCH(QByteArray, wire);
    m_rig->parser.DataMode = mode;
    m_rig->parser.ParseSendText(text);
    QCOMPARE(m_pty->pty.readMaster().toHex(' '), wire);
    QCOMPARE(m_rig->channels.statusTexts, QStringList { done });
    QCOMPARE(m_rig->channels.boxes.size(), 0);
}

void tst_SendTextParser::nothingToSendStillCompletes()
{
    m_rig->parser.ParseSendText(QStringLiteral("#HEX //"));
    QCOMPARE(m_pty->pty.readMaster(), QByteArray());
    QCOMPARE(m_rig->channels.statusTexts, QStringList { done });
    QVERIFY2(m_rig->port.portOpen(), "the transmission opened the port although it had no byte to write");
    QCOMPARE(m_rig->parser.DataMode, qint16(1));
}

void tst_SendTextParser::errorShowsOneTipAndSendsNothing_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("tip");
    QTest::addColumn<qint16>("modeAfter");
    QTest::newRow("mixed-case directive")
        << "#Hex 10" << QStringLiteral("类型不匹配，应为数据，范围：0-255") << qint16(0);
    QTest::newRow("error after valid tokens") << "1 2 3 256" << QStringLiteral("类型不匹配！") << qint16(0);
    QTest::newRow("directive before the error stays")
        << "#HEX 1B #ASC AB" << QStringLiteral("输入错误，输入应为ASCII码字符！") << qint16(2);
}

void tst_SendTextParser::errorShowsOneTipAndSendsNothing()
{
    QFETCH(QString, text);
    QFETCH(QString, tip);
    QFETCH(qint16, modeAfter);
    m_rig->parser.ParseSendText(text);
    QCOMPARE(m_rig->channels.tips(), QStringList { tip });
    QCOMPARE(m_rig->channels.boxes.constFirst().style, UserChannels::InformationIcon);
    QCOMPARE(m_rig->channels.statusTexts, QStringList());
    QCOMPARE(m_rig->parser.DataMode, modeAfter);
    QVERIFY2(!m_rig->port.portOpen(), "a failed parse must not even open the port");
    QCOMPARE(m_pty->pty.readMaster(), QByteArray());
}

void tst_SendTextParser::notationCarriesOverToTheNextSend()
{
    m_rig->parser.ParseSendText(QStringLiteral("#HEX 1B"));
    m_rig->parser.ParseSendText(QStringLiteral("40"));
    QCOMPARE(m_pty->pty.readMaster().toHex(' '), QByteArray("1b 40"));
    QCOMPARE(m_rig->channels.statusTexts, QStringList({ done, done }));
    QCOMPARE(m_rig->parser.DataMode, qint16(1));
}

// A long text converts in slices between which events run; the result must
// be that of one conversion: directives carry across, a late error sends
// nothing, and an error's notation is the one in force where it stood.
void tst_SendTextParser::longTextConvertsAsOneWhole()
{
    QString text;
    QByteArray expected;
    for (int i = 0; i < 20000; ++i) {
        text += i % 2 ? QStringLiteral("#HEX 41 #TEN  66 ") : QStringLiteral("#txt ab ");
        expected += i % 2 ? QByteArray("\x41\x42") : QByteArray("ab ");
    }
    QVERIFY(text.size() > 100000);
    QByteArray wire;
    QSocketNotifier reader(m_pty->pty.masterFd(), QSocketNotifier::Read);
    connect(&reader, &QSocketNotifier::activated, this, [&] { wire += m_pty->pty.readMaster(0); });
    m_rig->parser.DataMode = 0;
    m_rig->parser.ParseSendText(text);
    wire += m_pty->pty.readMaster();
    QCOMPARE(wire, expected);
    QCOMPARE(m_rig->channels.statusTexts, QStringList { done });
    QCOMPARE(m_rig->parser.DataMode, qint16(0));

    m_rig->channels.clear();
    m_rig->parser.ParseSendText(text + QStringLiteral("#HEX 1G"));
    QCOMPARE(m_rig->channels.tips(), QStringList { QStringLiteral("类型不匹配！") });
    QVERIFY(m_rig->channels.statusTexts.isEmpty());
    QCOMPARE(m_pty->pty.readMaster(50), QByteArray());
    QCOMPARE(m_rig->parser.DataMode, qint16(1));
}

QTEST_GUILESS_MAIN(tst_SendTextParser)
#include "tst_sendtextparser.moc"
