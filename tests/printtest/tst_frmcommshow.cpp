#include "ScriptedFileChooser.h"
#include "SendPathRig.h"
#include "SerialFixture.h"
#include "printtest/FrmCommShow.h"
#include "printtest/TextFileLoader.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSocketNotifier>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTimer>

namespace {

const QByteArray frameStart = QByteArray::fromHex("16066A660A03");

} // namespace

class tst_FrmCommShow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void startStateSendsFrameThenData();
    void printerBoxesMakeTheMask_data();
    void printerBoxesMakeTheMask();
    void dataFollowsTheNotation_data();
    void dataFollowsTheNotation();
    void emptyTextIsRefused();
    void blanksOnlySendAnEmptyTransmission();
    void notationErrorStillSendsTheFrame();
    void stopEndsAWaitingTransmission();
    void loadedFileStandsUnderTxtDirective();
    void everyEncodingSendsTheSameBytes_data();
    void everyEncodingSendsTheSameBytes();
    void fileLineBreaksReachTheWireAsTheyAre_data();
    void fileLineBreaksReachTheWireAsTheyAre();
    void breakTypedIntoALineIsOfTheKindBeforeIt();
    void largeFileGoesInWhileTheWindowRuns();
    void failedLoadKeepsTheEditor_data();
    void failedLoadKeepsTheEditor();
    void cancelledDialogChangesNothing();

private:
    template<typename T> T *child(const char *name) const
    {
        T *widget = m_panel->findChild<T *>(QLatin1String(name));
        Q_ASSERT(widget);
        return widget;
    }
    void send(const QString &text);
    QString writeFile(const QString &name, const QByteArray &bytes);
    void openFile(const QString &path);
    QString editorText() const;

    std::unique_ptr<PtyPort> m_pty;
    std::unique_ptr<SendPathRig> m_rig;
    ScriptedFileChooser m_files;
    std::unique_ptr<FrmCommShow> m_panel;
    QTemporaryDir m_dir;
};

void tst_FrmCommShow::init()
{
    m_pty = std::make_unique<PtyPort>(3);
    m_rig = std::make_unique<SendPathRig>(3);
    QCOMPARE(m_rig->portSetupError, 0);
    m_panel = std::make_unique<FrmCommShow>(m_rig->transmitter, m_rig->parser, m_rig->channels, m_files);
    m_panel->show();
}

void tst_FrmCommShow::cleanup()
{
    m_panel.reset();
    m_rig.reset();
    m_pty.reset();
}

void tst_FrmCommShow::send(const QString &text)
{
    child<QPlainTextEdit>("txtCmd")->setPlainText(text);
    QTest::mouseClick(child<QPushButton>("Cmdsendcmd"), Qt::LeftButton);
}

void tst_FrmCommShow::openFile(const QString &path)
{
    m_files.nextPath = path;
    QTest::mouseClick(child<QPushButton>("cmdOpenfile"), Qt::LeftButton);
}

QString tst_FrmCommShow::editorText() const
{
    return child<QPlainTextEdit>("txtCmd")->toPlainText();
}

QString tst_FrmCommShow::writeFile(const QString &name, const QByteArray &bytes)
{
    const QString path = m_dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return QString();
    return path;
}

void tst_FrmCommShow::startStateSendsFrameThenData()
{
    QVERIFY(child<QRadioButton>("Jinzhi_0")->isChecked());
    QVERIFY(child<QCheckBox>("chkPrinter3")->isChecked());
    QVERIFY(!child<QCheckBox>("chkPrinter5")->isEnabled());
    send(QStringLiteral("65 66"));
    QCOMPARE(m_pty->pty.readMaster().toHex(' '), QByteArray("16 06 6a 66 0a 03 0d 04 41 42"));
    QCOMPARE(m_rig->channels.statusTexts,
        (QStringList { QStringLiteral("数据发送完成"), QStringLiteral("数据发送完成") }));
    QCOMPARE(m_panel->PrinterMask, 4);
    QVERIFY(child<QPushButton>("Cmdsendcmd")->isEnabled());
}

void tst_FrmCommShow::printerBoxesMakeTheMask_data()
{
    QTest::addColumn<QList<int>>("ticked");
    QTest::addColumn<QByteArray>("frameEnd");
    QTest::newRow("none ticked names no slave") << QList<int> {} << QByteArray("\x80", 1);
    QTest::newRow("all four") << QList<int> { 1, 2, 3, 4 } << QByteArray("\x0f", 1);
    QTest::newRow("printers 1 and 3") << QList<int> { 1, 3 } << QByteArray("\x05", 1);
}

