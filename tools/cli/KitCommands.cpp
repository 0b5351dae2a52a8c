#include "KitCommands.h"

#include "CliChannels.h"
#include "CliRequest.h"
#include "ExitCode.h"
#include "KitJobCommands.h"
#include "KitSession.h"
#include "MonitorOutput.h"
#include "ResultWriter.h"
#include "SendProgress.h"
#include "engine/ChannelSearchResult.h"
#include "printtest/PrintTestSender.h"
#include "protocol/ControlFrame.h"
#include "protocol/ModuleAnswer.h"
#include "serial/Transmitter.h"

#include <QDateTime>
#include <QEventLoop>
#include <QJsonArray>
#include <QTimer>

namespace {

QJsonValue replyValue(std::optional<quint8> reply)
{
    return reply ? QJsonValue(int(*reply)) : QJsonValue(QJsonValue::Null);
}

QJsonArray jsonNumbers(const QList<int> &numbers)
{
    QJsonArray array;
    for (int number : numbers)
        array.append(number);
    return array;
}

int printerAddress(int printer)
{
    return ControlFrame::printerAddress(printer - 1);
}

} // namespace

KitCommands::KitCommands(KitSession &session, CliChannels &channels, ResultWriter &results,
    SendProgress &progress, const CliRequest &request, QObject *parent)
    : QObject(parent)
    , m_session(session)
    , m_channels(channels)
    , m_results(results)
    , m_progress(progress)
    , m_request(request)
{ }

int KitCommands::run()
{
    const QString &command = m_request.command;
    const QList<int> &n = m_request.numbers;
    if (command == QLatin1String("status"))
        return status();
    if (command == QLatin1String("host-channel"))
        return hostChannel();
    if (command == QLatin1String("set-slave")) {
        return configure(ControlFrame::text(ControlFrame::SetSlaveChannelAndAddress,
                             { printerAddress(n[0]), printerAddress(n[1]), n[2], n[3] }),
            { { QStringLiteral("printer"), n[0] }, { QStringLiteral("new_printer"), n[1] },
                { QStringLiteral("channel"), n[2] }, { QStringLiteral("new_channel"), n[3] } });
    }
    if (command == QLatin1String("set-host-channel")) {
        return configure(ControlFrame::text(ControlFrame::SetHostChannel, { n[0] }),
            { { QStringLiteral("channel"), n[0] } });
    }
    if (command == QLatin1String("select")) {
        int printerSet = 0;
        for (int printer : n)
            printerSet |= printerAddress(printer);
        return configure(ControlFrame::text(ControlFrame::SelectPrinters, { printerSet }),
            { { QStringLiteral("printers"), jsonNumbers(n) } });
    }
    if (command == QLatin1String("slave-baud")) {
        return configure(ControlFrame::text(ControlFrame::SetSlaveBaudRate, { printerAddress(n[0]), n[1] }),
            { { QStringLiteral("printer"), n[0] }, { QStringLiteral("baud_index"), n[1] } });
    }
    if (command == QLatin1String("host-baud"))
        return hostBaud();
    if (command == QLatin1String("search"))
        return search();
    if (command == QLatin1String("done"))
        return done();
    if (command == QLatin1String("send"))
        return send();
    if (command == QLatin1String("survey") || command == QLatin1String("move-kit"))
        return kitJob();
    return monitor();
}

void KitCommands::interrupt()
{
    m_interrupted = true;
    m_session.transmitter().setStopSending(true);
    m_session.exchange().abandonSearch();
    Q_EMIT interrupted();
}

int KitCommands::kitJob()
{
    KitJobCommands jobs(m_session, m_channels, m_results, m_progress, m_request);
    connect(this, &KitCommands::interrupted, &jobs, &KitJobCommands::interrupt);
    const int code = m_request.command == QLatin1String("survey") ? jobs.survey() : jobs.moveKit();
    // The job has given its own exit code for an interruption.
    m_interrupted = false;
    return code;
}

