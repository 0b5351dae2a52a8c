#pragma once

#include <QString>

#include <optional>

struct CliRequest;
class CliChannels;

// The print data of a send, read before the port is opened or Ctrl+C is
// taken over (a user typing into stdin can still give up): the text as
// given, a file read as "打开文件" reads it, or stdin in the same encodings.
// Typed text and stdin have their line breaks as Enter gives them in the
// editor, CR LF; a file keeps its own.
class PrintDataReader
{
public:
    // nullopt when the data cannot be read; the reason is on stderr.
    static std::optional<QString> read(const CliRequest &request, CliChannels &channels);
};
