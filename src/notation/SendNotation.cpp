#include "notation/SendNotation.h"

#include "notation/GbkEncoder.h"
#include "notation/HexDigit.h"

#include <optional>

namespace {

enum class Failure { None, NotANumber, TypeMismatch, NotAscii };

QString failureText(Failure failure)
{
    switch (failure) {
    case Failure::NotANumber:
        return QStringLiteral("类型不匹配，应为数据，范围：0-255");
    case Failure::TypeMismatch:
        return QStringLiteral("类型不匹配！");
    case Failure::NotAscii:
        return QStringLiteral("输入错误，输入应为ASCII码字符！");
    case Failure::None:
        break;
    }
    return QString();
}

// What reading a number token gives besides a byte value 0-255.
constexpr int notANumber = -1;
constexpr int outOfRange = -2;

// A text word's characters are counted in a 16-bit signed integer that must
// still hold the word, its blank and one more.
constexpr qsizetype maxWordLength = 32765;

// Far beyond any exponent that can still give a byte, small enough that the
// decimal point position cannot overflow.
constexpr qint64 exponentLimit = 1'000'000'000;

constexpr const char *mnemonics[] = { "NUL", "SOH", "STX", "ETX", "EOT", "ENQ", "ACK", "BEL", "BS", "HT",
    "LF", "VT", "FF", "CR", "SO", "SI", "DLE", "DC1", "DC2", "DC3", "DC4", "NAK", "SYN", "ETB", "CAN", "EM",
    "SUB", "ESC", "FS", "GS", "RS", "US", "SP" };

bool isDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

bool isComment(QStringView token)
{
    return token.size() >= 2 && token[0] == u'/' && token[1] == u'/';
}

// Only the exact words count: mixed case such as #Hex is data.
bool takeDirective(QStringView token, qint16 &dataMode)
{
    if (token.size() != 4 || token[0] != u'#')
        return false;
    static constexpr struct {
        char16_t word[5];
        SendNotation::Mode mode;
    } directives[] = { { u"#TEN", SendNotation::Decimal }, { u"#ten", SendNotation::Decimal },
        { u"#HEX", SendNotation::Hexadecimal }, { u"#hex", SendNotation::Hexadecimal },
        { u"#ASC", SendNotation::Ascii }, { u"#asc", SendNotation::Ascii }, { u"#TXT", SendNotation::Text },
        { u"#txt", SendNotation::Text } };
    for (const auto &directive : directives) {
        if (token == QStringView(directive.word, 4)) {
            dataMode = directive.mode;
            return true;
        }
    }
    return false;
}

// Hexadecimal digits only, leading zeros allowed, no prefix and no sign.
int hexByte(QStringView digits)
{
    if (digits.isEmpty())
        return notANumber;
    int value = 0;
    for (QChar c : digits) {
        const int digit = hexDigitValue(c.unicode());
        if (digit < 0)
            return notANumber;
        value = qMin(value * 16 + digit, 256);
    }
    return value > 255 ? outOfRange : value;
}

// A decimal number as written: the digits before and after the point (either
// may be empty, not both) and the exponent.
struct DecimalNumber {
    bool negative = false;
    QStringView integerDigits;
    QStringView fractionDigits;
    qint64 exponent = 0;

    qsizetype digitCount() const { return integerDigits.size() + fractionDigits.size(); }

