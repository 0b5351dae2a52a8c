#pragma once

#include <QString>

class QIODevice;
class ReceivedText;

// Saving what the viewer holds: the bytes it stands for, or the text as it
// is shown, in code page 936 like every other text of the program.
class ReceivedTextFile
{
public:
    enum class Format { Bytes, Text };

    // Writes the whole file or leaves what was there; returns the reason it
    // could not, or an empty string.
    static QString save(const ReceivedText &text, const QString &path, Format format);

private:
    static bool writeBytes(const ReceivedText &text, QIODevice &file);
    static bool writeText(const ReceivedText &text, QIODevice &file);
};
