#include "hostsim/HostSimulator.h"

HostSimulator::HostSimulator(const HostOptions &options, QObject *parent)
    : QObject(parent)
    , m_options(options)
    , m_module(options)
    , m_toModule(options.chunkDelayMs)
    , m_printed(options.slaves.size())
    , m_replugsLeft(options.replugs)
{
    m_awayTimer.setSingleShot(true);
    connect(&m_awayTimer, &QTimer::timeout, this, &HostSimulator::plugBack);
    m_replugTimer.setSingleShot(true);
    connect(&m_replugTimer, &QTimer::timeout, this, [this] {
        if (unplugFor(m_options.awayMs))
            --m_replugsLeft;
    });
    connect(&m_pty, &PtyEndpoint::received, &m_toModule, &BurstDelivery::take);
    connect(&m_toModule, &BurstDelivery::delivered, &m_module, &HostModule::feed);
    connect(&m_pty, &PtyEndpoint::failed, this, &HostSimulator::problem);
    connect(&m_module, &HostModule::replyReady, &m_pty, &PtyEndpoint::write);
    connect(&m_module, &HostModule::delivered, this, &HostSimulator::deliver);
    connect(&m_module, &HostModule::hostBaudIndexChanged, this, &HostSimulator::switchLineSpeed);
    connect(&m_stream, &StreamFeed::finished, this, &HostSimulator::streamEnded);
    m_drainTimer.setInterval(DrainPollMs);
    connect(&m_drainTimer, &QTimer::timeout, this, &HostSimulator::vanishOnceRead);
}

bool HostSimulator::start(QString *error)
{
    if (!m_pty.open(HostModule::bitRate(m_module.hostBaudIndex()), error))
        return false;
    if (!m_options.outDir.isEmpty() && !m_files.open(m_options.outDir, error))
        return false;
    if (!m_options.linkPath.isEmpty() && !m_link.create(m_options.linkPath, m_pty.slavePath(), error))
        return false;
    if (!m_options.streamFile.isEmpty() && !m_stream.open(m_options.streamFile, error))
        return false;
    planReplug();
    return true;
}

bool HostSimulator::unplugFor(int awayMs)
{
    if (!isPluggedIn() || m_drainTimer.isActive())
        return false;
    if (!m_stream.isActive()) {
        vanish(awayMs, 0);
        return true;
    }
    m_stream.pause();
    m_drainAwayMs = awayMs;
    m_drainQuietPolls = 0;
    m_drainLimit.setRemainingTime(DrainLimitMs);
    m_drainTimer.start();
    return true;
}

// The count of unread bytes leaves out what the kernel still holds on its
// way to the reader: the PC has read everything only once the count stays
// at 0 for several polls in a row.
void HostSimulator::vanishOnceRead()
{
    const bool read = m_pty.pendingBytes() == 0 && m_pty.unreadByPeer() == 0;
    m_drainQuietPolls = read ? m_drainQuietPolls + 1 : 0;
    if (m_drainQuietPolls < DrainQuietPolls && !m_drainLimit.hasExpired())
        return;
    m_drainTimer.stop();
    vanish(m_drainAwayMs, read ? 0 : int(m_pty.pendingBytes()) + m_pty.unreadByPeer());
}

void HostSimulator::vanish(int awayMs, int unreadBytes)
{
    m_pty.close();
    m_link.remove();
    m_awayTimer.start(awayMs);
    Q_EMIT unplugged(awayMs, unreadBytes);
}

void HostSimulator::plugBack()
{
    QString error;
    if (!m_pty.open(HostModule::bitRate(m_module.hostBaudIndex()), &error)
        || (!m_options.linkPath.isEmpty() && !m_link.create(m_options.linkPath, m_pty.slavePath(), &error))) {
        Q_EMIT problem(error);
        return;
    }
    Q_EMIT pluggedBack(m_pty.slavePath());
    m_stream.resume();
    planReplug();
}

// A replug asked for by signal meanwhile puts the next planned one off: the
// plan counts from each return.
void HostSimulator::planReplug()
{
    if (m_options.replugAfterMs > 0 && m_replugsLeft > 0)
        m_replugTimer.start(m_options.replugAfterMs);
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
    // Bytes held back for the module can still reach it while it is away;
    // the pty made at its return takes the module's speed.
    if (!isPluggedIn())
        return;
    QString error;
    if (m_pty.setLineSpeed(HostModule::bitRate(baudIndex), &error))
        Q_EMIT lineSpeedChanged(m_pty.lineSpeed());
    else
        Q_EMIT problem(error);
}
