// Print tests through the whole send path to the simulated host module: the
// panel, the parser, the transmitter and the serial layer on one side, the
// module routing print data to its printers on the other.

#include "ScriptedFileChooser.h"
#include "SendPathRig.h"
#include "hostsim/HostSimulator.h"
#include "printtest/FrmCommShow.h"

#include <QCheckBox>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

class tst_PrintTestSim : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void dataReachesOnlyTheTickedPrinters();
    void preambleInsideDataIsExecutedAsAFrame();

private:
    template<typename T> T *child(const char *name) const
    {
        T *widget = m_panel->findChild<T *>(QLatin1String(name));
        Q_ASSERT_X(widget, "child", name);
        return widget;
    }
    void tickPrinters(const QList<int> &printers);
    void send(const QString &text);
    QByteArray fileOf(int printer) const;

    QTemporaryDir m_out;
    std::unique_ptr<HostSimulator> m_simulator;
    std::unique_ptr<SendPathRig> m_rig;
    ScriptedFileChooser m_files;
    std::unique_ptr<FrmCommShow> m_panel;
};

void tst_PrintTestSim::init()
{
    HostOptions options;
    options.outDir = m_out.path();
    options.quiet = true;
    m_simulator = std::make_unique<HostSimulator>(options);
    QString error;
    QVERIFY2(m_simulator->start(&error), qPrintable(error));
    qputenv("VELTRIN_COM3", m_simulator->slavePath().toLocal8Bit());

    m_rig = std::make_unique<SendPathRig>(3);
    QCOMPARE(m_rig->portSetupError, 0);
    m_panel = std::make_unique<FrmCommShow>(m_rig->transmitter, m_rig->parser, m_rig->channels, m_files);
}

void tst_PrintTestSim::cleanup()
{
    m_panel.reset();
    m_rig.reset();
    m_simulator.reset();
    qunsetenv("VELTRIN_COM3");
}

void tst_PrintTestSim::tickPrinters(const QList<int> &printers)
{
    for (int i = 1; i <= 4; ++i) {
        const QByteArray name = "chkPrinter" + QByteArray::number(i);
        child<QCheckBox>(name.constData())->setChecked(printers.contains(i));
    }
}

void tst_PrintTestSim::send(const QString &text)
{
    child<QPlainTextEdit>("txtCmd")->setPlainText(text);
    QTest::mouseClick(child<QPushButton>("Cmdsendcmd"), Qt::LeftButton);
}

QByteArray tst_PrintTestSim::fileOf(int printer) const
{
    QFile file(m_simulator->printerFile(printer));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void tst_PrintTestSim::dataReachesOnlyTheTickedPrinters()
{
    tickPrinters({ 1, 3 });
    QTest::mouseClick(child<QRadioButton>("Jinzhi_3"), Qt::LeftButton);
    send(QStringLiteral("Hello 打印机"));
    const QByteArray expected = QByteArray("Hello ") + QByteArray::fromHex("B4F2D3A1BBFA") + ' ';
    QTRY_COMPARE(fileOf(1), expected);
    QTRY_COMPARE(fileOf(3), expected);
    QCOMPARE(fileOf(2), QByteArray());
    QCOMPARE(fileOf(4), QByteArray());
    QCOMPARE(m_simulator->module().selectedPrinters(), 5);
    QCOMPARE(m_rig->channels.statusTexts.count(QStringLiteral("数据发送完成")), 2);
}

void tst_PrintTestSim::preambleInsideDataIsExecutedAsAFrame()
{
    // The kit takes the six preamble bytes as a command wherever they occur;
    // the program neither escapes nor checks print data for them. Here the
    // data moves the host to channel 33, so the bytes after it reach nobody.
    tickPrinters({ 2 });
    QTest::mouseClick(child<QRadioButton>("Jinzhi_1"), Qt::LeftButton);
    send(QStringLiteral("41 16 06 6A 66 0A 03 0C 21 42"));
    QTRY_COMPARE(m_simulator->module().hostChannel(), 33);
    QTest::qWait(50);
    QCOMPARE(fileOf(2), QByteArray("A"));
    QCOMPARE(m_simulator->printed(2), QByteArray("A"));
}

QTEST_MAIN(tst_PrintTestSim)
#include "tst_printtestsim.moc"
