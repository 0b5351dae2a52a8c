// Received bytes into the viewer's text in chunks of any size, with notation
// changes (Hex, Ten, Txt) in any order between them. The text is checked
// against the conversion rules applied to all the bytes at once, and its
// bytes against what arrived.

#include "FuzzProperty.h"
#include "viewer/NotationConverter.h"
#include "viewer/ReceivedText.h"

#include <fuzzer/FuzzedDataProvider.h>

namespace {

constexpr qsizetype maxBytes = ByteHistory::BlockSize + 2 * ByteHistory::Stride;

// The bytes the viewer must hold: those behind its text, and in Txt those
// that arrived since, shown as decimal tokens after the characters.
struct Expected {
    ViewerNotation notation = ViewerNotation::Hex;
    QByteArray bytes;
    QByteArray tail;
};

QString tokens(QByteArrayView bytes, bool hex)
{
    QString text;
    NotationConverter::appendTokens(text, bytes, hex);
    return text;
}

// In Txt a byte of 161 or more takes the next byte as its trail.
bool endsInLead(QByteArrayView bytes)
{
    qsizetype at = 0;
    while (at + 1 < bytes.size())
        at += uchar(bytes[at]) >= 161 ? 2 : 1;
    return at == bytes.size() - 1 && uchar(bytes[at]) >= 161;
}

QString textOf(const Expected &expected)
{
    switch (expected.notation) {
    case ViewerNotation::Hex:
        return tokens(expected.bytes, true);
    case ViewerNotation::Ten:
        return tokens(expected.bytes, false);
    case ViewerNotation::Txt:
        break;
    }
    const NotationConverter::Result txt
        = NotationConverter::convert(ViewerNotation::Hex, ViewerNotation::Txt, tokens(expected.bytes, true));
    requireProperty(!txt.failed, "a Hex text converts to Txt");
    return txt.text + tokens(expected.tail, false);
}

QByteArray bytesOf(const ReceivedText &text)
{
    QByteArray bytes;
    for (QByteArrayView run = text.bytesFrom(0); !run.isEmpty(); run = text.bytesFrom(bytes.size()))
        bytes += run;
    return bytes;
}

void append(ReceivedText &text, Expected &expected, QByteArrayView chunk)
{
    text.append(chunk);
    (expected.notation == ViewerNotation::Txt ? expected.tail : expected.bytes) += chunk;
}

void convert(ReceivedText &text, Expected &expected, ViewerNotation to)
{
    const ViewerNotation from = expected.notation;
    bool succeeds = true;
    if (from == ViewerNotation::Txt && to != from) {
        succeeds = !expected.bytes.isEmpty() || !expected.tail.isEmpty();
        expected.bytes += tokens(expected.tail, false).toLatin1();
        expected.tail.clear();
    } else if (from == ViewerNotation::Ten && to == ViewerNotation::Txt && endsInLead(expected.bytes)) {
        succeeds = false;
        expected.bytes.chop(1);
    }
    expected.notation = to;
    requireProperty(text.convert(to) == succeeds, "a conversion fails only where the rules say so");
}

// The view asks for the text a stretch at a time; a long text in longer
// stretches, or the check would cost more than all the rest.
QString textInStretches(const ReceivedText &text, qsizetype stretch)
{
    QString out;
    const qsizetype step = stretch + text.length() / 128;
    for (qsizetype from = 0; from < text.length(); from += step)
        text.render(from, step, out);
    return out;
}

// The view draws the rows of tokens straight from the bytes behind them.
void checkTokensFrom(const ReceivedText &text, qsizetype probe)
{
    const qsizetype tokensLength = text.length() - text.tokensStart();
    if (tokensLength <= 0)
        return;
    const qsizetype position = text.tokensStart() + probe % tokensLength;
    const ReceivedText::Tokens from = text.tokensFrom(position);
    const QString drawn = tokens(from.bytes, from.hex).sliced(from.skip);
    requireProperty(!drawn.isEmpty() && text.mid(position, drawn.size()) == drawn,
        "the tokens from a position are the text there");
}

void check(const ReceivedText &text, const Expected &expected, qsizetype stretch)
{
    checkTokensFrom(text, stretch * 7919);
    requireProperty(bytesOf(text) == expected.bytes + expected.tail, "conversions change no byte");
    const QString shown = text.text();
    requireProperty(shown == textOf(expected), "the text is that of all its bytes in one chunk");
    requireProperty(textInStretches(text, stretch) == shown, "the text read in stretches is the whole text");
    if (expected.notation == ViewerNotation::Hex) {
        const NotationConverter::Result ten
            = NotationConverter::convert(ViewerNotation::Hex, ViewerNotation::Ten, shown);
        const NotationConverter::Result hex
            = NotationConverter::convert(ViewerNotation::Ten, ViewerNotation::Hex, ten.text);
        requireProperty(!ten.failed && !hex.failed && hex.text == shown, "Hex to Ten to Hex is the identity");
    }
    if (expected.notation == ViewerNotation::Txt && !shown.isEmpty()) {
        const NotationConverter::Result hex
            = NotationConverter::convert(ViewerNotation::Txt, ViewerNotation::Hex, shown);
        const QByteArray shownBytes = expected.bytes + tokens(expected.tail, false).toLatin1();
        requireProperty(hex.text == tokens(shownBytes, true), "a Txt text encodes back into its bytes");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    const qsizetype stretch = input.ConsumeIntegralInRange<qsizetype>(1, 200);
    ReceivedText text;
    Expected expected;
    while (input.remaining_bytes() > 0) {
        const uint8_t step = input.ConsumeIntegral<uint8_t>();
        if (step < 160) {
            const std::string chunk
                = input.ConsumeBytesAsString(input.ConsumeIntegralInRange<size_t>(1, 300));
            append(text, expected, QByteArrayView(chunk.data(), qsizetype(chunk.size())));
        } else if (step < 250) {
            const ViewerNotation to = ViewerNotation(step % 3);
            const bool changes = to != expected.notation;
            convert(text, expected, to);
            if (changes)
                check(text, expected, stretch);
        } else {
            // Enough bytes to cross the checkpoints and a block boundary, and
            // no more: every check reads the whole text.
            const std::string chunk
                = input.ConsumeBytesAsString(input.ConsumeIntegralInRange<size_t>(1, 2048));
            for (int repeat = input.ConsumeIntegralInRange(1, 40); repeat > 0 && text.byteCount() < maxBytes;
                 --repeat)
                append(text, expected, QByteArrayView(chunk.data(), qsizetype(chunk.size())));
        }
    }
    check(text, expected, stretch);
    return 0;
}
