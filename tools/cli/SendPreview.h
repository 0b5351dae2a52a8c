#pragma once

#include <QString>

struct CliRequest;
class ResultWriter;
class UserChannels;

// send --dry-run: the bytes a send would put on the wire, in hexadecimal,
// with no port opened: the select frame, then the data. The data goes
// through the same notation and code page 936 converter as a real send, so
// a script can check print data, and any build its GBK path, anywhere.
class SendPreview
{
public:
    // The exit code: a text the send would refuse is refused here too, with
    // the same tip, after the frame that a send puts out before it.
    static int write(
        const CliRequest &request, const QString &printData, UserChannels &channels, ResultWriter &results);
};
