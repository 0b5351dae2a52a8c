// The tray menu's "计算器" takes the first desktop calculator on PATH and
// starts it as a program of its own; with none it says so on the status line.
#include "RecordingProcessLauncher.h"
#include "RecordingUserChannels.h"
#include "app/DesktopCalculator.h"
#include "app/DetachedProcessLauncher.h"
#include "app/TrayIcon.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A stand-in calculator that writes how many arguments it got next to
// itself; a name ending in "!" is written without the right to run it.
bool install(const QDir &folder, QString name)
{
    const bool executable = !name.endsWith(QLatin1Char('!'));
    name.remove(QLatin1Char('!'));
    QFile program(folder.filePath(name));
    if (!program.open(QIODevice::WriteOnly))
        return false;
    // Shell words only: PATH holds nothing but the stand-ins.
    program.write("#!/bin/sh\necho \"$#\" > \"${0%/*}/started-${0##*/}\"\n");
    program.close();
    return !executable || program.setPermissions(program.permissions() | QFileDevice::ExeOwner);
}

// Puts folder alone on PATH for as long as it lives.
class PathOverride
{
public:
    explicit PathOverride(const QString &folder)
        : m_saved(qgetenv("PATH"))
    {
        qputenv("PATH", QFile::encodeName(folder));
    }
    ~PathOverride() { qputenv("PATH", m_saved); }

private:
    QByteArray m_saved;
};

} // namespace

class tst_DesktopCalculator : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void findsTheFirstInstalled_data();
    void findsTheFirstInstalled();
    void menuItemStartsTheCalculator();
    void menuItemSaysWhenNoneCanStart_data();
    void menuItemSaysWhenNoneCanStart();

private:
    std::unique_ptr<QTemporaryDir> m_folder;
};

void tst_DesktopCalculator::init()
{
    m_folder = std::make_unique<QTemporaryDir>();
    QVERIFY(m_folder->isValid());
}

void tst_DesktopCalculator::findsTheFirstInstalled_data()
{
    QTest::addColumn<QStringList>("installed");
    QTest::addColumn<QString>("found");
    QTest::newRow("GNOME before all")
        << QStringList { "xcalc", "galculator", "gnome-calculator" } << "gnome-calculator";
    QTest::newRow("KDE before GTK") << QStringList { "galculator", "kcalc" } << "kcalc";
    QTest::newRow("MATE") << QStringList { "mate-calc", "xcalc" } << "mate-calc";
    QTest::newRow("Qalculate") << QStringList { "qalculate-gtk" } << "qalculate-gtk";
    QTest::newRow("X's own, last") << QStringList { "xcalc" } << "xcalc";
    QTest::newRow("one that may not run is passed over") << QStringList { "kcalc!", "xcalc" } << "xcalc";
    // "calc" is a terminal program on these systems, not a desktop one.
    QTest::newRow("other programs do not count") << QStringList { "calc", "bc", "dc" } << QString();
    QTest::newRow("nothing installed") << QStringList() << QString();
}

void tst_DesktopCalculator::findsTheFirstInstalled()
{
    QFETCH(QStringList, installed);
    QFETCH(QString, found);
    const QDir folder(m_folder->path());
    for (const QString &name : installed)
        QVERIFY(install(folder, name));
    PathOverride path(folder.path());
    QCOMPARE(DesktopCalculator::find(), found.isEmpty() ? QString() : folder.filePath(found));
}

void tst_DesktopCalculator::menuItemStartsTheCalculator()
{
    const QDir folder(m_folder->path());
    QVERIFY(install(folder, QStringLiteral("galculator")));
    PathOverride path(folder.path());
    RecordingUserChannels channels;
    DetachedProcessLauncher launcher;
    QWidget window;
    TrayIcon tray(&window, channels, launcher);
    tray.mnuCalc_Click();

    QFile started(folder.filePath(QStringLiteral("started-galculator")));
    QTRY_VERIFY_WITH_TIMEOUT(started.size() > 0, 10000);
    QVERIFY(started.open(QIODevice::ReadOnly));
    QCOMPARE(started.readAll(), QByteArray("0\n"));
    QVERIFY(channels.statusTexts.isEmpty());
}

void tst_DesktopCalculator::menuItemSaysWhenNoneCanStart_data()
{
    QTest::addColumn<QStringList>("installed");
    QTest::addColumn<bool>("startFails");
    QTest::newRow("none installed") << QStringList() << false;
    QTest::newRow("installed but the start fails") << QStringList { "kcalc" } << true;
}

void tst_DesktopCalculator::menuItemSaysWhenNoneCanStart()
{
    QFETCH(QStringList, installed);
    QFETCH(bool, startFails);
    const QDir folder(m_folder->path());
    for (const QString &name : installed)
        QVERIFY(install(folder, name));
    PathOverride path(folder.path());
    RecordingUserChannels channels;
    RecordingProcessLauncher launcher;
    QWidget window;
    TrayIcon tray(&window, channels, launcher);
    tray.mnuCalc_Click();

    QCOMPARE(launcher.starts.size(), startFails ? 1 : 0);
    QCOMPARE(channels.statusTexts, QStringList { QStringLiteral("没有找到可以启动的计算器") });
}

QTEST_MAIN(tst_DesktopCalculator)
#include "tst_desktopcalculator.moc"
