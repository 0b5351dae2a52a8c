#pragma once

#include <QString>

class Transmitter;
class UserChannels;

// Holds the notation in force and turns print-test text into a transmission:
// all or nothing, with the first notation error shown in the tip box.
class SendTextParser
{
public:
    SendTextParser(Transmitter &transmitter, UserChannels &channels);

    void ParseSendText(const QString &text);

    // 0 decimal, 1 hexadecimal, 2 ASCII, 3 text; outlives each parse.
    qint16 DataMode = 0;

private:
    Transmitter &m_transmitter;
    UserChannels &m_channels;
};
