#include "viewer/GbkCodec.h"

#include "notation/CodePage936.h"
#include "notation/GbkEncoder.h"

GbkCodec::GbkCodec()
    : m_singles(0x100)
    , m_pairs(0x10000, 0)
{
    for (int byte = 0; byte < 0x100; ++byte) {
        const char raw = char(byte);
        const QString decoded = CodePage936::converter().decode(QByteArrayView(&raw, 1));
        m_singles[byte] = roundTrips(decoded, QByteArrayView(&raw, 1)) ? decoded.at(0).unicode()
                                                                       : char16_t(LoneByteBase + byte);
    }
}

void GbkCodec::appendPair(QString &text, uchar lead, uchar trail)
{
    GbkCodec &codec = instance();
    const QChar ch = codec.pair(lead, trail);
    if (ch.unicode() != NoPair) {
        text.append(ch);
        return;
    }
    text.append(codec.single(lead));
    text.append(codec.single(trail));
}

QByteArray GbkCodec::encode(QStringView text)
{
    QByteArray bytes;
    bytes.reserve(text.size() * 2);
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!isLoneByte(text[i]))
            continue;
        GbkEncoder::append(text.sliced(runStart, i - runStart), bytes);
        bytes.append(char(text[i].unicode() - LoneByteBase));
        runStart = i + 1;
    }
    GbkEncoder::append(text.sliced(runStart), bytes);
    return bytes;
}

bool GbkCodec::learnPairs(QDeadlineTimer deadline)
{
    // Asking for a pair takes about a microsecond.
    constexpr int checkEvery = 256;
    GbkCodec &codec = instance();
    while (codec.m_learnt < pastLastPair) {
        const int pair = codec.m_learnt++;
        codec.pair(uchar(pair >> 8), uchar(pair));
        if (pair % checkEvery == 0 && deadline.hasExpired())
            break;
    }
    return codec.m_learnt == pastLastPair;
}

char16_t GbkCodec::decodePair(uchar lead, uchar trail)
{
    const char raw[2] = { char(lead), char(trail) };
    const QString decoded = CodePage936::converter().decode(QByteArrayView(raw, 2));
    char16_t &known = m_pairs[lead << 8 | trail];
    known = roundTrips(decoded, QByteArrayView(raw, 2)) ? decoded.at(0).unicode() : NoPair;
    m_asked[lead << 8 | trail] = true;
    m_characters[lead << 8 | trail] = known != NoPair;
    return known;
}

// Only a character that the encoder turns back into exactly these bytes may
// stand for them; everything else would lose bytes on the way back.
bool GbkCodec::roundTrips(QStringView text, QByteArrayView bytes)
{
    if (text.size() != 1 || text[0] == QChar::ReplacementCharacter || isLoneByte(text[0]))
        return false;
    QByteArray back;
    GbkEncoder::append(text, back);
    return back == bytes;
}
