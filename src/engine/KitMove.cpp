#include "engine/KitMove.h"

#include "engine/KitEngine.h"
#include "engine/KitQuestions.h"

#include <QMap>

#include <algorithm>

namespace {

constexpr int lastChannel = 124;

} // namespace

struct KitMove::Move {
    int from = 0;
    int to = 0;
    QList<int> printers;
    // Sent the re-address: those that took it and the one that refused it,
    // whose answer may have been lost on the way.
    QList<int> attempted;
    QString failure;
    bool started = false;
    // Channels as the modules' own answers confirmed them.
    std::optional<int> host;
    QMap<int, int> placed;
    QMap<int, int> lastKnown;
};

QString KitMove::Plan::refusal(int newChannel) const
{
    if (!hostChannel)
        return QStringLiteral("主机没有回答信道检测，不能迁移");
    if (newChannel < 0 || newChannel > lastChannel)
        return QStringLiteral("新信道只能是 0-124");
    if (newChannel == *hostChannel)
        return QStringLiteral("主机已在%1上").arg(KitQuestions::channelText(newChannel));
    if (printers.isEmpty())
        return QStringLiteral("%1上没有在线的打印机，只迁主机请用“设置当前主机通道”")
            .arg(KitQuestions::channelText(*hostChannel));
    return QString();
}

QString KitMove::Plan::question(int newChannel) const
{
    return QStringLiteral("把 %1 台打印机和主机从信道 %2 迁到信道 %3？")
        .arg(printers.size())
        .arg(hostChannel.value_or(0))
        .arg(newChannel);
}

QStringList KitMove::Report::rows() const
{
    QStringList rows;
    for (const Module &module : modules) {
        const bool isHost = &module == &modules.constFirst();
        if (module.channel) {
            rows.append(module.name + KitQuestions::rowSeparator()
                + KitQuestions::channelText(*module.channel) + KitQuestions::rowSeparator()
                + (isHost ? QStringLiteral("已确认") : QStringLiteral("在线")));
        } else {
            const QString last = module.lastKnownChannel < 0 ? QString()
                                                             : KitQuestions::rowSeparator()
                    + QStringLiteral("最后在") + KitQuestions::channelText(module.lastKnownChannel);
            rows.append(module.name + KitQuestions::rowSeparator() + QStringLiteral("未应答") + last);
        }
    }
    return rows;
}

QString KitMove::Report::text() const
{
    const int target = modules.isEmpty() ? 0 : modules.constFirst().lastKnownChannel;
    QString outcome;
    if (!started) {
        outcome = QStringLiteral("没有迁移：%1。").arg(failure);
    } else if (done) {
        outcome = QStringLiteral("迁移完成：主机和 %1 台打印机都已在%2上确认。")
                      .arg(modules.size() - 1)
                      .arg(KitQuestions::channelText(target));
    } else {
        const bool allBack = std::all_of(modules.begin(), modules.end(),
            [target](const Module &module) { return module.channel == target; });
        outcome = QStringLiteral("迁移失败：%1。").arg(failure)
            + (allBack ? QStringLiteral("所有模块已回到%1，并已确认。").arg(KitQuestions::channelText(target))
                       : QStringLiteral("没能让所有模块回到%1，各模块现在的位置如下。")
                             .arg(KitQuestions::channelText(target)));
    }
    return outcome + QLatin1Char('\n') + rows().join(QLatin1Char('\n'));
}

KitMove::KitMove(KitEngine &engine, QObject *parent)
    : QObject(parent)
    , m_engine(engine)
{ }

KitMove::Plan KitMove::plan()
{
    const KitEngine::JobScope job(m_engine);
    KitQuestions questions(m_engine.exchange());
    Plan plan;
    plan.hostChannel = questions.hostChannel();
    if (!plan.hostChannel)
        return plan;
    for (int printer = 1; printer <= KitQuestions::printerCount; ++printer) {
        if (questions.isOnline(printer))
            plan.printers.append(printer);
    }
    return plan;
}

