#pragma once

#include "hostsim/FrameScanner.h"
#include "hostsim/HostOptions.h"
#include "hostsim/SlaveModule.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QSet>
#include <QTimer>

#include <map>

// The host radio module's behaviour, apart from any device: fed the bytes the
// PC sends, it executes control frames against its state (host channel and
// baud index, the four printer modules, the selected printer set, the busy
// channels), answers after the configured latency through replyReady(), and
// routes print data to the printers through delivered().
//
// Replies are raw bytes. A channel search answers one byte per free channel,
// spread evenly over the search time, the first after the latency like any
// other reply; replies to frames that come meanwhile are not held up by it.
class HostModule : public QObject
{
    Q_OBJECT

public:
    static constexpr int lastChannel = 124;
    static constexpr int lastBaudIndex = 3;

    // 0 = 9600, 1 = 19200, 2 = 38400, 3 = 115200 bit/s.
    static int bitRate(int baudIndex);

    explicit HostModule(const HostOptions &options, QObject *parent = nullptr);

    void feed(QByteArrayView bytes);

    int hostChannel() const { return m_hostChannel; }
    int hostBaudIndex() const { return m_hostBaudIndex; }
    // Bit n-1 selects printer n; none is selected until a select frame comes.
    int selectedPrinters() const { return m_selectedPrinters; }
    // Index i is printer i + 1.
    const QList<SlaveModule> &slaves() const { return m_slaves; }
    const QSet<int> &busyChannels() const { return m_busyChannels; }
    // The hard cases a test scripts: printer (1-4) ignores re-addresses, or
    // drops off line after taking one.
    bool ignoresReaddress(int printer) const { return m_ignoringReaddress.contains(printer); }
    bool dropsAfterReaddress(int printer) const { return m_droppingAfterReaddress.contains(printer); }
    // Whether print data sent now reaches printer (1-4).
    bool isReceiving(int printer) const;
    // Channels from first to last (either order, clipped to 0-124) used by no
    // printer module and not busy, in ascending order.
    QList<int> freeChannels(int first, int last) const;
    // Whether bytes are held back waiting for the rest of a frame.
    bool isHoldingFrame() const { return m_scanner.isHolding(); }

Q_SIGNALS:
    // Bytes to put on the line now.
    void replyReady(const QByteArray &bytes);
    // A frame was executed; reply holds every byte it will answer (empty: none).
    void frameExecuted(int code, const QByteArray &arguments, const QByteArray &reply);
    // A frame's code arrived but its arguments did not before the line paused.
    void frameDropped(int code, const QByteArray &argumentsSoFar);
    // The preamble was followed by a byte that is no command code.
    void unknownCode(int code);
    // Print data for printer (1-4), in stream order.
    void delivered(int printer, const QByteArray &data);
    // Print data that no printer takes (none selected, off line or on
    // another channel).
    void undelivered(const QByteArray &data);
    // The host switched its line speed, after its reply to the frame went out.
    void hostBaudIndexChanged(int baudIndex);

private:
    struct Reply {
        QByteArray bytes;
        int spreadOverMs = 0;
        int baudIndexAfter = -1;
    };
    struct Pending {
        char byte;
        int baudIndexAfter;
    };

    void takeData(QByteArrayView data);
    void takeFrame(int code, QByteArrayView arguments);
    void takeTruncated(int code, QByteArrayView argumentsSoFar);
    void flushData();
    void linePaused();

    Reply execute(int code, QByteArrayView arguments);
    Reply setSlaveChannelAndAddress(int address, int newAddress, int channel, int newChannel);
    Reply setHostChannel(int channel);
    Reply selectPrinters(int printerSet);
    Reply searchFreeChannels(int first, int last) const;
    Reply slaveStatus(int address) const;
    Reply setSlaveBaudRate(int address, int baudIndex);
    Reply setHostBaudRate(int baudIndex);

    void schedule(const Reply &reply);
    void sendDueReplies();
    void armReplyTimer();

    int m_hostChannel;
    int m_hostBaudIndex;
    int m_selectedPrinters = 0;
    QList<SlaveModule> m_slaves;
    QSet<int> m_busyChannels;
    QSet<int> m_ignoringReaddress;
    QSet<int> m_droppingAfterReaddress;
    int m_latencyMs;
    int m_searchTimeMs;

    FrameScanner m_scanner;
    QTimer m_pauseTimer;
    QList<QByteArray> m_printerData;
    QByteArray m_undeliveredData;

    QElapsedTimer m_clock;
    QTimer m_replyTimer;
    std::multimap<qint64, Pending> m_pending;
};
