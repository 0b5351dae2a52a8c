// Every text of every form fits the control that shows it, measured with the
// fonts the forms ask for. The layout was drawn for Arial and 宋体; here those
// are Liberation Sans (Arial's metrics) and a CJK font, which the test checks
// are installed before it measures anything.
#include "RecordingProcessLauncher.h"
#include "RecordingUserChannels.h"
#include "ScriptedFileChooser.h"
#include "app/FrmMain.h"
#include "app/FrmMsg.h"
#include "protocol/FrmSetting.h"
#include "serial/CommErrorReport.h"
#include "viewer/FrmReceiveShow.h"
#include "viewer/ReceiveViewerHost.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QGlyphRun>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRawFont>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>
#include <QStyleOptionGroupBox>
#include <QTest>
#include <QTextLayout>

namespace {

// QLineEdit keeps this much space between its frame and its text.
constexpr int lineEditMargin = 2;

struct Misfit {
    QString where;
    QString text;
    int needed;
    int room;
};

QString describe(const QList<Misfit> &misfits)
{
    QStringList lines;
    for (const Misfit &misfit : misfits)
        lines.append(QStringLiteral("%1 \"%2\": needs %3 px, has %4 px")
                         .arg(misfit.where, misfit.text)
                         .arg(misfit.needed)
                         .arg(misfit.room));
    return lines.join(QLatin1Char('\n'));
}

QString nameOf(const QWidget *widget)
{
    return widget->objectName().isEmpty() ? QString::fromLatin1(widget->metaObject()->className())
                                          : widget->objectName();
}

// Width and, for wrapping texts, height that a text needs against what its
// area offers.
void measure(QList<Misfit> &misfits, const QWidget *widget, const QString &text, const QRect &area,
    bool wraps = false, Qt::Alignment alignment = Qt::AlignLeft)
{
    if (text.isEmpty())
        return;
    const QFontMetrics metrics(widget->font());
    if (wraps) {
        const QRect needed
            = metrics.boundingRect(QRect(0, 0, area.width(), 10000), alignment | Qt::TextWordWrap, text);
        if (needed.width() > area.width() || needed.height() > area.height())
            misfits.append({ nameOf(widget), text, needed.height(), area.height() });
        return;
    }
    const int width = metrics.horizontalAdvance(text);
    if (width > area.width())
        misfits.append({ nameOf(widget), text, width, area.width() });
}

QRect buttonTextArea(const QAbstractButton *button, QStyle::SubElement element)
{
    QStyleOptionButton option;
    option.initFrom(button);
    option.text = button->text();
    option.icon = button->icon();
    option.iconSize = button->iconSize();
    return button->style()->subElementRect(element, &option, button);
}

void measureLabel(QList<Misfit> &misfits, const QLabel *label)
{
    const int margin = label->margin();
    const QRect area = label->contentsRect().adjusted(margin, margin, -margin, -margin);
    measure(misfits, label, label->text(), area, label->wordWrap(), label->alignment());
}

void measureComboBox(QList<Misfit> &misfits, const QComboBox *combo)
{
    QRect area;
    if (combo->isEditable()) {
        const QRect text = combo->lineEdit()->contentsRect();
        area = text.adjusted(lineEditMargin, 0, -lineEditMargin, 0);
    } else {
        QStyleOptionComboBox option;
        option.initFrom(combo);
        option.editable = false;
        area = combo->style()->subControlRect(
            QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo);
    }
    for (int index = 0; index < combo->count(); ++index)
        measure(misfits, combo, combo->itemText(index), area);
}

void measureGroupBox(QList<Misfit> &misfits, const QGroupBox *box)
{
    if (box->title().isEmpty())
        return;
    QStyleOptionGroupBox option;
    option.initFrom(box);
    option.text = box->title();
    option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
    const QRect label
        = box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box);
    const QRect frame
        = box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxFrame, box);
    measure(misfits, box, box->title(), QRect(label.topLeft(), QPoint(frame.right() - 1, label.bottom())));
}

// All texts of the widgets under root that are shown with it.
QList<Misfit> misfitsIn(const QWidget *root)
{
    QList<Misfit> misfits;
    const QList<QWidget *> widgets = root->findChildren<QWidget *>();
    for (const QWidget *widget : widgets) {
        if (!widget->isVisibleTo(root))
            continue;
        if (const auto *label = qobject_cast<const QLabel *>(widget)) {
            measureLabel(misfits, label);
        } else if (const auto *option = qobject_cast<const QRadioButton *>(widget)) {
            const bool wraps = widget->inherits("WrappingRadioButton");
            measure(misfits, option, option->text(), buttonTextArea(option, QStyle::SE_RadioButtonContents),
                wraps);
        } else if (const auto *box = qobject_cast<const QCheckBox *>(widget)) {
            measure(misfits, box, box->text(), buttonTextArea(box, QStyle::SE_CheckBoxContents));
        } else if (const auto *button = qobject_cast<const QPushButton *>(widget)) {
            measure(misfits, button, button->text(), buttonTextArea(button, QStyle::SE_PushButtonContents));
        } else if (const auto *combo = qobject_cast<const QComboBox *>(widget)) {
            measureComboBox(misfits, combo);
        } else if (const auto *group = qobject_cast<const QGroupBox *>(widget)) {
            measureGroupBox(misfits, group);
        }
    }
    return misfits;
}

