#include "EveryCodePoint.h"
#include "viewer/GbkCodec.h"
#include "viewer/NotationConverter.h"

#include <QTest>

namespace {

QString lone(uchar byte)
{
    return QString(GbkCodec::singleByteChar(byte));
}

QString hexTokens(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper() + ' ');
}

} // namespace

class tst_NotationConverter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void tokens_data();
    void tokens();
    void convert_data();
    void convert();
    void loneBytesKeepTheirByte();
    void everyByteSequenceSurvivesTheTextNotation();
    void everyCharacterGivesItsBytesOrOneQuestionMark();
};

void tst_NotationConverter::tokens_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("hex");
    QTest::addColumn<QString>("expected");
    QTest::newRow("hex pads below 16") << QByteArray::fromHex("16060a") << true << "16 06 0A ";
    QTest::newRow("decimal without leading zeros") << QByteArray::fromHex("16060a") << false << "22 6 10 ";
    QTest::newRow("hex extremes") << QByteArray::fromHex("00ff") << true << "00 FF ";
    QTest::newRow("decimal extremes") << QByteArray::fromHex("00ff64") << false << "0 255 100 ";
    QTest::newRow("nothing") << QByteArray() << true << "";
}

void tst_NotationConverter::tokens()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, hex);
    QFETCH(QString, expected);
    QString text = QStringLiteral("x ");
    NotationConverter::appendTokens(text, bytes, hex);
    QCOMPARE(text, QStringLiteral("x ") + expected);
}

void tst_NotationConverter::convert_data()
{
    using N = ViewerNotation;
    QTest::addColumn<ViewerNotation>("from");
    QTest::addColumn<ViewerNotation>("to");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("failed");

    QTest::newRow("hex to txt pairs a lead byte with the next") << N::Hex << N::Txt << "B0 A1 41 "
                                                                << "啊A" << false;
    QTest::newRow("txt to ten gives every byte") << N::Txt << N::Ten << "啊A"
                                                 << "176 161 65 " << false;
    QTest::newRow("txt to hex gives every byte") << N::Txt << N::Hex << "中A"
                                                 << "D6 D0 41 " << false;
    QTest::newRow("ten to hex pads below 16") << N::Ten << N::Hex << "65 7 "
                                              << "41 07 " << false;
    QTest::newRow("hex to ten") << N::Hex << N::Ten << "0A FF 00 "
                                << "10 255 0 " << false;
    QTest::newRow("ten to txt controls and letters") << N::Ten << N::Txt << "72 105 13 10 "
                                                     << "Hi\r\n"
                                                     << false;
    QTest::newRow("same notation leaves the text alone") << N::Ten << N::Ten << "1  x"
                                                         << "1  x" << false;
    QTest::newRow("doubled blanks are skipped") << N::Hex << N::Ten << "41  42 "
                                                << "65 66 " << false;
    QTest::newRow("a line break counts as a blank") << N::Ten << N::Hex << "65\r\n66 "
                                                    << "41 42 " << false;
    QTest::newRow("text without trailing blank") << N::Ten << N::Hex << "65 66"
                                                 << "41 42 " << false;
    QTest::newRow("empty ten is no failure") << N::Ten << N::Hex << ""
                                             << "" << false;
    QTest::newRow("empty hex to txt is no failure") << N::Hex << N::Txt << ""
                                                    << "" << false;
    QTest::newRow("hex lead byte before the trailing blank stands alone") << N::Hex << N::Txt << "41 A1 "
                                                                          << "A" + lone(0xA1) << false;
    QTest::newRow("euro is byte 80") << N::Hex << N::Txt << "80 41 "
                                     << "€A" << false;
    QTest::newRow("bytes 81-A0 stand alone") << N::Hex << N::Txt << "81 40 " << lone(0x81) + "@" << false;
    QTest::newRow("a pair that is no character keeps both bytes")
        << N::Hex << N::Txt << "A1 20 " << lone(0xA1) + " " << false;
    QTest::newRow("decimal tokens appended in txt are characters too") << N::Txt << N::Hex << "A65 "
                                                                       << "41 36 35 20 " << false;

    QTest::newRow("empty txt to ten fails") << N::Txt << N::Ten << ""
                                            << "" << true;
    QTest::newRow("empty txt to hex fails") << N::Txt << N::Hex << ""
                                            << "" << true;
    QTest::newRow("ten lead byte last fails after the rest") << N::Ten << N::Txt << "65 66 176 "
                                                             << "AB" << true;
    QTest::newRow("ten lead byte without next piece fails") << N::Ten << N::Txt << "65 176"
                                                            << "A" << true;
    QTest::newRow("hex lead byte without next piece fails") << N::Hex << N::Txt << "41 A1"
                                                            << "A" << true;
    QTest::newRow("ten trail byte too large fails") << N::Ten << N::Txt << "65 176 300 "
                                                    << "A" << true;
    QTest::newRow("no hex number fails") << N::Hex << N::Ten << "41 GZ 42 "
                                         << "65 " << true;
    QTest::newRow("no decimal number fails") << N::Ten << N::Hex << "65 0x41 "
                                             << "41 " << true;
    QTest::newRow("ten above a byte fails") << N::Ten << N::Hex << "65 256 "
                                            << "41 " << true;
    QTest::newRow("hex above a byte fails") << N::Hex << N::Ten << "41 100 "
                                            << "65 " << true;
    QTest::newRow("lone line feed is no blank") << N::Ten << N::Hex << "65\n66 "
                                                << "" << true;
}

