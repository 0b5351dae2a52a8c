#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <optional>

class CommEventHandler;
class CommPort;
class Transmitter;

// Frames to the host module and its replies. Replies are raw bytes with no
// framing, so a reply is the first byte the receive path stores after the
// frame went out: ReplyByte is cleared just before the frame, and the wait
// ends as soon as a byte comes, or at the deadline. A channel search answers
// with a stream of bytes over several seconds; a question asked meanwhile
// would take one of them for its answer, so it waits until the stream has
// ended. Every wait runs the event loop and never spins.
class ModuleExchange : public QObject
{
    Q_OBJECT

public:
    // Covers a USB adapter that holds received bytes for its 16 ms latency
    // timer, with room to spare.
    static constexpr int ReplyDeadlineMs = 100;
    // A search answer has ended once the module has been quiet this long, and
    // at the latest this long after the frame (the module answers within
    // about five seconds).
    static constexpr int SearchQuietMs = 1500;
    static constexpr int SearchLimitMs = 6000;

    ModuleExchange(
        CommPort &port, Transmitter &transmitter, CommEventHandler &commEvents, QObject *parent = nullptr);

    // Sends the frame and awaits its reply; ReplyByte is 0 again afterwards.
    // Returns the reply byte, or nullopt when none came before the deadline.
    std::optional<quint8> ask(const QString &frameText);

    // Sends a frame that nothing answers.
    void send(const QString &frameText);

    // Sends a channel search. The free channels come in afterwards through
    // the receive path, one byte each.
    void search(const QString &frameText);
    bool searchAnswering();
    void waitForSearchEnd();
    // Gives up on the running search (the user stopped waiting): its wait
    // ends at once, and bytes still coming count as ordinary traffic.
    void abandonSearch();

    int replyDeadlineMs() const { return m_replyDeadlineMs; }
    void setReplyDeadlineMs(int ms) { m_replyDeadlineMs = ms; }

Q_SIGNALS:
    void searchAbandoned();

private:
    void waitForReply();

    CommPort &m_port;
    Transmitter &m_transmitter;
    CommEventHandler &m_commEvents;
    int m_replyDeadlineMs = ReplyDeadlineMs;
    bool m_searching = false;
    QElapsedTimer m_sinceSearch;
    QElapsedTimer m_sinceByte;
};
