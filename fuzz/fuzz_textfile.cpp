// File bytes through the encoding rules of "打开文件": a byte-order mark,
// else UTF-8 when valid, else GBK. A file is either refused or read whole,
// and its line breaks (CR LF, lone CR, lone LF) come through as they were.

#include "FuzzProperty.h"
#include "notation/CodePage936.h"
#include "printtest/TextFileLoader.h"

#include <QStringEncoder>
#include <QStringList>

namespace {

// The code units after the byte-order mark that are CR or LF, in their
// order. In GBK and UTF-8 no byte of a multi-byte character is CR or LF.
QByteArray lineBreaksOfBytes(QByteArrayView bytes, const QString &encoding)
{
    QByteArray breaks;
    const bool utf16 = encoding.startsWith(QLatin1String("UTF-16"));
    const qsizetype unit = utf16 ? 2 : 1;
    const bool bigEndian = encoding == QLatin1String("UTF-16BE");
    for (qsizetype at = 0; at + unit <= bytes.size(); at += unit) {
        const uchar low = uchar(bytes[utf16 && bigEndian ? at + 1 : at]);
        const bool highZero = !utf16 || bytes[bigEndian ? at : at + 1] == 0;
        if (highZero && (low == '\r' || low == '\n'))
            breaks.append(char(low));
    }
    return breaks;
}

QByteArray lineBreaksOfText(const QString &text)
{
    QByteArray breaks;
    for (QChar c : text) {
        if (c == u'\r' || c == u'\n')
            breaks.append(char(c.unicode()));
    }
    return breaks;
}

// What the file held after its byte-order mark, from the text read.
QByteArray encodedAgain(const QString &text, const QString &encoding)
{
    if (encoding == QLatin1String("GBK"))
        return QStringEncoder("GBK").encode(text);
    const auto which = encoding == QLatin1String("UTF-8") ? QStringConverter::Utf8
        : encoding == QLatin1String("UTF-16LE")           ? QStringConverter::Utf16LE
                                                          : QStringConverter::Utf16BE;
    return QStringEncoder(which).encode(text);
}

qsizetype byteOrderMarkSize(QByteArrayView bytes, const QString &encoding)
{
    if (encoding == QLatin1String("UTF-8"))
        return bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    return encoding == QLatin1String("GBK") ? 0 : 2;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const TextFileLoader::Result result = TextFileLoader::decode(bytes);
    if (!result.ok()) {
        requireProperty(result.text.isEmpty() && result.encoding.isEmpty(), "a refusal comes without text");
        return 0;
    }
    static const QStringList encodings { QStringLiteral("UTF-8"), QStringLiteral("UTF-16LE"),
        QStringLiteral("UTF-16BE"), QStringLiteral("GBK") };
    requireProperty(encodings.contains(result.encoding), "a text names its encoding");
    requireProperty(QStringView(result.text).isValidUtf16(), "a text is whole characters");

    const qsizetype mark = byteOrderMarkSize(bytes, result.encoding);
    requireProperty(lineBreaksOfText(result.text)
            == lineBreaksOfBytes(QByteArrayView(bytes).sliced(mark), result.encoding),
        "line breaks come through as they were");
    requireProperty(encodedAgain(result.text, result.encoding) == bytes.sliced(mark),
        "the text is what the file holds, every byte of it");
    return 0;
}
