#include "hostsim/FrameScanner.h"

#include <QTest>

namespace {

const QByteArray P = QByteArray::fromHex("16066A660A03");

QByteArray hex(const char *digits)
{
    return QByteArray::fromHex(digits);
}

QString spaced(QByteArrayView bytes)
{
    return QString::fromLatin1(bytes.toByteArray().toHex(' ').toUpper());
}

// What the scanner reported, in order, with neighbouring data merged: how
// the data was cut into pieces does not matter, only its bytes and place.
class Recorder
{
public:
    FrameScanner::Handlers handlers()
    {
        return {
            [this](QByteArrayView data) { takeData(data); },
            [this](int code, QByteArrayView arguments) {
                add(QStringLiteral("frame %1 %2").arg(code).arg(spaced(arguments)));
            },
            [this](int code) { add(QStringLiteral("unknown %1").arg(spaced(QByteArray(1, char(code))))); },
            [this](int code, QByteArrayView soFar) {
                add(QStringLiteral("truncated %1 %2").arg(code).arg(spaced(soFar)));
            },
        };
    }

    QStringList events() const
    {
        QStringList all = m_events;
        if (!m_data.isEmpty())
            all.append(QStringLiteral("data ") + spaced(m_data));
        return all;
    }

private:
    void takeData(QByteArrayView data) { m_data.append(data); }
    void add(const QString &event)
    {
        m_events = events();
        m_data.clear();
        m_events.append(event.trimmed());
    }

    QStringList m_events;
    QByteArray m_data;
};

} // namespace

class tst_FrameScanner : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void scan_data();
    void scan();
};

void tst_FrameScanner::scan_data()
{
    QTest::addColumn<QList<QByteArray>>("reads");
    QTest::addColumn<bool>("pauseAtEnd");
    QTest::addColumn<QStringList>("events");

    const QByteArray select = P + hex("0D04");
    QTest::newRow("plain data") << QList { hex("4142") } << false << QStringList { "data 41 42" };
    QTest::newRow("frame without arguments")
        << QList { P + hex("13") } << false << QStringList { "frame 19" };
    QTest::newRow("frame with four arguments")
        << QList { P + hex("0B08016414") } << false << QStringList { "frame 11 08 01 64 14" };
    QTest::newRow("data around a frame")
        << QList { "A" + select + "B" } << false << QStringList { "data 41", "frame 13 04", "data 42" };
    for (int split = 1; split < select.size(); ++split) {
        QTest::addRow("frame split after byte %d", split) << QList { "A" + select.left(split),
            select.mid(split) + "B" } << false << QStringList { "data 41", "frame 13 04", "data 42" };
    }
    QList<QByteArray> oneByEach;
    for (char byte : P + hex("0E0014"))
        oneByEach.append(QByteArray(1, byte));
    QTest::newRow("frame byte by byte") << oneByEach << false << QStringList { "frame 14 00 14" };
    QTest::newRow("back to back frames")
        << QList { P + hex("13") + P + hex("0F02") } << false << QStringList { "frame 19", "frame 15 02" };

    QTest::newRow("partial preamble inside data")
        << QList { hex("16066A41") } << false << QStringList { "data 16 06 6A 41" };
    QTest::newRow("partial preamble at a read's end, data after all")
        << QList { hex("411606"), hex("6A41") } << false << QStringList { "data 41 16 06 6A 41" };
    QTest::newRow("partial preamble at the end is held")
        << QList { hex("411606") } << false << QStringList { "data 41" };
    QTest::newRow("partial preamble, then a pause: data")
        << QList { hex("411606") } << true << QStringList { "data 41 16 06" };
    QTest::newRow("preamble without code, then a pause: data")
        << QList { P } << true << QStringList { "data 16 06 6A 66 0A 03" };
    QTest::newRow("repeated first byte before a frame")
        << QList { hex("16") + P + hex("13") } << false << QStringList { "data 16", "frame 19" };

    QTest::newRow("truncated frame, then a pause: dropped")
        << QList { "A" + P + hex("0B0801") } << true << QStringList { "data 41", "truncated 11 08 01" };
    QTest::newRow("truncated frame without a pause waits")
        << QList { P + hex("0B0801") } << false << QStringList {};
    QTest::newRow("unknown code: the preamble is data")
        << QList { P + hex("2A41") } << false << QStringList { "unknown 2A", "data 16 06 6A 66 0A 03 2A 41" };
    QTest::newRow("unknown code that starts the next frame")
        << QList { P + P + hex("13") } << false
        << QStringList { "unknown 16", "data 16 06 6A 66 0A 03", "frame 19" };
    QTest::newRow("preamble bytes as arguments")
        << QList { P + hex("0B16066A66") } << false << QStringList { "frame 11 16 06 6A 66" };
}

void tst_FrameScanner::scan()
{
    QFETCH(QList<QByteArray>, reads);
    QFETCH(bool, pauseAtEnd);
    QFETCH(QStringList, events);

    Recorder recorder;
    FrameScanner scanner(recorder.handlers());
    for (const QByteArray &read : reads)
        scanner.feed(read);
    if (pauseAtEnd) {
        scanner.endPause();
        QVERIFY(!scanner.isHolding());
    }
    QCOMPARE(recorder.events(), events);
}

QTEST_GUILESS_MAIN(tst_FrameScanner)
#include "tst_framescanner.moc"
