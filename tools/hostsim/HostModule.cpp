#include "hostsim/HostModule.h"

#include "protocol/ControlFrame.h"

#include <algorithm>

namespace {

bool isPrinterAddress(int value)
{
    return value == 1 || value == 2 || value == 4 || value == 8;
}

QByteArray answer(bool done)
{
    return QByteArray(1, done ? '\x01' : '\x00');
}

} // namespace

int HostModule::bitRate(int baudIndex)
{
    static constexpr int rates[] = { 9600, 19200, 38400, 115200 };
    return baudIndex >= 0 && baudIndex <= lastBaudIndex ? rates[baudIndex] : 0;
}

HostModule::HostModule(const HostOptions &options, QObject *parent)
    : QObject(parent)
    , m_hostChannel(options.hostChannel)
    , m_hostBaudIndex(options.hostBaudIndex)
    , m_slaves(options.slaves)
    , m_busyChannels(options.busyChannels)
    , m_ignoringReaddress(options.ignoringReaddress)
    , m_droppingAfterReaddress(options.droppingAfterReaddress)
    , m_latencyMs(options.latencyMs)
    , m_searchTimeMs(options.searchTimeMs)
    , m_scanner({
          [this](QByteArrayView data) { takeData(data); },
          [this](int code, QByteArrayView arguments) { takeFrame(code, arguments); },
          [this](int code) { Q_EMIT unknownCode(code); },
          [this](int code, QByteArrayView soFar) { takeTruncated(code, soFar); },
      })
    , m_printerData(m_slaves.size())
{
    m_pauseTimer.setSingleShot(true);
    m_pauseTimer.setInterval(options.frameTimeoutMs);
    connect(&m_pauseTimer, &QTimer::timeout, this, &HostModule::linePaused);

    m_clock.start();
    m_replyTimer.setSingleShot(true);
    m_replyTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_replyTimer, &QTimer::timeout, this, &HostModule::sendDueReplies);
}

void HostModule::feed(QByteArrayView bytes)
{
    m_scanner.feed(bytes);
    flushData();
    if (m_scanner.isHolding())
        m_pauseTimer.start();
    else
        m_pauseTimer.stop();
}

bool HostModule::isReceiving(int printer) const
{
    const SlaveModule &slave = m_slaves.at(printer - 1);
    return (slave.address & m_selectedPrinters) != 0 && slave.online && slave.channel == m_hostChannel;
}

QList<int> HostModule::freeChannels(int first, int last) const
{
    QSet<int> used = m_busyChannels;
    for (const SlaveModule &slave : m_slaves)
        used.insert(slave.channel);
    QList<int> channels;
    for (int channel = std::min(first, last); channel <= std::min(std::max(first, last), lastChannel);
         ++channel) {
        if (!used.contains(channel))
            channels.append(channel);
    }
    return channels;
}

void HostModule::takeData(QByteArrayView data)
{
    bool taken = false;
    for (int printer = 1; printer <= m_slaves.size(); ++printer) {
        if (isReceiving(printer)) {
            m_printerData[printer - 1].append(data);
            taken = true;
        }
    }
    if (!taken)
        m_undeliveredData.append(data);
}

void HostModule::takeFrame(int code, QByteArrayView arguments)
{
    // Data before the frame went out under the state before it.
    flushData();
    const Reply reply = execute(code, arguments);
    Q_EMIT frameExecuted(code, arguments.toByteArray(), reply.bytes);
    schedule(reply);
}

void HostModule::takeTruncated(int code, QByteArrayView argumentsSoFar)
{
    flushData();
    Q_EMIT frameDropped(code, argumentsSoFar.toByteArray());
}

void HostModule::flushData()
{
    for (int printer = 1; printer <= m_printerData.size(); ++printer) {
        QByteArray &data = m_printerData[printer - 1];
        if (!data.isEmpty())
            Q_EMIT delivered(printer, std::exchange(data, {}));
    }
    if (!m_undeliveredData.isEmpty())
        Q_EMIT undelivered(std::exchange(m_undeliveredData, {}));
}

void HostModule::linePaused()
{
    m_scanner.endPause();
    flushData();
}

HostModule::Reply HostModule::execute(int code, QByteArrayView arguments)
{
    const auto n = [arguments](int i) { return int(quint8(arguments.at(i))); };
    switch (code) {
    case ControlFrame::SetSlaveChannelAndAddress:
        return setSlaveChannelAndAddress(n(0), n(1), n(2), n(3));
    case ControlFrame::SetHostChannel:
        return setHostChannel(n(0));
    case ControlFrame::SelectPrinters:
        return selectPrinters(n(0));
    case ControlFrame::SearchFreeChannels:
        return searchFreeChannels(n(0), n(1));
    case ControlFrame::SlaveStatus:
        return slaveStatus(n(0));
    case ControlFrame::SetSlaveBaudRate:
        return setSlaveBaudRate(n(0), n(1));
    case ControlFrame::SetHostBaudRate:
        return setHostBaudRate(n(0));
    case ControlFrame::HostChannel:
        return { QByteArray(1, char(m_hostChannel)) };
    default:
        // Code 16, "configuration done", is taken without an answer.
        return {};
    }
}

