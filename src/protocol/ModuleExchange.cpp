#include "protocol/ModuleExchange.h"

#include "serial/CommEventHandler.h"
#include "serial/CommPort.h"
#include "serial/Transmitter.h"

#include <QEventLoop>
#include <QTimer>

ModuleExchange::ModuleExchange(
    CommPort &port, Transmitter &transmitter, CommEventHandler &commEvents, QObject *parent)
    : QObject(parent)
    , m_port(port)
    , m_transmitter(transmitter)
    , m_commEvents(commEvents)
{
    m_sinceSearch.start();
    m_sinceByte.start();
    connect(&m_commEvents, &CommEventHandler::replyStored, this, [this] { m_sinceByte.restart(); });
}

std::optional<quint8> ModuleExchange::ask(const QString &frameText)
{
    waitForSearchEnd();
    // Bytes that came before the question are no answer to it.
    m_port.receiveNow();
    // Later chunks of the same arrival overwrite ReplyByte before the wait
    // returns; the answer is the first byte after the frame.
    std::optional<quint8> reply;
    const QMetaObject::Connection capture
        = connect(&m_commEvents, &CommEventHandler::replyStored, this, [&reply](quint8 byte) {
              if (!reply)
                  reply = byte;
          });
    m_commEvents.ReplyByte = 0;
    send(frameText);
    if (!reply)
        waitForReply();
    // A reply already waiting in the OS when the deadline fired has come in
    // time: a busy machine may have handled the deadline first.
    if (!reply)
        m_port.receiveNow();
    disconnect(capture);
    m_commEvents.ReplyByte = 0;
    return reply;
}

void ModuleExchange::send(const QString &frameText)
{
    // A stop request is meant for the print data it interrupted; left
    // standing, it would cut this frame after its first byte.
    m_transmitter.setStopSending(false);
    m_transmitter.SendDecimalList(frameText);
}

void ModuleExchange::search(const QString &frameText)
{
    waitForSearchEnd();
    m_port.receiveNow();
    m_commEvents.ReplyByte = 0;
    send(frameText);
    m_searching = true;
    m_sinceSearch.restart();
    m_sinceByte.restart();
}

bool ModuleExchange::searchAnswering()
{
    if (m_searching && (m_sinceByte.elapsed() >= SearchQuietMs || m_sinceSearch.elapsed() >= SearchLimitMs))
        m_searching = false;
    return m_searching;
}

void ModuleExchange::waitForSearchEnd()
{
    while (searchAnswering()) {
        const qint64 untilQuiet = SearchQuietMs - m_sinceByte.elapsed();
        const qint64 untilLimit = SearchLimitMs - m_sinceSearch.elapsed();
        QEventLoop loop;
        QTimer::singleShot(int(qMax<qint64>(1, qMin(untilQuiet, untilLimit))), &loop, &QEventLoop::quit);
        connect(this, &ModuleExchange::searchAbandoned, &loop, &QEventLoop::quit);
        loop.exec();
    }
}

void ModuleExchange::abandonSearch()
{
    m_searching = false;
    Q_EMIT searchAbandoned();
}

void ModuleExchange::waitForReply()
{
    QEventLoop loop;
    QTimer::singleShot(m_replyDeadlineMs, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    connect(&m_commEvents, &CommEventHandler::replyStored, &loop, &QEventLoop::quit);
    loop.exec();
}
