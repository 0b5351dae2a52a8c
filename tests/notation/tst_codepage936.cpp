#include "notation/CodePage936.h"

#include <QTest>

// Runs on every build: Qt's converter where Qt has ICU, Windows' own where it
// has not (the Windows build, under Wine in the test run).
class tst_CodePage936 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void aConverterIsInUse();
    void encodesACharacterOrNothing_data();
    void encodesACharacterOrNothing();
    void decodesAndTellsInvalidBytes_data();
    void decodesAndTellsInvalidBytes();
};

void tst_CodePage936::aConverterIsInUse()
{
    QVERIFY2(CodePage936::converter().isValid(), qPrintable(CodePage936::converter().name()));
}

void tst_CodePage936::encodesACharacterOrNothing_data()
{
    QTest::addColumn<QString>("character");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("ASCII") << QStringLiteral("A") << QByteArray("A");
    QTest::newRow("a real question mark") << QStringLiteral("?") << QByteArray("?");
    QTest::newRow("Chinese") << QStringLiteral("中") << QByteArray("\xD6\xD0");
    QTest::newRow("euro sign, the single byte 0x80") << QStringLiteral("€") << QByteArray("\x80");
    QTest::newRow("a character outside GBK") << QStringLiteral("ă") << QByteArray();
    QTest::newRow("one with a look-alike in GBK") << QStringLiteral("ł") << QByteArray();
    QTest::newRow("a default-ignorable character") << QStringLiteral("\u200B") << QByteArray();
    QTest::newRow("a four-byte GB18030 character") << QString::fromUcs4(U"\U00020000") << QByteArray();
}

void tst_CodePage936::encodesACharacterOrNothing()
{
    QFETCH(QString, character);
    QFETCH(QByteArray, bytes);
    QCOMPARE(CodePage936::converter().encodeCharacter(character), bytes);
}

void tst_CodePage936::decodesAndTellsInvalidBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::newRow("nothing") << QByteArray() << QString() << true;
    QTest::newRow("Chinese and ASCII")
        << QByteArray("\xD6\xD0\xCE\xC4\x41") << QStringLiteral("中文A") << true;
    // Invalid bytes never take a neighbour with them.
    QTest::newRow("a lead byte cut off") << QByteArray("A\xD6") << QStringLiteral("A") << false;
    QTest::newRow("a lead byte before ASCII") << QByteArray("\x81\x20\x41") << QStringLiteral(" A") << false;
}

void tst_CodePage936::decodesAndTellsInvalidBytes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(bool, valid);
    bool decodedValid = !valid;
    const QString decoded = CodePage936::converter().decode(bytes, &decodedValid);
    QCOMPARE(decodedValid, valid);
    if (valid)
        QCOMPARE(decoded, text);
    else
        QVERIFY2(decoded.contains(text) && decoded.size() <= text.size() + 1, qPrintable(decoded));
}

QTEST_GUILESS_MAIN(tst_CodePage936)
#include "tst_codepage936.moc"
