#include "RecordingUserChannels.h"
#include "ScriptedFileChooser.h"
#include "viewer/FrmReceiveShow.h"
#include "viewer/ReceiveViewerHost.h"
#include "viewer/ReceivedTextView.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

class tst_FrmReceiveShow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void loadsEmptyInHex();
    void optionClicksConvertTheWholeText();
    void failedConversionKeepsWhatWasConverted();
    void appendsFollowTheNotation();
    void exitUnloadsAndTheNextByteReloadsHidden();
    void bytesBeforeTheFirstShowAreThere();
    void showingTwiceGivesTheSameInstance();
    void resizingFollowsTheCornerAboveTheLoadSize();
    void selectionIsCopied();
    void megabyteArrivesWhole();
    void eightMegabytesStayExactThroughEveryNotation();
    void savesTheBytesOrTheTextAsShown_data();
    void savesTheBytesOrTheTextAsShown();
    void failedSaveTellsWhyAndKeepsTheText();

private:
    template<typename T> T *child(const char *name) const
    {
        T *widget = m_host->viewer().findChild<T *>(QLatin1String(name));
        if (!widget)
            qFatal("no child %s", name);
        return widget;
    }
    void click(const char *name) const { QTest::mouseClick(child<QAbstractButton>(name), Qt::LeftButton); }
    QString text() const { return m_host->viewer().text(); }
    QString copyAll() const;
    void chooseSaveFromTheMenu() const;
    QList<QRect> controlGeometries() const;

    RecordingUserChannels m_channels;
    ScriptedFileChooser m_files;
    std::unique_ptr<ReceiveViewerHost> m_host;
};

void tst_FrmReceiveShow::init()
{
    m_channels.clear();
    m_host = std::make_unique<ReceiveViewerHost>(nullptr, m_channels, m_files);
}

void tst_FrmReceiveShow::cleanup()
{
    m_host.reset();
}

QList<QRect> tst_FrmReceiveShow::controlGeometries() const
{
    return { child<QWidget>("RichTextBox1")->geometry(), child<QWidget>("Frame1")->geometry(),
        child<QWidget>("Command2")->geometry(), child<QWidget>("Command1")->geometry() };
}

void tst_FrmReceiveShow::loadsEmptyInHex()
{
    FrmReceiveShow &viewer = m_host->viewer();
    QCOMPARE(viewer.objectName(), QStringLiteral("frmReceiveShow"));
    QCOMPARE(viewer.windowTitle(), QStringLiteral("接收查看"));
    QVERIFY(!viewer.isVisible());
    QVERIFY(text().isEmpty());
    QVERIFY(viewer.ViewerHexMode());
    QCOMPARE(viewer.DisplayMode(), 2);
    QVERIFY(child<QRadioButton>("Option3")->isChecked());
    QCOMPARE(child<QRadioButton>("Option1")->text(), QStringLiteral("Txt"));
    QCOMPARE(child<QRadioButton>("Option2")->text(), QStringLiteral("Ten"));
    QCOMPARE(child<QPushButton>("Command2")->text(), QStringLiteral("清空"));
    QCOMPARE(child<QPushButton>("Command1")->text(), QStringLiteral("退出"));
    QCOMPARE(child<QWidget>("RichTextBox1")->toolTip(), QStringLiteral("接收串口返回来的数据"));
    QCOMPARE(child<QGroupBox>("Frame1")->toolTip(),
        QStringLiteral("进制显示选择，TXT为文本显示，Ten为十进制显示，Hex为十六进制显示"));
    // Client 5070 x 3195 twips, the frame of the layout table added.
    QCOMPARE(viewer.size(), QSize(338, 213));
    QCOMPARE(viewer.LoadWidth(), 5070 + 245);
    QCOMPARE(viewer.LoadHeight(), 3195 + 400);
}

void tst_FrmReceiveShow::optionClicksConvertTheWholeText()
{
    m_host->appendReceived(QByteArray::fromHex("B0A141"));
    QCOMPARE(text(), QStringLiteral("B0 A1 41 "));
    click("Option1");
    QCOMPARE(text(), QStringLiteral("啊A"));
    QVERIFY(!m_host->viewer().ViewerHexMode());
    QCOMPARE(m_host->viewer().DisplayMode(), 0);
    QCOMPARE(m_host->viewer().PrevDisplayMode(), 2);
    click("Option2");
    QCOMPARE(text(), QStringLiteral("176 161 65 "));
    QVERIFY(!m_host->viewer().ViewerHexMode());
    click("Option3");
    QCOMPARE(text(), QStringLiteral("B0 A1 41 "));
    QVERIFY(m_host->viewer().ViewerHexMode());
    // The option already selected changes nothing.
    click("Option3");
    QCOMPARE(text(), QStringLiteral("B0 A1 41 "));
    QCOMPARE(m_host->viewer().PrevDisplayMode(), 2);
    QVERIFY(m_channels.boxes.isEmpty());
}

