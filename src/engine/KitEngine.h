#pragma once

#include "notation/SendTextParser.h"
#include "protocol/ModuleExchange.h"
#include "serial/CommEventHandler.h"
#include "serial/CommPort.h"
#include "serial/DeviceReturnWatch.h"
#include "serial/PortSettings.h"
#include "serial/SerialPortCatalog.h"
#include "serial/Transmitter.h"

#include <QObject>

class ReceiveSink;
class UserChannels;

// The serial engine every front end drives: the port, the transmitter, the
// receive path, the port settings, the module exchange and the send-data
// parser, wired together once, with the ports present and the watch that
// reopens a device that went away and came back. The window and
// veltrin-cli each build one, passing the user channels they report through
// and the sink that takes every received chunk; they add only what is
// theirs.
class KitEngine : public QObject
{
    Q_OBJECT

public:
    // portSource, where given, lists the serial ports present instead of the
    // system (SerialPortCatalog::setSource).
    KitEngine(UserChannels &channels, ReceiveSink &sink, SerialPortCatalog::Source portSource = {},
        QObject *parent = nullptr);

    CommPort &port() { return m_port; }
    const CommPort &port() const { return m_port; }
    Transmitter &transmitter() { return m_transmitter; }
    CommEventHandler &commEvents() { return m_commEvents; }
    PortSettings &portSettings() { return m_portSettings; }
    ModuleExchange &exchange() { return m_exchange; }
    SendTextParser &parser() { return m_parser; }
    SerialPortCatalog &catalog() { return m_catalog; }
    DeviceReturnWatch &returnWatch() { return m_returnWatch; }

    // At start, with the port defaults applied: where nothing says which
    // device COM3 is (no VELTRIN_COM3) and COM3's own device is not present,
    // the one USB serial port present is taken as the kit's adapter and the
    // status line names it. With several, none is guessed. This is the
    // catalog's first scan, whatever VELTRIN_COM3 says. The decision is
    // made when the scan asked for here ends: at once with a source of the
    // caller's, a moment later with the system's, which is read on the
    // catalog's scan thread.
    void takeKitAdapter();

    // A long job (a survey, a move of the kit) is running: it chains many
    // questions and needs the line to itself, so the panels hold their
    // commands until it ends.
    bool jobRunning() const { return m_jobRunning; }

    // Marks a job as running for as long as it lives.
    class JobScope
    {
    public:
        explicit JobScope(KitEngine &engine);
        ~JobScope();
        JobScope(const JobScope &) = delete;
        JobScope &operator=(const JobScope &) = delete;

    private:
        KitEngine &m_engine;
    };

Q_SIGNALS:
    void jobRunningChanged(bool running);

private:
    void adoptKitAdapter();
    void setJobRunning(bool running);

    UserChannels &m_channels;
    CommPort m_port;
    Transmitter m_transmitter;
    CommEventHandler m_commEvents;
    PortSettings m_portSettings;
    ModuleExchange m_exchange;
    SendTextParser m_parser;
    SerialPortCatalog m_catalog;
    DeviceReturnWatch m_returnWatch;
    bool m_jobRunning = false;
    // While a lost device's tip is open: later losses add none.
    bool m_tellingLoss = false;
};
