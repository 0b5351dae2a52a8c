// What the real main window of the Windows build reads back through COM3.
// Proof: the Windows build under Wine (tools/windows/wine.sh, whose serial
// wait completes through Qt's completion port), run by wine-tests.sh once per
// case, each with its own COM3:
// - answersOfTheModule: COM3 is a pty on which veltrin-hostsim plays the
//   host module (its printers on channel 20, channels 3 and 7 busy): the
//   wireless panel's status query, host channel and channel search show its
//   answers, the search's in the viewer in Hex;
// - bytesShownInTheViewer: COM3 and COM4 are the two ends of a pty pair
//   (socat); what this test writes to COM4 must reach the viewer, shown in
//   Hex and then, switched to Txt, as the GBK text it is.
// The window is driven by its widgets' names, with "无握手": a pty has no
// CTS line of its own.

#include "RecordingProcessLauncher.h"
#include "RecordingUserChannels.h"
#include "ScriptedFileChooser.h"
#include "app/FrmMain.h"
#include "serial/FrmPortSetShow.h"
#include "viewer/FrmReceiveShow.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSerialPort>
#include <QTest>
#include <QTimer>

class Com3ReceiveTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void answersOfTheModule();
    void bytesShownInTheViewer();

private:
    template<typename T> T *child(const char *name) const
    {
        // A Release build, as this one is, has no Q_ASSERT.
        T *widget = m_window->findChild<T *>(QLatin1String(name));
        if (!widget)
            qFatal("the main window has no %s named %s", T::staticMetaObject.className(), name);
        return widget;
    }
    void click(const char *name) const { QTest::mouseClick(child<QAbstractButton>(name), Qt::LeftButton); }
    QString viewerText() { return m_window->receiveViewer().viewer().text(); }
    void confirmRangeDialogWhenItOpens();

    std::unique_ptr<RecordingUserChannels> m_channels;
    ScriptedFileChooser m_files;
    RecordingProcessLauncher m_launcher;
    std::unique_ptr<FrmMain> m_window;
};

void Com3ReceiveTest::init()
{
    m_channels = std::make_unique<RecordingUserChannels>();
    m_window = std::make_unique<FrmMain>(*m_channels, m_files, m_launcher);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    QCOMPARE(m_window->port().portNumber(), 3);
    click("cmdComset");
    click("Option3_0");
    QCOMPARE(m_window->port().handshaking(), 0);
    // "打开串口": the viewer shows what arrives only while the port is open.
    QTest::mouseClick(
        m_window->findChild<FrmPortSetShow *>()->findChild<QRadioButton *>(QStringLiteral("Option1")),
        Qt::LeftButton);
    QVERIFY(m_window->port().portOpen());
}

void Com3ReceiveTest::cleanup()
{
    QVERIFY2(m_channels->tips().isEmpty(), qPrintable(m_channels->tips().join(u'\n')));
    m_window.reset();
    m_channels.reset();
}

void Com3ReceiveTest::confirmRangeDialogWhenItOpens()
{
    // The search's range dialog opens modal; it is confirmed with 0 to 30.
    auto *confirm = new QTimer(this);
    confirm->setInterval(10);
    connect(confirm, &QTimer::timeout, this, [confirm] {
        for (QWidget *dialog : QApplication::topLevelWidgets()) {
            auto *from = dialog->findChild<QLineEdit *>(QStringLiteral("Text1"));
            auto *to = dialog->findChild<QLineEdit *>(QStringLiteral("Text2"));
            if (!dialog->isVisible() || !from || !to)
                continue;
            from->setText(QStringLiteral("0"));
            to->setText(QStringLiteral("30"));
            QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("Command1")), Qt::LeftButton);
            confirm->deleteLater();
            return;
        }
    });
    confirm->start();
}

void Com3ReceiveTest::answersOfTheModule()
{
    click("cmdWireless");
    child<QComboBox>("WLCombo120")->setCurrentIndex(2);
    click("CmdStatus");
    QCOMPARE(child<QLabel>("WLlblstatus")->text(), QStringLiteral("提示:所检测的打印机在线！"));

    click("cmdMasterCHN");
    QCOMPARE(child<QLabel>("WLlbl123")->text(), QStringLiteral("主机处于通道：20"));

    confirmRangeDialogWhenItOpens();
    click("CmdSearchCHN");
    // The viewer shows every byte received: the two answers before, then of
    // 0 to 30 the free channels (3 and 7 are busy, the printers hold 20).
    QTRY_COMPARE_WITH_TIMEOUT(viewerText(),
        QStringLiteral(
            "01 14 00 01 02 04 05 06 08 09 0A 0B 0C 0D 0E 0F 10 11 12 13 15 16 17 18 19 1A 1B 1C 1D 1E "),
        15000);
    QVERIFY(m_window->receiveViewer().viewer().isVisible());
}

void Com3ReceiveTest::bytesShownInTheViewer()
{
    QSerialPort far(QStringLiteral("COM4"));
    QVERIFY2(far.open(QIODevice::ReadWrite), qPrintable(far.errorString()));
    const QByteArray gbk = QByteArray::fromHex("D6D0CEC441B0A1");
    QCOMPARE(far.write(gbk), gbk.size());
    QVERIFY(far.waitForBytesWritten(5000));

    QTRY_COMPARE_WITH_TIMEOUT(viewerText(), QStringLiteral("D6 D0 CE C4 41 B0 A1 "), 10000);
    // As a user opens it, to switch its notation.
    m_window->receiveViewer().showViewer();
    QVERIFY(QTest::qWaitForWindowExposed(&m_window->receiveViewer().viewer()));
    QTest::mouseClick(m_window->receiveViewer().viewer().findChild<QRadioButton *>(QStringLiteral("Option1")),
        Qt::LeftButton);
    QCOMPARE(viewerText(), QStringLiteral("中文A啊"));
}

QTEST_MAIN(Com3ReceiveTest)
#include "com3_receivetest.moc"
