// "打开文件" on the print-test panel of FrmMain, offscreen: for each file the
// time until the text is in the editor and drawn, and the longest gap between
// two turns of the event loop from the click on (the window's longest
// freeze). Files of just under 2 MiB, the limit, in UTF-8, GBK and with lone
// LFs; lines of one longer line; a FIFO, a character device and a socket,
// which must be refused at once. For comparison, how long one setPlainText
// of the same text holds a plain editor.

#include "RecordingProcessLauncher.h"
#include "RecordingUserChannels.h"
#include "ScriptedFileChooser.h"
#include "SpecialFiles.h"
#include "app/FrmMain.h"
#include "printtest/TextFileLoader.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

namespace {

QTextStream out(stdout);

double ms(qint64 nanoseconds)
{
    return double(nanoseconds) / 1e6;
}

// Lines of Chinese and ASCII words up to just under the limit in the given
// encoding.
QByteArray linesOf(const QString &line, const char *encoding, qsizetype limit)
{
    QStringEncoder encoder(encoding);
    QByteArray bytes;
    for (int n = 0;; ++n) {
        const QByteArray next = encoder.encode(line.arg(n));
        if (bytes.size() + next.size() > limit)
            return bytes;
        bytes += next;
    }
}

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return path;
}

struct Load {
    qint64 inEditor = 0;
    qint64 click = 0;
    qint64 longestGap = 0;
};

// Clicks "打开文件" from the event loop, with a zero-interval heartbeat
// timing the loop's turns, until the editor is writable again (for a refused
// file: at once) and has been drawn.
Load open(FrmMain &window, ScriptedFileChooser &files, const QString &path)
{
    auto *editor = window.findChild<QPlainTextEdit *>(QStringLiteral("txtCmd"));
    auto *button = window.findChild<QPushButton *>(QStringLiteral("cmdOpenfile"));
    editor->clear();
    QCoreApplication::processEvents();
    files.nextPath = path;

    Load load;
    QElapsedTimer clock;
    // The click itself is the first turn.
    qint64 previousTurn = 0;
    int turnsAfter = 0;
    QEventLoop loop;
    QTimer heartbeat;
    heartbeat.setInterval(0);
    QObject::connect(&heartbeat, &QTimer::timeout, &loop, [&] {
        const qint64 now = clock.nsecsElapsed();
        if (previousTurn == 0)
            load.click = now;
        load.longestGap = std::max(load.longestGap, now - previousTurn);
        previousTurn = now;
        if (!editor->isReadOnly() && load.inEditor == 0)
            load.inEditor = now;
        // A few turns more, so that the paint after the last slice counts.
        if (load.inEditor > 0 && ++turnsAfter == 3)
            loop.quit();
    });
    QTimer::singleShot(0, &loop, [&] {
        clock.start();
        button->click();
        heartbeat.start();
    });
    loop.exec();
    return load;
}

qint64 setPlainTextTime(const QString &text)
{
    QPlainTextEdit editor;
    editor.resize(345, 161);
    editor.show();
    QCoreApplication::processEvents();
    QElapsedTimer clock;
    clock.start();
    editor.setPlainText(text);
    QCoreApplication::processEvents();
    return clock.nsecsElapsed();
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QTemporaryDir dir;
    SpecialFiles special(dir.path());
    RecordingUserChannels channels;
    ScriptedFileChooser files;
    RecordingProcessLauncher launcher;
    FrmMain window(channels, files, launcher);
    window.show();
    QCoreApplication::processEvents();

    const qsizetype limit = TextFileLoader::maximumSize;
    const QString chinese = QStringLiteral("打印测试 第%1行 print test 中文 abc\r\n");
    QString oneLongLine;
    for (int n = 0; oneLongLine.size() < 200 * 1024; ++n)
        oneLongLine += QStringLiteral("1B 40 %1 ").arg(n % 256);
    const struct {
        const char *what;
        QString path;
    } cases[] = {
        { "UTF-8, 2 MiB, CR LF lines",
            writeFile(dir, QStringLiteral("utf8.txt"), linesOf(chinese, "UTF-8", limit)) },
        { "GBK, 2 MiB, CR LF lines",
            writeFile(dir, QStringLiteral("gbk.txt"), linesOf(chinese, "GBK", limit)) },
        { "ASCII, 2 MiB, lone LF lines",
            writeFile(
                dir, QStringLiteral("lf.txt"), linesOf(QStringLiteral("1B 40 %1 0D 0A\n"), "UTF-8", limit)) },
        { "one line of 200 KiB", writeFile(dir, QStringLiteral("line.txt"), oneLongLine.toLatin1()) },
        { "FIFO", special.fifo },
        { "character device", special.characterDevice },
        { "socket", special.socket },
    };
    for (const auto &c : cases) {
        channels.clear();
        const Load load = open(window, files, c.path);
        const QString outcome = channels.tips().isEmpty() ? channels.lastStatus()
                                                          : channels.tips().first().section(u'\n', 0, 0);
        out << c.what << ": " << outcome << " after " << ms(load.inEditor) << " ms; the click took "
            << ms(load.click) << " ms, longest gap between event-loop turns " << ms(load.longestGap) << " ms"
            << Qt::endl;
    }
    out << "FIFO opened: " << (special.fifoWasOpened() ? "yes" : "no") << Qt::endl;
    for (const auto &c : { cases[0], cases[3] }) {
        const TextFileLoader::Result loaded = TextFileLoader::load(c.path);
        out << "one setPlainText of the same text (" << c.what << "): " << ms(setPlainTextTime(loaded.text))
            << " ms" << Qt::endl;
    }
    return 0;
}
