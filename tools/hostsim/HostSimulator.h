#pragma once

#include "hostsim/BurstDelivery.h"
#include "hostsim/HostModule.h"
#include "hostsim/HostOptions.h"
#include "hostsim/PrinterFiles.h"
#include "hostsim/PtyEndpoint.h"
#include "hostsim/SlaveLink.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

// A simulated host radio module at the far end of a pty: what the program
// writes to slavePath() reaches the HostModule, its replies come back on the
// line, and print data lands in printed() and, with an output folder, in
// printerN.bin. Runs on the caller's event loop, so tests and the program can
// share one thread with it:
//
//     HostSimulator simulator(options);
//     if (!simulator.start(&error)) ...
//     qputenv("VELTRIN_COM3", simulator.slavePath().toLocal8Bit());
class HostSimulator : public QObject
{
    Q_OBJECT

public:
    explicit HostSimulator(const HostOptions &options = {}, QObject *parent = nullptr);

    bool start(QString *error);

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
    // Something went wrong that the simulated module cannot show on the line.
    void problem(const QString &text);

private:
    void deliver(int printer, const QByteArray &data);
    void switchLineSpeed(int baudIndex);

    HostOptions m_options;
    HostModule m_module;
    PtyEndpoint m_pty;
    BurstDelivery m_toModule;
    PrinterFiles m_files;
    SlaveLink m_link;
    QList<QByteArray> m_printed;
};