KitMove::Report KitMove::run(const Plan &plan, int newChannel)
{
    Move move;
    move.printers = plan.printers;
    move.from = plan.hostChannel.value_or(-1);
    move.to = newChannel;
    move.host = plan.hostChannel;
    for (int printer : plan.printers) {
        move.lastKnown[printer] = move.from;
        move.placed[printer] = move.from;
    }
    // Nothing is sent: the places are those the plan's answers gave.
    if (const QString refusal = plan.refusal(newChannel); !refusal.isEmpty()) {
        move.failure = refusal;
        return report(move);
    }
    const KitEngine::JobScope job(m_engine);
    move.started = true;
    move.placed.clear();
    moveAll(move);
    if (!move.failure.isEmpty())
        rollBack(move);
    return report(move);
}

void KitMove::moveAll(Move &move)
{
    KitQuestions questions(m_engine.exchange());
    for (int printer : move.printers) {
        const QString name = KitQuestions::printerName(printer);
        Q_EMIT stepStarted(QStringLiteral("%1迁到%2").arg(name, KitQuestions::channelText(move.to)));
        move.attempted.append(printer);
        if (!questions.moveSlave(printer, move.from, move.to)) {
            move.failure = QStringLiteral("%1没有接受迁到%2（设置失败）")
                               .arg(name, KitQuestions::channelText(move.to));
            return;
        }
        move.lastKnown[printer] = move.to;
    }
    Q_EMIT stepStarted(QStringLiteral("主机迁到%1").arg(KitQuestions::channelText(move.to)));
    if (!questions.setHostChannel(move.to)) {
        move.failure = QStringLiteral("主机没有接受%1（设置失败）").arg(KitQuestions::channelText(move.to));
        return;
    }
    Q_EMIT stepStarted(QStringLiteral("在%1上检测").arg(KitQuestions::channelText(move.to)));
    QStringList silent;
    for (int printer : move.printers) {
        if (questions.isOnline(printer))
            move.placed[printer] = move.to;
        else
            silent.append(KitQuestions::printerName(printer));
    }
    move.host = questions.hostChannel();
    if (!silent.isEmpty())
        move.failure = QStringLiteral("%1在%2上没有应答")
                           .arg(silent.join(QStringLiteral("、")), KitQuestions::channelText(move.to));
    else if (move.host != move.to)
        move.failure = QStringLiteral("主机在%1上没有确认").arg(KitQuestions::channelText(move.to));
}

void KitMove::rollBack(Move &move)
{
    KitQuestions questions(m_engine.exchange());
    Q_EMIT stepStarted(QStringLiteral("迁回%1").arg(KitQuestions::channelText(move.from)));
    for (int printer : move.attempted) {
        if (questions.moveSlave(printer, move.to, move.from))
            move.lastKnown[printer] = move.from;
    }
    questions.setHostChannel(move.from);
    locate(move);
}

// After a rollback, only answers count: each printer is looked for where the
// host confirmed it is, and one that is not there on the move's other
// channel; the host then goes back to the old channel once more.
void KitMove::locate(Move &move)
{
    KitQuestions questions(m_engine.exchange());
    move.placed.clear();
    move.host = questions.hostChannel();
    if (!move.host)
        return;
    const int here = *move.host;
    QList<int> missing;
    for (int printer : move.printers) {
        if (questions.isOnline(printer))
            move.placed[printer] = here;
        else
            missing.append(printer);
    }
    if (missing.isEmpty() || (here != move.from && here != move.to))
        return;
    const int other = here == move.from ? move.to : move.from;
    if (questions.setHostChannel(other)) {
        for (int printer : missing) {
            if (questions.isOnline(printer)) {
                move.placed[printer] = other;
                move.lastKnown[printer] = other;
            }
        }
    }
    questions.setHostChannel(move.from);
    move.host = questions.hostChannel();
}

KitMove::Report KitMove::report(const Move &move) const
{
    Report report;
    report.done = move.failure.isEmpty();
    report.started = move.started;
    report.failure = move.failure;
    report.modules.append({ QStringLiteral("主机"), move.host, report.done ? move.to : move.from });
    for (int printer : move.printers) {
        const auto placed = move.placed.constFind(printer);
        report.modules.append({ KitQuestions::printerName(printer),
            placed == move.placed.constEnd() ? std::nullopt : std::optional<int>(*placed),
            move.lastKnown.value(printer, move.from) });
    }
    return report;
}
