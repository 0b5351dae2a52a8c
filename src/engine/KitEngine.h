#pragma once

#include "notation/SendTextParser.h"
#include "protocol/ModuleExchange.h"
#include "serial/CommEventHandler.h"
#include "serial/CommPort.h"
#include "serial/PortSettings.h"
#include "serial/Transmitter.h"

#include <QObject>

class ReceiveSink;
class UserChannels;

// The serial engine every front end drives: the port, the transmitter, the
// receive path, the port settings, the module exchange and the send-data
// parser, wired together once. The window and veltrin-cli each build one,
// passing the user channels they report through and the sink that takes
// every received chunk; they add only what is theirs.
class KitEngine : public QObject
{
    Q_OBJECT

public:
    KitEngine(UserChannels &channels, ReceiveSink &sink, QObject *parent = nullptr);

    CommPort &port() { return m_port; }
    const CommPort &port() const { return m_port; }
    Transmitter &transmitter() { return m_transmitter; }
    CommEventHandler &commEvents() { return m_commEvents; }
    PortSettings &portSettings() { return m_portSettings; }
    ModuleExchange &exchange() { return m_exchange; }
    SendTextParser &parser() { return m_parser; }

private:
    UserChannels &m_channels;
    CommPort m_port;
    Transmitter m_transmitter;
    CommEventHandler m_commEvents;
    PortSettings m_portSettings;
    ModuleExchange m_exchange;
    SendTextParser m_parser;
};
