#pragma once

#include "engine/ChannelSearchWatch.h"
#include "engine/KitEngine.h"
#include "viewer/ReceiveViewerHost.h"

#include <QTimer>
#include <QWidget>

#include <memory>

class FileChooser;
class FrmCommShow;
class FrmHelpShow;
class FrmKitShow;
class FrmPortSetShow;
class FrmWirelessShow;
class ProcessLauncher;
class QLabel;
class QPushButton;
class TrayIcon;
class UserChannels;

namespace Ui {
class FrmMain;
}

// The start-up window. It owns the serial engine (port, settings,
// transmitter, receive path, send-data parser) and the viewer it delivers
// to, hosts the four panels of which one is visible, the clock and the
// status cells, and wires the panels to the engine. Everything runs on the
// UI thread.
class FrmMain : public QWidget
{
    Q_OBJECT

public:
    // portSource, where given, lists the serial ports present instead of the
    // system: for USB adapters this machine does not have.
    FrmMain(UserChannels &channels, FileChooser &files, ProcessLauncher &launcher,
        SerialPortCatalog::Source portSource = {}, QWidget *parent = nullptr);
    ~FrmMain() override;

    QLabel *statusCell() const;

    CommPort &port() { return m_engine.port(); }
    PortSettings &portSettings() { return m_engine.portSettings(); }
    Transmitter &transmitter() { return m_engine.transmitter(); }
    CommEventHandler &commEvents() { return m_engine.commEvents(); }
    ModuleExchange &moduleExchange() { return m_engine.exchange(); }
    ReceiveViewerHost &receiveViewer() { return m_receiveViewer; }
    SendTextParser &sendTextParser() { return m_engine.parser(); }
    TrayIcon &trayIcon() { return *m_trayIcon; }

    void cmdCommTest_Click();
    void cmdWireless_Click();
    void cmdComset_Click();
    void cmdHelp_Click();
    void cmdExit_Click();
    void lblTestRF_Click();

    // The end of the run, however the program ends: a send stops, what
    // waits on the input is taken in, the recording writes it all and
    // closes, and the port closes.
    void endRun();

protected:
    void changeEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void Form_Load();
    void afterFirstFrame();
    void Form_Resize();
    void TimeSysTimer_Timer();
    void showPanel(QWidget *chosen);
    FrmWirelessShow &wirelessPanel();
    FrmPortSetShow &portSetPanel();
    FrmHelpShow &helpPanel();
    FrmKitShow &kitWindow();
    void showSearchMap(ChannelSearchResult result);
    void holdPanels(bool jobRunning);
    void setButtonFonts();

    UserChannels &m_channels;
    ProcessLauncher &m_launcher;
    ReceiveViewerHost m_receiveViewer;
    KitEngine m_engine;
    std::unique_ptr<Ui::FrmMain> m_ui;
    FrmCommShow *m_FrmCommShow;
    // The panels behind the other buttons are made the first time they are
    // asked for: the first screen needs none of them, and the help document
    // is read and laid out only then.
    FrmWirelessShow *m_FrmWirelessShow = nullptr;
    FrmPortSetShow *m_FrmPortSetShow = nullptr;
    FrmHelpShow *m_FrmHelpShow = nullptr;
    FrmKitShow *m_FrmKitShow = nullptr;
    ChannelSearchWatch m_searchWatch;
    std::unique_ptr<TrayIcon> m_trayIcon;
    bool m_firstFramePainted = false;
    QTimer m_TimeSysTimer;
};
