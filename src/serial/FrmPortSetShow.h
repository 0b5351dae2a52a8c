#pragma once

#include <QWidget>

#include <memory>

class PortSettings;
class SerialPortCatalog;

namespace Ui {
class FrmPortSetShow;
}

// The port-settings panel: a view of PortSettings. Its initial port and
// handshake (COM3, 硬件握手) are those of the form, matching the defaults the
// main window applies at start; only this panel changes them. The speed and
// the open state, which others change too, are read from the settings when
// the panel is made. "打开串口" and "关闭串口" always show whether the port is
// really open, whoever opened or closed it. Under the four frames a list of
// the serial ports present shows the device behind the selected port;
// choosing one binds it to that port. The list is kept current while the
// panel is shown. A device that the system does not list is named first:
// as a virtual port when it is a pty or open, as not found otherwise.
class FrmPortSetShow : public QWidget
{
    Q_OBJECT

public:
    FrmPortSetShow(PortSettings &settings, SerialPortCatalog &catalog, QWidget *parent = nullptr);
    ~FrmPortSetShow() override;

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void numberButtons();
    void showDevicePaths();
    void fillDeviceList();
    void showUnlistedDevice();
    QString selectedDevicePath() const;
    void deviceChosen(int item);
    void markBaudRate(int index);
    void showPortState();

    std::unique_ptr<Ui::FrmPortSetShow> m_ui;
    PortSettings &m_settings;
    SerialPortCatalog &m_catalog;
    bool m_watching = false;
    // The first item is the selected port's device, not among the ports listed.
    bool m_unlistedFirst = false;
};
