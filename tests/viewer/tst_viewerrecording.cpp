// Recording from the viewer's context menu, through the viewer host as the
// window has it: the file chosen, the caption, the menu's state, and what a
// failing file does to the viewer.

#include "RecordingUserChannels.h"
#include "ScriptedFileChooser.h"
#include "viewer/FrmReceiveShow.h"
#include "viewer/ReceiveRecording.h"
#include "viewer/ReceiveViewerHost.h"
#include "viewer/ReceivedTextView.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

class tst_ViewerRecording : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void startsWithTheNextByteAndStopsFromTheMenu();
    void timedLogIsInTheNotationShownAtTheStart();
    void goesOnThroughTheViewerClosedAndLoadedAgain();
    void failedWriteIsToldOnceAndReceptionGoesOn();
    void unwritableFileStartsNoRecording();
    void finishingAtTheProgramsEndShowsNoBox();
    void aClickOnTheMenuOutlivesTheDialog();

private:
    // The context menu's action of that text, or null; enabled tells its state.
    QAction *menuAction(const QString &text) const;
    void choose(const QString &text) const;
    QString caption() const { return m_host->viewer().windowTitle(); }
    static QByteArray contentOf(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir m_dir;
    RecordingUserChannels m_channels;
    ScriptedFileChooser m_files;
    std::unique_ptr<ReceiveViewerHost> m_host;
};

void tst_ViewerRecording::init()
{
    m_channels.clear();
    m_files.nextFilterIndex = 1;
    m_host = std::make_unique<ReceiveViewerHost>(nullptr, m_channels, m_files);
    m_host->showViewer();
}

void tst_ViewerRecording::cleanup()
{
    m_files.whileDialogShows = nullptr;
    m_host.reset();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QAction *tst_ViewerRecording::menuAction(const QString &text) const
{
    QWidget *surface = m_host->viewer().textView().viewport();
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), surface->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(surface, &event);
    const QList<QMenu *> menus = m_host->viewer().textView().findChildren<QMenu *>();
    if (menus.isEmpty())
        return nullptr;
    QMenu *menu = menus.last();
    const QList<QAction *> actions = menu->actions();
    menu->close();
    const auto found = std::find_if(
        actions.begin(), actions.end(), [&text](QAction *action) { return action->text() == text; });
    return found == actions.end() ? nullptr : *found;
}

void tst_ViewerRecording::choose(const QString &text) const
{
    QAction *action = menuAction(text);
    QVERIFY2(action && action->isEnabled(), qPrintable(text));
    action->trigger();
    // The menu's entries that open a dialog run from the event loop.
    QCoreApplication::sendPostedEvents();
}

void tst_ViewerRecording::startsWithTheNextByteAndStopsFromTheMenu()
{
    m_host->appendReceived("before");
    m_files.nextPath = m_dir.filePath(QStringLiteral("session.bin"));
    choose(QStringLiteral("开始记录…"));
    QCOMPARE(m_files.filters.last(), QStringLiteral("原始数据(bin)|*.bin|带时间的记录(log)|*.log"));
    QCOMPARE(caption(), QStringLiteral("接收查看 - 正在记录：") + QDir::toNativeSeparators(m_files.nextPath));
    QVERIFY(!menuAction(QStringLiteral("开始记录…"))->isEnabled());

    const QByteArray bytes = QByteArray::fromHex("00FF0D0AB0A1");
    m_host->appendReceived(bytes);
    m_host->appendReceived(bytes);
    choose(QStringLiteral("停止记录"));
    QCOMPARE(contentOf(m_files.nextPath), bytes + bytes);
    QCOMPARE(caption(), QStringLiteral("接收查看"));
    QVERIFY(!menuAction(QStringLiteral("停止记录"))->isEnabled());
    QVERIFY(m_channels.boxes.isEmpty());
    // The viewer holds what came before as well.
    QCOMPARE(
        m_host->viewer().text(), QStringLiteral("62 65 66 6F 72 65 00 FF 0D 0A B0 A1 00 FF 0D 0A B0 A1 "));
}

// The first filter chosen, but the name typed says which format.
void tst_ViewerRecording::timedLogIsInTheNotationShownAtTheStart()
{
    QTest::mouseClick(m_host->viewer().findChild<QRadioButton *>(QStringLiteral("Option2")), Qt::LeftButton);
    m_files.nextPath = m_dir.filePath(QStringLiteral("session.log"));
    choose(QStringLiteral("开始记录…"));
    m_host->appendReceived("AB");
    QTest::mouseClick(m_host->viewer().findChild<QRadioButton *>(QStringLiteral("Option3")), Qt::LeftButton);
    m_host->appendReceived("\r\n");
    m_host->stopRecording();
    const QList<QByteArray> lines = contentOf(m_files.nextPath).split('\n');
    QCOMPARE(lines.size(), 3);
    QVERIFY(lines.at(0).endsWith("  65 66\r"));
    QVERIFY(lines.at(1).endsWith("  13 10\r"));
    QCOMPARE(lines.at(0).size(), qsizetype(QByteArray("2026-12-08 13:52:50.123  65 66\r").size()));
}

