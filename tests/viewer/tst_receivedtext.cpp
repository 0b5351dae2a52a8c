#include "viewer/ByteHistory.h"
#include "viewer/NotationConverter.h"
#include "viewer/ReceivedText.h"

#include <QRandomGenerator>
#include <QTest>

using N = ViewerNotation;

namespace {

// Bytes rich in lead bytes, pairs that are no character and lone lead
// bytes, long enough to cross many checkpoints.
QByteArray mixedBytes(quint32 seed, qsizetype size)
{
    QRandomGenerator random(seed);
    QByteArray bytes;
    while (bytes.size() < size) {
        switch (random.bounded(4)) {
        case 0:
            bytes.append(char(random.bounded(256)));
            break;
        case 1:
            bytes.append(char(0xA1 + random.bounded(0x5E))).append(char(0xA1 + random.bounded(0x5E)));
            break;
        case 2:
            bytes.append(char(0x81 + random.bounded(0x7E)));
            break;
        default:
            bytes.append("AB\r\n");
        }
    }
    bytes.truncate(size);
    return bytes;
}

// A text in a notation over more than one block, with bytes appended in it
// after its conversion (in Txt those become tokens after the characters).
void fillAcrossBlocks(ReceivedText &text, ViewerNotation notation, quint32 seed)
{
    text.append(mixedBytes(seed, ByteHistory::BlockSize + 10 * ByteHistory::Stride + 5));
    text.convert(notation);
    text.append(mixedBytes(seed + 1, ByteHistory::BlockSize + 3000));
}

QString tokens(const QByteArray &bytes, bool hex)
{
    QString text;
    NotationConverter::appendTokens(text, bytes, hex);
    return text;
}

// The bytes a block at a time, each from where the one before ended.
QByteArray bytesOf(const ReceivedText &text)
{
    QByteArray all;
    while (all.size() < text.byteCount()) {
        const QByteArrayView run = text.bytesFrom(all.size());
        if (run.isEmpty())
            break;
        all.append(run);
    }
    return all;
}

} // namespace

// The viewer's text held as bytes must read exactly as the text the
// conversion rules produce, stretch by stretch and after every conversion.
class tst_ReceivedText : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void conversionsFollowTheTextRules_data();
    void conversionsFollowTheTextRules();
    void stretchesReadAsTheWholeText_data();
    void stretchesReadAsTheWholeText();
    void tokensFromAPositionReadAsTheText_data() { stretchesReadAsTheWholeText_data(); }
    void tokensFromAPositionReadAsTheText();
    void bytesAreWhatTheTextStandsFor();
    void blockBoundariesReadAsTheText_data();
    void blockBoundariesReadAsTheText();
};

void tst_ReceivedText::conversionsFollowTheTextRules_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<int>>("path");
    const QList<int> all { int(N::Ten), int(N::Txt), int(N::Hex), int(N::Txt), int(N::Ten), int(N::Hex) };
    QTest::newRow("mixed through every direction") << mixedBytes(1, ByteHistory::BlockSize + 20000) << all;
    QTest::newRow("ten ending in a lead byte to txt") << QByteArray("A\xB0") << QList<int> { 1, 0, 2 };
    QTest::newRow("hex ending in a lead byte to txt") << QByteArray("A\xB0") << QList<int> { 0, 1, 0 };
    QTest::newRow("empty through every direction") << QByteArray() << all;
    QTest::newRow("a pair split by a checkpoint")
        << QByteArray(ByteHistory::Stride - 1, 'x') + "\xB0\xA1" + QByteArray(ByteHistory::Stride, '\xB0')
        << all;
    // The bytes of the tokens received in Txt go on in the block the lead
    // byte was dropped from.
    QTest::newRow("ten ending in a lead byte that starts a block to txt")
        << QByteArray(ByteHistory::BlockSize, 'x') + "\xB0" << QList<int> { 1, 2, 0 };
}

// Bytes arrive before and after every conversion; the text after each step
// is what NotationConverter makes of the text before it.
void tst_ReceivedText::conversionsFollowTheTextRules()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QList<int>, path);
    ReceivedText text;
    QString expected;
    const auto receive = [&](const QByteArray &chunk) {
        text.append(chunk);
        NotationConverter::appendTokens(expected, chunk, text.notation() == N::Hex);
        QCOMPARE(text.text(), expected);
    };
    receive(bytes);
    for (int step = 0; step < path.size(); ++step) {
        const N to = N(path[step]);
        const NotationConverter::Result rule = NotationConverter::convert(text.notation(), to, expected);
        QCOMPARE(text.convert(to), !rule.failed);
        expected = rule.text;
        QCOMPARE(text.length(), expected.size());
        QCOMPARE(text.text(), expected);
        receive(bytes.left(step * 7));
    }
}

void tst_ReceivedText::stretchesReadAsTheWholeText_data()
{
    QTest::addColumn<int>("notation");
    QTest::newRow("hex") << int(N::Hex);
    QTest::newRow("ten") << int(N::Ten);
    QTest::newRow("txt with tokens after") << int(N::Txt);
}

void tst_ReceivedText::stretchesReadAsTheWholeText()
{
    QFETCH(int, notation);
    ReceivedText text;
    fillAcrossBlocks(text, N(notation), 2);
    const QString whole = text.text();
    QCOMPARE(text.length(), whole.size());
    QRandomGenerator random(4);
    for (int i = 0; i < 500; ++i) {
        const qsizetype from = random.bounded(int(whole.size()));
        const qsizetype count = random.bounded(int(std::min<qsizetype>(5000, whole.size() - from))) + 1;
        QCOMPARE(text.mid(from, count), whole.mid(from, count));
    }
    QCOMPARE(text.mid(0, whole.size()), whole);
}