void tst_FrmCommShow::printerBoxesMakeTheMask()
{
    QFETCH(QList<int>, ticked);
    QFETCH(QByteArray, frameEnd);
    for (int i = 1; i <= 4; ++i)
        child<QCheckBox>(QByteArray("chkPrinter" + QByteArray::number(i)).constData())
            ->setChecked(ticked.contains(i));
    send(QStringLiteral("1"));
    QCOMPARE(m_pty->pty.readMaster().toHex(' '), (frameStart + '\x0d' + frameEnd + '\x01').toHex(' '));
}

void tst_FrmCommShow::dataFollowsTheNotation_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("data");
    QTest::newRow("text notation keeps the line break")
        << "Jinzhi_3" << QStringLiteral("Hello\nWorld") << QByteArray("Hello\r\nWorld ");
    QTest::newRow("decimal notation turns it into a blank")
        << "Jinzhi_0" << QStringLiteral("#TXT\nHello\nWorld") << QByteArray("Hello World ");
    QTest::newRow("hexadecimal across lines")
        << "Jinzhi_1" << QStringLiteral("1B\n40") << QByteArray("\x1b\x40");
    QTest::newRow("zero-width space is one question mark")
        << "Jinzhi_3" << QStringLiteral("A\u200BB") << QByteArray("A?B ");
}

void tst_FrmCommShow::dataFollowsTheNotation()
{
    QFETCH(QString, option);
    QFETCH(QString, text);
    QFETCH(QByteArray, data);
    QTest::mouseClick(child<QRadioButton>(option.toLatin1().constData()), Qt::LeftButton);
    send(text);
    QCOMPARE(m_pty->pty.readMaster().mid(8), data);
}

void tst_FrmCommShow::emptyTextIsRefused()
{
    send(QString());
    QCOMPARE(m_rig->channels.tips(), QStringList { QStringLiteral("发送数据不能为空！") });
    QCOMPARE(m_rig->channels.boxes.at(0).style, 64);
    QCOMPARE(m_pty->pty.readMaster(50), QByteArray());
    QVERIFY(child<QPushButton>("Cmdsendcmd")->isEnabled());

    send(QStringLiteral("7"));
    QCOMPARE(m_pty->pty.readMaster().right(1), QByteArray("\x07"));
}

void tst_FrmCommShow::blanksOnlySendAnEmptyTransmission()
{
    send(QStringLiteral("   "));
    QCOMPARE(m_pty->pty.readMaster().toHex(' '), QByteArray("16 06 6a 66 0a 03 0d 04"));
    QCOMPARE(m_rig->channels.statusTexts.size(), 2);
    QCOMPARE(m_rig->channels.lastStatus(), QStringLiteral("数据发送完成"));
}

void tst_FrmCommShow::notationErrorStillSendsTheFrame()
{
    send(QStringLiteral("65 300"));
    QCOMPARE(m_pty->pty.readMaster().toHex(' '), QByteArray("16 06 6a 66 0a 03 0d 04"));
    QCOMPARE(m_rig->channels.tips(), QStringList { QStringLiteral("类型不匹配！") });
}

void tst_FrmCommShow::stopEndsAWaitingTransmission()
{
    QCOMPARE(m_rig->port.setHandshaking(2), 0);
    m_rig->transmitter.setSendReady(false);
    QTimer::singleShot(
        50, this, [this] { QTest::mouseClick(child<QPushButton>("cmdstopcmd"), Qt::LeftButton); });
    send(QStringLiteral("1 2 3"));
    // The far end never became ready: the stop ends the frame's wait with
    // nothing sent, and the data transmission that follows ends as failed too.
    QCOMPARE(m_pty->pty.readMaster().toHex(' '), QByteArray());
    QCOMPARE(m_rig->channels.statusTexts,
        (QStringList { QStringLiteral("数据发送失败"), QStringLiteral("数据发送失败") }));
    QVERIFY(child<QPushButton>("Cmdsendcmd")->isEnabled());
}

void tst_FrmCommShow::loadedFileStandsUnderTxtDirective()
{
    QStringEncoder gbk("GBK");
    openFile(writeFile(QStringLiteral("hello.txt"), gbk.encode(QStringLiteral("中文 test\r\nline2"))));
    QCOMPARE(m_files.filters, QStringList { QStringLiteral("文件(txt)|*.txt") });
    QCOMPARE(editorText(), QStringLiteral("#txt\n中文 test\nline2"));
    QVERIFY(m_rig->channels.tips().isEmpty());
    QCOMPARE(m_rig->channels.statusTexts, QStringList { QStringLiteral("文件已载入，编码：GBK") });

    // Sent in decimal notation, the first line is a directive and the line
    // breaks become blanks.
    QTest::mouseClick(child<QPushButton>("Cmdsendcmd"), Qt::LeftButton);
    QCOMPARE(m_pty->pty.readMaster().mid(8), gbk.encode(QStringLiteral("中文 test line2 ")));
    QCOMPARE(m_rig->parser.DataMode, 3);
}

