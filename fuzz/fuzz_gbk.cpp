// Any UTF-16, lone surrogates and default-ignorable characters included,
// through the code page 936 encoder that the send notation and the viewer's
// text notation share. The input's bytes are the text's UTF-16 units, low
// byte first.

#include "FuzzProperty.h"
#include "notation/CodePage936.h"
#include "notation/GbkEncoder.h"

namespace {

qsizetype characterLength(QStringView rest)
{
    return rest.size() > 1 && rest[0].isHighSurrogate() && rest[1].isLowSurrogate() ? 2 : 1;
}

// What one character must give: its bytes in the code page, or one "?".
QByteArray bytesOfCharacter(QStringView character)
{
    if (character.size() == 1 && character[0].isSurrogate())
        return QByteArrayLiteral("?");
    const QByteArray bytes = CodePage936::converter().encodeCharacter(character);
    return bytes.isEmpty() ? QByteArrayLiteral("?") : bytes;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QString text(qsizetype(size / 2), Qt::Uninitialized);
    for (size_t i = 0; i + 1 < size; i += 2)
        text[qsizetype(i / 2)] = QChar(char16_t(data[i] | data[i + 1] << 8));

    QByteArray encoded;
    GbkEncoder::append(text, encoded);

    QByteArray expected;
    QString decodable;
    for (qsizetype at = 0; at < text.size();) {
        const QStringView character
            = QStringView(text).sliced(at, characterLength(QStringView(text).sliced(at)));
        const QByteArray bytes = bytesOfCharacter(character);
        requireProperty(bytes.size() <= 2, "a character of the code page is one or two bytes");
        expected += bytes;
        decodable += bytes == "?" ? QStringView(u"?") : character;
        at += character.size();
    }
    requireProperty(encoded == expected, "each character gives its own bytes or exactly one \"?\"");

    bool valid = false;
    const QString decoded = CodePage936::converter().decode(encoded, &valid);
    requireProperty(valid && decoded == decodable, "decoding gives back every encodable character");
    return 0;
}