// A module answers over the radio only when it is powered (on line) and
// listening on the channel the host calls it on, so re-addressing needs the
// module on line on channel n3. Several modules sharing an address all obey.
// A printer told to ignore re-addresses never acknowledges one; one told to
// drop acknowledges, moves, and goes off line.
HostModule::Reply HostModule::setSlaveChannelAndAddress(
    int address, int newAddress, int channel, int newChannel)
{
    if (!isPrinterAddress(newAddress) || newChannel > lastChannel)
        return { answer(false) };
    bool found = false;
    for (int printer = 1; printer <= m_slaves.size(); ++printer) {
        SlaveModule &slave = m_slaves[printer - 1];
        if (!slave.online || slave.address != address || slave.channel != channel
            || m_ignoringReaddress.contains(printer))
            continue;
        slave.address = newAddress;
        slave.channel = newChannel;
        slave.online = !m_droppingAfterReaddress.contains(printer);
        found = true;
    }
    return { answer(found) };
}

HostModule::Reply HostModule::setHostChannel(int channel)
{
    if (channel > lastChannel)
        return { answer(false) };
    m_hostChannel = channel;
    return { answer(true) };
}

HostModule::Reply HostModule::selectPrinters(int printerSet)
{
    // Any set is taken; bits 4-7 (the print-test panel's printers 5-8, and
    // 128 for "none ticked") select no module here.
    m_selectedPrinters = printerSet;
    return { answer(true) };
}

HostModule::Reply HostModule::searchFreeChannels(int first, int last) const
{
    QByteArray channels;
    for (int channel : freeChannels(first, last))
        channels.append(char(channel));
    return { channels, m_searchTimeMs };
}

HostModule::Reply HostModule::slaveStatus(int address) const
{
    return { answer(std::any_of(m_slaves.cbegin(), m_slaves.cend(), [&](const SlaveModule &slave) {
        return slave.address == address && slave.online && slave.channel == m_hostChannel;
    })) };
}

// Without a channel argument the host can reach a module only on its own.
HostModule::Reply HostModule::setSlaveBaudRate(int address, int baudIndex)
{
    if (baudIndex > lastBaudIndex)
        return { answer(false) };
    bool found = false;
    for (SlaveModule &slave : m_slaves) {
        if (slave.online && slave.address == address && slave.channel == m_hostChannel) {
            slave.baudIndex = baudIndex;
            found = true;
        }
    }
    return { answer(found) };
}

// The answer still goes out at the old speed; the switch follows it.
HostModule::Reply HostModule::setHostBaudRate(int baudIndex)
{
    if (baudIndex > lastBaudIndex)
        return { answer(false) };
    return { answer(true), 0, baudIndex };
}

void HostModule::schedule(const Reply &reply)
{
    const qint64 firstDue = m_clock.elapsed() + m_latencyMs;
    const qsizetype count = reply.bytes.size();
    for (qsizetype i = 0; i < count; ++i) {
        const qint64 offset = count > 1 ? qint64(reply.spreadOverMs) * i / (count - 1) : 0;
        const int baudIndexAfter = i == count - 1 ? reply.baudIndexAfter : -1;
        m_pending.emplace(firstDue + offset, Pending { reply.bytes.at(i), baudIndexAfter });
    }
    armReplyTimer();
}

void HostModule::sendDueReplies()
{
    const qint64 now = m_clock.elapsed();
    QByteArray bytes;
    while (!m_pending.empty() && m_pending.begin()->first <= now) {
        const Pending due = m_pending.begin()->second;
        m_pending.erase(m_pending.begin());
        bytes.append(due.byte);
        if (due.baudIndexAfter >= 0) {
            Q_EMIT replyReady(std::exchange(bytes, {}));
            m_hostBaudIndex = due.baudIndexAfter;
            Q_EMIT hostBaudIndexChanged(m_hostBaudIndex);
        }
    }
    if (!bytes.isEmpty())
        Q_EMIT replyReady(bytes);
    armReplyTimer();
}

void HostModule::armReplyTimer()
{
    if (m_pending.empty()) {
        m_replyTimer.stop();
        return;
    }
    m_replyTimer.start(int(std::max<qint64>(0, m_pending.begin()->first - m_clock.elapsed())));
}