void tst_FrmCommShow::everyEncodingSendsTheSameBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("encoding");
    const QString text = QStringLiteral("中文 abc");
    const QByteArray utf8 = QStringEncoder(QStringConverter::Utf8).encode(text);
    const QByteArray utf16 = QStringEncoder(QStringConverter::Utf16LE).encode(text);
    const QByteArray gbk = QStringEncoder("GBK").encode(text);
    QTest::newRow("UTF-8") << utf8 << "UTF-8";
    QTest::newRow("UTF-8 with a byte-order mark") << QByteArray("\xEF\xBB\xBF") + utf8 << "UTF-8";
    QTest::newRow("UTF-16LE with a byte-order mark") << QByteArray("\xFF\xFE") + utf16 << "UTF-16LE";
    QTest::newRow("GBK") << gbk << "GBK";
}

void tst_FrmCommShow::everyEncodingSendsTheSameBytes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, encoding);
    openFile(writeFile(QStringLiteral("chinese.txt"), bytes));
    QCOMPARE(editorText(), QStringLiteral("#txt\n中文 abc"));
    QCOMPARE(m_rig->channels.lastStatus(), QStringLiteral("文件已载入，编码：") + encoding);
    QTest::mouseClick(child<QRadioButton>("Jinzhi_3"), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>("Cmdsendcmd"), Qt::LeftButton);
    QCOMPARE(m_pty->pty.readMaster().mid(8).toHex(' '),
        QByteArray("23 74 78 74 0d 0a d6 d0 ce c4 20 61 62 63 20"));
}

void tst_FrmCommShow::fileLineBreaksReachTheWireAsTheyAre_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("content");
    QTest::addColumn<QByteArray>("data");
    QTest::newRow("lone CRs") << "Jinzhi_3" << QStringLiteral("A\rB C\r") << QByteArray("#txt\r\nA\rB C\r ");
    QTest::newRow("lone LFs") << "Jinzhi_3" << QStringLiteral("A\nB\n") << QByteArray("#txt\r\nA\nB\n ");
    QTest::newRow("all three kinds") << "Jinzhi_3" << QStringLiteral("A\r\nB\rC\nD")
                                     << QByteArray("#txt\r\nA\r\nB\rC\nD ");
    QTest::newRow("paragraph separator is a character")
        << "Jinzhi_3" << QStringLiteral("A\u2029B") << QByteArray("#txt\r\nA?B ");
    QTest::newRow("no-break space is no blank")
        << "Jinzhi_3" << QStringLiteral("A\u00A0B") << QByteArray("#txt\r\nA?B ");
    // Only CR LF becomes a blank outside text notation.
    QTest::newRow("decimal: lone LF stays in the word")
        << "Jinzhi_0" << QStringLiteral("65\n66\r\n67") << QByteArray("65\n66 67 ");
}

void tst_FrmCommShow::fileLineBreaksReachTheWireAsTheyAre()
{
    QFETCH(QString, option);
    QFETCH(QString, content);
    QFETCH(QByteArray, data);
    openFile(writeFile(QStringLiteral("breaks.txt"), QStringEncoder(QStringConverter::Utf8).encode(content)));
    QTest::mouseClick(child<QRadioButton>(option.toLatin1().constData()), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>("Cmdsendcmd"), Qt::LeftButton);
    QCOMPARE(m_pty->pty.readMaster().mid(8), data);
}

void tst_FrmCommShow::breakTypedIntoALineIsOfTheKindBeforeIt()
{
    openFile(writeFile(QStringLiteral("unix.txt"), "AB\nCD"));
    auto *editor = child<QPlainTextEdit>("txtCmd");
    QTextCursor cursor = editor->textCursor();
    for (const int block : { 2, 1, 0 }) {
        cursor.setPosition(editor->document()->findBlockByNumber(block).position() + 1);
        editor->setTextCursor(cursor);
        QTest::keyClick(editor, Qt::Key_Return);
    }
    QCOMPARE(editorText(), QStringLiteral("#\ntxt\nA\nB\nC\nD"));
    QTest::mouseClick(child<QRadioButton>("Jinzhi_3"), Qt::LeftButton);
    QTest::mouseClick(child<QPushButton>("Cmdsendcmd"), Qt::LeftButton);
    // The file's first line follows the directive's CR LF; its second a LF.
    QCOMPARE(m_pty->pty.readMaster().mid(8), QByteArray("#\r\ntxt\r\nA\r\nB\nC\nD "));
}

