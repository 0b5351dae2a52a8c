#pragma once

#include "interfaces/ReceiveSink.h"
#include "notation/SendTextParser.h"
#include "protocol/ModuleExchange.h"
#include "serial/CommEventHandler.h"
#include "serial/CommPort.h"
#include "serial/PortSettings.h"
#include "serial/Transmitter.h"

#include <QByteArray>
#include <QObject>

struct CliRequest;
class CliChannels;

// The GUI's serial engine, wired as the main window wires it, without a
// window: the port, the transmitter, the receive path, the port settings,
// the module exchange and the notation parser. Received chunks come out of
// received(); transmissions that fail are remembered for the exit code.
class KitSession : public QObject, public ReceiveSink
{
    Q_OBJECT

public:
    explicit KitSession(CliChannels &channels, QObject *parent = nullptr);

    // Applies the GUI's port defaults, then the request's port, speed,
    // handshake and reply deadline, and opens the port. False, reported,
    // when the port cannot be opened.
    bool open(const CliRequest &request);

    CommPort &port() { return m_port; }
    Transmitter &transmitter() { return m_transmitter; }
    PortSettings &portSettings() { return m_portSettings; }
    ModuleExchange &exchange() { return m_exchange; }
    SendTextParser &parser() { return m_parser; }

    // A transmission failed or a port error was reported since the start.
    bool failed() const;
    // A transmission ended as "数据发送失败".
    bool sendFailed() const { return m_sendFailed; }

    void appendReceived(QByteArrayView bytes) override;

Q_SIGNALS:
    void received(const QByteArray &bytes);

private:
    CliChannels &m_channels;
    CommPort m_port;
    Transmitter m_transmitter;
    CommEventHandler m_commEvents;
    PortSettings m_portSettings;
    ModuleExchange m_exchange;
    SendTextParser m_parser;
    bool m_sendFailed = false;
};
