#include "viewer/ReceivedTextFile.h"

#include "viewer/GbkCodec.h"
#include "viewer/ReceivedText.h"

#include <QSaveFile>

QString ReceivedTextFile::save(const ReceivedText &text, const QString &path, Format format)
{
    QSaveFile file(path);
    // Where no scratch file can be made beside it, an existing file is
    // written in place.
    file.setDirectWriteFallback(true);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    const bool written = format == Format::Bytes ? writeBytes(text, file) : writeText(text, file);
    if (!written || !file.commit())
        return file.errorString();
    return {};
}

// A block at a time, as they are held.
bool ReceivedTextFile::writeBytes(const ReceivedText &text, QIODevice &file)
{
    for (qsizetype at = 0; at < text.byteCount();) {
        const QByteArrayView run = text.bytesFrom(at);
        if (file.write(run.data(), run.size()) != run.size())
            return false;
        at += run.size();
    }
    return true;
}

// A piece at a time, so that a long text is never held whole as characters.
bool ReceivedTextFile::writeText(const ReceivedText &text, QIODevice &file)
{
    constexpr qsizetype pieceSize = 1 << 16;
    const qsizetype size = text.length();
    for (qsizetype at = 0; at < size; at += pieceSize) {
        const QByteArray bytes = GbkCodec::encode(text.mid(at, std::min(pieceSize, size - at)));
        if (file.write(bytes) != bytes.size())
            return false;
    }
    return true;
}
