#pragma once

#include <QByteArray>
#include <QString>

// The send-data notation: blank-separated tokens in decimal, hexadecimal,
// ASCII characters and control mnemonics, or text words, switched by the
// directives #TEN #HEX #ASC #TXT (and their lower-case forms), with "//"
// comment tokens. Pure conversion; showing errors and sending bytes is the
// caller's business.
class SendNotation
{
public:
    enum Mode : qint16 { Decimal = 0, Hexadecimal = 1, Ascii = 2, Text = 3 };

    struct Result {
        QByteArray bytes;
        QString error; // empty on success
        bool ok() const { return error.isEmpty(); }
    };

    // Converts text starting in dataMode. dataMode is left at the value set
    // by the last directive met before the end or the error.
    static Result parse(const QString &text, qint16 &dataMode);
};
