#include "hostsim/HostCommandLine.h"

#include "hostsim/HostModule.h"

#include <optional>

namespace {

std::optional<int> number(const QString &text, int low, int high)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < low || value > high)
        return std::nullopt;
    return value;
}

} // namespace

HostCommandLine::HostCommandLine()
    : m_help(m_parser.addHelpOption())
{
    m_parser.setApplicationDescription(
        QStringLiteral("Simulated host radio module on a pseudo-terminal. Prints the pty's path, then logs "
                       "every frame, reply and print-data delivery."));
    m_parser.addOptions({ m_channel, m_slave, m_busy, m_ignoreReaddress, m_dropAfterReaddress, m_latency,
        m_chunkDelay, m_searchTime, m_frameTimeout, m_out, m_link, m_replugAfter, m_replugs, m_away, m_stream,
        m_quiet });
}

bool HostCommandLine::parse(const QStringList &arguments)
{
    if (!m_parser.parse(arguments))
        return reject(m_parser.errorText());
    if (!m_parser.positionalArguments().isEmpty())
        return reject(
            QStringLiteral("unexpected argument %1").arg(m_parser.positionalArguments().constFirst()));

    if (!readNumber(m_channel, 0, HostModule::lastChannel, &m_options.hostChannel)
        || !readNumber(m_latency, 0, 60000, &m_options.latencyMs)
        || !readNumber(m_chunkDelay, 0, 60000, &m_options.chunkDelayMs)
        || !readNumber(m_searchTime, 0, 5000, &m_options.searchTimeMs)
        || !readNumber(m_frameTimeout, 1, 60000, &m_options.frameTimeoutMs)
        || !readNumber(m_replugAfter, 1, 3600000, &m_options.replugAfterMs)
        || !readNumber(m_replugs, 1, 100000, &m_options.replugs)
        || !readNumber(m_away, 1, 3600000, &m_options.awayMs))
        return false;
    if (m_parser.isSet(m_replugs) && !m_parser.isSet(m_replugAfter))
        return reject(QStringLiteral("--replugs needs --replug-after"));
    m_options.slaves = HostOptions::defaultSlaves(m_options.hostChannel);
    for (const QString &slave : m_parser.values(m_slave)) {
        if (!readSlave(slave))
            return false;
    }
    for (const QString &list : m_parser.values(m_busy)) {
        if (!readBusy(list))
            return false;
    }
    if (!readPrinters(m_ignoreReaddress, &m_options.ignoringReaddress)
        || !readPrinters(m_dropAfterReaddress, &m_options.droppingAfterReaddress))
        return false;
    m_options.outDir = m_parser.value(m_out);
    m_options.linkPath = m_parser.value(m_link);
    m_options.streamFile = m_parser.value(m_stream);
    m_options.quiet = m_parser.isSet(m_quiet);
    return true;
}

bool HostCommandLine::readNumber(const QCommandLineOption &option, int low, int high, int *value)
{
    if (!m_parser.isSet(option))
        return true;
    const std::optional<int> read = number(m_parser.value(option), low, high);
    if (!read)
        return reject(QStringLiteral("--%1 takes a number from %2 to %3, not \"%4\"")
                          .arg(option.names().constFirst())
                          .arg(low)
                          .arg(high)
                          .arg(m_parser.value(option)));
    *value = *read;
    return true;
}

bool HostCommandLine::readSlave(const QString &text)
{
    static const QList<int> addresses { 1, 2, 4, 8 };
    static const QStringList states { QStringLiteral("off"), QStringLiteral("on") };
    const QStringList parts = text.split(QLatin1Char(':'));
    const std::optional<int> address = parts.size() == 3 ? number(parts.at(0), 1, 8) : std::nullopt;
    const qsizetype printer = address ? addresses.indexOf(*address) : -1;
    const std::optional<int> channel
        = parts.size() == 3 ? number(parts.at(1), 0, HostModule::lastChannel) : std::nullopt;
    const qsizetype state = parts.size() == 3 ? states.indexOf(parts.at(2)) : -1;
    if (printer < 0 || !channel || state < 0)
        return reject(
            QStringLiteral("--slave takes ADDR:CHANNEL:on|off with ADDR 1, 2, 4 or 8 and CHANNEL 0-124, "
                           "not \"%1\"")
                .arg(text));
    SlaveModule &slave = m_options.slaves[printer];
    slave.channel = *channel;
    slave.online = state == 1;
    return true;
}

bool HostCommandLine::readBusy(const QString &text)
{
    for (const QString &item : text.split(QLatin1Char(','))) {
        const std::optional<int> channel = number(item.trimmed(), 0, HostModule::lastChannel);
        if (!channel)
            return reject(
                QStringLiteral("--busy takes channels 0-124 separated by commas, not \"%1\"").arg(text));
        m_options.busyChannels.insert(*channel);
    }
    return true;
}

bool HostCommandLine::readPrinters(const QCommandLineOption &option, QSet<int> *printers)
{
    static const QList<int> addresses { 1, 2, 4, 8 };
    for (const QString &text : m_parser.values(option)) {
        const std::optional<int> address = number(text, 1, 8);
        const qsizetype printer = address ? addresses.indexOf(*address) : -1;
        if (printer < 0)
            return reject(QStringLiteral("--%1 takes an address 1, 2, 4 or 8, not \"%2\"")
                              .arg(option.names().constFirst(), text));
        printers->insert(int(printer) + 1);
    }
    return true;
}

bool HostCommandLine::reject(const QString &error)
{
    m_error = error;
    return false;
}
