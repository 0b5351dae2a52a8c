#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Control frames of the host radio module: a six-byte preamble, a command
// code and zero to four one-byte arguments, with no length, checksum or
// terminator. Senders hand text() to the transmitter's SendDecimalList; bytes()
// is the same frame as it goes on the wire.
class ControlFrame
{
public:
    enum Code {
        SetSlaveChannelAndAddress = 11,
        SetHostChannel = 12,
        SelectPrinters = 13,
        SearchFreeChannels = 14,
        SlaveStatus = 15,
        ConfigurationDone = 16,
        SetSlaveBaudRate = 17,
        SetHostBaudRate = 18,
        HostChannel = 19,
    };

    // The text that starts every frame, with its trailing blank.
    static QString ControlFrameHeader();
    static QByteArray preamble();

    // How many argument bytes follow the code, or -1 for an unknown code.
    static int argumentCount(int code);

    // The frame as blank-separated decimal text: header, code, arguments,
    // never a trailing blank. arguments must number argumentCount(code).
    static QString text(Code code, const QList<int> &arguments = {});
    static QByteArray bytes(Code code, const QList<int> &arguments = {});

    // Printer n (1-4) is the single bit n-1; list entry i gives 2^i.
    static int printerAddress(int entryIndex);
};
