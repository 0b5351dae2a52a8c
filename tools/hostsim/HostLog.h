#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QObject>
#include <QString>
#include <QTimer>

#include <map>

class HostModule;
class HostSimulator;
class QIODevice;

// Writes what the simulated module does, one line per event:
//
//     frame 13 [4] -> reply 01          arguments in decimal, reply in hex
//     frame 16 -> no reply
//     kit: host 20; printer 1 20 on, ...   after each frame 11 and 12
//     printer 3: 41 42                  print data delivered, in hex
//     undelivered: 41 42                print data no printer took
//     frame 11 [8 1] incomplete, dropped
//     unknown code 2A after the preamble: the preamble is print data
//     line speed 9600 bit/s
//     16:50:45.123 unplugged for 1000 ms
//     16:50:45.123 unplugged for 100 ms, the stream at byte 1048576   with --stream
//     16:50:46.125 plugged back: /tmp/COM3 -> /dev/pts/7
//
// A replug's lines carry the time of day, so that a test or a person can
// line them up with what the program saw.
// The program sends one byte at a time, so print data arrives in many small
// reads; a printer's data is gathered for dataBatchMs into one line, and
// written out before the next frame line so the log keeps the stream's order.
// Problems go to the error device.
class HostLog : public QObject
{
    Q_OBJECT

public:
    static constexpr int dataBatchMs = 50;

    HostLog(QIODevice &out, QIODevice &err, QObject *parent = nullptr);
    ~HostLog() override;

    void watch(HostSimulator &simulator);

    static QString hex(QByteArrayView bytes);
    static QString frameLine(int code, QByteArrayView arguments, QByteArrayView reply);
    // Where the host and each printer are, and whether each is on line.
    static QString kitLine(const HostModule &module);

private:
    static QString frameText(int code, QByteArrayView arguments);
    // Printer 0 collects the undelivered data.
    void takeData(int printer, const QByteArray &data);
    void flushData();
    void writeLine(const QString &line);
    void writeTimedLine(const QString &line);

    QIODevice &m_out;
    QIODevice &m_err;
    QTimer m_batchTimer;
    std::map<int, QByteArray> m_data;
};
