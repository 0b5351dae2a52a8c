#include "EveryCodePoint.h"
#include "notation/SendNotation.h"

#include <QTest>

namespace {

const QString notANumber = QStringLiteral("类型不匹配，应为数据，范围：0-255");
const QString mismatch = QStringLiteral("类型不匹配！");
const QString notAscii = QStringLiteral("输入错误，输入应为ASCII码字符！");

constexpr qint16 ten = SendNotation::Decimal;
constexpr qint16 hex = SendNotation::Hexadecimal;
constexpr qint16 asc = SendNotation::Ascii;
constexpr qint16 txt = SendNotation::Text;

QByteArray hexOf(const QByteArray &bytes)
{
    return bytes.toHex(' ').toUpper();
}

QString utf16(std::initializer_list<char16_t> units)
{
    return QString(reinterpret_cast<const QChar *>(units.begin()), qsizetype(units.size()));
}

} // namespace

class tst_SendNotation : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void conversions_data();
    void conversions();
    void decimalForms_data();
    void decimalForms();
    void hexadecimalForms_data();
    void hexadecimalForms();
    void mnemonicsInBothCases_data();
    void mnemonicsInBothCases();
    void characterCodes_data();
    void characterCodes();
    void everyCharacterGivesItsBytesOrOneQuestionMark_data();
    void everyCharacterGivesItsBytesOrOneQuestionMark();
    void errors_data();
    void errors();
    void wordLengthLimit();
};

// Columns shared by the conversion tables: the notation in force before the
// parse, the text, the bytes, and the notation in force afterwards.
static void addConversionColumns()
{
    QTest::addColumn<qint16>("modeBefore");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<qint16>("modeAfter");
}

static void checkConversion()
{
    QFETCH(qint16, modeBefore);
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QFETCH(qint16, modeAfter);
    qint16 mode = modeBefore;
    const SendNotation::Result result = SendNotation::parse(text, mode);
    QCOMPARE(result.error, QString());
    QCOMPARE(hexOf(result.bytes), bytes);
    QCOMPARE(mode, modeAfter);
}

void tst_SendNotation::conversions_data()
{
    addConversionColumns();
    QTest::newRow("decimal escape sequence") << ten << "27 64 13 10" << QByteArray("1B 40 0D 0A") << ten;
    QTest::newRow("directives switch and the last one stays")
        << ten << "#HEX 1B 40 #TEN 13 10" << QByteArray("1B 40 0D 0A") << ten;
    QTest::newRow("directive persists after the parse") << ten << "#HEX 1B" << QByteArray("1B") << hex;
    QTest::newRow("lower-case directives")
        << ten << "#hex 1b #asc A #txt x #ten 9" << QByteArray("1B 41 78 20 09") << ten;
    QTest::newRow("directive word at the end only") << hex << "1B #TXT" << QByteArray("1B") << txt;
    QTest::newRow("a lone // is a comment") << ten << "// 12" << QByteArray("0C") << ten;
    QTest::newRow("a //word is skipped whole") << ten << "//12 13" << QByteArray("0D") << ten;
    QTest::newRow("a /// token is a comment") << asc << "/// A" << QByteArray("41") << asc;
    QTest::newRow("directives and comments only") << ten << "#HEX //" << QByteArray() << hex;
    QTest::newRow("empty text") << asc << "" << QByteArray() << asc;
    QTest::newRow("blanks only") << ten << "   " << QByteArray() << ten;
    QTest::newRow("accepted range ends") << ten << "0 255" << QByteArray("00 FF") << ten;
    QTest::newRow("runs of blanks separate empty tokens") << ten << "  1   2 " << QByteArray("01 02") << ten;
    QTest::newRow("ascii characters, mnemonic and double byte")
        << asc << "A SP esc 中" << QByteArray("41 20 1B D6 D0") << asc;
    QTest::newRow("ascii digit is its character") << asc << "1" << QByteArray("31") << asc;
    QTest::newRow("ascii single tab and slash") << asc << "\t / #" << QByteArray("09 2F 23") << asc;
    QTest::newRow("text words each end in one blank")
        << txt << "AB  CD" << QByteArray("41 42 20 43 44 20") << txt;
    QTest::newRow("text leading blanks vanish") << txt << "   go" << QByteArray("67 6F 20") << txt;
    QTest::newRow("text keeps line breaks inside a word")
        << txt << "a\r\nb" << QByteArray("61 0D 0A 62 20") << txt;
    QTest::newRow("text one-character token is never a comment") << txt << "/" << QByteArray("2F 20") << txt;
    QTest::newRow("text with comment and directive")
        << txt << "see //this #TEN 65" << QByteArray("73 65 65 20 41") << ten;
    QTest::newRow("text mixed-case directive is a word")
        << txt << "#Hex" << QByteArray("23 48 65 78 20") << txt;
    QTest::newRow("text Chinese words")
        << txt << "打印 测试" << QByteArray("B4 F2 D3 A1 20 B2 E2 CA D4 20") << txt;
}