void tst_FrmReceiveShow::failedConversionKeepsWhatWasConverted()
{
    click("Option2");
    m_host->appendReceived(QByteArray::fromHex("41B0"));
    QCOMPARE(text(), QStringLiteral("65 176 "));
    click("Option1");
    QCOMPARE(text(), QStringLiteral("A"));
    QCOMPARE(m_channels.tips(), QStringList { QStringLiteral("类型不匹配！") });
    QCOMPARE(m_channels.boxes.first().style, UserChannels::InformationIcon);
    QCOMPARE(m_host->viewer().DisplayMode(), 0);
    QCOMPARE(m_host->viewer().PrevDisplayMode(), 1);

    // Out of Txt an empty text fails and stays empty.
    click("Command2");
    click("Option2");
    QVERIFY(text().isEmpty());
    QCOMPARE(m_channels.tips().size(), 2);
    QCOMPARE(m_host->viewer().DisplayMode(), 1);
}

void tst_FrmReceiveShow::appendsFollowTheNotation()
{
    m_host->appendReceived(QByteArray("A"));
    click("Option1");
    m_host->appendReceived(QByteArray("A"));
    QCOMPARE(text(), QStringLiteral("A65 "));
    click("Option3");
    QCOMPARE(text(), QStringLiteral("41 36 35 20 "));

    // Clearing keeps the notation.
    click("Option2");
    click("Command2");
    QVERIFY(text().isEmpty());
    QCOMPARE(m_host->viewer().DisplayMode(), 1);
    m_host->appendReceived(QByteArray::fromHex("0A"));
    QCOMPARE(text(), QStringLiteral("10 "));
}

void tst_FrmReceiveShow::exitUnloadsAndTheNextByteReloadsHidden()
{
    m_host->showViewer();
    QPointer<FrmReceiveShow> closed = &m_host->viewer();
    closed->setWindowTitle(QStringLiteral("以下显示为可用信道,以十六进制显示"));
    m_host->appendReceived(QByteArray::fromHex("41"));
    click("Option2");
    click("Command1");
    QVERIFY(!m_host->isLoaded());

    m_host->appendReceived(QByteArray::fromHex("0A"));
    QVERIFY(m_host->isLoaded());
    FrmReceiveShow &fresh = m_host->viewer();
    QVERIFY(&fresh != closed.data());
    QVERIFY(!fresh.isVisible());
    QCOMPARE(fresh.text(), QStringLiteral("0A "));
    QCOMPARE(fresh.windowTitle(), QStringLiteral("接收查看"));
    QVERIFY(fresh.ViewerHexMode());
    QTRY_VERIFY(closed.isNull());
}

void tst_FrmReceiveShow::bytesBeforeTheFirstShowAreThere()
{
    m_host->appendReceived(QByteArray::fromHex("16060A"));
    m_host->appendReceived(QByteArray::fromHex("FF"));
    QVERIFY(!m_host->viewer().isVisible());
    m_host->showViewer();
    QVERIFY(QTest::qWaitForWindowExposed(&m_host->viewer()));
    QCOMPARE(text(), QStringLiteral("16 06 0A FF "));
    QCOMPARE(m_host->viewer().textView().rowCount(), 1);
}

void tst_FrmReceiveShow::showingTwiceGivesTheSameInstance()
{
    m_host->showViewer();
    FrmReceiveShow *first = &m_host->viewer();
    m_host->showViewer();
    QCOMPARE(&m_host->viewer(), first);
    QVERIFY(first->isVisible());
    const QWidgetList windows = QApplication::topLevelWidgets();
    QCOMPARE(std::count_if(windows.begin(), windows.end(),
                 [](QWidget *w) { return w->objectName() == QStringLiteral("frmReceiveShow"); }),
        1);
}

