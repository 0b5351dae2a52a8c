#include "viewer/NotationConverter.h"

#include "notation/HexDigit.h"
#include "viewer/GbkCodec.h"

#include <optional>

namespace {

constexpr char16_t hexDigits[] = u"0123456789ABCDEF";

// The lead byte of a two-byte character in the viewer's text notation.
constexpr uint firstLeadByte = 161;

qsizetype writeToken(char16_t *out, uchar byte, bool hex)
{
    qsizetype n = 0;
    if (hex) {
        out[n++] = hexDigits[byte >> 4];
        out[n++] = hexDigits[byte & 0xF];
    } else {
        if (byte >= 100)
            out[n++] = char16_t('0' + byte / 100);
        if (byte >= 10)
            out[n++] = char16_t('0' + byte / 10 % 10);
        out[n++] = char16_t('0' + byte % 10);
    }
    out[n++] = u' ';
    return n;
}

int digitValue(QChar ch, int base)
{
    const int value = hexDigitValue(ch.unicode());
    return value < base ? value : -1;
}

// A token as a byte value: digits of the notation only (leading zeros
// allowed), at most 255.
std::optional<uchar> byteValue(QStringView token, ViewerNotation notation)
{
    const int base = notation == ViewerNotation::Hex ? 16 : 10;
    if (token.isEmpty())
        return std::nullopt;
    uint value = 0;
    for (QChar ch : token) {
        const int digit = digitValue(ch, base);
        if (digit < 0)
            return std::nullopt;
        value = value * base + digit;
        if (value > 255)
            return std::nullopt;
    }
    return uchar(value);
}

// The pieces of a Ten or Hex text split at every blank, a line break counting
// as a blank; empty pieces (doubled blanks, the piece after the trailing
// blank) are pieces too.
class Pieces
{
public:
    explicit Pieces(QStringView text)
        : m_text(text)
    { }

    std::optional<QStringView> next()
    {
        if (m_done)
            return std::nullopt;
        for (qsizetype i = m_pos; i < m_text.size(); ++i) {
            const qsizetype separator = separatorAt(i);
            if (separator > 0) {
                const QStringView piece = m_text.sliced(m_pos, i - m_pos);
                m_pos = i + separator;
                return piece;
            }
        }
        m_done = true;
        return m_text.sliced(m_pos);
    }

private:
    qsizetype separatorAt(qsizetype i) const
    {
        if (m_text[i] == u' ')
            return 1;
        if (m_text[i] == u'\r' && i + 1 < m_text.size() && m_text[i + 1] == u'\n')
            return 2;
        return 0;
    }

    QStringView m_text;
    qsizetype m_pos = 0;
    bool m_done = false;
};

} // namespace

void NotationConverter::appendTokens(QString &text, QByteArrayView bytes, bool hex)
{
    // Writing in place keeps the text's geometric growth: appends of any size
    // cost constant time per byte however long the text already is.
    const qsizetype start = text.size();
    text.resize(start + bytes.size() * 4);
    char16_t *out = reinterpret_cast<char16_t *>(text.data()) + start;
    qsizetype written = 0;
    for (char byte : bytes)
        written += writeToken(out + written, uchar(byte), hex);
    text.truncate(start + written);
}

NotationConverter::Result NotationConverter::convert(
    ViewerNotation from, ViewerNotation to, const QString &text)
{
    if (from == to)
        return { text, false };
    if (from == ViewerNotation::Txt)
        return fromText(to, text);
    if (to == ViewerNotation::Txt)
        return toText(from, text);
    return betweenTokens(from, to, text);
}

NotationConverter::Result NotationConverter::fromText(ViewerNotation to, const QString &text)
{
    if (text.isEmpty())
        return { text, true };
    Result result;
    appendTokens(result.text, GbkCodec::encode(text), to == ViewerNotation::Hex);
    return result;
}

NotationConverter::Result NotationConverter::toText(ViewerNotation from, QStringView text)
{
    Result result;
    Pieces pieces(text);
    while (const std::optional<QStringView> piece = pieces.next()) {
        if (piece->isEmpty())
            continue;
        const std::optional<uchar> lead = byteValue(*piece, from);
        if (!lead) {
            result.failed = true;
            break;
        }
        if (*lead < firstLeadByte) {
            result.text.append(GbkCodec::singleByteChar(*lead));
            continue;
        }
        // The next piece is the trail byte and is used up, empty or not.
        const std::optional<QStringView> next = pieces.next();
        if (next && next->isEmpty() && from == ViewerNotation::Hex) {
            // A lead byte right before the trailing blank stands alone.
            result.text.append(GbkCodec::singleByteChar(*lead));
            continue;
        }
        const std::optional<uchar> trail = next ? byteValue(*next, from) : std::nullopt;
        if (!trail) {
            result.failed = true;
            break;
        }
        GbkCodec::appendPair(result.text, *lead, *trail);
    }
    return result;
}

NotationConverter::Result NotationConverter::betweenTokens(
    ViewerNotation from, ViewerNotation to, QStringView text)
{
    Result result;
    const bool hex = to == ViewerNotation::Hex;
    Pieces pieces(text);
    while (const std::optional<QStringView> piece = pieces.next()) {
        if (piece->isEmpty())
            continue;
        const std::optional<uchar> value = byteValue(*piece, from);
        if (!value) {
            result.failed = true;
            break;
        }
        char16_t token[4];
        result.text.append(QStringView(token, writeToken(token, *value, hex)));
    }
    return result;
}
