#pragma once

#include "engine/ChannelSearchResult.h"

#include <QMetaObject>
#include <QObject>
#include <QTimer>

class CommEventHandler;
class ModuleExchange;

// Gathers a channel search's answer while the receive path hands it on, and
// says when it has ended: the module quiet for 1.5 s, as the module
// exchange counts it. The bytes still reach the viewer as before; this only
// reads them.
class ChannelSearchWatch : public QObject
{
    Q_OBJECT

public:
    ChannelSearchWatch(ModuleExchange &exchange, CommEventHandler &events, QObject *parent = nullptr);

    // Call right after the search frame went out; a search still watched is
    // given up.
    void start(int first, int last);
    bool isWatching() const { return m_poll.isActive(); }

Q_SIGNALS:
    void ended(const ChannelSearchResult &result);

private:
    void check();

    ModuleExchange &m_exchange;
    CommEventHandler &m_events;
    ChannelSearchResult m_result;
    QMetaObject::Connection m_taking;
    QTimer m_poll;
};
