#pragma once

#include <QObject>

struct CliRequest;
class CliChannels;
class KitSession;
class ResultWriter;
class SendProgress;

// The kit jobs from a shell: survey and move-kit, the engine's KitSurvey and
// KitMove with their texts, results on stdout (one JSON object with --json),
// progress on stderr when it is a terminal. An interruption stops a survey
// after the question under way and the host is put back first; a move is
// never left half done: it finishes or rolls back, then reports.
class KitJobCommands : public QObject
{
    Q_OBJECT

public:
    KitJobCommands(KitSession &session, CliChannels &channels, ResultWriter &results, SendProgress &progress,
        const CliRequest &request, QObject *parent = nullptr);

    int survey();
    int moveKit();

    // Ctrl+C or a termination signal.
    void interrupt();

Q_SIGNALS:
    void interrupted();

private:
    KitSession &m_session;
    CliChannels &m_channels;
    ResultWriter &m_results;
    SendProgress &m_progress;
    const CliRequest &m_request;
    bool m_interrupted = false;
};