void tst_NotationConverter::convert()
{
    QFETCH(ViewerNotation, from);
    QFETCH(ViewerNotation, to);
    QFETCH(QString, text);
    QFETCH(QString, expected);
    QFETCH(bool, failed);
    const NotationConverter::Result result = NotationConverter::convert(from, to, text);
    QCOMPARE(result.text, expected);
    QCOMPARE(result.failed, failed);
}

void tst_NotationConverter::loneBytesKeepTheirByte()
{
    QCOMPARE(GbkCodec::singleByteChar(0x41), QChar(u'A'));
    QVERIFY(!GbkCodec::isLoneByte(GbkCodec::singleByteChar(0x80)));
    for (int byte = 0x81; byte <= 0xFE; ++byte)
        QVERIFY2(GbkCodec::isLoneByte(GbkCodec::singleByteChar(uchar(byte))),
            qPrintable(QString::number(byte, 16)));
    for (int byte = 0; byte < 0x100; ++byte)
        QCOMPARE(GbkCodec::encode(lone(uchar(byte))), QByteArray(1, char(byte)));
}

void tst_NotationConverter::everyByteSequenceSurvivesTheTextNotation()
{
    using N = ViewerNotation;
    // Every lead byte with every trail byte, every byte alone, and a lead
    // byte last.
    QByteArray bytes;
    for (int lead = 0xA1; lead <= 0xFF; ++lead) {
        for (int trail = 0; trail < 0x100; ++trail)
            bytes.append(char(lead)).append(char(trail));
    }
    for (int byte = 0; byte < 0x100; ++byte)
        bytes.append(char(byte)).append('A');
    bytes.append(char(0xA1));

    const QString hex = hexTokens(bytes);
    const NotationConverter::Result text = NotationConverter::convert(N::Hex, N::Txt, hex);
    QVERIFY(!text.failed);
    QCOMPARE(GbkCodec::encode(text.text), bytes);
    const NotationConverter::Result ten = NotationConverter::convert(N::Txt, N::Ten, text.text);
    const NotationConverter::Result back = NotationConverter::convert(N::Ten, N::Hex, ten.text);
    QVERIFY(!ten.failed && !back.failed);
    QCOMPARE(back.text, hex);
}

// Text typed or pasted into the viewer is encoded as the send notation
// encodes it; only the lone-byte characters stand for their own byte.
void tst_NotationConverter::everyCharacterGivesItsBytesOrOneQuestionMark()
{
    const EveryCodePoint every([](char32_t c, QByteArray &bytes) {
        if (!QChar::requiresSurrogates(c) && GbkCodec::isLoneByte(QChar(char16_t(c))))
            bytes.append(char(c & 0xFF));
        else
            EveryCodePoint::appendCodePageBytes(c, bytes);
        bytes.append(' ');
    });
    QCOMPARE(every.firstDifference(GbkCodec::encode(every.text)), QString());
}

QTEST_GUILESS_MAIN(tst_NotationConverter)
#include "tst_notationconverter.moc"
