#include "notation/CodePage936.h"

// A Unix Qt has ICU, or the system has no code page converter of its own to
// fall back on.
std::unique_ptr<CodePage936> CodePage936::systemConverter()
{
    return nullptr;
}
