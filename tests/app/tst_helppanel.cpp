#include "RecordingProcessLauncher.h"
#include "RecordingUserChannels.h"
#include "app/AboutBox.h"
#include "app/DetachedProcessLauncher.h"
#include "app/FrmHelpShow.h"

#include <QAbstractTextDocumentLayout>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QVBoxLayout>

namespace {

QTextEdit *helpBox(const FrmHelpShow &panel)
{
    return panel.findChild<QTextEdit *>(QStringLiteral("rtxhelp"));
}

QList<QWidget *> helpWindows()
{
    QList<QWidget *> windows;
    const QList<QWidget *> topLevels = QApplication::topLevelWidgets();
    for (QWidget *window : topLevels) {
        if (window->objectName() == QStringLiteral("HelpWindow") && window->isVisible())
            windows.append(window);
    }
    return windows;
}

// Where the text at position starts on its line, in pixels.
qreal xOf(const QTextDocument &document, int position)
{
    const QTextBlock block = document.findBlock(position);
    document.documentLayout()->blockBoundingRect(block);
    const int inBlock = position - block.position();
    return block.layout()->lineForTextPosition(inBlock).cursorToX(inBlock);
}

// A stand-in viewer that writes how many arguments it got, and the first.
bool writeViewer(const QString &path)
{
    QFile viewer(path);
    if (!viewer.open(QIODevice::WriteOnly))
        return false;
    viewer.write("#!/bin/sh\nprintf '%s\\n' \"$#\" \"$1\" > \"$(dirname \"$0\")/arguments.txt\"\n");
    viewer.close();
    return viewer.setPermissions(viewer.permissions() | QFileDevice::ExeOwner);
}

} // namespace

class TestHelpPanel : public QObject
{
    Q_OBJECT

private slots:
    void layout();
    void showsTheHelpDocument();
    void documentKeepsItsFonts();
    void byteColumnsLineUp();
    void helpKey_data();
    void helpKey();
    void helpKeyStartsViewerFromProgramFolder();
    void helpKeyElsewhereDoesNothing();
    void realViewerGetsHelpFileAsOneArgument();
    void missingViewerOpensTheHelpWindow();
    void readingPositionKeptAcrossHideAndShow();
    void aboutBox();
};

void TestHelpPanel::layout()
{
    RecordingProcessLauncher launcher;
    FrmHelpShow panel(launcher);
    QCOMPARE(panel.size(), QSize(7935 / 15, 4215 / 15));
    QTextEdit *rtxhelp = helpBox(panel);
    QVERIFY(rtxhelp);
    QCOMPARE(rtxhelp->geometry(), QRect(120 / 15, 240 / 15, 7695 / 15, 3855 / 15));
    QVERIFY(rtxhelp->isReadOnly());
    QCOMPARE(rtxhelp->toolTip(), QStringLiteral("同时按下\"Shift+F1\"键可以全屏查看帮助文档"));
    for (const QString &name : { QStringLiteral("Image3"), QStringLiteral("Image4") }) {
        const QLabel *image = panel.findChild<QLabel *>(name);
        QVERIFY2(image, qPrintable(name));
        QCOMPARE(image->geometry(), QRect(9720 / 15, 0, 240 / 15, 240 / 15));
        QCOMPARE(image->toolTip(), QStringLiteral("切换端口"));
        QVERIFY(image->pixmap().isNull());
        QVERIFY(image->text().isEmpty());
    }
}

void TestHelpPanel::showsTheHelpDocument()
{
    RecordingProcessLauncher launcher;
    FrmHelpShow panel(launcher);
    const QStringList lines = helpBox(panel)->toPlainText().split(QLatin1Char('\n'));
    QCOMPARE(lines.first(),
        QString(28, QLatin1Char('=')) + QStringLiteral("无线打印机使用帮助") + QString(31, QLatin1Char('=')));
    QVERIFY(lines.contains(QStringLiteral("[控制命令]")));
    QVERIFY(lines.contains(QStringLiteral("\t十进制码    22 19 106 102 10 3 19")));
}

