// The simulator as a program, its log read through a pipe the way run.sh and
// scripts read it: every line must arrive while the simulator is still
// running, not when it ends.

#include "TtyClient.h"

#include <QProcess>
#include <QTest>

class tst_HostSimProcess : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void logLinesArriveWhileItRuns();
};

void tst_HostSimProcess::logLinesArriveWhileItRuns()
{
    QProcess simulator;
    simulator.start(QStringLiteral(VELTRIN_HOSTSIM_PATH), {});
    QVERIFY(simulator.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(simulator.canReadLine(), 5000);
    const QString ptyPath = QString::fromLocal8Bit(simulator.readLine()).trimmed();

    TtyClient line(ptyPath);
    QVERIFY2(line.isOpen(), qPrintable(ptyPath));
    QVERIFY(line.write(QByteArray::fromHex("16066A660A030F04")));
    QByteArray log;
    QTRY_VERIFY_WITH_TIMEOUT((log += simulator.readAll()).contains("\nframe 15 [4] -> reply 01\n"), 5000);
    QCOMPARE(simulator.state(), QProcess::Running);

    simulator.terminate();
    QVERIFY(simulator.waitForFinished());
}

QTEST_GUILESS_MAIN(tst_HostSimProcess)
#include "tst_hostsimprocess.moc"
