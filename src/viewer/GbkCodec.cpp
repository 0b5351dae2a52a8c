#include "viewer/GbkCodec.h"

GbkCodec::GbkCodec()
    : m_decoder("GBK", QStringConverter::Flag::Stateless)
    , m_encoder("GBK", QStringConverter::Flag::Stateless)
    , m_singles(0x100)
    , m_pairs(0x10000, 0)
    , m_encoded(0x10000, 0)
{
    for (int byte = 0; byte < 0x100; ++byte) {
        const char raw = char(byte);
        const QString decoded = m_decoder.decode(QByteArrayView(&raw, 1));
        m_singles[byte] = roundTrips(decoded, QByteArrayView(&raw, 1)) ? decoded.at(0).unicode()
                                                                       : char16_t(LoneByteBase + byte);
    }
}

GbkCodec &GbkCodec::instance()
{
    static GbkCodec codec;
    return codec;
}

QChar GbkCodec::singleByteChar(uchar byte)
{
    return instance().single(byte);
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
    GbkCodec &codec = instance();
    QByteArray bytes;
    bytes.reserve(text.size() * 2);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text[i];
        if (ch.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            bytes.append(codec.m_encoder.encode(text.sliced(i, 2)));
            ++i;
        } else {
            codec.appendEncoded(bytes, ch);
        }
    }
    return bytes;
}

QChar GbkCodec::single(uchar byte)
{
    return QChar(m_singles[byte]);
}

QChar GbkCodec::pair(uchar lead, uchar trail)
{
    char16_t &known = m_pairs[lead << 8 | trail];
    if (known == 0) {
        const char raw[2] = { char(lead), char(trail) };
        const QString decoded = m_decoder.decode(QByteArrayView(raw, 2));
        known = roundTrips(decoded, QByteArrayView(raw, 2)) ? decoded.at(0).unicode() : NoPair;
    }
    return QChar(known);
}

void GbkCodec::appendEncoded(QByteArray &bytes, QChar ch)
{
    if (isLoneByte(ch)) {
        bytes.append(char(ch.unicode() - LoneByteBase));
        return;
    }
    quint32 &known = m_encoded[ch.unicode()];
    if (!(known & Known)) {
        const QByteArray encoded = m_encoder.encode(QStringView(&ch, 1));
        if (encoded.size() > 2) {
            bytes.append(encoded);
            return;
        }
        known = Known | quint32(encoded.size()) << 16;
        for (qsizetype i = 0; i < encoded.size(); ++i)
            known |= quint32(uchar(encoded[i])) << (8 * i);
    }
    const int count = (known >> 16) & 0x3;
    for (int i = 0; i < count; ++i)
        bytes.append(char(known >> (8 * i)));
}

// Only a character that the encoder turns back into exactly these bytes may
// stand for them; everything else would lose bytes on the way back.
bool GbkCodec::roundTrips(QStringView text, QByteArrayView bytes)
{
    if (text.size() != 1 || text[0] == QChar::ReplacementCharacter || isLoneByte(text[0]))
        return false;
    QByteArray back;
    appendEncoded(back, text[0]);
    return back == bytes;
}