int KitCommands::failure()
{
    if (m_interrupted || m_session.failed()) {
        // The transmission's outcome, as the status line would show it.
        if (m_session.sendFailed())
            m_channels.diagnostic(Transmitter::outcomeText(false));
        return m_interrupted ? Interrupted : PortError;
    }
    return m_channels.inputRefused() ? UsageError : Success;
}

int KitCommands::status()
{
    const int printer = m_request.numbers[0];
    const std::optional<quint8> reply = m_session.exchange().ask(
        ControlFrame::text(ControlFrame::SlaveStatus, { printerAddress(printer) }));
    if (const int code = failure())
        return code;
    const bool isOnline = ModuleAnswer::isYes(reply);
    const QString text = ModuleAnswer::statusText(isOnline);
    m_results.result(text,
        { { QStringLiteral("command"), m_request.command }, { QStringLiteral("printer"), printer },
            { QStringLiteral("online"), isOnline }, { QStringLiteral("reply"), replyValue(reply) },
            { QStringLiteral("result"), text } });
    return isOnline ? Success : NegativeAnswer;
}

int KitCommands::hostChannel()
{
    const std::optional<quint8> reply
        = m_session.exchange().ask(ControlFrame::text(ControlFrame::HostChannel));
    if (const int code = failure())
        return code;
    // The GUI shows channel 0 when nothing came; a script must not take
    // that for an answer.
    if (!reply) {
        m_channels.diagnostic(QStringLiteral("no reply within %1 ms").arg(m_request.timeoutMs));
        if (!m_results.isJson())
            return NegativeAnswer;
    }
    m_results.result(QString::number(reply.value_or(0)),
        { { QStringLiteral("command"), m_request.command },
            { QStringLiteral("channel"), replyValue(reply) } });
    return reply ? Success : NegativeAnswer;
}

int KitCommands::configure(const QString &frameText, const QJsonObject &json)
{
    return configurationResult(m_session.exchange().ask(frameText), json);
}

int KitCommands::configurationResult(std::optional<quint8> reply, QJsonObject json)
{
    if (const int code = failure())
        return code;
    const bool isDone = ModuleAnswer::isYes(reply);
    const QString text = ModuleAnswer::configurationText(isDone);
    json.insert(QStringLiteral("command"), m_request.command);
    json.insert(QStringLiteral("done"), isDone);
    json.insert(QStringLiteral("reply"), replyValue(reply));
    json.insert(QStringLiteral("result"), text);
    m_results.result(text, json);
    return isDone ? Success : NegativeAnswer;
}

int KitCommands::hostBaud()
{
    const int baudIndex = m_request.numbers[0];
    const std::optional<quint8> reply
        = m_session.exchange().ask(ControlFrame::text(ControlFrame::SetHostBaudRate, { baudIndex }));
    // The module answers at its old speed; the PC's port follows after that,
    // whatever the answer, as in the GUI.
    if (!m_interrupted && !m_session.failed())
        m_session.portSettings().SelectBaudRate(baudIndex);
    return configurationResult(reply,
        { { QStringLiteral("baud_index"), baudIndex },
            { QStringLiteral("port_baud"), m_session.port().baudRate() } });
}