void tst_SendNotation::conversions()
{
    checkConversion();
}

void tst_SendNotation::decimalForms_data()
{
    addConversionColumns();
    QTest::newRow("leading zeros") << ten << "06 0000000000000255" << QByteArray("06 FF") << ten;
    QTest::newRow("plus sign") << ten << "+7" << QByteArray("07") << ten;
    QTest::newRow("minus zero") << ten << "-0" << QByteArray("00") << ten;
    QTest::newRow("negative that rounds to zero") << ten << "-0.4" << QByteArray("00") << ten;
    QTest::newRow("negative half rounds to even zero") << ten << "-0.5" << QByteArray("00") << ten;
    QTest::newRow("exponent") << ten << "1e2" << QByteArray("64") << ten;
    QTest::newRow("fraction with upper-case exponent") << ten << "1.5E1" << QByteArray("0F") << ten;
    QTest::newRow("signed exponents") << ten << "2550e-1 25.5e+1" << QByteArray("FF FF") << ten;
    QTest::newRow("tiny exponent is zero") << ten << "1e-400" << QByteArray("00") << ten;
    QTest::newRow("fraction without integer digits") << ten << ".5 .6" << QByteArray("00 01") << ten;
    QTest::newRow("point without fraction digits") << ten << "5." << QByteArray("05") << ten;
    QTest::newRow("halves go to the even neighbour")
        << ten << "0.5 1.5 2.5 3.5 253.5 254.5" << QByteArray("00 02 02 04 FE FE") << ten;
    QTest::newRow("just below and above a half")
        << ten << "2.4999999 2.5000001" << QByteArray("02 03") << ten;
    QTest::newRow("rounding on the written digits, not on a double")
        << ten << "0.500000000000000000001 254.49999999999999999999" << QByteArray("01 FE") << ten;
    QTest::newRow("zero with any exponent") << ten << "0e999999999999 0.000" << QByteArray("00 00") << ten;
    QTest::newRow("&H hexadecimal form, either case")
        << ten << "&H1F &h1f &HFF" << QByteArray("1F 1F FF") << ten;
}

void tst_SendNotation::decimalForms()
{
    checkConversion();
}

void tst_SendNotation::hexadecimalForms_data()
{
    addConversionColumns();
    QTest::newRow("either case") << hex << "1b 1B fF" << QByteArray("1B 1B FF") << hex;
    QTest::newRow("leading zeros") << hex << "0FF 0000000001 00" << QByteArray("FF 01 00") << hex;
    QTest::newRow("single digits") << hex << "0 9 a F" << QByteArray("00 09 0A 0F") << hex;
}

void tst_SendNotation::hexadecimalForms()
{
    checkConversion();
}

