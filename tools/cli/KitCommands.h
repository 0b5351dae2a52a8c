#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QObject>
#include <QString>

#include <optional>

struct CliRequest;
class CliChannels;
class KitSession;
class ResultWriter;
class SendProgress;

// The commands that talk to the host module, each the GUI's operation with
// the GUI's frame, reply rule and texts: a result on stdout, an exit code.
class KitCommands : public QObject
{
    Q_OBJECT

public:
    KitCommands(KitSession &session, CliChannels &channels, ResultWriter &results, SendProgress &progress,
        const CliRequest &request, QObject *parent = nullptr);

    // send: the print data (PrintDataReader).
    void setPrintData(const QString &text) { m_printData = text; }

    int run();

    // Ctrl+C or a termination signal: a send stops as "停止发送" stops it,
    // waits end, and the command returns.
    void interrupt();

Q_SIGNALS:
    void interrupted();

private:
    int status();
    int hostChannel();
    int configure(const QString &frameText, const QJsonObject &json);
    // A configuration command's answer: "提示:设置成功" or "提示:设置失败".
    int configurationResult(std::optional<quint8> reply, QJsonObject json);
    int hostBaud();
    int search();
    int done();
    int send();
    int monitor();
    // survey and move-kit (KitJobCommands).
    int kitJob();

    // The exit code for what went wrong during the command, or 0.
    int failure();

    KitSession &m_session;
    CliChannels &m_channels;
    ResultWriter &m_results;
    SendProgress &m_progress;
    const CliRequest &m_request;
    QString m_printData;
    bool m_interrupted = false;
};