void TestHelpPanel::documentKeepsItsFonts()
{
    RecordingProcessLauncher launcher;
    FrmHelpShow panel(launcher);
    const QTextDocument *document = helpBox(panel)->document();
    const auto familyAt = [document](int position) {
        QTextCursor cursor(const_cast<QTextDocument *>(document));
        cursor.setPosition(position + 1);
        return cursor.charFormat().fontFamilies().toStringList().value(0);
    };
    QCOMPARE(familyAt(0), QStringLiteral("Arial"));
    QCOMPARE(familyAt(27), QStringLiteral("Arial"));
    QCOMPARE(familyAt(28), QStringLiteral("宋体"));
    const int lastLineEnd = document->characterCount() - 2;
    QCOMPARE(document->characterAt(lastLineEnd - 1), QLatin1Char('='));
    QCOMPARE(familyAt(lastLineEnd - 1), QStringLiteral("宋体"));
}

// The three format lines of a command put their bytes in one column.
void TestHelpPanel::byteColumnsLineUp()
{
    RecordingProcessLauncher launcher;
    FrmHelpShow panel(launcher);
    const QTextDocument *document = helpBox(panel)->document();
    const QString text = document->toPlainText();
    const int ascii = text.indexOf(QStringLiteral("\tASCII码     SYN DEC j f LF ETX VT"));
    const int hex = text.indexOf(QStringLiteral("\t十六进制码  16 13 6A 66 0A 03 0B"));
    const int decimal = text.indexOf(QStringLiteral("\t十进制码    22 19 106 102 10 3 11"));
    QVERIFY(ascii > 0 && hex > 0 && decimal > 0);
    const qreal column = xOf(*document, ascii + 12);
    QVERIFY(column > xOf(*document, ascii + 6));
    QCOMPARE(xOf(*document, hex + 8), column);
    QCOMPARE(xOf(*document, decimal + 9), column);
}

void TestHelpPanel::helpKey_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<bool>("starts");

    QTest::newRow("Shift+F1") << int(Qt::Key_F1) << Qt::KeyboardModifiers(Qt::ShiftModifier) << true;
    QTest::newRow("F1 alone") << int(Qt::Key_F1) << Qt::KeyboardModifiers() << false;
    QTest::newRow("Ctrl+Shift+F1") << int(Qt::Key_F1) << (Qt::ShiftModifier | Qt::ControlModifier) << false;
    QTest::newRow("Alt+Shift+F1") << int(Qt::Key_F1) << (Qt::ShiftModifier | Qt::AltModifier) << false;
    QTest::newRow("Shift+F2") << int(Qt::Key_F2) << Qt::KeyboardModifiers(Qt::ShiftModifier) << false;
}

void TestHelpPanel::helpKey()
{
    QFETCH(int, key);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(bool, starts);

    RecordingProcessLauncher launcher;
    FrmHelpShow panel(launcher);
    panel.setProgramFolder(QStringLiteral("/opt/My Programs/Veltrin"));
    QTest::keyClick(helpBox(panel), Qt::Key(key), modifiers);
    QCOMPARE(launcher.starts.size(), starts ? 1 : 0);
    // The recording launcher starts nothing, so the program's own window
    // takes the viewer's place.
    QCOMPARE(helpWindows().size(), starts ? 1 : 0);
    qDeleteAll(helpWindows());
    if (starts) {
        // The folder's blank stays inside each argument instead of splitting
        // one command line into other words.
        // Windows programs take paths in their own separators.
        QCOMPARE(launcher.starts.first().program,
            QDir::toNativeSeparators(QStringLiteral("/opt/My Programs/Veltrin/hh.exe")));
        QCOMPARE(launcher.starts.first().arguments,
            QStringList { QDir::toNativeSeparators(QStringLiteral("/opt/My Programs/Veltrin/help.chm")) });
    }
}

void TestHelpPanel::helpKeyStartsViewerFromProgramFolder()
{
    RecordingProcessLauncher launcher;
    FrmHelpShow panel(launcher);
    QTest::keyClick(helpBox(panel), Qt::Key_F1, Qt::ShiftModifier);
    QCOMPARE(launcher.starts.size(), 1);
    const QDir folder(QCoreApplication::applicationDirPath());
    QCOMPARE(
        launcher.starts.first().program, QDir::toNativeSeparators(folder.filePath(QStringLiteral("hh.exe"))));
    QCOMPARE(launcher.starts.first().arguments,
        QStringList { QDir::toNativeSeparators(folder.filePath(QStringLiteral("help.chm"))) });
}

