#pragma once

#include "viewer/ViewerNotation.h"

#include <QList>
#include <QString>

// What the command line asks for, checked and in the units the GUI user
// sees: printers 1-4, channels 0-124, baud rates as baud-rate indices.
struct CliRequest {
    QString command;
    // The command's numeric arguments in their order: printers, channels or
    // baud-rate indices.
    QList<int> numbers;
    // send: the print data given on the command line, or "-" for stdin.
    QString text;

    // "COM1"-"COM6", a device path, or "auto" (the one USB serial port
    // present); the GUI starts on COM3.
    QString port = QStringLiteral("COM3");
    int baudIndex = 2;
    // 0 none, 1 XON/XOFF, 2 RTS/CTS (the GUI's default), 3 both.
    int handshaking = 2;
    int timeoutMs = 100;
    bool json = false;
    bool verbose = false;

    // send: printers 1-4 (the GUI starts with printer 3 ticked), the
    // notation in force (0 decimal, 1 hexadecimal, 2 ASCII, 3 text) and the
    // file to send instead of text.
    QList<int> printers { 3 };
    qint16 notation = 0;
    QString file;
    // Print the bytes instead of sending them; no port is opened.
    bool dryRun = false;

    // monitor: the viewer notation of the output, and how long to watch
    // (0: until interrupted).
    ViewerNotation format = ViewerNotation::Hex;
    double seconds = 0;
    // Reopen a device that goes away and comes back (monitor, batch).
    bool reconnect = false;
    // Each chunk on a line of its own after the time it arrived.
    bool timestamps = false;
    // The received bytes themselves instead of their text.
    bool raw = false;

    // batch: the file of commands, "-" for stdin; a failing command ends it.
    QString batchFile = QStringLiteral("-");
    bool stopOnError = false;

    // move-kit: the user confirmed the move (--yes).
    bool confirmed = false;
};
