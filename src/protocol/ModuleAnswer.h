#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// What the host module's reply to a question means, in the words the wireless
// panel shows, for every front end that asks. Any byte but 0 is a yes; no
// reply reads as 0, a no.
class ModuleAnswer
{
public:
    static bool isYes(std::optional<quint8> reply);

    // The answer to a status query (command 15).
    static QString statusText(bool online);
    // The answer to a configuration command (11, 12, 13, 17, 18).
    static QString configurationText(bool done);
};
