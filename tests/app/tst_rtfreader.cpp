#include "app/RtfReader.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTest>

namespace {

QByteArray helpDocument()
{
    QFile file(QStringLiteral(":/help.rtf"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList helpLines()
{
    return RtfReader::toPlainText(helpDocument()).split(QLatin1Char('\n'));
}

QString repeated(char c, int count)
{
    return QString(count, QLatin1Char(c));
}

// The lines of one command entry, from " N、" to the blank line after it.
QStringList entryLines(const QStringList &lines, int number)
{
    const qsizetype start = lines.indexOf(QStringLiteral(" %1、").arg(number));
    if (start < 0)
        return {};
    const qsizetype end = lines.indexOf(QString(), start);
    return lines.mid(start, end - start);
}

QString fieldLabel(const QString &line)
{
    return line.startsWith(QLatin1String("   [")) ? line.mid(4, line.indexOf(QLatin1Char(']')) - 4)
                                                  : QString();
}

} // namespace

class TestRtfReader : public QObject
{
    Q_OBJECT

private slots:
    void readsTextAndEscapes_data();
    void readsTextAndEscapes();
    void fontRuns_data();
    void fontRuns();
    void storedDocumentHasTheExpectedHeader();
    void storedDocumentFonts();
    void documentOutline();
    void commandEntries_data();
    void commandEntries();
    void rangeOfPrinterSelection();
    void survivesTruncatedDocuments();
    void survivesRandomInput();
    void survivesDeepNesting();
    void survivesHugeNumbers_data();
    void survivesHugeNumbers();
};

void TestRtfReader::readsTextAndEscapes_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("text");

    const QByteArray fonts = "{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}{\\f1\\fmodern\\fprq6\\fcharset134 "
                             "\\'cb\\'ce\\'cc\\'e5;}}";
    QTest::newRow("par and tab") << QByteArray("{\\rtf1 a\\par\n\\tab b\\par}") << QStringLiteral("a\n\tb\n");
    QTest::newRow("GBK pair in charset 134 font")
        << QByteArray("{\\rtf1\\ansi\\ansicpg1252\\deff0" + fonts + "\\f1\\'d6\\'d0\\'ce\\'c4}")
        << QStringLiteral("中文");
    QTest::newRow("font 0 uses the document code page")
        << QByteArray("{\\rtf1\\ansi\\ansicpg1252\\deff0" + fonts + "caf\\'e9}") << QStringLiteral("café");
    QTest::newRow("font switch ends a byte run")
        << QByteArray("{\\rtf1\\ansicpg1252" + fonts + "\\f1\\'d6\\'d0\\f0\\'e9}") << QStringLiteral("中é");
    QTest::newRow("control word delimiter blank is not text")
        << QByteArray("{\\rtf1" + fonts + "\\f1 1\\'a1\\'a2}") << QStringLiteral("1、");
    QTest::newRow("escaped literals") << QByteArray("{\\rtf1 \\\\ \\{x\\}}") << QStringLiteral("\\ {x}");
    QTest::newRow("unicode with one fallback byte")
        << QByteArray("{\\rtf1\\uc1\\u20013?x}") << QStringLiteral("中x");
    QTest::newRow("unicode negative wraps") << QByteArray("{\\rtf1\\u-3?}") << QString(QChar(0xFFFD));
    QTest::newRow("uc2 skips an escape pair")
        << QByteArray("{\\rtf1\\uc2\\u25991\\'ce\\'c4!}") << QStringLiteral("文!");
    QTest::newRow("uc0 skips nothing") << QByteArray("{\\rtf1\\uc0\\u65 B}") << QStringLiteral("AB");
    QTest::newRow("uc is per group") << QByteArray("{\\rtf1{\\uc0}\\u65 B}") << QStringLiteral("A");
    QTest::newRow("starred destination skipped")
        << QByteArray("{\\rtf1 a{\\*\\generator Riched20 10.0;}b}") << QStringLiteral("ab");
    QTest::newRow("colour table skipped")
        << QByteArray("{\\rtf1{\\colortbl;\\red0;}x}") << QStringLiteral("x");
    QTest::newRow("unknown words ignored")
        << QByteArray("{\\rtf1\\viewkind4\\pard\\lang2052\\fs18\\b x\\b0}") << QStringLiteral("x");
    QTest::newRow("binary data skipped") << QByteArray("{\\rtf1 a\\bin3 {}\\b}") << QStringLiteral("ab");
    QTest::newRow("backslash newline is a paragraph")
        << QByteArray("{\\rtf1 a\\\nb}") << QStringLiteral("a\nb");
    QTest::newRow("source line breaks are not text") << QByteArray("{\\rtf1 a\r\nb}") << QStringLiteral("ab");
}

void TestRtfReader::readsTextAndEscapes()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, text);
    QCOMPARE(RtfReader::toPlainText(rtf), text);
}

