#pragma once

#include "hostsim/HostOptions.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>
#include <QStringList>

// The simulator's command line. The printer modules start at their defaults
// (addresses 1, 2, 4, 8, on line, on the host channel); each --slave
// ADDR:CHANNEL:on|off redefines only the module with that address, and a
// later --slave for the same address wins.
class HostCommandLine
{
public:
    HostCommandLine();

    // False when an argument is wrong; errorText() says which and why.
    bool parse(const QStringList &arguments);

    const HostOptions &options() const { return m_options; }
    QString errorText() const { return m_error; }
    bool helpRequested() const { return m_parser.isSet(m_help); }
    QString helpText() const { return m_parser.helpText(); }

private:
    bool readNumber(const QCommandLineOption &option, int low, int high, int *value);
    bool readSlave(const QString &text);
    bool readBusy(const QString &text);
    bool readPrinters(const QCommandLineOption &option, QSet<int> *printers);
    bool reject(const QString &error);

    QCommandLineParser m_parser;
    QCommandLineOption m_help;
    QCommandLineOption m_channel { QStringLiteral("channel"),
        QStringLiteral("Host channel, 0-124 (default 20)."), QStringLiteral("N") };
    QCommandLineOption m_slave { QStringLiteral("slave"),
        QStringLiteral(
            "Printer module with address ADDR (1, 2, 4 or 8) on CHANNEL, on or off line. Repeatable."),
        QStringLiteral("ADDR:CHANNEL:on|off") };
    QCommandLineOption m_busy { QStringLiteral("busy"),
        QStringLiteral("Channels used by other equipment, e.g. 3,7,50. Repeatable."),
        QStringLiteral("LIST") };
    QCommandLineOption m_ignoreReaddress { QStringLiteral("ignore-readdress"),
        QStringLiteral("The printer module with address ADDR (1, 2, 4 or 8) ignores re-addresses "
                       "(command 11): it stays put and the host answers 0. Repeatable."),
        QStringLiteral("ADDR") };
    QCommandLineOption m_dropAfterReaddress { QStringLiteral("drop-after-readdress"),
        QStringLiteral("The printer module with address ADDR takes a re-address, answers it, then drops "
                       "off line. Repeatable."),
        QStringLiteral("ADDR") };
    QCommandLineOption m_latency { QStringLiteral("latency"),
        QStringLiteral("Milliseconds before each reply (default 2)."), QStringLiteral("MS") };
    QCommandLineOption m_chunkDelay { QStringLiteral("chunk-delay"),
        QStringLiteral("Deliver what the PC sends to the module in bursts, each MS after its first byte, "
                       "like a USB adapter's latency timer (default 0: at once)."),
        QStringLiteral("MS") };
    QCommandLineOption m_searchTime { QStringLiteral("search-time"),
        QStringLiteral("Milliseconds a channel search spreads its answer over, 0-5000 (default 2000)."),
        QStringLiteral("MS") };
    QCommandLineOption m_frameTimeout { QStringLiteral("frame-timeout"),
        QStringLiteral("Milliseconds of silence that end an incomplete frame (default 500)."),
        QStringLiteral("MS") };
    QCommandLineOption m_out { QStringLiteral("out"),
        QStringLiteral("Append printer N's data to DIR/printerN.bin."), QStringLiteral("DIR") };
    QCommandLineOption m_link { QStringLiteral("link"),
        QStringLiteral("Keep a symbolic link to the pty at PATH while running."), QStringLiteral("PATH") };
    QCommandLineOption m_replugAfter { QStringLiteral("replug-after"),
        QStringLiteral("Vanish like an unplugged USB adapter MS after the start, and MS after each return "
                       "(default: never). The link comes back at its path; the module keeps its settings."),
        QStringLiteral("MS") };
    QCommandLineOption m_replugs { QStringLiteral("replugs"),
        QStringLiteral("How many times --replug-after vanishes (default 1)."), QStringLiteral("N") };
    QCommandLineOption m_away { QStringLiteral("away"),
        QStringLiteral("Milliseconds each vanishing lasts, also one asked for by SIGUSR1 (default 1000)."),
        QStringLiteral("MS") };
    QCommandLineOption m_stream { QStringLiteral("stream"),
        QStringLiteral("Send FILE's bytes to the PC as fast as the pty takes them, pausing while unplugged; "
                       "a vanishing first waits until the PC has read all sent so far."),
        QStringLiteral("FILE") };
    QCommandLineOption m_quiet { QStringLiteral("quiet"), QStringLiteral("Log nothing but the pty's path.") };

    HostOptions m_options;
    QString m_error;
};