void TestHelpPanel::helpKeyElsewhereDoesNothing()
{
    RecordingProcessLauncher launcher;
    QWidget window;
    auto *panel = new FrmHelpShow(launcher, &window);
    auto *other = new QLineEdit(&window);
    auto *layout = new QVBoxLayout(&window);
    layout->addWidget(panel);
    layout->addWidget(other);
    QTest::keyClick(other, Qt::Key_F1, Qt::ShiftModifier);
    QTest::keyClick(panel, Qt::Key_F1, Qt::ShiftModifier);
    QVERIFY(launcher.starts.isEmpty());
}

void TestHelpPanel::realViewerGetsHelpFileAsOneArgument()
{
#ifdef Q_OS_WIN
    // Wine would start it, as it starts any Linux program, and prove nothing.
    QSKIP("the stand-in viewer is a shell script, which Windows does not run");
#endif
    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QString folder = root.filePath(QStringLiteral("My Programs"));
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(writeViewer(folder + QStringLiteral("/hh.exe")));

    DetachedProcessLauncher launcher;
    FrmHelpShow panel(launcher);
    panel.setProgramFolder(folder);
    QTest::keyClick(helpBox(panel), Qt::Key_F1, Qt::ShiftModifier);

    QVERIFY(helpWindows().isEmpty());
    QFile arguments(folder + QStringLiteral("/arguments.txt"));
    QTRY_VERIFY_WITH_TIMEOUT(arguments.size() > 0, 10000);
    QVERIFY(arguments.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(arguments.readAll()),
        QStringLiteral("1\n") + folder + QStringLiteral("/help.chm\n"));
}

void TestHelpPanel::missingViewerOpensTheHelpWindow()
{
    QTemporaryDir empty;
    DetachedProcessLauncher launcher;
    FrmHelpShow panel(launcher);
    panel.setProgramFolder(empty.path());
    QTest::keyClick(helpBox(panel), Qt::Key_F1, Qt::ShiftModifier);
    QCOMPARE(helpWindows().size(), 1);
    QWidget *window = helpWindows().first();
    QVERIFY(window->windowState() & Qt::WindowMaximized);
    const auto *text = window->findChild<QTextEdit *>(QStringLiteral("helpText"));
    QVERIFY(text->isReadOnly());
    QCOMPARE(text->toPlainText(), helpBox(panel)->toPlainText());

    // A second Shift+F1 brings the same window forward.
    QTest::keyClick(helpBox(panel), Qt::Key_F1, Qt::ShiftModifier);
    QCOMPARE(helpWindows(), QList<QWidget *>({ window }));
    window->close();
    QTRY_VERIFY(helpWindows().isEmpty());
}

void TestHelpPanel::readingPositionKeptAcrossHideAndShow()
{
    RecordingProcessLauncher launcher;
    FrmHelpShow panel(launcher);
    panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel));
    QTextEdit *rtxhelp = helpBox(panel);
    QScrollBar *scroll = rtxhelp->verticalScrollBar();
    QVERIFY(scroll->maximum() > 0);
    scroll->setValue(scroll->maximum() / 2);
    QTextCursor cursor = rtxhelp->textCursor();
    cursor.setPosition(1234);
    rtxhelp->setTextCursor(cursor);
    const int value = scroll->value();

    panel.hide();
    QTest::qWait(0);
    panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel));
    QCOMPARE(scroll->value(), value);
    QCOMPARE(rtxhelp->textCursor().position(), 1234);
}

void TestHelpPanel::aboutBox()
{
    RecordingUserChannels channels;
    ShowAbout(channels);
    QCOMPARE(channels.boxes.size(), 1);
    const RecordingUserChannels::Box box = channels.boxes.first();
    QCOMPARE(box.title, QStringLiteral("关于"));
    QCOMPARE(box.style, 320);
    const QStringList lines = box.prompt.split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 4);
    QCOMPARE(lines.first(), QStringLiteral("Lunvaric"));
    QCOMPARE(lines.last(), QStringLiteral("日期：2005.11.05"));
    QVERIFY(!box.prompt.contains(QLatin1Char('\r')));
}

QTEST_MAIN(TestHelpPanel)
#include "tst_helppanel.moc"
