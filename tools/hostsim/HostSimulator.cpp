#include "hostsim/HostSimulator.h"

HostSimulator::HostSimulator(const HostOptions &options, QObject *parent)
    : QObject(parent)
    , m_options(options)
    , m_module(options)
    , m_toModule(options.chunkDelayMs)
    , m_printed(options.slaves.size())
{
    connect(&m_pty, &PtyEndpoint::received, &m_toModule, &BurstDelivery::take);
    connect(&m_toModule, &BurstDelivery::delivered, &m_module, &HostModule::feed);
    connect(&m_pty, &PtyEndpoint::failed, this, &HostSimulator::problem);
    connect(&m_module, &HostModule::replyReady, &m_pty, &PtyEndpoint::write);
    connect(&m_module, &HostModule::delivered, this, &HostSimulator::deliver);
    connect(&m_module, &HostModule::hostBaudIndexChanged, this, &HostSimulator::switchLineSpeed);
}

bool HostSimulator::start(QString *error)
{
    if (!m_pty.open(HostModule::bitRate(m_module.hostBaudIndex()), error))
        return false;
    if (!m_options.outDir.isEmpty() && !m_files.open(m_options.outDir, error))
        return false;
    return m_options.linkPath.isEmpty() || m_link.create(m_options.linkPath, m_pty.slavePath(), error);
}

QString HostSimulator::printerFile(int printer) const
{
    return m_files.isOpen() ? m_files.pathFor(printer) : QString();
}

void HostSimulator::deliver(int printer, const QByteArray &data)
{
    m_printed[printer - 1].append(data);
    QString error;
    if (m_files.isOpen() && !m_files.append(printer, data, &error))
        Q_EMIT problem(error);
}

void HostSimulator::switchLineSpeed(int baudIndex)
{
    QString error;
    if (m_pty.setLineSpeed(HostModule::bitRate(baudIndex), &error))
        Q_EMIT lineSpeedChanged(m_pty.lineSpeed());
    else
        Q_EMIT problem(error);
}
