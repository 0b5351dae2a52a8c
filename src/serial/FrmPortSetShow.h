#pragma once

#include <QWidget>

#include <memory>

class PortSettings;

namespace Ui {
class FrmPortSetShow;
}

// The port-settings panel: a view of PortSettings. Its initial port and
// handshake (COM3, 硬件握手) are those of the form, matching the defaults the
// main window applies at start; only this panel changes them. The speed and
// the open state, which others change too, are read from the settings when
// the panel is made. "打开串口" and "关闭串口" always show whether the port is
// really open, whoever opened or closed it.
class FrmPortSetShow : public QWidget
{
    Q_OBJECT

public:
    explicit FrmPortSetShow(PortSettings &settings, QWidget *parent = nullptr);
    ~FrmPortSetShow() override;

private:
    void numberButtons();
    void showDevicePaths();
    void markBaudRate(int index);
    void showPortState();

    std::unique_ptr<Ui::FrmPortSetShow> m_ui;
    PortSettings &m_settings;
};
