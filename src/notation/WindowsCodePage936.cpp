#include "notation/WindowsCodePage936.h"

#include <windows.h>

#include <limits>

namespace {

constexpr UINT codePage = 936;

} // namespace

QString WindowsCodePage936::name() const
{
    return QStringLiteral("Windows code page 936");
}

bool WindowsCodePage936::isValid() const
{
    return ::IsValidCodePage(codePage) != 0;
}

// Without WC_NO_BEST_FIT_CHARS Windows writes a look-alike for characters
// the code page lacks (an "a" for "ā"), which would reach the printer as if
// it were what the user typed. The default character tells a missing
// character from a real "?".
QByteArray WindowsCodePage936::encodeCharacter(QStringView character)
{
    char bytes[8];
    BOOL usedDefault = FALSE;
    const int written
        = ::WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, reinterpret_cast<LPCWCH>(character.utf16()),
            int(character.size()), bytes, int(sizeof bytes), nullptr, &usedDefault);
    if (written <= 0 || usedDefault)
        return {};
    return QByteArray(bytes, written);
}

// MB_ERR_INVALID_CHARS makes the whole call fail at an invalid or cut-off
// sequence; the text is then decoded again with each one replaced.
QString WindowsCodePage936::decode(QByteArrayView bytes, bool *valid)
{
    if (valid)
        *valid = true;
    if (bytes.isEmpty())
        return {};
    if (bytes.size() > std::numeric_limits<int>::max()) {
        if (valid)
            *valid = false;
        return {};
    }
    const int size = int(bytes.size());
    DWORD flags = MB_ERR_INVALID_CHARS;
    int length = ::MultiByteToWideChar(codePage, flags, bytes.data(), size, nullptr, 0);
    if (length <= 0) {
        if (valid)
            *valid = false;
        flags = 0;
        length = ::MultiByteToWideChar(codePage, flags, bytes.data(), size, nullptr, 0);
    }
    QString text(qMax(length, 0), Qt::Uninitialized);
    if (length > 0)
        ::MultiByteToWideChar(
            codePage, flags, bytes.data(), size, reinterpret_cast<LPWSTR>(text.data()), length);
    return text;
}
