#pragma once

// The value of an ASCII hexadecimal digit in either case, or -1 for anything
// else. QChar::digitValue would also take other scripts' digits and knows no
// A-F; the notations and the help document's escapes allow only these.
constexpr int hexDigitValue(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    return -1;
}
