// The wireless panel on a bare pty: the frames it writes, read byte for byte
// on the master, and how it reads a reply byte that the test writes there (or
// does not).

#include "SerialFixture.h"
#include "WirelessPanelRig.h"
#include "viewer/FrmReceiveShow.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSocketNotifier>
#include <QTest>
#include <QTimer>

#include <functional>

namespace {

const QColor blue(0, 0, 255);
const QColor red(255, 0, 0);
const QByteArray preambleHex("16 06 6a 66 0a 03 ");
const QString rangeTip = QStringLiteral("数据不能为空，且只能为整数，范围：0-124");

} // namespace

class tst_WirelessPanel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void optionsSetUpTheirSelectors();
    void framesGoOutByteForByte_data();
    void framesGoOutByteForByte();
    void replyByteDecidesTheResult_data();
    void replyByteDecidesTheResult();
    void strayBytesBeforeTheFrameAreNoAnswer();
    void hostBaudMovesThePcPort();
    void hostBaudAwaitsTheReplyAtTheOldSpeed();
    void staleStopDoesNotCutTheFrame();
    void searchSendsTheLastConfirmedRange();
    void badRangeIsRefused_data();
    void badRangeIsRefused();

private:
    QByteArray wire() { return m_pty->pty.readMaster().toHex(' '); }
    void whenRangeDialogOpens(std::function<void(QDialog *)> action);
    static QColor textColour(QLabel *label);

    std::unique_ptr<PtyPort> m_pty;
    std::unique_ptr<WirelessPanelRig> m_rig;
    QTimer m_dialogWatch;
};

void tst_WirelessPanel::init()
{
    m_pty = std::make_unique<PtyPort>(3);
    QVERIFY(m_pty->pty.isValid());
    m_rig = std::make_unique<WirelessPanelRig>();
    QVERIFY(m_rig->showAndWaitForPaint());
}

void tst_WirelessPanel::cleanup()
{
    m_dialogWatch.stop();
    m_dialogWatch.disconnect();
    m_rig.reset();
    m_pty.reset();
}

// The dialog runs in the search's own event loop; the watch acts once it is up.
void tst_WirelessPanel::whenRangeDialogOpens(std::function<void(QDialog *)> action)
{
    m_dialogWatch.disconnect();
    m_dialogWatch.setInterval(5);
    connect(&m_dialogWatch, &QTimer::timeout, this, [this, action] {
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (window->objectName() == QLatin1String("frmSetting") && window->isVisible()) {
                m_dialogWatch.stop();
                action(qobject_cast<QDialog *>(window));
                return;
            }
        }
    });
    m_dialogWatch.start();
}

QColor tst_WirelessPanel::textColour(QLabel *label)
{
    // The colour comes from the label's style sheet, as the user sees it.
    label->ensurePolished();
    return label->palette().color(QPalette::WindowText);
}

