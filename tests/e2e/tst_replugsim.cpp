// A module that goes away and comes back, as a USB adapter unplugged and
// plugged in again: the simulated host module vanishes from its link and
// returns on a fresh pty at the same link, while the window, built as the
// program builds it, has COM3 pointing at the link (VELTRIN_COM3), as a user
// with the kit on a by-id name would. No list of ports is injected: the
// device is known again by its path.

#include "RecordingProcessLauncher.h"
#include "RecordingUserChannels.h"
#include "ScriptedFileChooser.h"
#include "app/FrmMain.h"
#include "hostsim/HostSimulator.h"
#include "protocol/ControlFrame.h"
#include "serial/CommErrorReport.h"
#include "viewer/ReceiveRecording.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

class tst_ReplugSim : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void everyReturnIsReopenedAndHeard();
    void aSendCutByTheLossStaysFailedAndTheNextArrivesWhole();
    void aRecordingGoesOnAcrossTheLoss();
    void lossesWhileItsTipIsOpenAddNoTip();

private:
    template<typename T> T *child(const char *name) const
    {
        T *widget = m_window->findChild<T *>(QLatin1String(name));
        Q_ASSERT_X(widget, "child", name);
        return widget;
    }
    QString lossTip() const
    {
        return commErrorMessage(CommPort::CommReadError) + QLatin1Char('\n') + deviceLostCause(true);
    }
    void send(const QString &text);

    QTemporaryDir m_dir;
    std::unique_ptr<HostSimulator> m_simulator;
    RecordingUserChannels m_channels;
    ScriptedFileChooser m_files;
    RecordingProcessLauncher m_launcher;
    std::unique_ptr<FrmMain> m_window;
};

void tst_ReplugSim::init()
{
    HostOptions options;
    options.linkPath = m_dir.filePath(QStringLiteral("com3"));
    options.quiet = true;
    m_simulator = std::make_unique<HostSimulator>(options);
    QString error;
    QVERIFY2(m_simulator->start(&error), qPrintable(error));
    qputenv("VELTRIN_COM3", options.linkPath.toLocal8Bit());
    m_channels.clear();
    m_window = std::make_unique<FrmMain>(m_channels, m_files, m_launcher);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    // A pty has no CTS line.
    QCOMPARE(m_window->port().setHandshaking(0), 0);
}

void tst_ReplugSim::cleanup()
{
    m_window.reset();
    m_simulator.reset();
    qunsetenv("VELTRIN_COM3");
}

void tst_ReplugSim::send(const QString &text)
{
    child<QPlainTextEdit>("txtCmd")->setPlainText(text);
    QTest::mouseClick(child<QPushButton>("Cmdsendcmd"), Qt::LeftButton);
}

void tst_ReplugSim::everyReturnIsReopenedAndHeard()
{
    const QString reopened = QStringLiteral("COM3 已重新打开：%1").arg(m_simulator->linkPath());
    const QString status = ControlFrame::text(ControlFrame::SlaveStatus, { 4 });
    QTest::mouseClick(child<QPushButton>("cmdComset"), Qt::LeftButton);
    QRadioButton *open = child<QRadioButton>("Option1");
    QTest::mouseClick(open, Qt::LeftButton);
    QVERIFY(m_window->port().portOpen());
    // The viewer is open while the module comes and goes.
    QTest::mouseClick(child<QLabel>("lblTestRF"), Qt::LeftButton);

    for (int replug = 1; replug <= 5; ++replug) {
        QVERIFY(m_simulator->unplugFor(200));
        QTRY_COMPARE(m_channels.informationTips.size(), replug);
        QCOMPARE(m_channels.informationTips.last(), lossTip());
        QTRY_VERIFY_WITH_TIMEOUT(m_window->port().portOpen(), 3000);
        QCOMPARE(m_channels.lastStatus(), reopened);
        QVERIFY(open->isChecked());
        // What the module says from then on is heard.
        QCOMPARE(m_window->moduleExchange().ask(status), std::optional<quint8>(1));
        QCOMPARE(m_window->commEvents().RxBytes, QByteArray("\x01"));
        QCOMPARE(m_channels.informationTips.size(), replug);
    }
}

