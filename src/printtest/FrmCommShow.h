#pragma once

#include "printtest/PrintTestSender.h"

#include <QWidget>

#include <memory>

class EditorLoader;
class FileChooser;
class SendTextParser;
class Transmitter;
class UserChannels;

namespace Ui {
class FrmCommShow;
}

// The print-test panel: edits or loads print data in the send-data notation,
// chooses the printers and sends the select-printers frame followed by the
// data.
class FrmCommShow : public QWidget
{
    Q_OBJECT

public:
    FrmCommShow(Transmitter &transmitter, SendTextParser &parser, UserChannels &channels, FileChooser &files,
        QWidget *parent = nullptr);
    ~FrmCommShow() override;

    void PrinterSelect_function();

    // The printer set of the last send: bit i-1 for chkPrinter<i>, 128 for none.
    quint8 PrinterMask = 128;

private:
    void Jinzhi_Click(int index);
    void Cmdsendcmd_Click();
    void cmdOpenfile_Click();
    void cmdClearcmd_Click();
    QString editorText();

    std::unique_ptr<Ui::FrmCommShow> m_ui;
    Transmitter &m_transmitter;
    SendTextParser &m_parser;
    UserChannels &m_channels;
    FileChooser &m_files;
    PrintTestSender m_sender;
    EditorLoader *m_loader = nullptr;
};
