// Where the main window's start goes, stage by stage, in the real program's
// order (main.cpp): the application object, the main window built, shown
// until its first frame is painted, and the work left for after that frame
// (the tray icon, the first look at the ports). Each start is a process of
// its own, as the first of everything (fonts, the session bus) costs only
// once per process: run with a count, it starts itself that many times and
// prints, per stage, the fastest, the median and the slowest wall time, and
// the median CPU time of the UI thread. Needs a display (Xvfb); VELTRIN_COM3
// is set to /dev/null so that no adapter is looked for.

#include "app/DetachedProcessLauncher.h"
#include "app/DialogUserChannels.h"
#include "app/FrmMain.h"
#include "app/QtChineseTranslation.h"
#include "app/TrayIcon.h"
#include "printtest/DialogFileChooser.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTextStream>
#include <QTimer>
#include <QTranslator>

#include <algorithm>
#include <cstdio>
#include <time.h>

namespace {

const QStringList stages { QStringLiteral("QApplication"), QStringLiteral("main window built"),
    QStringLiteral("shown to first frame"), QStringLiteral("after the first frame") };

double threadCpuMs()
{
    timespec now {};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

// Prints one line per stage: wall ms, CPU ms.
class Marks
{
public:
    Marks() { m_clock.start(); }
    void mark()
    {
        const double wall = double(m_clock.nsecsElapsed()) / 1e6;
        const double cpu = threadCpuMs();
        std::printf("%.3f %.3f\n", wall - m_wall, cpu - m_cpu);
        m_wall = wall;
        m_cpu = cpu;
    }

private:
    QElapsedTimer m_clock;
    double m_wall = 0;
    double m_cpu = threadCpuMs();
};

class FirstPaint : public QObject
{
public:
    explicit FirstPaint(Marks &marks)
        : m_marks(marks)
    { }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && !m_seen) {
            m_seen = true;
            // After the paint itself, as the window's own hook does.
            QTimer::singleShot(0, watched, [this] { m_marks.mark(); });
        }
        return false;
    }

private:
    Marks &m_marks;
    bool m_seen = false;
};

int startOnce(int argc, char **argv)
{
    qputenv("VELTRIN_COM3", "/dev/null");
    Marks marks;
    QApplication app(argc, argv);
    marks.mark();
    QTranslator qtChinese;
    installQtChineseTranslation(qtChinese);
    DialogUserChannels channels;
    DialogFileChooser files;
    DetachedProcessLauncher launcher;
    FrmMain window(channels, files, launcher);
    channels.setOwner(&window);
    channels.setStatusCell(window.statusCell());
    files.setOwner(&window);
    marks.mark();
    FirstPaint firstPaint(marks);
    window.installEventFilter(&firstPaint);
    window.show();
    // The window's own work after its first frame ends with the tray icon.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &app, [&] {
        if (!window.trayIcon().isVisible())
            return;
        marks.mark();
        app.quit();
    });
    poll.start(1);
    return app.exec();
}

QString spread(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return QStringLiteral("%1 / %2 / %3")
        .arg(values.first(), 0, 'f', 1)
        .arg(values.at(values.size() / 2), 0, 'f', 1)
        .arg(values.last(), 0, 'f', 1);
}

int startMany(const QString &program, int runs)
{
    QList<QList<double>> wall(stages.size());
    QList<QList<double>> cpu(stages.size());
    for (int run = 0; run < runs; ++run) {
        QProcess child;
        child.start(program, { QStringLiteral("--once") });
        if (!child.waitForFinished(30000) || child.exitCode() != 0)
            return 1;
        const QList<QByteArray> lines = child.readAllStandardOutput().trimmed().split('\n');
        if (lines.size() != stages.size())
            return 1;
        for (int stage = 0; stage < stages.size(); ++stage) {
            const QList<QByteArray> figures = lines.at(stage).split(' ');
            wall[stage].append(figures.at(0).toDouble());
            cpu[stage].append(figures.at(1).toDouble());
        }
    }
    QTextStream out(stdout);
    out << "stage: wall ms fastest / median / slowest, UI thread CPU ms median, " << runs << " starts\n";
    for (int stage = 0; stage < stages.size(); ++stage) {
        QList<double> sortedCpu = cpu.at(stage);
        std::sort(sortedCpu.begin(), sortedCpu.end());
        out << stages.at(stage) << ": " << spread(wall.at(stage)) << ", cpu "
            << QString::number(sortedCpu.at(sortedCpu.size() / 2), 'f', 1) << "\n";
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 1 && qstrcmp(argv[1], "--once") == 0)
        return startOnce(argc, argv);
    const int runs = argc > 1 ? QByteArray(argv[1]).toInt() : 15;
    return startMany(QString::fromLocal8Bit(argv[0]), std::max(runs, 1));
}