void tst_WirelessPanel::optionsSetUpTheirSelectors()
{
    QComboBox *combo3 = m_rig->child<QComboBox>("WLCombo3");
    QComboBox *combo4 = m_rig->child<QComboBox>("WLCombo4");
    const auto shownFrames = [this] {
        QStringList shown;
        for (QGroupBox *frame : m_rig->panel.findChildren<QGroupBox *>(QRegularExpression("^WLFrame[1-5]$")))
            shown += frame->isVisible() ? frame->objectName() : QString();
        shown.removeAll(QString());
        return shown;
    };
    // Start-up: the re-address command with its four selectors.
    QCOMPARE(m_rig->panel.WLCommandIndex(), 0);
    QVERIFY(m_rig->child<QRadioButton>("WLOption1")->isChecked());
    QCOMPARE(shownFrames(), (QStringList { "WLFrame1", "WLFrame2", "WLFrame3", "WLFrame4" }));
    QCOMPARE(m_rig->child<QGroupBox>("WLFrame1")->title(), QStringLiteral("原来的地址是"));
    QCOMPARE(m_rig->child<QComboBox>("WLCombo2")->itemText(3), QStringLiteral("4号机"));
    QCOMPARE(combo4->itemText(124), QStringLiteral("信道124"));
    QCOMPARE(m_rig->child<QComboBox>("WLCombo120")->count(), 4);
    QCOMPARE(m_rig->child<QComboBox>("WLCombo120")->currentText(), QStringLiteral("1号机"));
    for (const char *name : { "WLPrinter1", "WLPrinter2", "WLPrinter3", "WLPrinter4" })
        QVERIFY2(m_rig->child<QCheckBox>(name)->isChecked() == (name == QLatin1String("WLPrinter3")), name);
    QCOMPARE(m_rig->child<QLabel>("WLLabel1")->text(), QStringLiteral("提示:信息"));
    QCOMPARE(textColour(m_rig->child<QLabel>("WLLabel1")), blue);

    m_rig->click("WLOption4");
    QCOMPARE(combo3->itemText(3), QStringLiteral("机号4"));
    combo4->setCurrentIndex(3);
    m_rig->click("WLOption5");
    QCOMPARE(m_rig->panel.WLCommandIndex(), 4);
    QCOMPARE(combo4->currentText(), QStringLiteral("38400bps"));
    QCOMPARE(shownFrames(), QStringList { "WLFrame4" });
    QCOMPARE(m_rig->child<QGroupBox>("WLFrame4")->title(), QStringLiteral("选择波特率"));

    m_rig->click("WLOption3");
    QCOMPARE(m_rig->panel.WLCommandIndex(), 3);
    QCOMPARE(combo3->count(), 4);
    QCOMPARE(combo4->count(), 125);
    QCOMPARE(shownFrames(), QStringList { "WLFrame4" });
    QCOMPARE(m_rig->child<QGroupBox>("WLFrame4")->title(), QStringLiteral("设置主机信道为"));

    m_rig->click("WLOption1");
    QCOMPARE(m_rig->panel.WLCommandIndex(), 0);
    QCOMPARE(combo3->itemText(124), QStringLiteral("信道124"));
    QCOMPARE(m_rig->child<QComboBox>("WLCombo1")->count(), 4);
    QCOMPARE(shownFrames().size(), 4);

    m_rig->click("WLOption2");
    QCOMPARE(m_rig->panel.WLCommandIndex(), 1);
    QCOMPARE(shownFrames(), QStringList { "WLFrame5" });
    QCOMPARE(m_rig->child<QGroupBox>("WLFrame5")->pos(), QPoint(120 / 15, 1320 / 15));
}

void tst_WirelessPanel::framesGoOutByteForByte_data()
{
    // Clicks, and "control=value" for a selector's entry index or a box's tick.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QByteArray>("frame");
    QTest::newRow("re-address printer 4 as 1, channel 100 to 20") << QStringList { "WLOption1", "WLCombo1=3",
        "WLCombo2=0", "WLCombo3=100", "WLCombo4=20", "CmdWLsend" } << QByteArray("0b 08 01 64 14");
    QTest::newRow("printers ticked at start-up")
        << QStringList { "WLOption2", "CmdWLsend" } << QByteArray("0d 04");
    QTest::newRow("printers 2 and 3")
        << QStringList { "WLOption2", "WLPrinter2=1", "CmdWLsend" } << QByteArray("0d 06");
    QTest::newRow("no printer") << QStringList { "WLOption2", "WLPrinter3=0", "CmdWLsend" }
                                << QByteArray("0d 00");
    QTest::newRow("printer 3 at 115200bps")
        << QStringList { "WLOption4", "WLCombo3=2", "WLCombo4=3", "CmdWLsend" } << QByteArray("11 04 03");
    QTest::newRow("host channel 124")
        << QStringList { "WLOption3", "WLCombo4=124", "CmdWLsend" } << QByteArray("0c 7c");
    QTest::newRow("host at 9600bps") << QStringList { "WLOption5", "WLCombo4=0", "CmdWLsend" }
                                     << QByteArray("12 00");
    QTest::newRow("status of the third printer")
        << QStringList { "WLCombo120=2", "CmdStatus" } << QByteArray("0f 04");
    QTest::newRow("host channel query") << QStringList { "cmdMasterCHN" } << QByteArray("13");
}

