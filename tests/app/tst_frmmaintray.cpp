// The main window with its tray icon on a real X display (Xvfb with the
// trayer tray host, clicked with xdotool): minimising leaves only the icon,
// the icon brings the window back, and both ways of leaving the program take
// the icon away.

#include "RecordingProcessLauncher.h"
#include "RecordingUserChannels.h"
#include "ScriptedFileChooser.h"
#include "VirtualTrayDisplay.h"
#include "XdoMouse.h"
#include "app/FrmMain.h"
#include "app/TrayIcon.h"

#include <QApplication>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <memory>
#include <utility>

class tst_FrmMainTray : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void minimisingLeavesOnlyTheIconUntilItIsClicked();
    void exitButtonRemovesTheIconAndEnds();
    void closingTheWindowRemovesTheIconAndEnds();

private:
    void expectProgramEndWithoutIcon(const std::function<void()> &leave);

    RecordingUserChannels m_channels;
    ScriptedFileChooser m_files;
    RecordingProcessLauncher m_launcher;
    std::unique_ptr<FrmMain> m_window;
};

void tst_FrmMainTray::init()
{
    QTRY_VERIFY_WITH_TIMEOUT(QSystemTrayIcon::isSystemTrayAvailable(), 10000);
    m_window = std::make_unique<FrmMain>(m_channels, m_files, m_launcher);
    // Away from the tray in the top left corner, which it would cover.
    m_window->move(300, 200);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    // The icon goes in after the window's first frame, and the tray may
    // place it again after it first has a size: a click waits until it
    // stays where it is.
    QRect placed;
    QTRY_VERIFY_WITH_TIMEOUT(std::exchange(placed, m_window->trayIcon().geometry()).width() > 0
            && placed == m_window->trayIcon().geometry(),
        10000);
    QCOMPARE(m_window->trayIcon().toolTip(), QStringLiteral("Corvessa"));
}

void tst_FrmMainTray::cleanup()
{
    m_window.reset();
    // Two clicks in quick succession would make a double click.
    QTest::qWait(QApplication::doubleClickInterval() + 100);
}

void tst_FrmMainTray::minimisingLeavesOnlyTheIconUntilItIsClicked()
{
    // The first click shows the window, which is already shown.
    QVERIFY(XdoMouse::leftClickIcon(m_window->trayIcon()));
    QVERIFY(m_window->trayIcon().isShownFromTray());
    QVERIFY(m_window->isVisible());

    m_window->showMinimized();
    QTRY_VERIFY_WITH_TIMEOUT(!m_window->isVisible(), 5000);

    // The alternation goes on from where it was: one click to "hidden", the
    // next one brings the window back, restored.
    QVERIFY(XdoMouse::leftClickIcon(m_window->trayIcon()));
    QVERIFY(!m_window->isVisible());
    QVERIFY(XdoMouse::leftClickIcon(m_window->trayIcon()));
    QTRY_VERIFY_WITH_TIMEOUT(m_window->isVisible(), 5000);
    QVERIFY(!m_window->isMinimized());
}

void tst_FrmMainTray::expectProgramEndWithoutIcon(const std::function<void()> &leave)
{
    QVERIFY(m_window->trayIcon().isVisible());
    // The program's event loop, which leaving must end.
    QTimer::singleShot(0, this, leave);
    QTimer::singleShot(10000, [] { QCoreApplication::exit(1); });
    QCOMPARE(QCoreApplication::exec(), 0);
    QVERIFY(!m_window->trayIcon().isVisible());
    QVERIFY(!m_window->isVisible());
}

void tst_FrmMainTray::exitButtonRemovesTheIconAndEnds()
{
    expectProgramEndWithoutIcon([this] {
        QTest::mouseClick(m_window->findChild<QPushButton *>(QStringLiteral("cmdExit")), Qt::LeftButton);
    });
}

void tst_FrmMainTray::closingTheWindowRemovesTheIconAndEnds()
{
    expectProgramEndWithoutIcon([this] { m_window->close(); });
}

int main(int argc, char *argv[])
{
    VirtualTrayDisplay display;
    QString error;
    if (!display.start(error)) {
        std::fprintf(stderr, "no X display with a tray: %s\n", qPrintable(error));
        return 1;
    }
    QApplication app(argc, argv);
    // As the program runs: the hidden main window is not the last one closed.
    QApplication::setQuitOnLastWindowClosed(false);
    tst_FrmMainTray test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_frmmaintray.moc"
