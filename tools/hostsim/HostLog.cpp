#include "hostsim/HostLog.h"

#include "hostsim/HostSimulator.h"
#include "protocol/ControlFrame.h"

#include <QIODevice>
#include <QStringList>
#include <QTime>

HostLog::HostLog(QIODevice &out, QIODevice &err, QObject *parent)
    : QObject(parent)
    , m_out(out)
    , m_err(err)
{
    m_batchTimer.setSingleShot(true);
    m_batchTimer.setInterval(dataBatchMs);
    connect(&m_batchTimer, &QTimer::timeout, this, &HostLog::flushData);
}

HostLog::~HostLog()
{
    flushData();
}

void HostLog::watch(HostSimulator &simulator)
{
    HostModule &module = simulator.module();
    connect(&module, &HostModule::frameExecuted, this,
        [this, &module](int code, const QByteArray &arguments, const QByteArray &reply) {
            writeLine(frameLine(code, arguments, reply));
            if (code == ControlFrame::SetSlaveChannelAndAddress || code == ControlFrame::SetHostChannel)
                writeLine(kitLine(module));
        });
    connect(&module, &HostModule::frameDropped, this, [this](int code, const QByteArray &soFar) {
        writeLine(frameText(code, soFar) + QStringLiteral(" incomplete, dropped"));
    });
    connect(&module, &HostModule::unknownCode, this, [this](int code) {
        writeLine(QStringLiteral("unknown code %1 after the preamble: the preamble is print data")
                      .arg(hex(QByteArray(1, char(code)))));
    });
    connect(&module, &HostModule::delivered, this, &HostLog::takeData);
    connect(&module, &HostModule::undelivered, this, [this](const QByteArray &data) { takeData(0, data); });
    connect(&simulator, &HostSimulator::lineSpeedChanged, this,
        [this](int bitsPerSecond) { writeLine(QStringLiteral("line speed %1 bit/s").arg(bitsPerSecond)); });
    connect(&simulator, &HostSimulator::streamEnded, this,
        [this](qint64 bytes) { writeTimedLine(QStringLiteral("stream: all %1 bytes sent").arg(bytes)); });
    connect(&simulator, &HostSimulator::unplugged, this, [this, &simulator](int awayMs, int unreadBytes) {
        QString line = QStringLiteral("unplugged for %1 ms").arg(awayMs);
        if (simulator.streamSent() >= 0)
            line += QStringLiteral(", the stream at byte %1").arg(simulator.streamSent());
        if (unreadBytes > 0)
            line += QStringLiteral(", %1 bytes still unread").arg(unreadBytes);
        writeTimedLine(line);
    });
    connect(&simulator, &HostSimulator::pluggedBack, this, [this, &simulator](const QString &slavePath) {
        const QString link = simulator.linkPath();
        writeTimedLine(
            QStringLiteral("plugged back: %1")
                .arg(link.isEmpty() ? slavePath : QStringLiteral("%1 -> %2").arg(link, slavePath)));
    });
    connect(&simulator, &HostSimulator::problem, this,
        [this](const QString &text) { m_err.write(text.toLocal8Bit() + '\n'); });
}

QString HostLog::hex(QByteArrayView bytes)
{
    return QString::fromLatin1(bytes.toByteArray().toHex(' ').toUpper());
}

QString HostLog::frameLine(int code, QByteArrayView arguments, QByteArrayView reply)
{
    return frameText(code, arguments)
        + (reply.isEmpty() ? QStringLiteral(" -> no reply") : QStringLiteral(" -> reply ") + hex(reply));
}

QString HostLog::kitLine(const HostModule &module)
{
    QStringList printers;
    const QList<SlaveModule> &slaves = module.slaves();
    for (qsizetype i = 0; i < slaves.size(); ++i) {
        const SlaveModule &slave = slaves.at(i);
        printers.append(QStringLiteral("printer %1 %2 %3")
                            .arg(i + 1)
                            .arg(slave.channel)
                            .arg(slave.online ? QStringLiteral("on") : QStringLiteral("off")));
    }
    return QStringLiteral("kit: host %1; %2")
        .arg(module.hostChannel())
        .arg(printers.join(QStringLiteral(", ")));
}

QString HostLog::frameText(int code, QByteArrayView arguments)
{
    if (arguments.isEmpty())
        return QStringLiteral("frame %1").arg(code);
    QStringList numbers;
    for (char argument : arguments)
        numbers.append(QString::number(quint8(argument)));
    return QStringLiteral("frame %1 [%2]").arg(code).arg(numbers.join(QLatin1Char(' ')));
}

void HostLog::takeData(int printer, const QByteArray &data)
{
    m_data[printer].append(data);
    if (!m_batchTimer.isActive())
        m_batchTimer.start();
}

void HostLog::flushData()
{
    m_batchTimer.stop();
    for (const auto &[printer, data] : std::exchange(m_data, {})) {
        const QString who
            = printer == 0 ? QStringLiteral("undelivered") : QStringLiteral("printer %1").arg(printer);
        m_out.write((who + QStringLiteral(": ") + hex(data)).toLatin1() + '\n');
    }
}

void HostLog::writeLine(const QString &line)
{
    flushData();
    m_out.write(line.toLatin1() + '\n');
}

void HostLog::writeTimedLine(const QString &line)
{
    writeLine(QTime::currentTime().toString(QStringLiteral("HH:mm:ss.zzz ")) + line);
}
