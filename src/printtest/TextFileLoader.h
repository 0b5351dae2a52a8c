#pragma once

#include <QByteArray>
#include <QString>

// Reads a print-test text file whole, in the encoding a user expects:
//   1. a UTF-8, UTF-16LE or UTF-16BE byte-order mark decides the encoding;
//   2. otherwise text that is valid UTF-8 and has bytes above 127 is UTF-8;
//   3. otherwise it is GBK (code page 936), which plain ASCII also is.
// A file that is not valid text in the encoding so chosen is refused, as is
// anything that is not a regular file: a FIFO would block the reader until
// some other program writes to it, and a device or socket is no text file.
// Every way a load can fail comes back as a message for the user that names
// the file, and never as a partial text.
class TextFileLoader
{
public:
    struct Result {
        QString text;
        QString encoding; // "UTF-8", "UTF-16LE", "UTF-16BE" or "GBK"
        QString error; // empty on success
        bool ok() const { return error.isEmpty(); }
    };

    // Larger files would take the better part of an hour to send one byte at
    // a time and would make the editor sluggish; they are refused.
    static constexpr qint64 maximumSize = 2 * 1024 * 1024;

    static Result load(const QString &path);
    // The encoding rules above for bytes from elsewhere (a pipe); the error
    // ends where load() would name the file.
    static Result decode(const QByteArray &bytes);

    // A loaded file as print-test text: under a first line "#txt" (with the
    // editor's line break), the file's own line breaks kept as they are.
    static QString printTestText(const QString &fileText);
};
