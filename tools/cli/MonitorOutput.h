#pragma once

#include "viewer/ReceivedStream.h"

#include <QByteArrayView>
#include <QDateTime>
#include <QString>

class ResultWriter;
struct CliRequest;

// What monitor prints of each chunk received: its text in the viewer's
// notation, run on as the viewer shows it; with --timestamps a line of its
// own after its time; with --json an object with its time; with --raw the
// bytes themselves.
class MonitorOutput
{
public:
    MonitorOutput(ResultWriter &results, const CliRequest &request);

    void take(QByteArrayView bytes, const QDateTime &arrived);
    // The lead byte still waiting for its trail byte, and the line break
    // that ends the run-on text.
    void finish();

private:
    void show(const QString &text, const QDateTime &arrived);

    ResultWriter &m_results;
    const CliRequest &m_request;
    ReceivedStream m_stream;
    QDateTime m_lastArrival;
    bool m_shown = false;
};
