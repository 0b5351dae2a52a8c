#pragma once

#include <QByteArray>
#include <QStringView>

#include <vector>

// Text to code page 936 (GBK) bytes, one character at a time: a character of
// the code page gives its one or two bytes, every other character exactly one
// "?" (63). The send notation and the viewer's text notation both encode
// through here.
//
// The converter (CodePage936) is asked one character at a time, and a
// character it cannot give bytes for becomes "?": a converter asked for a
// whole text writes nothing at all for unencodable "default-ignorable"
// characters (zero-width space, byte-order mark, soft hyphen and thousands
// more, all common in pasted text), and a stateless one still holds back a
// high surrogate that ends its input. Each BMP character's bytes are
// asked once and remembered, since one converter call costs microseconds and
// texts run to megabytes; ASCII, which the code page keeps as it is, and
// remembered characters are written straight into the output. Like
// everything here it is used from one thread.
class GbkEncoder
{
public:
    static void append(QStringView text, QByteArray &bytes);

private:
    GbkEncoder();
    static GbkEncoder &instance();

    // Encodes the character that starts rest through the converter and
    // returns how many UTF-16 units it took.
    qsizetype appendAsked(QStringView rest, QByteArray &bytes);
    void appendCharacter(QStringView character, QByteArray &bytes);
    void remember(char16_t c, QByteArrayView encoded);

    // m_known: 0 = not asked yet (and always for surrogates); else Known, the
    // byte count in bits 16-17 and the bytes in bits 0-15.
    static constexpr quint32 Known = 1u << 24;

    std::vector<quint32> m_known;
};
