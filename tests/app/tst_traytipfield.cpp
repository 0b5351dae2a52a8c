#include "app/TrayTipField.h"

#include <QTest>

class TestTrayTipField : public QObject
{
    Q_OBJECT

private slots:
    void field_data();
    void field();
};

void TestTrayTipField::field_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("displayed");
    QTest::addColumn<qsizetype>("nulAt");

    const QString sixtyThree(63, QLatin1Char('x'));
    QTest::newRow("start-up tip") << QStringLiteral("Corvessa") << QStringLiteral("Corvessa") << qsizetype(8);
    QTest::newRow("empty") << QString() << QString() << qsizetype(0);
    QTest::newRow("Chinese") << QStringLiteral("无线打印机") << QStringLiteral("无线打印机") << qsizetype(5);
    QTest::newRow("63 characters stored whole") << sixtyThree << sixtyThree << qsizetype(63);
    QTest::newRow("64 characters fill the field")
        << sixtyThree + QLatin1Char('y') << sixtyThree + QLatin1Char('y') << qsizetype(-1);
    QTest::newRow("longer text cut") << sixtyThree + QStringLiteral("yzzz") << sixtyThree + QLatin1Char('y')
                                     << qsizetype(-1);
}

void TestTrayTipField::field()
{
    QFETCH(QString, text);
    QFETCH(QString, displayed);
    QFETCH(qsizetype, nulAt);

    const TrayTipField tip(text);
    QCOMPARE(tip.field().size(), TrayTipField::Size);
    QCOMPARE(tip.field().indexOf(QChar(u'\0')), nulAt);
    if (nulAt >= 0)
        QCOMPARE(tip.field().mid(nulAt + 1), QString(TrayTipField::Size - nulAt - 1, QLatin1Char(' ')));
    QCOMPARE(tip.displayedText(), displayed);
}

QTEST_GUILESS_MAIN(TestTrayTipField)
#include "tst_traytipfield.moc"
