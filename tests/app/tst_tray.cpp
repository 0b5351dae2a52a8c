// The tray icon on a real X display: an Xvfb server with the trayer tray
// host, clicked with xdotool. The display is set up before the application
// object exists, so this test has its own main.
#include "RecordingProcessLauncher.h"
#include "RecordingUserChannels.h"
#include "VirtualTrayDisplay.h"
#include "XdoMouse.h"
#include "app/DesktopCalculator.h"
#include "app/TrayIcon.h"

#include <QApplication>
#include <QMenu>
#include <QProcess>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolTip>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

const char exitChildArgument[] = "--exit-child";

QPoint centreOf(const QMenu *menu, const QAction *action)
{
    return menu->mapToGlobal(menu->actionGeometry(const_cast<QAction *>(action)).center());
}

bool iconPlaced(const TrayIcon &tray)
{
    return tray.geometry().width() > 0 && !tray.geometry().topLeft().isNull();
}

// Captions without the shortcut label, which follows a tab.
QString caption(const QAction *action)
{
    return action->text().section(QLatin1Char('\t'), 0, 0);
}

QString shortcutLabel(const QAction *action)
{
    return action->text().section(QLatin1Char('\t'), 1);
}

// Does nothing when the main window is closed instead of the program being
// ended, except saying so.
class WatchedWindow : public QWidget
{
protected:
    void closeEvent(QCloseEvent *event) override
    {
        std::puts("close handler ran");
        QWidget::closeEvent(event);
    }
};

// Run in a child process: hides the main window, chooses "退出" from the
// tray menu with real clicks and reports how the event loop ended.
int runExitChild(int argc, char *argv[])
{
    QApplication app(argc, argv);
    WatchedWindow window;
    window.setGeometry(400, 300, 300, 200);
    window.show();
    RecordingUserChannels channels;
    RecordingProcessLauncher launcher;
    TrayIcon tray(&window, channels, launcher);
    tray.AddTrayIcon();
    if (!QTest::qWaitFor([&] { return iconPlaced(tray); }, 10000))
        return 3;
    window.hide();
    XdoMouse::clickAt(tray.geometry().center(), 3);
    if (!QTest::qWaitFor([&] { return tray.menu()->isVisible(); }, 10000))
        return 4;
    const QAction *exitItem = tray.menu()->findChild<QAction *>(QStringLiteral("mnuexit"));
    QTimer::singleShot(0, [&] { XdoMouse::clickAt(centreOf(tray.menu(), exitItem), 1); });
    QTimer::singleShot(15000, [] { QCoreApplication::exit(5); });
    const int code = app.exec();
    std::printf("event loop ended with %d, icon %s\n", code, tray.isVisible() ? "shown" : "removed");
    return code;
}

} // namespace

class TestTray : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void menuTree();
    void tooltipOnHover();
    void doubleClickRightAfterStartHidesWindow();
    void leftClicksAlternate();
    void doubleClickWhileShownKeepsWindowShown();
    void rightClickOpensMenuAtPointer();
    void itemsWithoutAction_data();
    void itemsWithoutAction();
    void calculatorItem();
    void aboutItem();
    void exitItemEndsProgramWhileWindowHidden();
    void removedIconCannotRestoreWindow();

private:
    QSystemTrayIcon *systemIcon() const { return m_tray->findChild<QSystemTrayIcon *>(); }
    void openMenu();
    void choose(const QStringList &path);

    QWidget m_window;
    RecordingUserChannels m_channels;
    RecordingProcessLauncher m_launcher;
    std::unique_ptr<TrayIcon> m_tray;
};

void TestTray::initTestCase()
{
    QTRY_VERIFY_WITH_TIMEOUT(QSystemTrayIcon::isSystemTrayAvailable(), 10000);
    // Away from the tray in the top left corner, which it would cover.
    m_window.setGeometry(400, 300, 300, 200);
    m_window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m_window));
    m_tray = std::make_unique<TrayIcon>(&m_window, m_channels, m_launcher);
    QVERIFY(!m_tray->canRestoreHiddenWindow());
    m_tray->AddTrayIcon();
    m_tray->SetTrayTip(QStringLiteral("Corvessa"));
    QTRY_VERIFY_WITH_TIMEOUT(iconPlaced(*m_tray), 10000);
    QVERIFY(m_tray->isVisible());
    QVERIFY(m_tray->canRestoreHiddenWindow());
    QVERIFY(!m_tray->isShownFromTray());
}

void TestTray::cleanup()
{
    m_tray->menu()->hide();
    const QList<QMenu *> submenus = m_tray->menu()->findChildren<QMenu *>();
    for (QMenu *submenu : submenus)
        submenu->hide();
    m_channels.clear();
    m_launcher.starts.clear();
    // Two clicks of one button in quick succession are a double click, and
    // the tray ignores a right-button double click: let the next one stand alone.
    QTest::qWait(QApplication::doubleClickInterval() + 100);
}

