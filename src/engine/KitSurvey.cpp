#include "engine/KitSurvey.h"

#include "engine/KitEngine.h"
#include "engine/KitQuestions.h"

#include <algorithm>

KitSurvey::KitSurvey(KitEngine &engine, QObject *parent)
    : QObject(parent)
    , m_engine(engine)
{ }

KitSurvey::Result KitSurvey::run(int first, int last)
{
    const KitEngine::JobScope job(m_engine);
    m_stopRequested = false;
    Result result;
    result.first = std::min(first, last);
    result.last = std::max(first, last);
    result.hostChannel = KitQuestions(m_engine.exchange()).hostChannel();
    if (!result.hostChannel) {
        // Without the host's channel there is nothing to put it back on.
        result.failure = QStringLiteral("主机没有回答信道检测，普查没有开始");
        return result;
    }
    survey(result);
    restoreHost(result);
    return result;
}

void KitSurvey::survey(Result &result)
{
    KitQuestions questions(m_engine.exchange());
    const int count = result.last - result.first + 1;
    for (int channel = result.first; channel <= result.last; ++channel) {
        if (m_stopRequested) {
            result.stopped = true;
            return;
        }
        Q_EMIT channelStarted(channel, channel - result.first, count);
        if (!questions.setHostChannel(channel)) {
            result.failure
                = QStringLiteral("主机没有接受%1（设置失败）").arg(KitQuestions::channelText(channel));
            return;
        }
        for (int printer = 1; printer <= KitQuestions::printerCount; ++printer) {
            if (m_stopRequested) {
                result.stopped = true;
                return;
            }
            if (questions.isOnline(printer)) {
                result.found[printer - 1].append(channel);
                Q_EMIT printerFound(printer, channel);
            }
        }
        result.lastSurveyed = channel;
    }
}

void KitSurvey::restoreHost(Result &result)
{
    KitQuestions questions(m_engine.exchange());
    const int home = *result.hostChannel;
    questions.setHostChannel(home);
    // Only the host's own answer says where it is.
    result.hostRestored = questions.hostChannel() == home;
}

QStringList KitSurvey::Result::rows() const
{
    QStringList rows;
    for (int printer = 1; printer <= KitQuestions::printerCount; ++printer) {
        const QString name = KitQuestions::printerName(printer);
        const QList<int> &channels = found.at(printer - 1);
        if (channels.isEmpty())
            rows.append(name + KitQuestions::rowSeparator() + QStringLiteral("未找到"));
        for (int channel : channels)
            rows.append(name + KitQuestions::rowSeparator() + KitQuestions::channelText(channel)
                + KitQuestions::rowSeparator() + QStringLiteral("在线"));
    }
    if (hostChannel) {
        rows.append(QStringLiteral("主机") + KitQuestions::rowSeparator()
            + KitQuestions::channelText(*hostChannel) + KitQuestions::rowSeparator()
            + (hostRestored ? QStringLiteral("已回到原信道") : QStringLiteral("未确认回到原信道")));
    }
    return rows;
}

QString KitSurvey::Result::summary() const
{
    QString surveyed;
    if (lastSurveyed < 0)
        surveyed = QStringLiteral("没有查完任何信道");
    else
        surveyed = QStringLiteral("已查信道 %1-%2").arg(first).arg(lastSurveyed);
    QString ending;
    if (!failure.isEmpty())
        ending = failure;
    else if (stopped)
        ending = QStringLiteral("普查已停止");
    else
        ending = QStringLiteral("普查完成");
    if (!hostChannel)
        return ending;
    const QString host = hostRestored
        ? QStringLiteral("主机已回到%1").arg(KitQuestions::channelText(*hostChannel))
        : QStringLiteral("主机没有确认回到%1，请用“信道检测”查看")
              .arg(KitQuestions::channelText(*hostChannel));
    return QStringLiteral("%1：%2，%3。").arg(ending, surveyed, host);
}
