#include "PrintDataReader.h"

#include "CliChannels.h"
#include "CliRequest.h"
#include "printtest/TextFileLoader.h"

#include <QFile>

#include <cstdio>

namespace {

// All of stdin, up to the size a file may have. A pipe hands its bytes over
// in pieces; only an empty read is its end.
std::optional<QByteArray> readStdin()
{
    QFile input;
    QByteArray bytes;
    if (!input.open(stdin, QIODevice::ReadOnly | QIODevice::Unbuffered))
        return bytes;
    while (bytes.size() <= TextFileLoader::maximumSize) {
        const QByteArray piece = input.read(TextFileLoader::maximumSize + 1 - bytes.size());
        if (piece.isEmpty())
            return bytes;
        bytes += piece;
    }
    return std::nullopt;
}

QString typedText(QString text)
{
    return text.replace(QLatin1String("\r\n"), QLatin1String("\n"))
        .replace(QLatin1Char('\n'), QLatin1String("\r\n"));
}

} // namespace

std::optional<QString> PrintDataReader::read(const CliRequest &request, CliChannels &channels)
{
    if (!request.file.isEmpty()) {
        const TextFileLoader::Result loaded = TextFileLoader::load(request.file);
        if (!loaded.ok()) {
            channels.diagnostic(loaded.error);
            return std::nullopt;
        }
        return TextFileLoader::printTestText(loaded.text);
    }
    if (request.text != QLatin1String("-"))
        return typedText(request.text);
    const std::optional<QByteArray> bytes = readStdin();
    if (!bytes) {
        channels.diagnostic(
            QStringLiteral("stdin: more than %1 KB of print data").arg(TextFileLoader::maximumSize / 1024));
        return std::nullopt;
    }
    const TextFileLoader::Result decoded = TextFileLoader::decode(*bytes);
    if (!decoded.ok()) {
        channels.diagnostic(decoded.error + QStringLiteral("stdin"));
        return std::nullopt;
    }
    return typedText(decoded.text);
}
