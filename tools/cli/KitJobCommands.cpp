#include "KitJobCommands.h"

#include "CliChannels.h"
#include "CliRequest.h"
#include "ExitCode.h"
#include "KitSession.h"
#include "ResultWriter.h"
#include "SendProgress.h"
#include "engine/KitMove.h"
#include "engine/KitSurvey.h"

#include <QJsonArray>
#include <QJsonObject>

namespace {

QJsonValue optionalValue(std::optional<int> value)
{
    return value ? QJsonValue(*value) : QJsonValue(QJsonValue::Null);
}

QJsonValue textOrNull(const QString &text)
{
    return text.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(text);
}

QJsonArray surveyPrinters(const KitSurvey::Result &result)
{
    QJsonArray printers;
    for (int printer = 1; printer <= result.found.size(); ++printer) {
        QJsonArray channels;
        for (int channel : result.found.at(printer - 1))
            channels.append(channel);
        printers.append(
            QJsonObject { { QStringLiteral("printer"), printer }, { QStringLiteral("channels"), channels } });
    }
    return printers;
}

QJsonArray moveModules(const KitMove::Report &report)
{
    QJsonArray modules;
    for (const KitMove::Module &module : report.modules) {
        modules.append(QJsonObject { { QStringLiteral("module"), module.name },
            { QStringLiteral("channel"), optionalValue(module.channel) },
            { QStringLiteral("last_known_channel"), module.lastKnownChannel } });
    }
    return modules;
}

} // namespace

KitJobCommands::KitJobCommands(KitSession &session, CliChannels &channels, ResultWriter &results,
    SendProgress &progress, const CliRequest &request, QObject *parent)
    : QObject(parent)
    , m_session(session)
    , m_channels(channels)
    , m_results(results)
    , m_progress(progress)
    , m_request(request)
{ }

void KitJobCommands::interrupt()
{
    m_interrupted = true;
    Q_EMIT interrupted();
}

int KitJobCommands::survey()
{
    const int first = m_request.numbers.value(0, 0);
    const int last = m_request.numbers.value(1, 124);
    KitSurvey survey(m_session.engine());
    connect(this, &KitJobCommands::interrupted, &survey, &KitSurvey::stop);
    connect(&survey, &KitSurvey::channelStarted, this, [this](int channel, int index, int count) {
        m_progress.step(index, count, QStringLiteral("信道 %1").arg(channel));
    });
    m_progress.start();
    const KitSurvey::Result result = survey.run(first, last);
    m_progress.finish();

    if (m_results.isJson()) {
        m_results.result(QString(),
            { { QStringLiteral("command"), m_request.command }, { QStringLiteral("from"), result.first },
                { QStringLiteral("to"), result.last }, { QStringLiteral("complete"), result.isComplete() },
                { QStringLiteral("stopped"), result.stopped },
                { QStringLiteral("failure"), textOrNull(result.failure) },
                { QStringLiteral("last_surveyed"), result.lastSurveyed },
                { QStringLiteral("host_channel"), optionalValue(result.hostChannel) },
                { QStringLiteral("host_restored"), result.hostRestored },
                { QStringLiteral("printers"), surveyPrinters(result) },
                { QStringLiteral("rows"), QJsonArray::fromStringList(result.rows()) },
                { QStringLiteral("summary"), result.summary() } });
    } else {
        for (const QString &row : result.rows())
            m_results.result(row, {});
    }
    m_channels.diagnostic(result.summary());
    if (m_interrupted)
        return Interrupted;
    if (m_session.failed())
        return PortError;
    const bool anyFound = std::any_of(result.found.begin(), result.found.end(),
        [](const QList<int> &channels) { return !channels.isEmpty(); });
    return result.isComplete() && result.hostRestored && anyFound ? Success : NegativeAnswer;
}

int KitJobCommands::moveKit()
{
    const int newChannel = m_request.numbers.value(0);
    KitMove move(m_session.engine());
    // Once begun, a move is not cut short: it finishes or rolls back, since a
    // kit left half moved is the one outcome worse than either.
    connect(this, &KitJobCommands::interrupted, this,
        [this] { m_channels.diagnostic(QStringLiteral("interrupted: the kit is first moved or put back")); });
    const KitMove::Plan plan = move.plan();
    if (const QString refusal = plan.refusal(newChannel); !refusal.isEmpty()) {
        m_channels.diagnostic(refusal);
        return m_interrupted ? Interrupted : m_session.failed() ? PortError : NegativeAnswer;
    }
    m_channels.diagnostic(plan.question(newChannel));
    if (!m_request.confirmed) {
        m_channels.diagnostic(QStringLiteral("nothing moved: add --yes to move the kit"));
        return NegativeAnswer;
    }
    if (m_interrupted)
        return Interrupted;
    int stepIndex = 0;
    const int steps = int(plan.printers.size()) + 2;
    connect(&move, &KitMove::stepStarted, this, [this, &stepIndex, steps](const QString &text) {
        m_progress.step(qMin(stepIndex++, steps), steps, text);
    });
    m_progress.start();
    const KitMove::Report report = move.run(plan, newChannel);
    m_progress.finish();

    m_results.result(report.text(),
        { { QStringLiteral("command"), m_request.command }, { QStringLiteral("from"), *plan.hostChannel },
            { QStringLiteral("to"), newChannel }, { QStringLiteral("done"), report.done },
            { QStringLiteral("failure"), textOrNull(report.failure) },
            { QStringLiteral("modules"), moveModules(report) },
            { QStringLiteral("rows"), QJsonArray::fromStringList(report.rows()) },
            { QStringLiteral("result"), report.text() } });
    if (m_interrupted)
        return Interrupted;
    if (m_session.failed())
        return PortError;
    return report.done ? Success : NegativeAnswer;
}