void tst_FrmReceiveShow::resizingFollowsTheCornerAboveTheLoadSize()
{
    m_host->showViewer();
    FrmReceiveShow &viewer = m_host->viewer();
    QVERIFY(QTest::qWaitForWindowExposed(&viewer));
    const QSize loadSize = viewer.size();
    const QList<QRect> atLoad = controlGeometries();
    QCOMPARE(atLoad.first(), QRect(8, 8, 321, 153));

    viewer.resize(loadSize - QSize(40, 20));
    QCOMPARE(controlGeometries(), atLoad);
    viewer.resize(loadSize + QSize(80, -1)); // wider, but too low
    QCOMPARE(controlGeometries(), atLoad);

    viewer.resize(loadSize + QSize(40, 40)); // 600 twips each way
    const QList<QRect> enlarged = controlGeometries();
    QCOMPARE(enlarged[0], atLoad[0].adjusted(0, 0, 40, 40));
    for (int i = 1; i < enlarged.size(); ++i)
        QCOMPARE(enlarged[i], atLoad[i].translated(40, 40));
}

void tst_FrmReceiveShow::selectionIsCopied()
{
    m_host->appendReceived(QByteArray::fromHex("414243"));
    m_host->showViewer();
    QVERIFY(QTest::qWaitForWindowExposed(&m_host->viewer()));
    ReceivedTextView &view = m_host->viewer().textView();
    QWidget *surface = view.viewport();
    const qreal advance = QFontMetricsF(view.font()).horizontalAdvance(QLatin1Char('0'));
    const int row = view.fontMetrics().lineSpacing() / 2;
    const auto charAt = [&](int index) { return QPoint(2 + qRound(advance * index) + 1, row); };

    QTest::mouseClick(surface, Qt::LeftButton, {}, charAt(3));
    QTest::mouseClick(surface, Qt::LeftButton, Qt::ShiftModifier, charAt(8));
    QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("42 43"));

    QTest::mousePress(surface, Qt::LeftButton, {}, charAt(0));
    QTest::mouseMove(surface, charAt(2));
    QTest::mouseRelease(surface, Qt::LeftButton, {}, charAt(2));
    QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("41"));

    QTest::keyClick(&view, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("41 42 43 "));

    // A byte that is no character on its own is copied as it is drawn.
    m_host->appendReceived(QByteArray::fromHex("81"));
    click("Option1");
    view.selectAll();
    view.copy();
    QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("ABC\uFFFD"));
}

void tst_FrmReceiveShow::megabyteArrivesWhole()
{
    QByteArray bytes(1 << 20, Qt::Uninitialized);
    QRandomGenerator random(20240601);
    random.fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
    m_host->showViewer();
    QString decimal;
    for (qsizetype sent = 0, chunk = 0; sent < bytes.size(); ++chunk) {
        const qsizetype size = std::min<qsizetype>(1 + random.bounded(700), bytes.size() - sent);
        m_host->appendReceived(QByteArrayView(bytes).sliced(sent, size));
        sent += size;
        if (chunk % 64 == 0)
            QTest::qWait(0);
    }
    for (char byte : std::as_const(bytes))
        decimal += QString::number(uchar(byte)) + u' ';
    const QString hex = QString::fromLatin1(bytes.toHex(' ').toUpper() + ' ');
    QCOMPARE(text().size(), hex.size());
    QVERIFY(text() == hex);

    click("Option2");
    QVERIFY(text() == decimal);
    click("Option3");
    QVERIFY(text() == hex);
    click("Option1");
    click("Option3");
    QVERIFY(text() == hex);
    QVERIFY(m_channels.boxes.isEmpty());
}

QString tst_FrmReceiveShow::copyAll() const
{
    ReceivedTextView &view = m_host->viewer().textView();
    view.selectAll();
    view.copy();
    return QGuiApplication::clipboard()->text();
}

void tst_FrmReceiveShow::chooseSaveFromTheMenu() const
{
    QWidget *surface = m_host->viewer().textView().viewport();
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), surface->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(surface, &event);
    const QList<QMenu *> menus = m_host->viewer().textView().findChildren<QMenu *>();
    QVERIFY(!menus.isEmpty());
    QMenu *menu = menus.last();
    const QList<QAction *> actions = menu->actions();
    const auto save = std::find_if(actions.begin(), actions.end(),
        [](QAction *action) { return action->text() == QStringLiteral("保存为文件…"); });
    QVERIFY(save != actions.end());
    (*save)->trigger();
    menu->close();
    // The save runs from the event loop, once the menu is done.
    QCoreApplication::sendPostedEvents();
}

