#include "notation/GbkEncoder.h"

#include "notation/CodePage936.h"

namespace {

constexpr char unencodable = '?';

// Makes room for the bytes of units more UTF-16 units after the first end
// bytes: a remembered character is at most two bytes per unit.
char *makeRoom(QByteArray &bytes, qsizetype end, qsizetype units)
{
    bytes.resize(end + 2 * units);
    return bytes.data();
}

} // namespace

GbkEncoder::GbkEncoder()
    : m_known(0x10000, 0)
{ }

GbkEncoder &GbkEncoder::instance()
{
    static GbkEncoder encoder;
    return encoder;
}

void GbkEncoder::append(QStringView text, QByteArray &bytes)
{
    GbkEncoder &encoder = instance();
    qsizetype end = bytes.size();
    char *out = makeRoom(bytes, end, text.size());
    for (qsizetype i = 0; i < text.size();) {
        const char16_t c = text[i].unicode();
        if (c < 0x80) {
            out[end++] = char(c);
            ++i;
            continue;
        }
        if (const quint32 known = encoder.m_known[c]) {
            out[end++] = char(known);
            if ((known >> 16 & 0x3) == 2)
                out[end++] = char(known >> 8);
            ++i;
            continue;
        }
        bytes.truncate(end);
        i += encoder.appendAsked(text.sliced(i), bytes);
        end = bytes.size();
        out = makeRoom(bytes, end, text.size() - i);
    }
    bytes.truncate(end);
}

qsizetype GbkEncoder::appendAsked(QStringView rest, QByteArray &bytes)
{
    const QChar c = rest[0];
    if (c.isHighSurrogate() && rest.size() > 1 && rest[1].isLowSurrogate()) {
        appendCharacter(rest.first(2), bytes);
        return 2;
    }
    if (c.isSurrogate()) {
        // Half a pair is no character; the converter would hold it back or
        // join it with whatever follows.
        bytes.append(unencodable);
        return 1;
    }
    const qsizetype before = bytes.size();
    appendCharacter(rest.first(1), bytes);
    remember(c.unicode(), QByteArrayView(bytes).sliced(before));
    return 1;
}

void GbkEncoder::appendCharacter(QStringView character, QByteArray &bytes)
{
    const QByteArray encoded = CodePage936::converter().encodeCharacter(character);
    if (encoded.isEmpty())
        bytes.append(unencodable);
    else
        bytes.append(encoded);
}

void GbkEncoder::remember(char16_t c, QByteArrayView encoded)
{
    // Only what fits the table; anything longer is asked again each time.
    if (encoded.size() > 2)
        return;
    quint32 known = Known | quint32(encoded.size()) << 16;
    for (qsizetype i = 0; i < encoded.size(); ++i)
        known |= quint32(uchar(encoded[i])) << (8 * i);
    m_known[c] = known;
}
