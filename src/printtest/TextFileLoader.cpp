#include "printtest/TextFileLoader.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace {

TextFileLoader::Result failure(const QString &message, const QString &path)
{
    return { QString(), message + QStringLiteral("\n") + QDir::toNativeSeparators(path) };
}

} // namespace

TextFileLoader::Result TextFileLoader::load(const QString &path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return failure(QStringLiteral("文件不存在："), path);
    if (info.isDir())
        return failure(QStringLiteral("所选的是文件夹，不是文件："), path);

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return failure(QStringLiteral("文件无法打开：") + file.errorString(), path);
    if (file.size() > maximumSize) {
        return failure(QStringLiteral("文件太大（%1 KB），最多可载入 %2 KB：")
                           .arg((file.size() + 1023) / 1024)
                           .arg(maximumSize / 1024),
            path);
    }
    // size() is 0 for some files that still have content (pipes, /proc), so
    // read with a bound instead of trusting it.
    const QByteArray bytes = file.read(maximumSize + 1);
    if (file.error() != QFileDevice::NoError)
        return failure(QStringLiteral("文件读取失败：") + file.errorString(), path);
    if (bytes.size() > maximumSize)
        return failure(QStringLiteral("文件太大，最多可载入 %1 KB：").arg(maximumSize / 1024), path);
    if (bytes.isEmpty())
        return failure(QStringLiteral("文件是空的，没有可载入的内容："), path);

    // Stateless, so that a file cut in the middle of a character counts as an error.
    QStringDecoder decoder("GBK", QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return failure(QStringLiteral("文件内容不是有效的GBK文本，未载入："), path);
    return { text, QString() };
}