void TestTray::openMenu()
{
    XdoMouse::clickAt(m_tray->geometry().center(), 3);
    QTRY_VERIFY_WITH_TIMEOUT(m_tray->menu()->isVisible(), 5000);
}

// Opens the menu with a right click and clicks the items named in path, the
// submenus first.
void TestTray::choose(const QStringList &path)
{
    openMenu();
    QMenu *menu = m_tray->menu();
    for (const QString &name : path) {
        const QList<QAction *> items = menu->actions();
        const auto named = std::find_if(
            items.begin(), items.end(), [&](const QAction *item) { return item->objectName() == name; });
        QVERIFY2(named != items.end(), qPrintable(name));
        const QAction *item = *named;
        XdoMouse::clickAt(centreOf(menu, item), 1);
        if (item->menu()) {
            menu = item->menu();
            QTRY_VERIFY_WITH_TIMEOUT(menu->isVisible(), 5000);
        }
    }
    QTRY_VERIFY_WITH_TIMEOUT(!m_tray->menu()->isVisible(), 5000);
    QVERIFY(!menu->isVisible());
}

void TestTray::menuTree()
{
    struct Item {
        const char *name;
        const char *caption;
        const char *shortcut;
        QStringList submenu;
    };
    const Item items[] = {
        { "mnumytool", "常用工具", "", { "mnuCalc 计算器" } },
        { "mnuSep2", "", "", {} },
        { "mnumypc", "我的电脑", "",
            { "mnuCdish C盘 Ctrl+C", "mnuDdisk D盘 Ctrl+D", "mnuEdisk E盘 Ctrl+E", "mnuFdisk F盘 Ctrl+F" } },
        { "mnuSep3", "", "", {} },
        { "mnudocument", "我的文档", "", { "mnumyExper 经验小结", "mnumylife 我的一生" } },
        { "mnuSep1", "", "", {} },
        { "imnuabout", "关于本软件", "Ctrl+A", {} },
        { "imnuhelp", "使用说明", "", {} },
        { "mnuSep0", "", "", {} },
        { "mnuexit", "退出", "Ctrl+S", {} },
    };
    const QMenu *mnuPop = m_tray->menu();
    QCOMPARE(mnuPop->objectName(), QStringLiteral("mnuPop"));
    const QList<QAction *> actions = mnuPop->actions();
    QCOMPARE(actions.size(), qsizetype(std::size(items)));
    for (qsizetype i = 0; i < actions.size(); ++i) {
        const QAction *action = actions.at(i);
        const Item &item = items[i];
        QCOMPARE(action->objectName(), QLatin1String(item.name));
        QCOMPARE(action->isSeparator(), QByteArray(item.name).startsWith("mnuSep"));
        QCOMPARE(caption(action), QString::fromUtf8(item.caption));
        QCOMPARE(shortcutLabel(action), QLatin1String(item.shortcut));
        // Only a label: no key sequence that could catch the main window's keys.
        QVERIFY(action->shortcut().isEmpty());
        QStringList submenu;
        if (action->menu()) {
            for (const QAction *entry : action->menu()->actions()) {
                QVERIFY(entry->shortcut().isEmpty());
                submenu.append(QStringList { entry->objectName(), caption(entry), shortcutLabel(entry) }
                                   .join(QLatin1Char(' '))
                                   .trimmed());
            }
        }
        QCOMPARE(submenu, item.submenu);
    }
}

void TestTray::tooltipOnHover()
{
    QCOMPARE(m_tray->toolTip(), QStringLiteral("Corvessa"));
    XdoMouse::run({ QStringLiteral("mousemove"), QString::number(m_tray->geometry().center().x()),
        QString::number(m_tray->geometry().center().y()) });
    QTRY_COMPARE_WITH_TIMEOUT(QToolTip::text(), QStringLiteral("Corvessa"), 5000);
    XdoMouse::run({ QStringLiteral("mousemove"), QStringLiteral("600"), QStringLiteral("600") });
    QToolTip::hideText();
}

void TestTray::doubleClickRightAfterStartHidesWindow()
{
    QSignalSpy activations(systemIcon(), &QSystemTrayIcon::activated);
    QVERIFY(XdoMouse::leftClickIcon(*m_tray, 2));
    QCOMPARE(activations.at(0).at(0).value<QSystemTrayIcon::ActivationReason>(), QSystemTrayIcon::Trigger);
    QCOMPARE(
        activations.at(1).at(0).value<QSystemTrayIcon::ActivationReason>(), QSystemTrayIcon::DoubleClick);
    QVERIFY(!m_tray->isShownFromTray());
    QTRY_VERIFY(!m_window.isVisible());
}