void tst_ReplugSim::aSendCutByTheLossStaysFailedAndTheNextArrivesWhole()
{
    // Once a tenth of the data is through, the module goes away.
    const QString words = QStringLiteral("#txt ") + QString(QString(99, u'x') + u' ').repeated(2000);
    bool unplugged = false;
    connect(&m_simulator->module(), &HostModule::delivered, this, [&](int, const QByteArray &) {
        if (!unplugged && m_simulator->printed(3).size() > 20000)
            unplugged = m_simulator->unplugFor(300);
    });
    m_window->portSettings().SelectBaudRate(3);
    send(words);
    QVERIFY(unplugged);
    QVERIFY(m_channels.statusTexts.contains(QStringLiteral("数据发送失败")));
    QTRY_COMPARE(m_channels.informationTips, QStringList { lossTip() });
    QTRY_VERIFY_WITH_TIMEOUT(m_window->port().portOpen(), 3000);
    const qsizetype before = m_simulator->printed(3).size();
    QVERIFY(before < 200000);

    // The notation the last send ended in, text, stands.
    send(QStringLiteral("65 66 67"));
    QCOMPARE(m_channels.lastStatus(), QStringLiteral("数据发送完成"));
    QTRY_COMPARE(m_simulator->printed(3).mid(before), QByteArray("65 66 67 "));
    QCOMPARE(m_channels.informationTips.size(), 1);
}

// The module's answers before and after it went away are in one file.
void tst_ReplugSim::aRecordingGoesOnAcrossTheLoss()
{
    const QString status = ControlFrame::text(ControlFrame::SlaveStatus, { 4 });
    QTest::mouseClick(child<QPushButton>("cmdComset"), Qt::LeftButton);
    QTest::mouseClick(child<QRadioButton>("Option1"), Qt::LeftButton);
    QVERIFY(m_window->port().portOpen());
    m_files.nextPath = m_dir.filePath(QStringLiteral("session.bin"));
    m_window->receiveViewer().startRecording();
    QVERIFY(m_window->receiveViewer().recording());
    QCOMPARE(m_window->moduleExchange().ask(status), std::optional<quint8>(1));

    QVERIFY(m_simulator->unplugFor(200));
    QTRY_COMPARE(m_channels.informationTips, QStringList { lossTip() });
    QTRY_VERIFY_WITH_TIMEOUT(m_window->port().portOpen(), 3000);
    QCOMPARE(m_window->moduleExchange().ask(status), std::optional<quint8>(1));
    m_window->receiveViewer().stopRecording();
    QFile recorded(m_files.nextPath);
    QVERIFY(recorded.open(QIODevice::ReadOnly));
    QCOMPARE(recorded.readAll(), QByteArray("\x01\x01"));
    QCOMPARE(m_channels.informationTips.size(), 1);
}

QTEST_MAIN(tst_ReplugSim)
// Left alone on a bench, the first loss's tip stays open while the adapter
// comes and goes again. The real tip is modal: each later loss opened one
// more tip inside it, an event loop deeper every time, until reading stopped.
void tst_ReplugSim::lossesWhileItsTipIsOpenAddNoTip()
{
    const QString status = ControlFrame::text(ControlFrame::SlaveStatus, { 4 });
    QTest::mouseClick(child<QPushButton>("cmdComset"), Qt::LeftButton);
    QTest::mouseClick(child<QRadioButton>("Option1"), Qt::LeftButton);
    QVERIFY(m_window->port().portOpen());
    int depth = 0;
    int deepest = 0;
    int lossesWhileOpen = 0;
    m_channels.whileTipShows = [&] {
        deepest = std::max(deepest, ++depth);
        for (; depth == 1 && lossesWhileOpen < 2; ++lossesWhileOpen) {
            QTRY_VERIFY_WITH_TIMEOUT(m_window->port().portOpen(), 10000);
            QVERIFY(m_simulator->unplugFor(200));
            QTRY_VERIFY(!m_window->port().portOpen());
        }
        QTRY_VERIFY_WITH_TIMEOUT(m_window->port().portOpen(), 10000);
        --depth;
    };
    QVERIFY(m_simulator->unplugFor(200));
    QTRY_COMPARE(m_channels.informationTips.size(), 1);
    m_channels.whileTipShows = nullptr;
    QCOMPARE(lossesWhileOpen, 2);
    QCOMPARE(deepest, 1);
    QCOMPARE(m_channels.informationTips, QStringList { lossTip() });
    QCOMPARE(m_window->moduleExchange().ask(status), std::optional<quint8>(1));
}

#include "tst_replugsim.moc"