void TestRtfReader::fontRuns_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QStringList>("runs");

    const QByteArray fonts = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}"
                             "{\\f1\\fmodern\\fprq6\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}";
    QTest::newRow("font switch and back") << QByteArray(fonts + "==\\f1\\'d6\\'d0==\\f0\\par}")
                                          << QStringList { "Arial:==", "宋体:中==", "Arial:\n" };
    QTest::newRow("group keeps its font")
        << QByteArray(fonts + "a{\\f1 b}c}") << QStringList { "Arial:a", "宋体:b", "Arial:c" };
    QTest::newRow("plain returns to the default")
        << QByteArray(fonts + "\\f1 a\\plain b}") << QStringList { "宋体:a", "Arial:b" };
    QTest::newRow("font missing from the table") << QByteArray(fonts + "\\f7 a}") << QStringList { ":a" };
    QTest::newRow("no font table") << QByteArray("{\\rtf1 a}") << QStringList { ":a" };
}

void TestRtfReader::fontRuns()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QStringList, runs);
    QStringList read;
    for (const RtfReader::Run &run : RtfReader::toRuns(rtf))
        read.append(run.font + QLatin1Char(':') + run.text);
    QCOMPARE(read, runs);
}

void TestRtfReader::storedDocumentFonts()
{
    const QList<RtfReader::Run> runs = RtfReader::toRuns(helpDocument());
    QCOMPARE(runs.size(), 3);
    QCOMPARE(runs.at(0).font, QStringLiteral("Arial"));
    QCOMPARE(runs.at(0).text, repeated('=', 28));
    QCOMPARE(runs.at(1).font, QStringLiteral("宋体"));
    QVERIFY(runs.at(1).text.endsWith(repeated('=', 79)));
    QCOMPARE(runs.at(2).font, QStringLiteral("Arial"));
    QCOMPARE(runs.at(2).text, QStringLiteral("\n"));
}

void TestRtfReader::storedDocumentHasTheExpectedHeader()
{
    const QByteArray rtf = helpDocument();
    QVERIFY(
        rtf.startsWith("{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}"
                       "{\\f1\\fmodern\\fprq6\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}\r\n"
                       "\\viewkind4\\uc1\\pard\\lang2052\\fs18 ============================\\f1\\'ce\\'de"));
    QVERIFY(rtf.endsWith("===\\f0\\par\r\n}\r\n"));
    for (const char c : rtf)
        QVERIFY2(static_cast<unsigned char>(c) < 0x80, "the document is plain ASCII with escapes");
}

void TestRtfReader::documentOutline()
{
    const QStringList lines = helpLines();
    QVERIFY(lines.size() > 100);
    QCOMPARE(lines.at(0), repeated('=', 28) + QStringLiteral("无线打印机使用帮助") + repeated('=', 31));
    QCOMPARE(
        lines.mid(1, 3), QStringList({ QString(), QStringLiteral("欢迎您使用无线打印机！"), QString() }));

    const QStringList headings { QStringLiteral("[打印原理]"), QStringLiteral("[术语解释]"),
        QStringLiteral("[控制命令]"), QStringLiteral("[技术说明]") };
    qsizetype previous = 0;
    for (const QString &heading : headings) {
        const qsizetype at = lines.indexOf(heading);
        QVERIFY2(at > previous, qPrintable(heading));
        const QString banner = repeated('*', heading == headings.first() ? 78 : 79);
        QCOMPARE(lines.at(at - 1), banner);
        QCOMPARE(lines.at(at + 1), banner);
        previous = at;
    }
    for (const char *point : { "(1) ", "(2) ", "(3) " })
        QVERIFY(
            lines.at(lines.indexOf(headings.at(0)) + 2 + point[1] - '1').startsWith(QLatin1String(point)));

    const QString text = lines.join(QLatin1Char('\n'));
    QVERIFY(text.contains(QStringLiteral("10MW")));
    QVERIFY(text.contains(QStringLiteral("BOOT = 22 19 106 102 10 3")));
    QVERIFY(text.contains(QStringLiteral("Probability= 1/(256^6)=1/(281万亿)")));
    QVERIFY(!text.contains(QStringLiteral("日期")));
    QVERIFY(!text.contains(QChar(0xFFFD)));
    QVERIFY(!text.contains(QLatin1Char('\r')));
    // The last paragraph mark ends the closing line; nothing follows it.
    QCOMPARE(lines.at(lines.size() - 2), repeated('=', 79));
    QCOMPARE(lines.last(), QString());
}