    // Digit k of the digit string with the point removed; 0 outside it.
    int digitAt(qint64 k) const
    {
        if (k < 0 || k >= digitCount())
            return 0;
        const QChar c
            = k < integerDigits.size() ? integerDigits[k] : fractionDigits[k - integerDigits.size()];
        return c.unicode() - u'0';
    }
};

QStringView takeDigits(QStringView token, qsizetype &at)
{
    const qsizetype start = at;
    while (at < token.size() && isDigit(token[at].unicode()))
        ++at;
    return token.sliced(start, at - start);
}

bool takeSign(QStringView token, qsizetype &at, bool &negative)
{
    if (at >= token.size() || (token[at] != u'+' && token[at] != u'-'))
        return false;
    negative = token[at] == u'-';
    ++at;
    return true;
}

// Optionally signed digits with an optional fraction and exponent: "+7",
// "06", "2.5", ".5", "5.", "1.5E1", "1e-2". Nothing else: no blanks, no
// thousands separators, no locale.
std::optional<DecimalNumber> readDecimal(QStringView token)
{
    DecimalNumber number;
    qsizetype at = 0;
    takeSign(token, at, number.negative);
    number.integerDigits = takeDigits(token, at);
    if (at < token.size() && token[at] == u'.') {
        ++at;
        number.fractionDigits = takeDigits(token, at);
    }
    if (number.digitCount() == 0)
        return std::nullopt;
    if (at < token.size() && (token[at] == u'e' || token[at] == u'E')) {
        ++at;
        bool negativeExponent = false;
        takeSign(token, at, negativeExponent);
        const QStringView exponentDigits = takeDigits(token, at);
        if (exponentDigits.isEmpty())
            return std::nullopt;
        for (QChar c : exponentDigits)
            number.exponent = qMin(number.exponent * 10 + (c.unicode() - u'0'), exponentLimit);
        if (negativeExponent)
            number.exponent = -number.exponent;
    }
    if (at != token.size())
        return std::nullopt;
    return number;
}

// Rounds on the written digits, a half to the even neighbour, so that no
// binary floating-point error can carry a value across a rounding boundary
// (0.500000000000000000001 gives 1). Rounding comes first: -0.4 is 0.
int roundToByte(const DecimalNumber &number)
{
    const qsizetype count = number.digitCount();
    qsizetype lead = 0;
    while (lead < count && number.digitAt(lead) == 0)
        ++lead;
    if (lead == count)
        return 0;
    const qint64 point = number.integerDigits.size() + number.exponent;
    if (point - lead > 3)
        return outOfRange;
    int value = 0;
    for (qint64 k = lead; k < point; ++k)
        value = value * 10 + number.digitAt(k);
    const int firstDropped = number.digitAt(point);
    bool moreDropped = false;
    for (qint64 k = qMax(point + 1, qint64(lead)); k < count && !moreDropped; ++k)
        moreDropped = number.digitAt(k) != 0;
    if (firstDropped > 5 || (firstDropped == 5 && (moreDropped || value % 2 == 1)))
        ++value;
    if (value > 255 || (number.negative && value != 0))
        return outOfRange;
    return value;
}

// The classic number recognition also reads &H followed by hexadecimal
// digits, so texts written for it keep working.
int decimalByte(QStringView token)
{
    if (token.size() >= 2 && token[0] == u'&' && (token[1] == u'H' || token[1] == u'h'))
        return hexByte(token.sliced(2));
    const std::optional<DecimalNumber> number = readDecimal(token);
    return number ? roundToByte(*number) : notANumber;
}

// Upper-case or lower-case form exactly, as the first character decides.
int mnemonicByte(QStringView token)
{
    if (token.size() < 2 || token.size() > 3)
        return -1;
    const bool lower = token[0] >= u'a' && token[0] <= u'z';
    for (int byte = 0; byte < int(std::size(mnemonics)); ++byte) {
        const char *name = mnemonics[byte];
        qsizetype k = 0;
        for (; k < token.size() && name[k] != '\0'; ++k) {
            const char16_t expected = lower ? QChar::toLower(char16_t(name[k])) : char16_t(name[k]);
            if (token[k] != expected)
                break;
        }
        if (k == token.size() && name[k] == '\0')
            return byte;
    }
    return -1;
}

// A character as the user sees it: one UTF-16 unit or one surrogate pair.
bool isOneCharacter(QStringView token)
{
    return token.size() == 1
        || (token.size() == 2 && token[0].isHighSurrogate() && token[1].isLowSurrogate());
}

Failure appendNumber(int value, Failure notANumberFailure, QByteArray &out)
{
    if (value == notANumber)
        return notANumberFailure;
    if (value == outOfRange)
        return Failure::TypeMismatch;
    out.append(char(value));
    return Failure::None;
}

Failure appendAscii(QStringView token, QByteArray &out)
{
    if (isOneCharacter(token)) {
        GbkEncoder::append(token, out);
        return Failure::None;
    }
    const int byte = mnemonicByte(token);
    if (byte < 0)
        return Failure::NotAscii;
    out.append(char(byte));
    return Failure::None;
}

Failure appendWord(QStringView token, QByteArray &out)
{
    if (token.size() > maxWordLength)
        return Failure::TypeMismatch;
    GbkEncoder::append(token, out);
    out.append(' ');
    return Failure::None;
}

Failure appendToken(QStringView token, qint16 dataMode, QByteArray &out)
{
    switch (dataMode) {
    case SendNotation::Hexadecimal:
        return appendNumber(hexByte(token), Failure::TypeMismatch, out);
    case SendNotation::Ascii:
        return appendAscii(token, out);
    case SendNotation::Text:
        return appendWord(token, out);
    default:
        // The notation options and directives only ever set 0-3.
        return appendNumber(decimalByte(token), Failure::NotANumber, out);
    }
}

} // namespace

SendNotation::Result SendNotation::parse(const QString &text, qint16 &dataMode)
{
    Result result;
    result.bytes.reserve(text.size());
    const QStringView all(text);
    qsizetype start = 0;
    while (start <= all.size()) {
        qsizetype end = all.indexOf(u' ', start);
        if (end < 0)
            end = all.size();
        const QStringView token = all.sliced(start, end - start);
        start = end + 1;
        if (token.isEmpty() || isComment(token) || takeDirective(token, dataMode))
            continue;
        const Failure failure = appendToken(token, dataMode, result.bytes);
        if (failure != Failure::None) {
            // All or nothing: not even the bytes before the error are sent.
            result.bytes.clear();
            result.error = failureText(failure);
            return result;
        }
    }
    return result;
}
