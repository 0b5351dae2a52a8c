#pragma once

#include "engine/KitEngine.h"
#include "interfaces/ReceiveSink.h"

#include <QByteArray>
#include <QObject>

struct CliRequest;
class CliChannels;

// The GUI's serial engine without a window. Received chunks come out of
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

    KitEngine &engine() { return m_engine; }
    CommPort &port() { return m_engine.port(); }
    Transmitter &transmitter() { return m_engine.transmitter(); }
    PortSettings &portSettings() { return m_engine.portSettings(); }
    ModuleExchange &exchange() { return m_engine.exchange(); }
    SendTextParser &parser() { return m_engine.parser(); }
    SerialPortCatalog &catalog() { return m_engine.catalog(); }
    DeviceReturnWatch &returnWatch() { return m_engine.returnWatch(); }

    // A transmission failed or a port error was reported since the start.
    bool failed() const;
    // A transmission ended as "数据发送失败".
    bool sendFailed() const { return m_sendFailed; }
    // The next command of a batch starts with no failure of the last one's.
    void clearFailures();

    void appendReceived(QByteArrayView bytes) override;

Q_SIGNALS:
    void received(const QByteArray &bytes);

private:
    // The device --port names, a COMn or a path; or, for "auto", the one USB
    // port present (false, said, when there is none or several).
    int choosePort(const QString &port);
    bool chooseUsbPort();

    CliChannels &m_channels;
    KitEngine m_engine;
    bool m_sendFailed = false;
};
