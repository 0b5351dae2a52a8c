#pragma once

#include <QObject>
#include <QString>

class CommPort;
class UserChannels;

// The port's configuration and open state, as the user sets them on the
// port-settings panel. The panel is a thin view of this class: it forwards
// clicks here and follows the selection signals.
class PortSettings : public QObject
{
    Q_OBJECT

public:
    PortSettings(CommPort &port, UserChannels &channels, QObject *parent = nullptr);

    void ApplyPortDefaults();
    void SelectPort(int index);
    void SelectBaudRate(int index);
    void SelectHandshake(int index);
    void OpenPort();
    void ClosePort();

    bool portOpen() const;
    // The option index of SelectedBaud.
    int selectedBaudIndex() const;

    static QString portCaption(int index);
    static QString baudCaption(int index);

    // The baud rate last chosen: "9600", "19200", "38400" or "115200".
    QString SelectedBaud = QStringLiteral("38400");

Q_SIGNALS:
    // The baud-rate option index that is now selected (also when the host-baud
    // command of the wireless panel switched it).
    void baudRateSelected(int index);
    // The port opened or closed, whoever caused it: a panel, the
    // transmitter, or a device that went away.
    void portOpenChanged(bool open);

private:
    void report(int errorNumber);

    CommPort &m_port;
    UserChannels &m_channels;
};