// The layout reads tokens from their bytes; they must be the text's
// characters from the position asked for on.
void tst_ReceivedText::tokensFromAPositionReadAsTheText()
{
    QFETCH(int, notation);
    ReceivedText text;
    fillAcrossBlocks(text, N(notation), 5);
    const QString whole = text.text();
    // A block of bytes at a time, each from where the one before ended.
    QString all;
    while (text.tokensStart() + all.size() < whole.size()) {
        const ReceivedText::Tokens some = text.tokensFrom(text.tokensStart() + all.size());
        QCOMPARE(some.skip, 0);
        QVERIFY(!some.bytes.isEmpty());
        all += tokens(some.bytes.toByteArray(), some.hex);
    }
    QCOMPARE(all, whole.mid(text.tokensStart()));
    QRandomGenerator random(7);
    for (int i = 0; i < 500; ++i) {
        const qsizetype from = text.tokensStart() + random.bounded(int(whole.size() - text.tokensStart()));
        const ReceivedText::Tokens some = text.tokensFrom(from);
        const QString read
            = tokens(some.bytes.first(std::min<qsizetype>(40, some.bytes.size())).toByteArray(), some.hex);
        QVERIFY(some.skip < read.indexOf(u' ') + 1);
        QCOMPARE(read.mid(some.skip), whole.mid(from, read.size() - some.skip));
    }
}

void tst_ReceivedText::bytesAreWhatTheTextStandsFor()
{
    ReceivedText text;
    text.append("A\xB0");
    QCOMPARE(bytesOf(text), QByteArray("A\xB0"));
    // Received while Txt is shown, after the characters.
    text.convert(N::Txt);
    text.append("\x07");
    QCOMPARE(bytesOf(text), QByteArray("A\xB0\x07"));
    QCOMPARE(text.text().right(2), tokens("\x07", false));
    // Out of Txt the tokens' digits and blank are bytes of the text.
    text.convert(N::Hex);
    QCOMPARE(bytesOf(text),
        QByteArray("A\xB0"
                   "7 "));
    // Ten ending in a lead byte loses it when it fails to become Txt.
    text.clear();
    text.convert(N::Ten);
    text.append("\x41\xB0");
    QVERIFY(!text.convert(N::Txt));
    QCOMPARE(bytesOf(text), QByteArray("A"));
    QCOMPARE(text.text(), QStringLiteral("A"));
}

void tst_ReceivedText::blockBoundariesReadAsTheText_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("notation");
    const qsizetype block = ByteHistory::BlockSize;
    const QByteArray pairSplit = QByteArray(block - 1, 'x') + "\xB0\xA1" + QByteArray(block, 'y');
    const QByteArray noPairSplit = QByteArray(block - 1, 'x') + "\xB0\x0A" + QByteArray(block, 'y');
    const QByteArray longTokens = QByteArray(block - 1, '\xFF') + "\x07\x63" + QByteArray(block, '\xFF');
    for (const auto &[notation, name] :
        { std::pair { N::Hex, "hex" }, { N::Ten, "ten" }, { N::Txt, "txt" } }) {
        QTest::addRow("a pair split between two blocks, %s", name) << pairSplit << int(notation);
        QTest::addRow("a lead byte and no pair across two blocks, %s", name) << noPairSplit << int(notation);
        QTest::addRow("short tokens at a block's end, %s", name) << longTokens << int(notation);
    }
}

// Around the start of the second block, in each notation, received as the
// text before a conversion and again as the tokens after it: every stretch
// and the tokens from every position read as the text the rules make.
void tst_ReceivedText::blockBoundariesReadAsTheText()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, notation);
    ReceivedText text;
    text.append(bytes);
    text.convert(N(notation));
    text.append(bytes);
    const QString head = NotationConverter::convert(N::Hex, N(notation), tokens(bytes, true)).text;
    const QString whole = head + tokens(bytes, N(notation) == N::Hex);
    QCOMPARE(text.length(), whole.size());
    QVERIFY(bytesOf(text) == bytes + bytes);
    // Where the second block starts: among the bytes received before the
    // conversion and among those after it (their tokens before it are four
    // characters each).
    const qsizetype boundary = ByteHistory::BlockSize - 1;
    const qsizetype tokenBoundary = (N(notation) == N::Hex ? 3 : 4) * boundary;
    const qsizetype headBoundary = N(notation) == N::Txt ? boundary : tokenBoundary;
    for (const qsizetype at : { headBoundary, head.size() + tokenBoundary }) {
        for (qsizetype from = at - 8; from < at + 8; ++from) {
            QCOMPARE(text.mid(from, 9), whole.mid(from, 9));
            if (from < text.tokensStart())
                continue;
            const ReceivedText::Tokens some = text.tokensFrom(from);
            const QString read
                = tokens(some.bytes.first(std::min<qsizetype>(4, some.bytes.size())).toByteArray(), some.hex);
            QCOMPARE(read.mid(some.skip), whole.mid(from, read.size() - some.skip));
        }
    }
}

QTEST_GUILESS_MAIN(tst_ReceivedText)
#include "tst_receivedtext.moc"
