#include "viewer/SpecialFile.h"

// Windows has no FIFOs in its file system; its named pipes live under
// \\.\pipe\, and opening one that no server offers fails at once.
bool SpecialFile::isPipeOrSocket(const QString &)
{
    return false;
}
