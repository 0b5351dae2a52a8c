#include "printtest/TextFileLoader.h"

#include "notation/CodePage936.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>
#include <optional>

namespace {

struct ByteOrderMark {
    QByteArrayView bytes;
    QStringConverter::Encoding encoding;
    QLatin1StringView name;
};

constexpr ByteOrderMark byteOrderMarks[] = {
    { QByteArrayView("\xEF\xBB\xBF", 3), QStringConverter::Utf8, QLatin1StringView("UTF-8") },
    { QByteArrayView("\xFF\xFE", 2), QStringConverter::Utf16LE, QLatin1StringView("UTF-16LE") },
    { QByteArrayView("\xFE\xFF", 2), QStringConverter::Utf16BE, QLatin1StringView("UTF-16BE") },
};

TextFileLoader::Result failure(const QString &message, const QString &path)
{
    return { QString(), QString(), message + QStringLiteral("\n") + QDir::toNativeSeparators(path) };
}

bool hasNonAscii(QByteArrayView bytes)
{
    return std::any_of(bytes.begin(), bytes.end(), [](char byte) { return uchar(byte) > 0x7F; });
}

// The text, or nothing when bytes are not valid in that encoding. Stateless,
// so that a file cut in the middle of a character counts as invalid; a
// byte-order mark after the one already taken off is a character of the text.
std::optional<QString> decoded(QByteArrayView bytes, QStringDecoder decoder)
{
    const QString text = decoder.decode(bytes);
    if (decoder.hasError() || !QStringView(text).isValidUtf16())
        return std::nullopt;
    return text;
}

std::optional<QString> decoded(QByteArrayView bytes, QStringConverter::Encoding encoding)
{
    // The UTF-16 decoder passes an odd last byte as a replacement character.
    if ((encoding == QStringConverter::Utf16LE || encoding == QStringConverter::Utf16BE) && bytes.size() % 2)
        return std::nullopt;
    return decoded(bytes,
        QStringDecoder(
            encoding, QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom));
}

std::optional<QString> decodedGbk(QByteArrayView bytes)
{
    bool valid = false;
    QString text = CodePage936::converter().decode(bytes, &valid);
    if (!valid || !QStringView(text).isValidUtf16())
        return std::nullopt;
    return text;
}

} // namespace

TextFileLoader::Result TextFileLoader::load(const QString &path)
{
    // Everything about the file is decided from its directory entry first:
    // opening a FIFO would block until another program writes to it.
    const QFileInfo info(path);
    if (!info.exists())
        return failure(QStringLiteral("文件不存在："), path);
    if (info.isDir())
        return failure(QStringLiteral("所选的是文件夹，不是文件："), path);
    if (!info.isFile())
        return failure(QStringLiteral("所选的不是普通文件（管道、设备或套接字），未打开："), path);
    if (info.size() > maximumSize) {
        return failure(QStringLiteral("文件太大（%1 KB），最多可载入 %2 KB：")
                           .arg((info.size() + 1023) / 1024)
                           .arg(maximumSize / 1024),
            path);
    }

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failure(QStringLiteral("文件无法打开：") + file.errorString(), path);
    // size() is 0 for some regular files that still have content (/proc),
    // and a file may grow after its size was read: read with a bound.
    const QByteArray bytes = file.read(maximumSize + 1);
    if (file.error() != QFileDevice::NoError)
        return failure(QStringLiteral("文件读取失败：") + file.errorString(), path);
    if (bytes.size() > maximumSize)
        return failure(QStringLiteral("文件太大，最多可载入 %1 KB：").arg(maximumSize / 1024), path);

    Result result = decode(bytes);
    if (!result.ok())
        return failure(result.error, path);
    if (result.text.isEmpty())
        return failure(QStringLiteral("文件是空的，没有可载入的内容："), path);
    return result;
}

TextFileLoader::Result TextFileLoader::decode(const QByteArray &bytes)
{
    for (const ByteOrderMark &mark : byteOrderMarks) {
        if (!bytes.startsWith(mark.bytes))
            continue;
        if (std::optional<QString> text
            = decoded(QByteArrayView(bytes).sliced(mark.bytes.size()), mark.encoding))
            return { *text, mark.name, QString() };
        return { QString(), QString(),
            QStringLiteral("文件以%1字节顺序标记开头，内容却不是有效的%1文本，未载入：").arg(mark.name) };
    }
    // ASCII reads the same in GBK and UTF-8; as GBK's lower half it needs
    // no converter, which takes a good part of the load of a large file.
    if (!hasNonAscii(bytes))
        return { QString::fromLatin1(bytes), QStringLiteral("GBK"), QString() };
    // The validity check stops at the first stray byte, as a GBK file's
    // first Chinese character usually is; a decoder would go on to the end.
    if (QByteArrayView(bytes).isValidUtf8())
        return { QString::fromUtf8(bytes), QStringLiteral("UTF-8"), QString() };
    if (std::optional<QString> text = decodedGbk(bytes))
        return { *text, QStringLiteral("GBK"), QString() };
    return { QString(), QString(),
        QStringLiteral("文件内容既不是有效的UTF-8文本，也不是有效的GBK文本，未载入：") };
}

QString TextFileLoader::printTestText(const QString &fileText)
{
    return QStringLiteral("#txt\r\n") + fileText;
}