void tst_WirelessPanel::framesGoOutByteForByte()
{
    QFETCH(QStringList, steps);
    QFETCH(QByteArray, frame);
    for (const QString &step : steps) {
        QWidget *control = m_rig->panel.findChild<QWidget *>(step.section(u'=', 0, 0));
        const int value = step.section(u'=', 1).toInt();
        if (auto *combo = qobject_cast<QComboBox *>(control))
            combo->setCurrentIndex(value);
        else if (auto *box = qobject_cast<QCheckBox *>(control))
            box->setChecked(value != 0);
        else
            QTest::mouseClick(control, Qt::LeftButton);
    }
    QCOMPARE(wire(), preambleHex + frame);
    QCOMPARE(m_rig->channels.statusTexts.first(), QStringLiteral("数据发送完成"));
    QVERIFY(m_rig->panel.findChild<QWidget *>(steps.last())->isEnabled());
}

void tst_WirelessPanel::replyByteDecidesTheResult_data()
{
    QTest::addColumn<QByteArray>("button");
    QTest::addColumn<int>("frameLength");
    // The byte written on the master once the frame is there; -1: none.
    QTest::addColumn<int>("reply");
    // How long after the frame the reply comes.
    QTest::addColumn<int>("delayMs");
    QTest::addColumn<QByteArray>("label");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("configuration without reply")
        << QByteArray("CmdWLsend") << 11 << -1 << 0 << QByteArray("WLLabel1") << QStringLiteral("提示:设置失败")
        << red;
    QTest::newRow("configuration answered") << QByteArray("CmdWLsend") << 11 << 1 << 0 << QByteArray("WLLabel1")
                                            << QStringLiteral("提示:设置成功") << blue;
    QTest::newRow("status without reply") << QByteArray("CmdStatus") << 8 << -1 << 0 << QByteArray("WLlblstatus")
                                          << QStringLiteral("提示:所检测的打印机不在线！") << red;
    QTest::newRow("status answered 0") << QByteArray("CmdStatus") << 8 << 0 << 0 << QByteArray("WLlblstatus")
                                       << QStringLiteral("提示:所检测的打印机不在线！") << red;
    QTest::newRow("status answered 1") << QByteArray("CmdStatus") << 8 << 1 << 0 << QByteArray("WLlblstatus")
                                       << QStringLiteral("提示:所检测的打印机在线！") << blue;
    QTest::newRow("host channel without reply")
        << QByteArray("cmdMasterCHN") << 7 << -1 << 0 << QByteArray("WLlbl123")
        << QStringLiteral("主机处于通道：0") << blue;
    QTest::newRow("configuration answered late") << QByteArray("CmdWLsend") << 11 << 1 << 60
                                                 << QByteArray("WLLabel1") << QStringLiteral("提示:设置成功") << blue;
    QTest::newRow("status answered late") << QByteArray("CmdStatus") << 8 << 1 << 60 << QByteArray("WLlblstatus")
                                          << QStringLiteral("提示:所检测的打印机在线！") << blue;
    QTest::newRow("host channel answered 100")
        << QByteArray("cmdMasterCHN") << 7 << 100 << 0 << QByteArray("WLlbl123")
        << QStringLiteral("主机处于通道：100") << blue;
}

void tst_WirelessPanel::replyByteDecidesTheResult()
{
    QFETCH(QByteArray, button);
    QFETCH(int, frameLength);
    QFETCH(int, reply);
    QFETCH(int, delayMs);
    QFETCH(QByteArray, label);
    QFETCH(QString, text);
    QFETCH(QColor, colour);

    // Answer like the module: once the whole frame has come.
    QByteArray seen;
    QSocketNotifier master(m_pty->pty.masterFd(), QSocketNotifier::Read);
    connect(&master, &QSocketNotifier::activated, this, [&] {
        seen += m_pty->pty.readMaster(0);
        if (reply >= 0 && seen.size() == frameLength)
            QTimer::singleShot(delayMs, this, [&] { m_pty->pty.writeMaster(QByteArray(1, char(reply))); });
    });
    m_rig->click(button.constData());
    seen += m_pty->pty.readMaster();
    QCOMPARE(seen.size(), frameLength);
    QCOMPARE(m_rig->child<QLabel>(label.constData())->text(), text);
    QCOMPARE(textColour(m_rig->child<QLabel>(label.constData())), colour);
    QCOMPARE(m_rig->events.ReplyByte, 0);
}

