#include "viewer/ReceiveRecording.h"

#include <QDateTime>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

class tst_ReceiveRecording : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rawHoldsEveryByteAndIsWrittenWithinASecond();
    void timedLogHasALinePerChunk_data();
    void timedLogHasALinePerChunk();
    void failedWriteEndsTheRecordingOnce();
    void fileDeletedUnderItIsAFailure();
    void unwritableChoicesAreRefused_data();
    void unwritableChoicesAreRefused();

private:
    static QByteArray contentOf(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir m_dir;
};

void tst_ReceiveRecording::rawHoldsEveryByteAndIsWrittenWithinASecond()
{
    const QString path = m_dir.filePath(QStringLiteral("raw.bin"));
    ReceiveRecording recording(path, ReceiveRecording::Format::Raw, ViewerNotation::Hex);
    QCOMPARE(recording.open(), QString());
    QByteArray sent;
    for (int chunk = 0; chunk < 256; ++chunk) {
        const QByteArray bytes(2 * chunk + 2, char(chunk));
        recording.record(bytes);
        sent += bytes;
    }
    // More than FlushBytes waiting: written at once.
    QVERIFY(sent.size() > ReceiveRecording::FlushBytes);
    QVERIFY(QFileInfo(path).size() >= ReceiveRecording::FlushBytes);

    recording.record(QByteArrayView("\r\n\x00", 3));
    sent.append("\r\n\x00", 3);
    QTRY_COMPARE_WITH_TIMEOUT(contentOf(path), sent, 2 * ReceiveRecording::FlushIntervalMs);
    QCOMPARE(recording.stop(), QString());
    QVERIFY(!recording.isRecording());
    recording.record("late");
    QCOMPARE(contentOf(path), sent);
}

void tst_ReceiveRecording::timedLogHasALinePerChunk_data()
{
    QTest::addColumn<ViewerNotation>("form");
    QTest::addColumn<QList<QByteArray>>("chunks");
    QTest::addColumn<QByteArray>("log");
    const QByteArray t0 = "2026-12-08 13:52:50.100  ";
    const QByteArray t1 = "2026-12-08 13:52:50.300  ";
    const QByteArray t2 = "2026-12-08 13:52:50.500  ";
    QTest::newRow("hex") << ViewerNotation::Hex << QList<QByteArray> { "AB\r\n", "\x07" }
                         << t0 + "41 42 0D 0A\r\n" + t1 + "07\r\n";
    QTest::newRow("ten") << ViewerNotation::Ten << QList<QByteArray> { "AB\r\n" } << t0 + "65 66 13 10\r\n";
    // The lead byte at the end of a chunk waits, and its character is on
    // the line of the chunk its trail byte came in.
    QTest::newRow("txt split") << ViewerNotation::Txt
                               << QList<QByteArray> { "A\xB0",
                                      "\xA1"
                                      "B" }
                               << t0 + "A\r\n" + t1
            + "\xB0\xA1"
              "B\r\n";
    QTest::newRow("txt lead alone") << ViewerNotation::Txt << QList<QByteArray> { "\xB0", "\xA1", " " }
                                    << t1 + "\xB0\xA1\r\n" + t2 + " \r\n";
    QTest::newRow("txt lead at the end")
        << ViewerNotation::Txt << QList<QByteArray> { "A \xB0" } << t0 + "A \r\n" + t0 + "\xB0\r\n";
    // A pair that is no character stays two bytes.
    QTest::newRow("txt no pair") << ViewerNotation::Txt << QList<QByteArray> { "\xFF\x30" }
                                 << t0 + "\xFF\x30\r\n";
}

void tst_ReceiveRecording::timedLogHasALinePerChunk()
{
    QFETCH(ViewerNotation, form);
    QFETCH(QList<QByteArray>, chunks);
    QFETCH(QByteArray, log);
    const QString path = m_dir.filePath(QStringLiteral("timed.log"));
    ReceiveRecording recording(path, ReceiveRecording::Format::TimedLog, form);
    QCOMPARE(recording.open(), QString());
    const QDateTime start(QDate(2026, 12, 8), QTime(13, 52, 50, 100));
    for (qsizetype i = 0; i < chunks.size(); ++i)
        recording.record(chunks.at(i), start.addMSecs(200 * i));
    QCOMPARE(recording.stop(), QString());
    QCOMPARE(contentOf(path), log);
}

void tst_ReceiveRecording::failedWriteEndsTheRecordingOnce()
{
    if (!QFile::exists(QStringLiteral("/dev/full")))
        QSKIP("this system has no /dev/full");
    ReceiveRecording recording(
        QStringLiteral("/dev/full"), ReceiveRecording::Format::Raw, ViewerNotation::Hex);
    QCOMPARE(recording.open(), QString());
    QSignalSpy failed(&recording, &ReceiveRecording::failed);
    recording.record(QByteArray(ReceiveRecording::FlushBytes, 'x'));
    QCOMPARE(failed.size(), 1);
    const QString reason = failed.first().first().toString();
    QVERIFY(!reason.isEmpty());
    QVERIFY(!recording.isRecording());
    recording.record(QByteArray(ReceiveRecording::FlushBytes, 'y'));
    QTest::qWait(ReceiveRecording::FlushIntervalMs + 100);
    QCOMPARE(failed.size(), 1);
    // Stopping afterwards gives the reason again, for whoever stops it
    // before the failure reached them.
    QCOMPARE(recording.stop(), reason);
}

void tst_ReceiveRecording::fileDeletedUnderItIsAFailure()
{
    const QString path = m_dir.filePath(QStringLiteral("deleted.bin"));
    ReceiveRecording recording(path, ReceiveRecording::Format::Raw, ViewerNotation::Hex);
    QCOMPARE(recording.open(), QString());
    QSignalSpy failed(&recording, &ReceiveRecording::failed);
    recording.record("before");
    if (!QFile::remove(path))
        QSKIP("this system keeps an open file from being deleted");
    QVERIFY(failed.wait(2 * ReceiveRecording::FlushIntervalMs));
    QVERIFY(!recording.isRecording());
    QVERIFY(!QFile::exists(path));
}

void tst_ReceiveRecording::unwritableChoicesAreRefused_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("folder") << m_dir.path();
    QTest::newRow("missing folder") << m_dir.filePath(QStringLiteral("missing/x.bin"));
#ifdef Q_OS_UNIX
    const QString fifo = m_dir.filePath(QStringLiteral("fifo"));
    QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    QTest::newRow("fifo without reader") << fifo;
#endif
}

// Each is refused at once (a FIFO would block the opening), with a reason.
void tst_ReceiveRecording::unwritableChoicesAreRefused()
{
    QFETCH(QString, path);
    ReceiveRecording recording(path, ReceiveRecording::Format::Raw, ViewerNotation::Hex);
    QVERIFY(!recording.open().isEmpty());
    QVERIFY(!recording.isRecording());
    recording.record("x");
    QCOMPARE(recording.stop(), QString());
}

QTEST_GUILESS_MAIN(tst_ReceiveRecording)
#include "tst_receiverecording.moc"
