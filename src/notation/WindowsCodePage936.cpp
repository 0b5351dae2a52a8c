#include "notation/WindowsCodePage936.h"

#include <windows.h>

#include <limits>
#include <optional>

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
// the code page lacks (an "l" for "ł"), which would reach the printer as if
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
// sequence. Without it Windows turns a lead byte and whatever follows into
// one "?", swallowing a blank or a letter after a lone lead byte; so the text
// is then decoded one character at a time, each invalid sequence standing as
// U+FFFD for its lead byte alone, as Qt's converter does.
QString WindowsCodePage936::decode(QByteArrayView bytes, bool *valid)
{
    if (std::optional<QString> text = decodedStrictly(bytes)) {
        if (valid)
            *valid = true;
        return *text;
    }
    if (valid)
        *valid = false;
    QString text;
    text.reserve(bytes.size());
    for (qsizetype at = 0; at < bytes.size();) {
        const bool lead = ::IsDBCSLeadByteEx(codePage, BYTE(bytes[at])) && at + 1 < bytes.size();
        if (lead) {
            if (std::optional<QString> pair = decodedStrictly(bytes.sliced(at, 2))) {
                text += *pair;
                at += 2;
                continue;
            }
        }
        text += decodedByte(bytes[at]);
        ++at;
    }
    return text;
}

std::optional<QString> WindowsCodePage936::decodedStrictly(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return QString();
    if (bytes.size() > std::numeric_limits<int>::max())
        return std::nullopt;
    const int size = int(bytes.size());
    const int length = ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
    if (length <= 0)
        return std::nullopt;
    QString text(length, Qt::Uninitialized);
    ::MultiByteToWideChar(
        codePage, MB_ERR_INVALID_CHARS, bytes.data(), size, reinterpret_cast<LPWSTR>(text.data()), length);
    return text;
}

// One byte on its own cannot swallow a neighbour. Windows reads some that it
// calls invalid as a character all the same (0xFF as U+F8F5); a lead byte or
// a byte it has no character for becomes U+FFFD.
QChar WindowsCodePage936::decodedByte(char byte)
{
    if (std::optional<QString> text = decodedStrictly(QByteArrayView(&byte, 1)))
        return text->at(0);
    if (::IsDBCSLeadByteEx(codePage, BYTE(byte)))
        return QChar::ReplacementCharacter;
    wchar_t character = 0;
    if (::MultiByteToWideChar(codePage, 0, &byte, 1, &character, 1) != 1 || character == L'?')
        return QChar::ReplacementCharacter;
    return QChar(char16_t(character));
}
