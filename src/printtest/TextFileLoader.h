#pragma once

#include <QString>

// Reads a print-test text file whole, as GBK text. Every way a load can fail
// comes back as a message for the user, and never as a partial text.
class TextFileLoader
{
public:
    struct Result {
        QString text;
        QString error; // empty on success
        bool ok() const { return error.isEmpty(); }
    };

    // Larger files would take the better part of an hour to send one byte at
    // a time and would make the editor sluggish; they are refused.
    static constexpr qint64 maximumSize = 2 * 1024 * 1024;

    static Result load(const QString &path);
};
