#include "EveryCodePoint.h"

#include "notation/CodePage936.h"

#include <algorithm>
#include <optional>

namespace {

constexpr char32_t lastCodePoint = 0x10FFFF;

void appendCodePoint(QString &text, char32_t c)
{
    if (QChar::requiresSurrogates(c)) {
        text.append(QChar(QChar::highSurrogate(c)));
        text.append(QChar(QChar::lowSurrogate(c)));
    } else {
        text.append(QChar(char16_t(c)));
    }
}

// The one character bytes stand for, or nothing: what they decode to, when
// the converter turns it back into the same bytes. Converters differ in what
// they call invalid (Windows' under Wine refuses a lone 0xFF, yet reads it
// as U+F8F5 and writes U+F8F5 as 0xFF), never in what round-trips.
std::optional<char32_t> decodedCharacter(QByteArrayView bytes)
{
    CodePage936 &codePage = CodePage936::converter();
    const QString text = codePage.decode(bytes);
    if (text.size() != 1 || text[0] == QChar::ReplacementCharacter || codePage.encodeCharacter(text) != bytes)
        return std::nullopt;
    return text[0].unicode();
}

QString hex(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

} // namespace

EveryCodePoint::EveryCodePoint(const Expectation &expectation)
{
    text.reserve(3 * (lastCodePoint + 1));
    expected.reserve(2 * (lastCodePoint + 1));
    for (char32_t c = 0; c <= lastCodePoint; ++c) {
        if (c == u' ')
            continue;
        appendCodePoint(text, c);
        text.append(QLatin1Char(' '));
        expectation(c, expected);
        m_codePoints.push_back(c);
        m_ends.push_back(expected.size());
    }
}

QHash<char32_t, QByteArray> EveryCodePoint::decodedRepertoire()
{
    QHash<char32_t, QByteArray> bytesOf;
    for (int byte = 0; byte < 0x100; ++byte) {
        const char raw = char(byte);
        if (const std::optional<char32_t> c = decodedCharacter(QByteArrayView(&raw, 1)))
            bytesOf.insert(*c, QByteArray(1, raw));
    }
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            const char raw[2] = { char(lead), char(trail) };
            if (const std::optional<char32_t> c = decodedCharacter(QByteArrayView(raw, 2)))
                bytesOf.insert(*c, QByteArray(raw, 2));
        }
    }
    return bytesOf;
}

void EveryCodePoint::appendCodePageBytes(char32_t c, QByteArray &bytes)
{
    static const QHash<char32_t, QByteArray> repertoire = decodedRepertoire();
    const auto found = repertoire.constFind(c);
    if (found == repertoire.constEnd())
        bytes.append('?');
    else
        bytes.append(*found);
}

QString EveryCodePoint::firstDifference(const QByteArray &actual) const
{
    qsizetype at = 0;
    while (at < actual.size() && at < expected.size() && actual[at] == expected[at])
        ++at;
    if (at == actual.size() && at == expected.size())
        return QString();
    // The code point whose bytes hold the first difference.
    const std::size_t index = std::min(
        std::size_t(std::upper_bound(m_ends.begin(), m_ends.end(), at) - m_ends.begin()), m_ends.size() - 1);
    const qsizetype start = index == 0 ? 0 : m_ends[index - 1];
    const qsizetype length = m_ends[index] - start;
    const QString codePoint
        = QString::number(uint(m_codePoints[index]), 16).toUpper().rightJustified(4, u'0');
    return QStringLiteral("U+%1 gives %2, expected %3")
        .arg(codePoint, hex(actual.mid(start, length)), hex(expected.mid(start, length)));
}
