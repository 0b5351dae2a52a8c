#include "engine/ChannelSearchWatch.h"

#include "protocol/ModuleExchange.h"
#include "serial/CommEventHandler.h"

namespace {

// How often the end is looked for: a tenth of the quiet time that ends it.
constexpr int pollMs = ModuleExchange::SearchQuietMs / 10;

} // namespace

ChannelSearchWatch::ChannelSearchWatch(ModuleExchange &exchange, CommEventHandler &events, QObject *parent)
    : QObject(parent)
    , m_exchange(exchange)
    , m_events(events)
{
    m_poll.setInterval(pollMs);
    connect(&m_poll, &QTimer::timeout, this, &ChannelSearchWatch::check);
}

void ChannelSearchWatch::start(int first, int last)
{
    disconnect(m_taking);
    m_result = ChannelSearchResult(first, last);
    m_taking = connect(
        &m_events, &CommEventHandler::replyStored, this, [this] { m_result.take(m_events.RxBytes); });
    m_poll.start();
}

void ChannelSearchWatch::check()
{
    if (m_exchange.searchAnswering())
        return;
    m_poll.stop();
    disconnect(m_taking);
    Q_EMIT ended(m_result);
}
