#include "MonitorOutput.h"

#include "CliRequest.h"
#include "ResultWriter.h"
#include "viewer/TimedLine.h"

#include <QJsonObject>

MonitorOutput::MonitorOutput(ResultWriter &results, const CliRequest &request)
    : m_results(results)
    , m_request(request)
    , m_stream(request.format)
{ }

void MonitorOutput::take(QByteArrayView bytes, const QDateTime &arrived)
{
    if (m_request.raw) {
        m_results.bytes(bytes);
        return;
    }
    show(m_stream.take(bytes), arrived);
    m_lastArrival = arrived;
}

void MonitorOutput::finish()
{
    if (m_request.raw)
        return;
    show(m_stream.finish(), m_lastArrival);
    if (m_shown && !m_results.isJson() && !m_request.timestamps)
        m_results.text(QStringLiteral("\n"));
}

void MonitorOutput::show(const QString &text, const QDateTime &arrived)
{
    if (text.isEmpty())
        return;
    m_shown = true;
    if (m_results.isJson())
        m_results.result(QString(),
            { { QStringLiteral("command"), m_request.command }, { QStringLiteral("received"), text },
                { QStringLiteral("time"), TimedLine::timeText(arrived) } });
    else if (m_request.timestamps)
        m_results.text(TimedLine::format(arrived, m_request.format, text) + QLatin1Char('\n'));
    else
        m_results.text(text);
}