void TestRtfReader::commandEntries_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("asciiName");
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<QStringList>("fields");
    QTest::addColumn<QStringList>("range");

    const QString range = QStringLiteral("范围"), description = QStringLiteral("描述"),
                  note = QStringLiteral("注意"), example = QStringLiteral("实例");
    QTest::newRow("11 slave channel and address")
        << 1 << QStringLiteral("设置从机通道和地址") << "VT"
        << " n1 n2 n3 n4" << QStringList { range, description, example }
        << QStringList { QStringLiteral("n1=1,2,4,8 (2^n,n=0-3); n2=1,2,4,8 (2^n,n=0-3);"),
               QStringLiteral("0=<n3<=124; 0=<n4<=124;") };
    QTest::newRow("12 host channel") << 2 << QStringLiteral("设置当前主机信道") << "FF"
                                     << " n1" << QStringList { range, description, note }
                                     << QStringList { QStringLiteral("0=<n1<=124") };
    QTest::newRow("13 select printers") << 3 << QStringLiteral("选择要打印的打印机地址") << "CR"
                                        << " n1" << QStringList { range, description, note, example }
                                        << QStringList { QStringLiteral("打印机地址n1是以bit为单位：") };
    QTest::newRow("14 channel search") << 4 << QStringLiteral("搜索信道未使用的信道") << "SO"
                                       << " n1 n2" << QStringList { range, description, note }
                                       << QStringList { QStringLiteral("0=<n1<=124,0=<n1=<n2<=124;") };
    QTest::newRow("15 slave status") << 5 << QStringLiteral("检测当前从机状态") << "SI"
                                     << " n1" << QStringList { range, description }
                                     << QStringList { QStringLiteral(
                                            "要检测的打印机地址 n1=1,2,4,8 (2^m,m=0-3);") };
    QTest::newRow("16 configuration complete") << 6 << QStringLiteral("无线打印机设置完成") << "DLE"
                                               << "" << QStringList { description } << QStringList();
    QTest::newRow("17 slave baud rate") << 7 << QStringLiteral("设置从机波特率") << "DC1"
                                        << " n1 n2" << QStringList { range, description, note }
                                        << QStringList { QStringLiteral("n1=1,2,4,8 (2^n,n=0-3); 0=<n2<=3") };
    QTest::newRow("18 host baud rate")
        << 8 << QStringLiteral("设置主机波特率") << "DC2"
        << " n1" << QStringList { range, description, note } << QStringList { QStringLiteral("0=<n1<=3") };
    QTest::newRow("19 host channel query") << 9 << QStringLiteral("检测主机的当前处于的信道号") << "DC3"
                                           << "" << QStringList { description } << QStringList();
}

void TestRtfReader::commandEntries()
{
    QFETCH(int, number);
    QFETCH(QString, name);
    QFETCH(QString, asciiName);
    QFETCH(QString, arguments);
    QFETCH(QStringList, fields);
    QFETCH(QStringList, range);

    const QStringList lines = helpLines();
    QVERIFY(lines.indexOf(QStringLiteral(" %1、").arg(number)) > lines.indexOf(QStringLiteral("[控制命令]")));
    QVERIFY(lines.indexOf(QStringLiteral(" %1、").arg(number)) < lines.indexOf(QStringLiteral("[技术说明]")));
    const QStringList entry = entryLines(lines, number);
    QVERIFY(entry.size() > 8);
    const int code = 10 + number;
    QCOMPARE(entry.mid(1, 6),
        QStringList({ QStringLiteral("   [名称] ") + name, QStringLiteral("   ") + repeated('-', 76),
            QStringLiteral("   [格式]"),
            QStringLiteral("\tASCII码     SYN DEC j f LF ETX ") + asciiName + arguments,
            QStringLiteral("\t十六进制码  16 13 6A 66 0A 03 %1").arg(code, 2, 16, QLatin1Char('0')).toUpper()
                + arguments,
            QStringLiteral("\t十进制码    22 19 106 102 10 3 %1").arg(code) + arguments }));

    QStringList labels;
    for (const QString &line : entry.mid(7)) {
        if (!fieldLabel(line).isEmpty())
            labels.append(fieldLabel(line));
        else
            QVERIFY2(line.startsWith(QLatin1Char('\t')), qPrintable(line));
    }
    QCOMPARE(labels, fields);
    if (!range.isEmpty()) {
        const qsizetype at = entry.indexOf(QStringLiteral("   [范围]"));
        for (qsizetype i = 0; i < range.size(); ++i)
            QCOMPARE(entry.at(at + 1 + i), QLatin1Char('\t') + range.at(i));
    }
}

