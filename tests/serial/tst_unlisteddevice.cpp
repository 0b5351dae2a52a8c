// What the port panel says of a device the system's list of ports does not
// hold. Real files stand behind every row: ptys made here, links to them as
// socat and the simulator make, a pty that has gone, /dev/null.

#include "PtyPair.h"
#include "serial/UnlistedDevice.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

class tst_UnlistedDevice : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void displayText_data();
    void displayText();
};

void tst_UnlistedDevice::displayText_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<bool>("open");
    QTest::addColumn<QString>("words");

    const QString present = QStringLiteral("（虚拟串口）");
    const QString missing = QStringLiteral("（未找到）");
    QTest::newRow("a pty") << "pty" << false << present;
    QTest::newRow("a link to a pty, as socat makes") << "link" << false << present;
    QTest::newRow("a link whose pty has gone") << "dangling" << false << missing;
    QTest::newRow("a path nothing is at") << "nothing" << false << missing;
    QTest::newRow("a device that is no pty") << "/dev/null" << false << missing;
    QTest::newRow("a device that is no pty, open") << "/dev/null" << true << present;
}

void tst_UnlistedDevice::displayText()
{
    QFETCH(QString, kind);
    QFETCH(bool, open);
    QFETCH(QString, words);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    auto pty = std::make_unique<PtyPair>();
    QVERIFY(pty->isValid());
    QString path = dir.filePath(QStringLiteral("com3"));
    if (kind == QLatin1String("pty"))
        path = pty->slavePath();
    else if (kind.startsWith(QLatin1Char('/')))
        path = kind;
    else if (kind != QLatin1String("nothing"))
        QVERIFY(QFile::link(pty->slavePath(), path));
    if (kind == QLatin1String("dangling"))
        pty.reset();

    QCOMPARE(UnlistedDevice::displayText(path, open), path + words);
}

QTEST_GUILESS_MAIN(tst_UnlistedDevice)
#include "tst_unlisteddevice.moc"
