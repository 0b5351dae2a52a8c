#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

class KitEngine;

// Where the printers are: over a range of channels, the host is set to each
// in turn and printers 1-4 are asked their status there. Whatever happens
// (the end, a stop, a module that refuses a channel) the host is put back on
// the channel it had before, first of all, and the report says whether that
// was confirmed.
class KitSurvey : public QObject
{
    Q_OBJECT

public:
    struct Result {
        int first = 0;
        int last = 0;
        // The host's channel before the survey; nothing when it did not say.
        std::optional<int> hostChannel;
        // The host answered on its channel again afterwards.
        bool hostRestored = false;
        // The last channel whose four printers were all asked; -1: none.
        int lastSurveyed = -1;
        bool stopped = false;
        // Why the survey ended early, in words; empty when it did not.
        QString failure;
        // Index printer - 1: the channels it answered on.
        QList<QList<int>> found = QList<QList<int>>(4);

        bool isComplete() const { return !stopped && failure.isEmpty() && lastSurveyed == last; }
        // "1号机 · 信道 20 · 在线", one row per printer and channel, or
        // "3号机 · 未找到", then the host's row.
        QStringList rows() const;
        // One sentence: what was surveyed, how it ended, where the host is.
        QString summary() const;
    };

    explicit KitSurvey(KitEngine &engine, QObject *parent = nullptr);

    // Surveys the channels from first to last (either order).
    Result run(int first, int last);
    // Ends a running survey after the question under way; the host is then
    // put back.
    void stop() { m_stopRequested = true; }

Q_SIGNALS:
    // The host is being set to channel, the index-th of count.
    void channelStarted(int channel, int index, int count);
    void printerFound(int printer, int channel);

private:
    void survey(Result &result);
    void restoreHost(Result &result);

    KitEngine &m_engine;
    bool m_stopRequested = false;
};