void TestTray::leftClicksAlternate()
{
    for (const bool shown : { true, false, true }) {
        QVERIFY(XdoMouse::leftClickIcon(*m_tray, 1));
        QCOMPARE(m_tray->isShownFromTray(), shown);
        QTRY_COMPARE(m_window.isVisible(), shown);
        if (shown)
            QVERIFY(!m_window.isMinimized());
    }
}

void TestTray::doubleClickWhileShownKeepsWindowShown()
{
    QVERIFY(m_tray->isShownFromTray());
    QVERIFY(XdoMouse::leftClickIcon(*m_tray, 2));
    QVERIFY(m_tray->isShownFromTray());
    QTRY_VERIFY(m_window.isVisible());
    QVERIFY(!m_window.isMinimized());
}

void TestTray::rightClickOpensMenuAtPointer()
{
    const QPoint pointer = m_tray->geometry().center();
    openMenu();
    QMenu *menu = m_tray->menu();
    QVERIFY((menu->pos() - pointer).manhattanLength() <= 2);
    QVERIFY(m_tray->isShownFromTray());

    // What the screen shows where the menu is must become the menu itself.
    // The last picture of the screen is kept as tray-menu.png for a look.
    const QImage drawn = menu->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const auto menuOnScreen = [&] {
        const QImage shot = menu->screen()->grabWindow(0).toImage();
        shot.save(QStringLiteral("tray-menu.png"));
        return shot.copy(menu->geometry()).convertToFormat(QImage::Format_RGB32) == drawn;
    };
    QTRY_VERIFY_WITH_TIMEOUT(menuOnScreen(), 5000);
}

void TestTray::itemsWithoutAction_data()
{
    QTest::addColumn<QStringList>("path");
    QTest::newRow("C盘") << QStringList { "mnumypc", "mnuCdish" };
    QTest::newRow("使用说明") << QStringList { "imnuhelp" };
    QTest::newRow("我的一生") << QStringList { "mnudocument", "mnumylife" };
}

void TestTray::itemsWithoutAction()
{
    QFETCH(QStringList, path);
    const bool shown = m_tray->isShownFromTray();
    choose(path);
    QVERIFY(m_channels.boxes.isEmpty());
    QVERIFY(m_launcher.starts.isEmpty());
    QCOMPARE(m_tray->isShownFromTray(), shown);
    QCOMPARE(m_window.isVisible(), shown);
}

// The item starts the calculator that this machine has, or says that there
// is none; which one is taken is tested on its own.
void TestTray::calculatorItem()
{
    m_launcher.succeeds = true;
    choose({ QStringLiteral("mnumytool"), QStringLiteral("mnuCalc") });
    m_launcher.succeeds = false;
    const QString calculator = DesktopCalculator::find();
    if (calculator.isEmpty()) {
        QVERIFY(m_launcher.starts.isEmpty());
        QCOMPARE(m_channels.statusTexts, QStringList { QStringLiteral("没有找到可以启动的计算器") });
    } else {
        QCOMPARE(m_launcher.starts.size(), 1);
        QCOMPARE(m_launcher.starts.first().program, calculator);
        QVERIFY(m_launcher.starts.first().arguments.isEmpty());
        QVERIFY(m_channels.statusTexts.isEmpty());
    }
}

void TestTray::aboutItem()
{
    choose({ QStringLiteral("imnuabout") });
    QCOMPARE(m_channels.boxes.size(), 1);
    QCOMPARE(m_channels.boxes.first().title, QStringLiteral("关于"));
    QVERIFY(m_channels.boxes.first().prompt.endsWith(QStringLiteral("\n日期：2005.11.05")));
}

void TestTray::exitItemEndsProgramWhileWindowHidden()
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), { QLatin1String(exitChildArgument) });
    QVERIFY(child.waitForFinished(30000));
    const QString output = QString::fromUtf8(child.readAllStandardOutput());
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 0);
    QVERIFY2(output.contains(QStringLiteral("event loop ended with 0, icon removed")), qPrintable(output));
    QVERIFY2(!output.contains(QStringLiteral("close handler ran")), qPrintable(output));
}

void TestTray::removedIconCannotRestoreWindow()
{
    m_tray->removeIcon();
    QVERIFY(!m_tray->isVisible());
    QVERIFY(!m_tray->canRestoreHiddenWindow());
}

int main(int argc, char *argv[])
{
    if (argc > 1 && qstrcmp(argv[1], exitChildArgument) == 0)
        return runExitChild(1, argv);

    VirtualTrayDisplay display;
    QString error;
    if (!display.start(error)) {
        std::fprintf(stderr, "no X display with a tray: %s\n", qPrintable(error));
        return 1;
    }
    QApplication app(argc, argv);
    TestTray test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_tray.moc"
