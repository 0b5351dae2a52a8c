#include "notation/CodePage936.h"

#include "notation/WindowsCodePage936.h"

std::unique_ptr<CodePage936> CodePage936::systemConverter()
{
    return std::make_unique<WindowsCodePage936>();
}
