// How long the wireless panel's questions take from the click to the result
// shown: with nobody answering (the failure texts must come within 150 ms),
// and with the simulated module answering after 2, 16 and 60 ms (the answer
// must show as soon as it comes, not after a fixed wait). Twenty clicks of
// each of "检测状态", "信道检测" and "设置发送" (host channel); median and
// longest, in ms.

#include "PtyPair.h"
#include "WirelessPanelRig.h"
#include "hostsim/HostSimulator.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTextStream>

#include <algorithm>

namespace {

QTextStream out(stdout);

struct Figures {
    double medianMs = 0;
    double longestMs = 0;
    int right = 0;
};

Figures timeClicks(WirelessPanelRig &rig, const char *button, const char *label, const QString &expected)
{
    std::vector<double> times;
    Figures figures;
    for (int i = 0; i < 20; ++i) {
        QElapsedTimer clock;
        clock.start();
        rig.click(button);
        times.push_back(double(clock.nsecsElapsed()) / 1e6);
        figures.right += rig.label(label) == expected ? 1 : 0;
    }
    std::sort(times.begin(), times.end());
    figures.medianMs = times[times.size() / 2];
    figures.longestMs = times.back();
    return figures;
}

void report(WirelessPanelRig &rig, bool answering)
{
    rig.click("WLOption3");
    rig.choose("WLCombo4", 20);
    const struct {
        const char *name;
        const char *button;
        const char *label;
        QString answered;
        QString unanswered;
    } questions[] = {
        { "status", "CmdStatus", "WLlblstatus", QStringLiteral("提示:所检测的打印机在线！"),
            QStringLiteral("提示:所检测的打印机不在线！") },
        { "host channel", "cmdMasterCHN", "WLlbl123", QStringLiteral("主机处于通道：20"),
            QStringLiteral("主机处于通道：0") },
        { "set host channel", "CmdWLsend", "WLLabel1", QStringLiteral("提示:设置成功"),
            QStringLiteral("提示:设置失败") },
    };
    for (const auto &question : questions) {
        const Figures figures = timeClicks(
            rig, question.button, question.label, answering ? question.answered : question.unanswered);
        out << "    " << question.name << ": median " << figures.medianMs << ", longest " << figures.longestMs
            << "; right " << figures.right << " of 20" << Qt::endl;
    }
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    {
        // Nobody reads or answers: the frames stay in the pty.
        PtyPair pty;
        qputenv("VELTRIN_COM3", pty.slavePath().toLocal8Bit());
        WirelessPanelRig rig;
        if (!rig.showAndWaitForPaint())
            return 1;
        out << "  nobody answering" << Qt::endl;
        report(rig, false);
    }
    for (const int latencyMs : { 2, 16, 60 }) {
        HostOptions options;
        options.quiet = true;
        options.latencyMs = latencyMs;
        HostSimulator simulator(options);
        QString error;
        if (!simulator.start(&error))
            return 1;
        qputenv("VELTRIN_COM3", simulator.slavePath().toLocal8Bit());
        WirelessPanelRig rig;
        if (!rig.showAndWaitForPaint())
            return 1;
        out << "  module answering after " << latencyMs << " ms" << Qt::endl;
        report(rig, true);
    }
    return 0;
}
