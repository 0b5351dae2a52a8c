#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QString>

#include <bitset>
#include <vector>

// Code page 936 as the viewer's text notation needs it: received bytes shown
// as characters must come back as the same bytes when the text is converted
// to decimal or hexadecimal again. A byte that code page 936 cannot show on
// its own (a lead byte 0x81-0xFE without its trail byte) is kept as one
// private-use character U+F700 + byte that stands for exactly that byte; the
// view draws it as U+FFFD. GBK itself never produces those characters.
//
// Conversions run over megabytes, while one call into the converter costs
// microseconds, so each byte pair's character is asked of the converter once
// and remembered (GbkEncoder does the same for each character's bytes).
class GbkCodec
{
public:
    // The character for a byte that stands alone.
    static QChar singleByteChar(uchar byte) { return instance().single(byte); }
    // The two-byte character lead x 256 + trail, or both bytes as single-byte
    // characters when the pair is no character of the code page.
    static void appendPair(QString &text, uchar lead, uchar trail);
    // The two-byte character lead x 256 + trail, or a null character when the
    // pair is no character of the code page.
    static QChar pairChar(uchar lead, uchar trail)
    {
        const QChar ch = instance().pair(lead, trail);
        return ch.unicode() == NoPair ? QChar() : ch;
    }
    // Whether lead x 256 + trail is a character of the code page. Every
    // received byte pair is counted through here, so the answer is kept in a
    // bit set small enough to stay in the cache.
    static bool isPair(uchar lead, uchar trail)
    {
        GbkCodec &codec = instance();
        const int pair = lead << 8 | trail;
        if (!codec.m_asked[pair])
            codec.decodePair(lead, trail);
        return codec.m_characters[pair];
    }
    // The bytes of text in code page 936, as the send notation encodes them
    // (every character outside the code page one "?"), lone-byte characters
    // their byte.
    static QByteArray encode(QStringView text);
    // Asks the converter for the pairs not asked yet, until the deadline;
    // true once every pair is known. Random bytes ask for thousands of pairs
    // in their first megabyte, so a view asks ahead of them.
    static bool learnPairs(QDeadlineTimer deadline);

    static bool isLoneByte(QChar ch) { return (ch.unicode() & 0xFF00) == LoneByteBase; }

private:
    GbkCodec();
    // Inline, as the text of megabytes is read through it a character at a
    // time.
    static GbkCodec &instance()
    {
        static GbkCodec codec;
        return codec;
    }

    QChar single(uchar byte) const { return QChar(m_singles[byte]); }
    QChar pair(uchar lead, uchar trail)
    {
        const char16_t known = m_pairs[lead << 8 | trail];
        return QChar(known != 0 ? known : decodePair(lead, trail));
    }
    char16_t decodePair(uchar lead, uchar trail);
    bool roundTrips(QStringView text, QByteArrayView bytes);

    static constexpr char16_t LoneByteBase = 0xF700;
    // m_singles is filled at once; m_pairs: 0 = not asked yet, NoPair = the bytes are no character.
    static constexpr char16_t NoPair = 0xFFFF;
    // Only 0x81-0xFE lead a pair.
    static constexpr int firstPair = 0x8100;
    static constexpr int pastLastPair = 0xFF00;

    std::vector<char16_t> m_singles;
    std::vector<char16_t> m_pairs;
    std::bitset<0x10000> m_asked;
    std::bitset<0x10000> m_characters;
    // learnPairs() has asked for every pair before this one.
    int m_learnt = firstPair;
};
