#pragma once

#include <QString>

// What kind of file a path names, where opening it for writing could block.
class SpecialFile
{
public:
    // A FIFO or a socket: opening one for writing waits for a reader.
    static bool isPipeOrSocket(const QString &path);
};
