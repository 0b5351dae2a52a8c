#pragma once

#include <QList>
#include <QString>

#include <optional>

class SendTextParser;
class Transmitter;
class UserChannels;

// A print-test send without its panel, for every front end that sends print
// data: the select-printers frame naming the printers, then the text in the
// send notation. The frame goes out even when the text then fails to
// convert, and the data follows it at once.
class PrintTestSender
{
public:
    PrintTestSender(Transmitter &transmitter, SendTextParser &parser, UserChannels &channels);

    // The printer set for the ticked printers (bit n-1 for printer n): 128,
    // which names none of the slave addresses, when none is ticked.
    static quint8 printerSet(int tickedBits);
    // The same for printers numbered 1-4.
    static quint8 printerSetOf(const QList<int> &printers);

    // Refuses an empty text with the tip "发送数据不能为空！" (nullopt).
    // Otherwise the text to convert: line breaks (CR LF) become blanks
    // unless dataMode, the notation in force, is text.
    static std::optional<QString> preparedText(const QString &text, qint16 dataMode, UserChannels &channels);

    // Clears a stop request left from before; then preparedText() in the
    // parser's notation.
    std::optional<QString> prepare(const QString &text);

    // The select-printers frame, then the prepared text.
    void transmit(const QString &prepared, quint8 printerSet);

private:
    Transmitter &m_transmitter;
    SendTextParser &m_parser;
    UserChannels &m_channels;
};