// Characters that no font on the machine could draw.
QString undrawable(const QFont &font, const QString &text)
{
    QTextLayout layout(text, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    QString missing;
    const QList<QGlyphRun> runs = layout.glyphRuns();
    for (const QGlyphRun &run : runs) {
        const QList<quint32> glyphs = run.glyphIndexes();
        if (glyphs.contains(0u))
            missing += run.rawFont().familyName() + QLatin1Char(' ');
    }
    return missing;
}

} // namespace

class tst_FormTexts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void arialHasArialsMetrics();
    void chineseTextHasAFont();
    void formsAskForArial();
    void mainWindowAndPanels_data();
    void mainWindowAndPanels();
    void wirelessCommands_data();
    void wirelessCommands();
    void resultTexts_data();
    void resultTexts();
    void viewer();
    void rangeDialog();
    void informationTip_data();
    void informationTip();
    void kitWindow_data();
    void kitWindow();

private:
    QWidget *child(const char *name) const
    {
        QWidget *widget = m_window->findChild<QWidget *>(QLatin1String(name));
        Q_ASSERT_X(widget, "child", name);
        return widget;
    }
    // The panels behind the buttons are made when first shown.
    void showPanelOf(const char *button) const { QTest::mouseClick(child(button), Qt::LeftButton); }

    RecordingUserChannels m_channels;
    ScriptedFileChooser m_files;
    RecordingProcessLauncher m_launcher;
    std::unique_ptr<FrmMain> m_window;
};

void tst_FormTexts::init()
{
    m_window = std::make_unique<FrmMain>(m_channels, m_files, m_launcher);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void tst_FormTexts::cleanup()
{
    m_window.reset();
}

void tst_FormTexts::kitWindow_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("text");
    QTest::newRow("as it opens") << QString() << QString();
    QTest::newRow("map of a search")
        << "lblMapLegend"
        << "信道 100-124：绿 125 个可用，红 125 个不可用，灰色未搜索；"
           "蓝框是主机所在的信道 124。\nWi-Fi 1、6、11 按模块信道 n = 2400+n MHz "
           "标出；点击绿色信道可选作新信道。";
    QTest::newRow("longest move outcome")
        << "lblMoveResult"
        << "迁移失败：1号机、2号机、3号机、4号机在信道 124上没有应答。没能让所有模块回到信道 100，"
           "各模块现在的位置如下。";
    QTest::newRow("channel under survey") << "lblSurveyChannel"
                                          << "正在检测信道124";
}

// The kit window opened from the wireless panel, with the longest texts its
// labels take.
void tst_FormTexts::kitWindow()
{
    QFETCH(QString, label);
    QFETCH(QString, text);
    showPanelOf("cmdWireless");
    showPanelOf("CmdKitShow");
    QWidget *window = child("FrmKitShow");
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QCOMPARE(window->font().families().value(0), QStringLiteral("Arial"));
    if (!label.isEmpty())
        window->findChild<QLabel *>(label)->setText(text);
    const QList<Misfit> misfits = misfitsIn(window);
    QVERIFY2(misfits.isEmpty(), qPrintable(describe(misfits)));
}

void tst_FormTexts::arialHasArialsMetrics()
{
    QFont arial(QStringLiteral("Arial"));
    arial.setPointSize(9);
    QCOMPARE(QFontInfo(arial).family(), QStringLiteral("Liberation Sans"));
}

void tst_FormTexts::chineseTextHasAFont()
{
    showPanelOf("cmdWireless");
    const QFont font = child("WLlblstatus")->font();
    QCOMPARE(undrawable(font, QStringLiteral("提示：当前打印机状态(ON/OFF)")), QString());
}

void tst_FormTexts::formsAskForArial()
{
    FrmReceiveShow viewer(m_channels, m_files);
    FrmSetting dialog(m_channels);
    FrmMsg tip;
    showPanelOf("cmdWireless");
    showPanelOf("cmdComset");
    const QList<const QWidget *> forms { m_window.get(), child("FrmCommShow"), child("FrmWirelessShow"),
        child("FrmPortSetShow"), &viewer, &dialog, &tip };
    for (const QWidget *form : forms)
        QCOMPARE(form->font().families().value(0), QStringLiteral("Arial"));
    QCOMPARE(m_window->font().pointSizeF(), 9.0);
    QCOMPARE(child("cmdHelp")->font().pointSizeF(), 10.5);
    QCOMPARE(child("Label5")->font().pointSizeF(), 12.0);
    QCOMPARE(child("lblTestRF")->font().pointSizeF(), 12.0);
    QCOMPARE(tip.findChild<QLabel *>(QStringLiteral("lblmsg"))->font().pointSizeF(), 9.75);
}

