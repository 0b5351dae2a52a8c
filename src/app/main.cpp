#include "app/DetachedProcessLauncher.h"
#include "app/DialogUserChannels.h"
#include "app/FrmMain.h"
#include "app/ProgramEnd.h"
#include "app/QtChineseTranslation.h"
#include "printtest/DialogFileChooser.h"

#include <QApplication>
#include <QScreen>
#include <QTranslator>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Veltrin"));
    // The main window may sit hidden behind the tray icon while the viewer is
    // the last window open; closing the viewer must not end the program.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/veltrin.png")));
    QTranslator qtChinese;
    installQtChineseTranslation(qtChinese);

    DialogUserChannels channels;
    DialogFileChooser files;
    DetachedProcessLauncher launcher;
    FrmMain window(channels, files, launcher);
    channels.setOwner(&window);
    channels.setStatusCell(window.statusCell());
    files.setOwner(&window);
    ProgramEnd end(window);

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        window.move(screen->availableGeometry().center() - window.rect().center());
    window.show();
    return app.exec();
}
