#include "protocol/ControlFrame.h"

#include <QTest>

class tst_ControlFrame : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void frames_data();
    void frames();
    void argumentCounts();
};

void tst_ControlFrame::frames_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QList<int>>("arguments");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");

    const QByteArray pre = QByteArray::fromHex("16066A660A03");
    QTest::newRow("11 re-address printer 4 to 1, channel 100 to 20")
        << 11 << QList<int>{8, 1, 100, 20} << QStringLiteral("22 06 106 102 10 03 11 8 1 100 20")
        << pre + QByteArray::fromHex("0B080164" "14");
    QTest::newRow("12 host channel 124") << 12 << QList<int>{124} << QStringLiteral("22 06 106 102 10 03 12 124")
                                         << pre + QByteArray::fromHex("0C7C");
    QTest::newRow("13 printers 2 and 3") << 13 << QList<int>{6} << QStringLiteral("22 06 106 102 10 03 13 6")
                                         << pre + QByteArray::fromHex("0D06");
    QTest::newRow("13 print-test none ticked") << 13 << QList<int>{128}
                                               << QStringLiteral("22 06 106 102 10 03 13 128")
                                               << pre + QByteArray::fromHex("0D80");
    QTest::newRow("14 search 0-20") << 14 << QList<int>{0, 20} << QStringLiteral("22 06 106 102 10 03 14 0 20")
                                    << pre + QByteArray::fromHex("0E0014");
    QTest::newRow("15 status printer 2") << 15 << QList<int>{2} << QStringLiteral("22 06 106 102 10 03 15 2")
                                         << pre + QByteArray::fromHex("0F02");
    QTest::newRow("15 status printer 4") << 15 << QList<int>{8} << QStringLiteral("22 06 106 102 10 03 15 8")
                                         << pre + QByteArray::fromHex("0F08");
    QTest::newRow("16 done") << 16 << QList<int>{} << QStringLiteral("22 06 106 102 10 03 16")
                             << pre + QByteArray::fromHex("10");
    QTest::newRow("17 printer 3 to 115200") << 17 << QList<int>{4, 3} << QStringLiteral("22 06 106 102 10 03 17 4 3")
                                            << pre + QByteArray::fromHex("110403");
    QTest::newRow("18 host 9600") << 18 << QList<int>{0} << QStringLiteral("22 06 106 102 10 03 18 0")
                                  << pre + QByteArray::fromHex("1200");
    QTest::newRow("19 host channel") << 19 << QList<int>{} << QStringLiteral("22 06 106 102 10 03 19")
                                     << pre + QByteArray::fromHex("13");
}

void tst_ControlFrame::frames()
{
    QFETCH(int, code);
    QFETCH(QList<int>, arguments);
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);

    const auto frameCode = ControlFrame::Code(code);
    QCOMPARE(ControlFrame::text(frameCode, arguments), text);
    QCOMPARE(ControlFrame::bytes(frameCode, arguments).toHex(' '), bytes.toHex(' '));
    QVERIFY(!text.endsWith(QLatin1Char(' ')));
}

void tst_ControlFrame::argumentCounts()
{
    // Frame lengths 7 to 11 bytes: 11 bytes for code 11, 9 for 14 and 17,
    // 8 for 12, 13, 15, 18 and 7 for 16 and 19.
    const QList<int> lengths{11, 8, 8, 9, 8, 7, 9, 8, 7};
    for (int code = 11; code <= 19; ++code)
        QCOMPARE(7 + ControlFrame::argumentCount(code), lengths.at(code - 11));
    QCOMPARE(ControlFrame::argumentCount(10), -1);
    QCOMPARE(ControlFrame::argumentCount(20), -1);
    QCOMPARE(ControlFrame::printerAddress(0), 1);
    QCOMPARE(ControlFrame::printerAddress(3), 8);
}

QTEST_GUILESS_MAIN(tst_ControlFrame)
#include "tst_controlframe.moc"
