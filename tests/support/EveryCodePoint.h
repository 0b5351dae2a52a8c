#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <functional>
#include <vector>

// Checks an encoder over the whole code space. text holds every code point
// from U+0000 to U+10FFFF but the blank, each followed by a blank, a surrogate
// code point standing alone as half a pair; expected holds what each must
// become, as the test's expectation says.
class EveryCodePoint
{
public:
    // Appends the bytes a code point must become.
    using Expectation = std::function<void(char32_t, QByteArray &)>;

    explicit EveryCodePoint(const Expectation &expectation);

    // Code page 936 as its converter sees it: appends the one or two bytes
    // that decode to c and back, or "?" when no byte sequence does. Built
    // from the converter's answers for every byte sequence, so that it owes
    // nothing to the encoders it checks (their per-character rules and
    // caches).
    static void appendCodePageBytes(char32_t c, QByteArray &bytes);

    // The first code point whose bytes differ, as "U+200B gives 41 42,
    // expected 41 3F 42", or an empty string.
    QString firstDifference(const QByteArray &actual) const;

    QString text;
    QByteArray expected;

private:
    static QHash<char32_t, QByteArray> decodedRepertoire();

    std::vector<char32_t> m_codePoints;
    std::vector<qsizetype> m_ends;
};