// The conversions run while bytes go on arriving and the layout of the new
// notation is still under way; copied out, the text gives back every byte.
void tst_FrmReceiveShow::eightMegabytesStayExactThroughEveryNotation()
{
    QByteArray bytes(8 << 20, Qt::Uninitialized);
    QRandomGenerator(20240602).fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
    m_host->showViewer();
    QVERIFY(QTest::qWaitForWindowExposed(&m_host->viewer()));
    ReceivedTextView &view = m_host->viewer().textView();
    for (qsizetype at = 0; at < bytes.size(); at += 512)
        m_host->appendReceived(QByteArrayView(bytes).sliced(at, 512));
    QTRY_VERIFY_WITH_TIMEOUT(!view.isLayingOut(), 60000);

    click("Option2");
    QVERIFY(view.isLayingOut());
    // Ends in a byte below 161, so that Txt finds no lead byte waiting.
    m_host->appendReceived(QByteArray::fromHex("FF0A"));
    bytes.append(QByteArray::fromHex("FF0A"));
    QTRY_VERIFY_WITH_TIMEOUT(!view.isLayingOut(), 60000);
    QVERIFY(!view.isBusyShown());
    QByteArray fromTen;
    for (QStringView token : QStringView(copyAll()).split(u' ', Qt::SkipEmptyParts))
        fromTen.append(char(token.toInt()));
    QVERIFY(fromTen == bytes);

    click("Option1");
    click("Option3");
    QTRY_VERIFY_WITH_TIMEOUT(!view.isLayingOut(), 60000);
    QVERIFY(copyAll() == QString::fromLatin1(bytes.toHex(' ').toUpper() + ' '));
    QVERIFY(m_channels.boxes.isEmpty());
}

void tst_FrmReceiveShow::savesTheBytesOrTheTextAsShown_data()
{
    QTest::addColumn<int>("filterIndex");
    QTest::addColumn<bool>("asText");
    QTest::newRow("raw bytes") << 1 << false;
    QTest::newRow("text as shown") << 2 << true;
}

void tst_FrmReceiveShow::savesTheBytesOrTheTextAsShown()
{
    QFETCH(int, filterIndex);
    QFETCH(bool, asText);
    QByteArray bytes(1 << 20, Qt::Uninitialized);
    QRandomGenerator(5).fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
    for (qsizetype at = 0; at < bytes.size(); at += 700)
        m_host->appendReceived(QByteArrayView(bytes).sliced(at, std::min<qsizetype>(700, bytes.size() - at)));
    m_host->showViewer();
    QTemporaryDir folder;
    m_files.nextPath = folder.filePath(QStringLiteral("received"));
    m_files.nextFilterIndex = filterIndex;

    chooseSaveFromTheMenu();
    QCOMPARE(m_files.filters.last(), QStringLiteral("原始数据(bin)|*.bin|文本(txt)|*.txt"));
    QFile saved(m_files.nextPath);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const QByteArray content = saved.readAll();
    if (asText)
        QVERIFY(content == copyAll().toLatin1());
    else
        QVERIFY(content == bytes);
    QVERIFY(m_channels.boxes.isEmpty());
}

void tst_FrmReceiveShow::failedSaveTellsWhyAndKeepsTheText()
{
    m_host->appendReceived(QByteArray::fromHex("B0A141"));
    click("Option1");
    m_host->showViewer();
    QTemporaryDir folder;
    m_files.nextPath = folder.filePath(QStringLiteral("missing/received.txt"));
    m_files.nextFilterIndex = 2;
    chooseSaveFromTheMenu();
    QCOMPARE(m_channels.tips().size(), 1);
    QVERIFY(m_channels.tips().first().contains(QDir::toNativeSeparators(m_files.nextPath)));
    QVERIFY(m_channels.tips().first().size() > QDir::toNativeSeparators(m_files.nextPath).size() + 8);
    QCOMPARE(text(), QStringLiteral("啊A"));

    // Saved as text, Txt is written in code page 936.
    m_files.nextPath = folder.filePath(QStringLiteral("received.txt"));
    chooseSaveFromTheMenu();
    QFile saved(m_files.nextPath);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), QByteArray::fromHex("B0A141"));
}

QTEST_MAIN(tst_FrmReceiveShow)
#include "tst_frmreceiveshow.moc"