void TestRtfReader::rangeOfPrinterSelection()
{
    const QStringList entry = entryLines(helpLines(), 3);
    const qsizetype at = entry.indexOf(QStringLiteral("\t打印机地址n1是以bit为单位："));
    QVERIFY(at > 0);
    for (int bit = 7; bit >= 4; --bit)
        QCOMPARE(entry.at(at + 8 - bit), QStringLiteral("\t\tbit%1：0").arg(bit));
    for (int bit = 3; bit >= 0; --bit)
        QCOMPARE(entry.at(at + 8 - bit),
            QStringLiteral("\t\tbit%1：1=选择%2号打印机，0=不选").arg(bit).arg(bit + 1));
}

void TestRtfReader::survivesTruncatedDocuments()
{
    const QByteArray rtf = helpDocument();
    const QString whole = RtfReader::toPlainText(rtf);
    for (qsizetype length = 0; length < rtf.size(); length += 7) {
        const QString part = RtfReader::toPlainText(rtf.left(length));
        // A cut inside a character yields at most one replacement at the end.
        QVERIFY(whole.startsWith(part.chopped(part.endsWith(QChar(0xFFFD)) ? 1 : 0)));
    }
}

void TestRtfReader::survivesRandomInput()
{
    static const char alphabet[] = "{}\\\\\\'*-0123456789abcdefuucparbintabf 134\x80\xd6\xd0\r\n~_";
    QRandomGenerator random(20051105);
    for (int round = 0; round < 3000; ++round) {
        QByteArray input(random.bounded(1, 400), Qt::Uninitialized);
        for (char &c : input)
            c = round % 4 == 0 ? char(random.bounded(256))
                               : alphabet[random.bounded(int(sizeof alphabet) - 1)];
        const QString text = RtfReader::toPlainText(input);
        QVERIFY(text.size() <= input.size());
    }
}

void TestRtfReader::survivesDeepNesting()
{
    const QByteArray fonts = "{\\fonttbl{\\f9\\fcharset134 x;}}";
    const QByteArray shallow
        = QByteArray(200, '{') + fonts + "\\f9\\'d6\\'d0" + QByteArray(200, '}') + "\\'d6";
    QCOMPARE(RtfReader::toPlainText(shallow), QStringLiteral("中Ö"));
    // Beyond the depth the reader keeps, content is dropped, but the braces
    // still match and the text after them is read in the outer font.
    const qsizetype depth = 1000000;
    const QByteArray deep
        = QByteArray(depth, '{') + fonts + "\\f9\\'d6\\'d0" + QByteArray(depth, '}') + "\\'d6";
    QCOMPARE(RtfReader::toPlainText(deep), QStringLiteral("Ö"));
    QCOMPARE(
        RtfReader::toPlainText(QByteArray(depth, '}') + "a" + QByteArray(depth, '{')), QStringLiteral("a"));
}

void TestRtfReader::survivesHugeNumbers_data()
{
    QTest::addColumn<QByteArray>("rtf");
    QTest::addColumn<QString>("text");

    QTest::newRow("unicode beyond range") << QByteArray("\\u99999999999999999999 ab") << QStringLiteral("b");
    QTest::newRow("unicode far negative") << QByteArray("\\u-99999999999999999999 ab") << QStringLiteral("b");
    QTest::newRow("huge skip count") << QByteArray("\\uc99999999999\\u65 abc{x}") << QStringLiteral("Ax");
    QTest::newRow("huge binary length") << QByteArray("a\\bin99999999999999 bcd") << QStringLiteral("a");
    QTest::newRow("negative binary length") << QByteArray("a\\bin-5 bcd") << QStringLiteral("abcd");
    QTest::newRow("huge font number") << QByteArray("\\f99999999999999\\'41") << QStringLiteral("A");
    QTest::newRow("long control word")
        << QByteArray("\\" + QByteArray(100000, 'p') + " x") << QStringLiteral("x");
    QTest::newRow("dangling escape") << QByteArray("a\\'") << QStringLiteral("a");
    QTest::newRow("dangling backslash") << QByteArray("a\\") << QStringLiteral("a");
}

void TestRtfReader::survivesHugeNumbers()
{
    QFETCH(QByteArray, rtf);
    QFETCH(QString, text);
    QCOMPARE(RtfReader::toPlainText(rtf), text);
}

QTEST_GUILESS_MAIN(TestRtfReader)
#include "tst_rtfreader.moc"
