#pragma once

#include <QWidget>

#include <memory>

class PortSettings;
class QColor;
class QComboBox;
class QLabel;
class ModuleExchange;
class ReceiveViewer;
class Transmitter;
class UserChannels;

namespace Ui {
class FrmWirelessShow;
}

// The wireless configuration panel. Its upper part configures the radio
// modules with one of five control frames (re-address a printer module and
// move its channel, select printers, set a printer module's or the host's baud
// rate, set the host channel); its lower part asks the host module for a
// printer's on-line status, for the free channels of a range and for its own
// channel.
//
// Every question goes through the module exchange, which sends the frame and
// waits until the reply comes or its deadline passes. Only the pressed button
// is disabled meanwhile: the rest of the program keeps running inside the
// wait.
class FrmWirelessShow : public QWidget
{
    Q_OBJECT

public:
    FrmWirelessShow(ModuleExchange &exchange, Transmitter &transmitter, PortSettings &portSettings,
        ReceiveViewer &receiveViewer, UserChannels &channels, QWidget *parent = nullptr);
    ~FrmWirelessShow() override;

    // Start-up: ticks WLOption1 and sets the panel up for its command.
    void selectFirstCommand();
    // Start-up: fills the status query's printer list WLCombo120.
    void fillStatusPrinterList();

    // The active command: 0 re-address (code 11), 1 select printers (13),
    // 2 printer baud rate (17), 3 host channel (12), 4 host baud rate (18).
    quint8 WLCommandIndex() const { return m_WLCommandIndex; }
    // The range of the last confirmed search dialog.
    quint8 SearchStartChannel() const { return m_SearchStartChannel; }
    quint8 SearchEndChannel() const { return m_SearchEndChannel; }

Q_SIGNALS:
    // "套件总览" was pressed: the kit window is the main window's to open.
    void kitShowRequested();
    // A channel search of first to last went out; its answer follows.
    void searchSent(int first, int last);

private:
    void WLOption1_Click();
    void WLOption2_Click();
    void WLOption3_Click();
    void WLOption4_Click();
    void WLOption5_Click();
    void CmdWLsend_Click();
    void CmdStatus_Click();
    void CmdSearchCHN_Click();
    void cmdMasterCHN_Click();

    QString configurationFrameText() const;
    void hideCommandFrames();
    void showSelectorFrame(int number, const QString &caption);
    void runRangeDialog();
    static void fillPrinters(QComboBox *combo);
    static void fillChannels(QComboBox *combo);
    static void fillBaudRates(QComboBox *combo);
    static void showResult(QLabel *label, const QString &text, const QColor &colour);

    std::unique_ptr<Ui::FrmWirelessShow> m_ui;
    ModuleExchange &m_exchange;
    Transmitter &m_transmitter;
    PortSettings &m_portSettings;
    ReceiveViewer &m_receiveViewer;
    UserChannels &m_channels;
    quint8 m_WLCommandIndex = 0;
    quint8 m_SearchStartChannel = 0;
    quint8 m_SearchEndChannel = 0;
};
