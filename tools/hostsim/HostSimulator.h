#pragma once

#include "hostsim/BurstDelivery.h"
#include "hostsim/HostModule.h"
#include "hostsim/HostOptions.h"
#include "hostsim/PrinterFiles.h"
#include "hostsim/PtyEndpoint.h"
#include "hostsim/SlaveLink.h"
#include "hostsim/StreamFeed.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

// A simulated host radio module at the far end of a pty: what the program
// writes to slavePath() reaches the HostModule, its replies come back on the
// line, and print data lands in printed() and, with an output folder, in
// printerN.bin. Runs on the caller's event loop, so tests and the program can
// share one thread with it:
//
//     HostSimulator simulator(options);
//     if (!simulator.start(&error)) ...
//     qputenv("VELTRIN_COM3", simulator.slavePath().toLocal8Bit());
//
// It can also vanish as an unplugged USB adapter does, and come back: the pty
// goes (the program's open descriptor meets a hang-up) with its link, and on
// return a fresh pty takes the link's path again. The module keeps its
// settings across it, as the kit's modules keep theirs when only the cable
// to the PC comes and goes; what was on the wire is lost.
class HostSimulator : public QObject
{
    Q_OBJECT

public:
    static constexpr int DrainPollMs = 5;
    static constexpr int DrainQuietPolls = 10;
    static constexpr int DrainLimitMs = 5000;

    explicit HostSimulator(const HostOptions &options = {}, QObject *parent = nullptr);

    // Also starts the replugs the options plan.
    bool start(QString *error);

    // Vanishes for awayMs, then returns. False while already away. With a
    // stream running, the stream pauses first and the pty goes once the PC
    // has read everything sent (or after DrainLimitMs).
    bool unplugFor(int awayMs);
    bool isPluggedIn() const { return m_pty.isOpen(); }
    // How far the --stream file had gone, -1 without one.
    qint64 streamSent() const { return m_options.streamFile.isEmpty() ? -1 : m_stream.sent(); }

    QString slavePath() const { return m_pty.slavePath(); }
    // The symbolic link to the pty, empty without one.
    QString linkPath() const { return m_link.path(); }
    HostModule &module() { return m_module; }
    const HostModule &module() const { return m_module; }

    // Everything printer (1-4) has received since start().
    QByteArray printed(int printer) const { return m_printed.value(printer - 1); }
    // The file printer's data is appended to, empty without an output folder.
    QString printerFile(int printer) const;
    // The speed set on the pty, in bit/s.
    int lineSpeed() const { return m_pty.lineSpeed(); }

Q_SIGNALS:
    void lineSpeedChanged(int bitsPerSecond);
    // unreadBytes: what the PC had not read when the drain's limit ran out
    // (lost on the wire, as a real adapter pulled out loses it); 0 otherwise.
    void unplugged(int awayMs, int unreadBytes);
    // The whole --stream file has been sent.
    void streamEnded(qint64 bytes);
    // Back on a fresh pty, at slavePath and at the link.
    void pluggedBack(const QString &slavePath);
    // Something went wrong that the simulated module cannot show on the line.
    void problem(const QString &text);

private:
    void deliver(int printer, const QByteArray &data);
    void switchLineSpeed(int baudIndex);
    void plugBack();
    void planReplug();
    void vanish(int awayMs, int unreadBytes);
    void vanishOnceRead();

    HostOptions m_options;
    HostModule m_module;
    PtyEndpoint m_pty;
    BurstDelivery m_toModule;
    PrinterFiles m_files;
    SlaveLink m_link;
    QList<QByteArray> m_printed;
    QTimer m_awayTimer;
    QTimer m_replugTimer;
    StreamFeed m_stream { m_pty };
    // Before a vanishing with a stream running: polls until the PC has read it all.
    QTimer m_drainTimer;
    QDeadlineTimer m_drainLimit;
    int m_drainAwayMs = 0;
    int m_drainQuietPolls = 0;
    int m_replugsLeft;
};