void tst_WirelessPanel::strayBytesBeforeTheFrameAreNoAnswer()
{
    // Left over from earlier traffic, such as the tail of a channel search.
    QVERIFY(m_rig->port.setPortOpen(true) == 0);
    m_pty->pty.writeMaster(QByteArray("\x05\x06", 2));
    QTRY_COMPARE(m_rig->events.ReplyByte, 5);
    m_rig->click("CmdStatus");
    QCOMPARE(m_rig->label("WLlblstatus"), QStringLiteral("提示:所检测的打印机不在线！"));

    m_pty->pty.writeMaster(QByteArray("\x07", 1));
    QTRY_COMPARE(m_rig->events.ReplyByte, 7);
    m_rig->click("CmdWLsend");
    QCOMPARE(m_rig->label("WLLabel1"), QStringLiteral("提示:设置失败"));
    QCOMPARE(m_rig->events.ReplyByte, 0);
}

void tst_WirelessPanel::hostBaudAwaitsTheReplyAtTheOldSpeed()
{
    int speedWhenAnswered = 0;
    QSocketNotifier master(m_pty->pty.masterFd(), QSocketNotifier::Read);
    connect(&master, &QSocketNotifier::activated, this, [&] {
        if (m_pty->pty.readMaster(0).endsWith(QByteArray::fromHex("1203"))) {
            QTimer::singleShot(40, this, [&] {
                speedWhenAnswered = m_pty->pty.slaveBaudRate();
                m_pty->pty.writeMaster(QByteArray(1, '\x01'));
            });
        }
    });
    m_rig->click("WLOption5");
    m_rig->choose("WLCombo4", 3);
    m_rig->click("CmdWLsend");
    QCOMPARE(speedWhenAnswered, 38400);
    QCOMPARE(m_rig->label("WLLabel1"), QStringLiteral("提示:设置成功"));
    QCOMPARE(m_pty->pty.slaveBaudRate(), 115200);
}

void tst_WirelessPanel::hostBaudMovesThePcPort()
{
    m_rig->click("WLOption5");
    m_rig->child<QComboBox>("WLCombo4")->setCurrentIndex(0);
    m_rig->click("CmdWLsend");
    QCOMPARE(wire(), preambleHex + "12 00");
    QCOMPARE(m_pty->pty.slaveBaudRate(), 9600);
    QCOMPARE(m_rig->port.settings(), QStringLiteral("9600,N,8,1"));
    QCOMPARE(m_rig->settings.SelectedBaud, QStringLiteral("9600"));
    QVERIFY(m_rig->portPanel.findChild<QRadioButton *>(QStringLiteral("optBautrateSet_0"))->isChecked());
    QVERIFY(m_rig->channels.statusTexts.contains(QStringLiteral("Baud rate setting : 9600bps")));
}

void tst_WirelessPanel::staleStopDoesNotCutTheFrame()
{
    m_rig->transmitter.setStopSending(true);
    m_rig->click("CmdWLsend");
    QCOMPARE(wire(), preambleHex + "0b 01 01 00 00");
    QCOMPARE(m_rig->channels.statusTexts.first(), QStringLiteral("数据发送完成"));
}

