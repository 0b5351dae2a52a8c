#include "notation/GbkEncoder.h"

namespace {

constexpr char unencodable = '?';

} // namespace

GbkEncoder::GbkEncoder()
    : m_encoder("GBK", QStringConverter::Flag::Stateless)
    , m_known(0x10000, 0)
{ }

GbkEncoder &GbkEncoder::instance()
{
    static GbkEncoder encoder;
    return encoder;
}

void GbkEncoder::append(QStringView text, QByteArray &bytes)
{
    GbkEncoder &encoder = instance();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            encoder.appendCharacter(text.sliced(i, 2), bytes);
            ++i;
        } else if (c.isSurrogate()) {
            // Half a pair is no character; the converter would hold it back
            // or join it with whatever follows.
            bytes.append(unencodable);
        } else {
            encoder.appendBmp(c.unicode(), bytes);
        }
    }
}

void GbkEncoder::appendCharacter(QStringView character, QByteArray &bytes)
{
    const qsizetype before = bytes.size();
    bytes.resize(before + m_encoder.requiredSpace(character.size()));
    const char *end = m_encoder.appendToBuffer(bytes.data() + before, character);
    bytes.truncate(end - bytes.constData());
    if (bytes.size() == before)
        bytes.append(unencodable);
}

void GbkEncoder::appendBmp(char16_t c, QByteArray &bytes)
{
    quint32 &known = m_known[c];
    if (known == 0) {
        QByteArray encoded;
        appendCharacter(QStringView(&c, 1), encoded);
        if (encoded.size() > 2) {
            // Not a double-byte code page after all: nothing to remember.
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
