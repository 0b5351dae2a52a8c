#include "notation/CodePage936.h"

#include "notation/QtGbkConverter.h"

CodePage936 &CodePage936::converter()
{
    static const std::unique_ptr<CodePage936> chosen = []() -> std::unique_ptr<CodePage936> {
        auto qt = std::make_unique<QtGbkConverter>();
        if (qt->isValid())
            return qt;
        if (std::unique_ptr<CodePage936> system = systemConverter())
            return system;
        return qt;
    }();
    return *chosen;
}
