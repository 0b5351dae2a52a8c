#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

class KitEngine;

// Moves the whole kit to a new channel: each printer on line on the host's
// channel is re-addressed onto the new channel (command 11, address
// unchanged), then the host follows (12), then every moved printer is asked
// its status there (15). If any step fails, what was moved is put back: the
// printers to the old channel, the host to the old channel. Either way, the
// report names each module's channel as its own answer confirmed it, and
// says so where no answer came.
class KitMove : public QObject
{
    Q_OBJECT

public:
    struct Plan {
        // The host's channel; nothing when it did not say.
        std::optional<int> hostChannel;
        // The printers on line on it, 1-4.
        QList<int> printers;

        // Why a move to newChannel cannot start, in words; empty when it can.
        QString refusal(int newChannel) const;
        // "把 3 台打印机和主机从信道 20 迁到信道 40？"
        QString question(int newChannel) const;
    };

    // Where one module ended up. channel is empty when no answer placed it.
    struct Module {
        QString name;
        std::optional<int> channel;
        // For a printer, the channel it was last told to be on.
        int lastKnownChannel = -1;
    };

    struct Report {
        bool done = false;
        // A frame was sent: false when the plan was refused.
        bool started = false;
        // What failed, in words; empty when the move was done.
        QString failure;
        // The host first, then the planned printers.
        QList<Module> modules;

        // "主机 · 信道 40 · 已确认", "2号机 · 信道 20 · 在线",
        // "3号机 · 未应答 · 最后在信道 40".
        QStringList rows() const;
        // The one tip for the user: the outcome and every module's place.
        QString text() const;
    };

    explicit KitMove(KitEngine &engine, QObject *parent = nullptr);

    // Asks the host its channel and printers 1-4 their status on it.
    Plan plan();
    Report run(const Plan &plan, int newChannel);

Q_SIGNALS:
    // What the move is doing now, in words.
    void stepStarted(const QString &text);

private:
    struct Move;

    void moveAll(Move &move);
    void rollBack(Move &move);
    void locate(Move &move);
    Report report(const Move &move) const;

    KitEngine &m_engine;
};