void tst_SendNotation::mnemonicsInBothCases_data()
{
    static const char *upper[] = { "NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS", "HT", "LF",
        "VT", "FF", "CR", "SO", "SI", "DLE", "DC1", "DC2", "DC3", "DC4", "NAK", "SYN", "ETB", "CAN", "EM",
        "SUB", "ESC", "FS", "GS", "RS", "US", "SP" };
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("byte");
    for (int byte = 0; byte < int(std::size(upper)); ++byte) {
        const QString name = QString::fromLatin1(upper[byte]);
        QTest::addRow("%s", upper[byte]) << name << byte;
        QTest::addRow("%s lower", upper[byte]) << name.toLower() << byte;
    }
}

void tst_SendNotation::mnemonicsInBothCases()
{
    QFETCH(QString, text);
    QFETCH(int, byte);
    qint16 mode = asc;
    const SendNotation::Result result = SendNotation::parse(text, mode);
    QCOMPARE(result.error, QString());
    QCOMPARE(result.bytes, QByteArray(1, char(byte)));
}

void tst_SendNotation::characterCodes_data()
{
    addConversionColumns();
    QTest::newRow("double byte and euro") << txt << "中€A" << QByteArray("D6 D0 80 41 20") << txt;
    QTest::newRow("unencodable is one question mark") << txt << "a☃b" << QByteArray("61 3F 62 20") << txt;
    QTest::newRow("character outside the BMP is one question mark")
        << txt << "a😀b" << QByteArray("61 3F 62 20") << txt;
    QTest::newRow("ascii: character outside the BMP is one character")
        << asc << "😀 A" << QByteArray("3F 41") << asc;
    QTest::newRow("ascii: lone surrogate") << asc << utf16({ 0xD83D }) << QByteArray("3F") << asc;
    QTest::newRow("ascii: double byte and euro") << asc << "€ 码" << QByteArray("80 C2 EB") << asc;
    QTest::newRow("lone high surrogate ending a word")
        << txt << utf16({ u'x', 0xD83D }) << QByteArray("78 3F 20") << txt;
    QTest::newRow("split pair does not join across words")
        << txt << utf16({ 0xD83D, u' ', 0xDE00 }) << QByteArray("3F 20 3F 20") << txt;
    QTest::newRow("lone surrogates inside a word")
        << txt << utf16({ 0xDE00, 0xDE00, 0xD83D, u'y' }) << QByteArray("3F 3F 3F 79 20") << txt;
    QTest::newRow("nul character") << txt << utf16({ 0, u'z' }) << QByteArray("00 7A 20") << txt;
    // The converter alone writes nothing for these.
    QTest::newRow("zero-width space inside a word") << txt << "A\u200BB" << QByteArray("41 3F 42 20") << txt;
    QTest::newRow("ascii: zero-width space alone") << asc << "\u200B" << QByteArray("3F") << asc;
    QTest::newRow("byte-order mark first") << txt << utf16({ 0xFEFF, u'A' }) << QByteArray("3F 41 20") << txt;
    QTest::newRow("soft hyphen") << txt << "a\u00ADb" << QByteArray("61 3F 62 20") << txt;
}

void tst_SendNotation::characterCodes()
{
    checkConversion();
}

// Every character that code page 936 lacks is one "?", and no character
// vanishes; every other one gives the bytes that decode to it.
void tst_SendNotation::everyCharacterGivesItsBytesOrOneQuestionMark_data()
{
    QTest::addColumn<qint16>("mode");
    QTest::addColumn<QByteArray>("afterEach");
    QTest::newRow("text words") << txt << QByteArray(" ");
    QTest::newRow("ascii characters") << asc << QByteArray();
}

void tst_SendNotation::everyCharacterGivesItsBytesOrOneQuestionMark()
{
    QFETCH(qint16, mode);
    QFETCH(QByteArray, afterEach);
    const EveryCodePoint every([&afterEach](char32_t c, QByteArray &bytes) {
        EveryCodePoint::appendCodePageBytes(c, bytes);
        bytes.append(afterEach);
    });
    const SendNotation::Result result = SendNotation::parse(every.text, mode);
    QCOMPARE(result.error, QString());
    QCOMPARE(every.firstDifference(result.bytes), QString());
}

