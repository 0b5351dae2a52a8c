// A print test from the real main window of the Windows build, through
// COM3. Proof: the Windows build under Wine, with COM3 mapped to a pty on
// which veltrin-hostsim plays the host module (wine-tests.sh sets that up);
// the module's file for printer 3, named by VELTRIN_PRINTER3_FILE, must grow
// by the GBK bytes of the text. The window is driven as a user would drive
// it, by its widgets' names: "无握手" on the port panel (a pty has no CTS
// line), printer 3 alone, text notation, "数据发送".

#include "RecordingProcessLauncher.h"
#include "RecordingUserChannels.h"
#include "ScriptedFileChooser.h"
#include "app/FrmMain.h"

#include <QCheckBox>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

class Com3PrintTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void printTestReachesPrinter3();

private:
    template<typename T> T *child(const FrmMain &window, const char *name) const
    {
        T *widget = window.findChild<T *>(QLatin1String(name));
        Q_ASSERT_X(widget, "child", name);
        return widget;
    }
};

namespace {

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

void Com3PrintTest::printTestReachesPrinter3()
{
    const QString printer3 = qEnvironmentVariable("VELTRIN_PRINTER3_FILE");
    QVERIFY2(!printer3.isEmpty(), "VELTRIN_PRINTER3_FILE names the module's file for printer 3");
    const QByteArray before = contents(printer3);

    RecordingUserChannels channels;
    ScriptedFileChooser files;
    RecordingProcessLauncher launcher;
    FrmMain window(channels, files, launcher);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.port().portNumber(), 3);

    QTest::mouseClick(child<QPushButton>(window, "cmdComset"), Qt::LeftButton);
    QTest::mouseClick(child<QRadioButton>(window, "Option3_0"), Qt::LeftButton);
    QCOMPARE(window.port().handshaking(), 0);
    QTest::mouseClick(child<QPushButton>(window, "cmdCommTest"), Qt::LeftButton);

    for (int i = 1; i <= 4; ++i) {
        const QByteArray name = "chkPrinter" + QByteArray::number(i);
        child<QCheckBox>(window, name.constData())->setChecked(i == 3);
    }
    QTest::mouseClick(child<QRadioButton>(window, "Jinzhi_3"), Qt::LeftButton);
    child<QPlainTextEdit>(window, "txtCmd")->setPlainText(QStringLiteral("中文A"));
    QTest::mouseClick(child<QPushButton>(window, "Cmdsendcmd"), Qt::LeftButton);

    // The select frame, then the data: each ends with the status line's
    // "数据发送完成".
    QTRY_COMPARE_WITH_TIMEOUT(channels.statusTexts.count(QStringLiteral("数据发送完成")), 2, 10000);
    QVERIFY2(channels.informationTips.isEmpty(), qPrintable(channels.informationTips.join(u'\n')));
    QVERIFY2(channels.tips().isEmpty(), qPrintable(channels.tips().join(u'\n')));
    // The window stays open until the module has the data, as a user's
    // would: under Wine a pty's output queue reads empty at once, so
    // "数据发送完成" can come before the bytes have left, and a window closed
    // then may leave them unsent.
    QTRY_COMPARE_WITH_TIMEOUT(contents(printer3), before + QByteArray::fromHex("D6D0CEC44120"), 10000);
    window.close();
}

QTEST_MAIN(Com3PrintTest)
#include "com3_printtest.moc"