void tst_FrmCommShow::largeFileGoesInWhileTheWindowRuns()
{
    QByteArray content;
    for (int line = 0; content.size() < 300 * 1024; ++line)
        content += "line " + QByteArray::number(line) + '\n';
    const QString path = writeFile(QStringLiteral("large.txt"), content);
    auto *editor = child<QPlainTextEdit>("txtCmd");

    openFile(path);
    QVERIFY(editor->isReadOnly());
    QTRY_VERIFY(!editor->isReadOnly());
    QCOMPARE(editorText(), QStringLiteral("#txt\n") + QString::fromLatin1(content));

    // Cleared while it goes in, the editor stays empty.
    openFile(path);
    QTest::mouseClick(child<QPushButton>("cmdClearcmd"), Qt::LeftButton);
    QVERIFY(!editor->isReadOnly());
    QTest::qWait(50);
    QCOMPARE(editorText(), QString());

    // A send takes the whole text, not the part that is in yet. The far end
    // reads while the transmitter waits for the line.
    QByteArray wire;
    QSocketNotifier farEnd(m_pty->pty.masterFd(), QSocketNotifier::Read);
    connect(&farEnd, &QSocketNotifier::activated, this, [&] { wire += m_pty->pty.readMaster(0); });
    QTest::mouseClick(child<QRadioButton>("Jinzhi_3"), Qt::LeftButton);
    openFile(writeFile(QStringLiteral("large.txt"), content.left(150 * 1024)));
    QVERIFY(editor->isReadOnly());
    QTest::mouseClick(child<QPushButton>("Cmdsendcmd"), Qt::LeftButton);
    wire += m_pty->pty.readMaster();
    QCOMPARE(wire.mid(8), "#txt\r\n" + content.left(150 * 1024) + ' ');
    QVERIFY(!editor->isReadOnly());
}

void tst_FrmCommShow::failedLoadKeepsTheEditor_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("messageStart");
    const QString notText = QStringLiteral("文件内容既不是有效的UTF-8文本，也不是有效的GBK文本");
    QTest::newRow("empty file") << writeFile(QStringLiteral("empty.txt"), QByteArray())
                                << QStringLiteral("文件是空的");
    QTest::newRow("lead byte without a trail byte") << writeFile(QStringLiteral("lead.txt"),
        QByteArray("A\x81\x20"
                   "B")) << notText;
    QTest::newRow("cut inside a character")
        << writeFile(QStringLiteral("cut.txt"), QByteArray("AB\xd6")) << notText;
    QTest::newRow("tens of MB") << writeFile(QStringLiteral("big.txt"), QByteArray(20 * 1024 * 1024, 'a'))
                                << QStringLiteral("文件太大");
    QTest::newRow("missing") << m_dir.filePath(QStringLiteral("missing.txt")) << QStringLiteral("文件不存在");
    QTest::newRow("a folder") << m_dir.path() << QStringLiteral("所选的是文件夹");
}

void tst_FrmCommShow::failedLoadKeepsTheEditor()
{
    QFETCH(QString, path);
    QFETCH(QString, messageStart);
    child<QPlainTextEdit>("txtCmd")->setPlainText(QStringLiteral("old text"));

    openFile(path);
    QCOMPARE(editorText(), QStringLiteral("old text"));
    QCOMPARE(m_rig->channels.tips().size(), 1);
    const QString tip = m_rig->channels.tips().at(0);
    QVERIFY2(tip.startsWith(messageStart), qPrintable(tip));
    QVERIFY2(tip.endsWith(QLatin1Char('\n') + QDir::toNativeSeparators(path)), qPrintable(tip));
    QVERIFY(m_rig->channels.statusTexts.isEmpty());
}

void tst_FrmCommShow::cancelledDialogChangesNothing()
{
    child<QPlainTextEdit>("txtCmd")->setPlainText(QStringLiteral("old text"));
    m_files.nextPath.clear();
    QTest::mouseClick(child<QPushButton>("cmdOpenfile"), Qt::LeftButton);
    QCOMPARE(child<QPlainTextEdit>("txtCmd")->toPlainText(), QStringLiteral("old text"));
    QVERIFY(m_rig->channels.boxes.isEmpty());
    QTest::mouseClick(child<QPushButton>("cmdClearcmd"), Qt::LeftButton);
    QCOMPARE(child<QPlainTextEdit>("txtCmd")->toPlainText(), QString());
}

QTEST_MAIN(tst_FrmCommShow)
#include "tst_frmcommshow.moc"