void tst_ViewerRecording::goesOnThroughTheViewerClosedAndLoadedAgain()
{
    m_files.nextPath = m_dir.filePath(QStringLiteral("session.bin"));
    choose(QStringLiteral("开始记录…"));
    m_host->appendReceived("one ");
    QTest::mouseClick(m_host->viewer().findChild<QPushButton *>(QStringLiteral("Command1")), Qt::LeftButton);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QVERIFY(!m_host->isLoaded());
    m_host->appendReceived("two");
    // The fresh viewer says it records, and offers to stop.
    QVERIFY(caption().contains(QStringLiteral("正在记录")));
    QVERIFY(menuAction(QStringLiteral("停止记录"))->isEnabled());
    m_host->stopRecording();
    QCOMPARE(contentOf(m_files.nextPath), QByteArray("one two"));
}

void tst_ViewerRecording::failedWriteIsToldOnceAndReceptionGoesOn()
{
    if (!QFile::exists(QStringLiteral("/dev/full")))
        QSKIP("this system has no /dev/full");
    m_files.nextPath = QStringLiteral("/dev/full");
    choose(QStringLiteral("开始记录…"));
    const QByteArray burst(ReceiveRecording::FlushBytes, 'x');
    m_host->appendReceived(burst);
    // Told from the event loop, not from inside the receive path.
    QVERIFY(m_channels.boxes.isEmpty());
    QTRY_COMPARE(m_channels.tips().size(), 1);
    QVERIFY(
        m_channels.tips().first().startsWith(QStringLiteral("记录文件写入失败，记录已停止：/dev/full\n")));
    QVERIFY(m_channels.tips().first().size()
        > QStringLiteral("记录文件写入失败，记录已停止：/dev/full\n").size());
    QCOMPARE(m_host->recording(), nullptr);
    QCOMPARE(caption(), QStringLiteral("接收查看"));
    QVERIFY(menuAction(QStringLiteral("开始记录…"))->isEnabled());

    m_host->appendReceived("y");
    QTest::qWait(ReceiveRecording::FlushIntervalMs + 100);
    QCOMPARE(m_channels.tips().size(), 1);
    QCOMPARE(m_host->viewer().textView().content().byteCount(), burst.size() + 1);
}

void tst_ViewerRecording::unwritableFileStartsNoRecording()
{
    m_files.nextPath = m_dir.filePath(QStringLiteral("missing/session.bin"));
    choose(QStringLiteral("开始记录…"));
    QCOMPARE(m_channels.tips().size(), 1);
    QVERIFY(m_channels.tips().first().startsWith(
        QStringLiteral("无法记录到文件：") + QDir::toNativeSeparators(m_files.nextPath) + QLatin1Char('\n')));
    QCOMPARE(m_host->recording(), nullptr);
    QCOMPARE(caption(), QStringLiteral("接收查看"));
    m_host->appendReceived("x");
    QVERIFY(!QFile::exists(m_files.nextPath));
}

// The program's end writes what waits without asking anyone: a failure
// comes back as the reason, and no box holds the end up.
void tst_ViewerRecording::finishingAtTheProgramsEndShowsNoBox()
{
    if (!QFile::exists(QStringLiteral("/dev/full")))
        QSKIP("this system has no /dev/full");
    m_files.nextPath = QStringLiteral("/dev/full");
    choose(QStringLiteral("开始记录…"));
    m_host->appendReceived("waiting for the next flush");
    QVERIFY(!m_host->finishRecording().isEmpty());
    QCOMPARE(m_host->recording(), nullptr);
    QVERIFY(m_channels.boxes.isEmpty());

    m_files.nextPath = m_dir.filePath(QStringLiteral("end.bin"));
    choose(QStringLiteral("开始记录…"));
    m_host->appendReceived("AB");
    QCOMPARE(m_host->finishRecording(), QString());
    QCOMPARE(contentOf(m_files.nextPath), QByteArray("AB"));
    QTest::qWait(100);
    QVERIFY(m_channels.boxes.isEmpty());
}

// Windows' own file dialog runs the deferred deletes posted before it, so
// the menu, which deletes itself when it closes, went while its click was
// still being handled, and the program crashed there once the dialog
// returned. The dialog stands in here, as a real click on the menu's entry.
void tst_ViewerRecording::aClickOnTheMenuOutlivesTheDialog()
{
    QWidget *surface = m_host->viewer().textView().viewport();
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), surface->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(surface, &event);
    QPointer<QMenu> menu = m_host->viewer().textView().findChildren<QMenu *>().last();
    QVERIFY(QTest::qWaitForWindowExposed(menu.data()));
    const QList<QAction *> actions = menu->actions();
    QAction *start = *std::find_if(actions.begin(), actions.end(),
        [](QAction *action) { return action->text() == QStringLiteral("开始记录…"); });
    bool menuGoneInTheDialog = false;
    m_files.nextPath = m_dir.filePath(QStringLiteral("session.bin"));
    m_files.whileDialogShows = [&] {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        menuGoneInTheDialog = menu.isNull();
    };
    QTest::mouseClick(menu.data(), Qt::LeftButton, {}, menu->actionGeometry(start).center());
    QTRY_VERIFY(m_host->recording());
    QVERIFY(menuGoneInTheDialog);
    QCOMPARE(caption(), QStringLiteral("接收查看 - 正在记录：%1").arg(QDir::toNativeSeparators(m_files.nextPath)));
}

QTEST_MAIN(tst_ViewerRecording)
#include "tst_viewerrecording.moc"