void tst_FormTexts::mainWindowAndPanels_data()
{
    QTest::addColumn<QString>("button");
    QTest::newRow("打印测试") << "cmdCommTest";
    QTest::newRow("无线配置") << "cmdWireless";
    QTest::newRow("串口设置") << "cmdComset";
    QTest::newRow("使用帮助") << "cmdHelp";
}

void tst_FormTexts::mainWindowAndPanels()
{
    QFETCH(QString, button);
    QTest::mouseClick(m_window->findChild<QPushButton *>(button), Qt::LeftButton);
    const QList<Misfit> misfits = misfitsIn(m_window.get());
    QVERIFY2(misfits.isEmpty(), qPrintable(describe(misfits)));
}

void tst_FormTexts::wirelessCommands_data()
{
    QTest::addColumn<QString>("option");
    for (const char *option : { "WLOption1", "WLOption2", "WLOption3", "WLOption4", "WLOption5" })
        QTest::newRow(option) << option;
}

// Each command shows its own frames, captions and selector entries.
void tst_FormTexts::wirelessCommands()
{
    QFETCH(QString, option);
    showPanelOf("cmdWireless");
    auto *chosen = m_window->findChild<QRadioButton *>(option);
    QVERIFY(chosen);
    chosen->click();
    const QList<Misfit> misfits = misfitsIn(child("FrmWirelessShow"));
    QVERIFY2(misfits.isEmpty(), qPrintable(describe(misfits)));
}

void tst_FormTexts::resultTexts_data()
{
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("text");
    QTest::newRow("set succeeded") << "WLLabel1"
                                   << "提示:设置成功";
    QTest::newRow("set failed") << "WLLabel1"
                                << "提示:设置失败";
    QTest::newRow("printer on line") << "WLlblstatus"
                                     << "提示:所检测的打印机在线！";
    QTest::newRow("printer off line") << "WLlblstatus"
                                      << "提示:所检测的打印机不在线！";
    QTest::newRow("host channel 124") << "WLlbl123"
                                      << "主机处于通道：124";
    QTest::newRow("baud rate") << "ShowStatus_0"
                               << "Baud rate setting : 115200bps";
    QTest::newRow("sending failed") << "ShowStatus_0"
                                    << "数据发送失败";
}

// Texts that the labels take at run time.
void tst_FormTexts::resultTexts()
{
    QFETCH(QString, label);
    QFETCH(QString, text);
    showPanelOf("cmdWireless");
    auto *shown = m_window->findChild<QLabel *>(label);
    QVERIFY(shown);
    shown->setText(text);
    QList<Misfit> misfits;
    measureLabel(misfits, shown);
    QVERIFY2(misfits.isEmpty(), qPrintable(describe(misfits)));
}

void tst_FormTexts::viewer()
{
    ReceiveViewerHost host(nullptr, m_channels, m_files);
    host.showViewer();
    const QList<Misfit> misfits = misfitsIn(&host.viewer());
    QVERIFY2(misfits.isEmpty(), qPrintable(describe(misfits)));
}

void tst_FormTexts::rangeDialog()
{
    FrmSetting dialog(m_channels);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    const QList<Misfit> misfits = misfitsIn(&dialog);
    QVERIFY2(misfits.isEmpty(), qPrintable(describe(misfits)));
}

void tst_FormTexts::informationTip_data()
{
    QTest::addColumn<QString>("message");
    QTest::newRow("design text") << "Information Tip";
    for (int number : { 380, 383, 394, 8000, 8001, 8002, 8003, 8004, 8005, 8006, 8007, 8008, 8009, 8010, 8011,
             8012, 8013, 8014, 8015, 8016, 8018, 8019, 8020, 8021, 9999 })
        QTest::addRow("error %d", number) << commErrorMessage(number);
    // The window grows for a message with its cause under it.
    QTest::newRow("device gone, with its cause") << commErrorMessage(8020) + u'\n' + deviceLostCause(true);
    for (int handshaking : { 1, 2, 3 })
        QTest::addRow("handshake %d stalled, with its cause", handshaking)
            << commErrorMessage(8019) + u'\n' + handshakeStallCause(handshaking);
}

void tst_FormTexts::informationTip()
{
    QFETCH(QString, message);
    FrmMsg tip;
    tip.setMessage(message);
    tip.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tip));
    const QList<Misfit> misfits = misfitsIn(&tip);
    QVERIFY2(misfits.isEmpty(), qPrintable(describe(misfits)));
    const QRect label = tip.findChild<QLabel *>(QStringLiteral("lblmsg"))->geometry();
    const QRect button = tip.findChild<QPushButton *>(QStringLiteral("Command1"))->geometry();
    QVERIFY(label.bottom() <= button.top());
    QVERIFY(tip.rect().contains(button));
}

QTEST_MAIN(tst_FormTexts)
#include "tst_formtexts.moc"