int KitCommands::search()
{
    const int first = m_request.numbers[0];
    const int last = m_request.numbers[1];
    // Bytes that came before the search are no free channels.
    m_session.port().receiveNow();
    ChannelSearchResult answer(first, last);
    const QMetaObject::Connection printing
        = connect(&m_session, &KitSession::received, this, [this, &answer](const QByteArray &bytes) {
              answer.take(bytes);
              if (m_results.isJson())
                  return;
              for (char byte : bytes)
                  m_results.result(QString::number(quint8(byte)), {});
          });
    m_session.exchange().search(ControlFrame::text(ControlFrame::SearchFreeChannels, { first, last }));
    if (!m_interrupted && !m_session.failed())
        m_session.exchange().waitForSearchEnd();
    disconnect(printing);
    if (const int code = failure())
        return code;
    if (m_results.isJson()) {
        m_results.result(QString(),
            { { QStringLiteral("command"), m_request.command }, { QStringLiteral("from"), first },
                { QStringLiteral("to"), last },
                { QStringLiteral("free"), jsonNumbers(answer.freeChannels()) },
                { QStringLiteral("not_free"), jsonNumbers(answer.notFreeChannels()) },
                { QStringLiteral("stray"), jsonNumbers(answer.strayBytes()) } });
    }
    if (!answer.strayBytes().isEmpty())
        m_channels.diagnostic(QStringLiteral("%1 bytes of the answer name no channel of %2-%3")
                                  .arg(answer.strayBytes().size())
                                  .arg(answer.first())
                                  .arg(answer.last()));
    if (!answer.freeChannels().isEmpty())
        return Success;
    m_channels.diagnostic(QStringLiteral("no free channel in %1-%2").arg(first).arg(last));
    return NegativeAnswer;
}

int KitCommands::done()
{
    m_session.exchange().send(ControlFrame::text(ControlFrame::ConfigurationDone));
    if (const int code = failure())
        return code;
    const QString text = Transmitter::outcomeText(true);
    m_results.result(
        text, { { QStringLiteral("command"), m_request.command }, { QStringLiteral("result"), text } });
    return Success;
}

int KitCommands::send()
{
    m_session.parser().DataMode = m_request.notation;
    PrintTestSender sender(m_session.transmitter(), m_session.parser(), m_channels);
    const std::optional<QString> prepared = sender.prepare(m_printData);
    if (!prepared)
        return UsageError;
    if (!m_interrupted) {
        m_progress.start();
        sender.transmit(*prepared, PrintTestSender::printerSetOf(m_request.printers));
        m_progress.finish();
    }
    if (const int code = failure())
        return code;
    const QString text = Transmitter::outcomeText(true);
    m_results.result(text,
        { { QStringLiteral("command"), m_request.command },
            { QStringLiteral("printers"), jsonNumbers(m_request.printers) },
            { QStringLiteral("result"), text } });
    return Success;
}

int KitCommands::monitor()
{
    MonitorOutput output(m_results, m_request);
    connect(&m_session, &KitSession::received, this,
        [&output](const QByteArray &bytes) { output.take(bytes, QDateTime::currentDateTime()); });

    m_channels.diagnostic(QStringLiteral("monitoring %1 at %2 bit/s; Ctrl+C ends")
                              .arg(m_session.port().devicePath())
                              .arg(m_session.port().baudRate()));
    QEventLoop loop;
    if (m_request.seconds > 0)
        QTimer::singleShot(qint64(m_request.seconds * 1000), &loop, &QEventLoop::quit);
    connect(this, &KitCommands::interrupted, &loop, &QEventLoop::quit);
    if (m_request.reconnect) {
        // A loss is reported by the engine as every port error is; its
        // return gets a line of its own.
        m_session.returnWatch().setEnabled(true);
        connect(&m_session.returnWatch(), &DeviceReturnWatch::reopened, this,
            [this](const QString &text) { m_channels.diagnostic(text); });
    } else {
        connect(&m_session.port(), &CommPort::openChanged, &loop, &QEventLoop::quit);
    }
    // What arrived since the port opened is shown first.
    m_session.port().receiveNow();
    if (m_session.port().portOpen())
        loop.exec();
    disconnect(&m_session, &KitSession::received, this, nullptr);
    output.finish();
    // Ctrl+C is how a monitor without --seconds ends.
    m_interrupted = false;
    if (m_request.reconnect) {
        disconnect(&m_session.returnWatch(), nullptr, this, nullptr);
        // Losses it came back from are no failure; a device still away is.
        return m_session.port().portOpen() ? int(Success) : int(PortError);
    }
    return failure();
}