void tst_WirelessPanel::searchSendsTheLastConfirmedRange()
{
    const auto search = [this](const QString &first, const QString &last) {
        QStringList opened;
        whenRangeDialogOpens([&opened, first, last](QDialog *dialog) {
            auto *text1 = dialog->findChild<QLineEdit *>(QStringLiteral("Text1"));
            auto *text2 = dialog->findChild<QLineEdit *>(QStringLiteral("Text2"));
            opened = QStringList { text1->text(), text2->text() };
            if (first.isNull()) {
                dialog->close();
                return;
            }
            text1->setText(first);
            text2->setText(last);
            QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("Command1")), Qt::LeftButton);
        });
        m_rig->click("CmdSearchCHN");
        return opened;
    };
    const QStringList openingValues { QStringLiteral("0"), QStringLiteral("20") };

    // Closed without confirming before any confirmation: the range at start.
    QCOMPARE(search(QString(), QString()), openingValues);
    QCOMPARE(wire(), preambleHex + "0e 00 00");
    QCOMPARE(m_rig->viewer.viewer().windowTitle(), QStringLiteral("以下显示为可用信道,以十六进制显示"));
    QVERIFY(m_rig->viewer.viewer().isVisible());

    QCOMPARE(search(QStringLiteral("0"), QStringLiteral("20")), openingValues);
    QCOMPARE(wire(), preambleHex + "0e 00 14");

    // Retitled and switched to decimal, the viewer gets its title back; the
    // first channel above the last is sent as it stands.
    m_rig->viewer.viewer().setWindowTitle(QStringLiteral("decimal"));
    m_rig->viewer.viewer().Option2_Click();
    QCOMPARE(search(QStringLiteral("50"), QStringLiteral("10")), openingValues);
    QCOMPARE(wire(), preambleHex + "0e 32 0a");
    QCOMPARE(m_rig->viewer.viewer().windowTitle(), QStringLiteral("以下显示为可用信道,以十六进制显示"));

    QCOMPARE(search(QString(), QString()), openingValues);
    QCOMPARE(wire(), preambleHex + "0e 32 0a");
    QCOMPARE(m_rig->panel.SearchStartChannel(), 50);
    QCOMPARE(m_rig->panel.SearchEndChannel(), 10);
    QVERIFY(m_rig->channels.tips().isEmpty());
    QVERIFY(m_rig->child<QPushButton>("CmdSearchCHN")->isEnabled());
}

void tst_WirelessPanel::badRangeIsRefused_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("input");
    for (const QString &box : { QStringLiteral("Text1"), QStringLiteral("Text2") }) {
        for (const QString &input : { QStringLiteral("125"), QStringLiteral("3.5"), QStringLiteral("-1"),
                 QStringLiteral("abc"), QString() }) {
            const QString row = box + QStringLiteral(": \"") + input + u'"';
            QTest::newRow(qPrintable(row)) << box << input;
        }
    }
}

void tst_WirelessPanel::badRangeIsRefused()
{
    QFETCH(QString, box);
    QFETCH(QString, input);
    QString leftInBox = QStringLiteral("unset");
    bool openAfterRefusal = false;
    QStringList tipsAtRefusal;
    whenRangeDialogOpens([&](QDialog *dialog) {
        auto *edit = dialog->findChild<QLineEdit *>(box);
        auto *confirm = dialog->findChild<QPushButton *>(QStringLiteral("Command1"));
        edit->setText(input);
        QTest::mouseClick(confirm, Qt::LeftButton);
        leftInBox = edit->text();
        openAfterRefusal = dialog->isVisible();
        tipsAtRefusal = m_rig->channels.tips();
        // Re-entered correctly, the range goes through.
        edit->setText(QStringLiteral("7"));
        QTest::mouseClick(confirm, Qt::LeftButton);
    });
    m_rig->click("CmdSearchCHN");
    QCOMPARE(tipsAtRefusal, QStringList { rangeTip });
    QCOMPARE(m_rig->channels.boxes.first().style, UserChannels::InformationIcon);
    QCOMPARE(leftInBox, QString());
    QVERIFY(openAfterRefusal);
    QCOMPARE(m_rig->channels.tips().size(), 1);
    QCOMPARE(wire(), preambleHex + (box == QLatin1String("Text1") ? "0e 07 14" : "0e 00 07"));
}

QTEST_MAIN(tst_WirelessPanel)
#include "tst_wirelesspanel.moc"