void tst_SendNotation::errors_data()
{
    QTest::addColumn<qint16>("modeBefore");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("error");
    QTest::addColumn<qint16>("modeAfter");

    QTest::newRow("mixed-case directive is no number") << ten << "#Hex 10" << notANumber << ten;
    QTest::newRow("decimal 256") << ten << "256" << mismatch << ten;
    QTest::newRow("decimal -1") << ten << "-1" << mismatch << ten;
    QTest::newRow("decimal 255.5 rounds to 256") << ten << "255.5" << mismatch << ten;
    QTest::newRow("decimal -0.6 rounds to -1") << ten << "-0.6" << mismatch << ten;
    QTest::newRow("decimal huge exponent") << ten << "1e400" << mismatch << ten;
    QTest::newRow("decimal &H above 255") << ten << "&H100" << mismatch << ten;
    QTest::newRow("decimal one thousand") << ten << "1000" << mismatch << ten;
    const char *notNumbers[] = { "A", "/", "1,000", "$5", "0x1F", "1e", "e2", ".", "+", "-", "+-1", "1.2.3",
        "&H", "&HG", "&O17", "-&H1", "1d2", "Inf", "NaN", "5%", "1_0" };
    for (const char *word : notNumbers)
        QTest::addRow("decimal not a number: %s", word)
            << ten << QString::fromLatin1(word) << notANumber << ten;
    QTest::newRow("decimal with a tab") << ten << "12\t" << notANumber << ten;
    QTest::newRow("decimal with a line break") << ten << "12\r\n13" << notANumber << ten;
    QTest::newRow("decimal full-width digits") << ten << "１２" << notANumber << ten;
    QTest::newRow("hex 100") << hex << "100" << mismatch << hex;
    QTest::newRow("hex g1") << hex << "g1" << mismatch << hex;
    QTest::newRow("hex with sign") << hex << "+1" << mismatch << hex;
    QTest::newRow("hex with 0x prefix") << hex << "0x1" << mismatch << hex;
    QTest::newRow("hex with &H prefix") << hex << "&H1" << mismatch << hex;
    QTest::newRow("hex many digits") << hex << "123456789ABCDEF" << mismatch << hex;
    QTest::newRow("ascii mixed-case mnemonic") << asc << "Sp" << notAscii << asc;
    QTest::newRow("ascii other mixed case") << asc << "eSC" << notAscii << asc;
    QTest::newRow("ascii two letters") << asc << "AB" << notAscii << asc;
    QTest::newRow("ascii two Chinese characters") << asc << "中文" << notAscii << asc;
    QTest::newRow("ascii Nul") << asc << "Nul" << notAscii << asc;
    QTest::newRow("error after valid tokens sends nothing") << ten << "1 2 3 x" << notANumber << ten;
    QTest::newRow("directive before the error stays") << ten << "#HEX 1B #ASC AB" << notAscii << asc;
    QTest::newRow("directive after the error is not reached") << ten << "300 #TXT" << mismatch << ten;
}

void tst_SendNotation::errors()
{
    QFETCH(qint16, modeBefore);
    QFETCH(QString, text);
    QFETCH(QString, error);
    QFETCH(qint16, modeAfter);
    qint16 mode = modeBefore;
    const SendNotation::Result result = SendNotation::parse(text, mode);
    QVERIFY(!result.ok());
    QCOMPARE(result.error, error);
    QCOMPARE(result.bytes, QByteArray());
    QCOMPARE(mode, modeAfter);
}

void tst_SendNotation::wordLengthLimit()
{
    qint16 mode = txt;
    const QString longest(32765, QLatin1Char('w'));
    SendNotation::Result result = SendNotation::parse(QStringLiteral("a ") + longest, mode);
    QCOMPARE(result.error, QString());
    QCOMPARE(result.bytes.size(), 2 + 32765 + 1);

    result = SendNotation::parse(QStringLiteral("a ") + longest + QLatin1Char('w'), mode);
    QCOMPARE(result.error, mismatch);
    QCOMPARE(result.bytes, QByteArray());
}

QTEST_GUILESS_MAIN(tst_SendNotation)
#include "tst_sendnotation.moc"
