// Print-test text through the send notation. The first byte picks the
// notation the text starts in, as the panel's option does; the rest is the
// text, read as UTF-8 (the way a loaded file or pasted text arrives).

#include "FuzzProperty.h"
#include "notation/SendNotation.h"

#include <QStringList>

namespace {

bool namesItsError(const SendNotation::Result &result)
{
    static const QStringList errors { QStringLiteral("类型不匹配，应为数据，范围：0-255"),
        QStringLiteral("类型不匹配！"), QStringLiteral("输入错误，输入应为ASCII码字符！") };
    return result.ok() || (result.bytes.isEmpty() && errors.contains(result.error));
}

// Tokens are read one at a time and only the directives carry over, so the
// text split at a blank parses to the bytes of its halves, one after the other.
void checkSplitAtBlank(
    const QString &text, qint16 startMode, const SendNotation::Result &whole, qint16 wholeEndMode)
{
    const qsizetype blank = text.indexOf(u' ', text.size() / 2);
    if (blank < 0)
        return;
    qint16 mode = startMode;
    const SendNotation::Result first = SendNotation::parse(text.first(blank), mode);
    const SendNotation::Result second = SendNotation::parse(text.sliced(blank + 1), mode);
    if (!first.ok() || !second.ok()) {
        requireProperty(!whole.ok(), "a half fails, so the whole fails");
        return;
    }
    requireProperty(whole.ok() && whole.bytes == first.bytes + second.bytes && mode == wholeEndMode,
        "the halves of a text split at a blank give its bytes and its notation");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const qint16 startMode = qint16(data[0] % 4);
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data) + 1, qsizetype(size) - 1);

    qint16 mode = startMode;
    const SendNotation::Result once = SendNotation::parse(text, mode);
    requireProperty(namesItsError(once), "a parse succeeds or names its error, and sends nothing then");
    requireProperty(mode >= 0 && mode <= 3, "the notation in force is one of the four");

    qint16 modeAgain = startMode;
    const SendNotation::Result twice = SendNotation::parse(text, modeAgain);
    requireProperty(twice.bytes == once.bytes && twice.error == once.error && modeAgain == mode,
        "the same text parses to the same bytes twice");

    checkSplitAtBlank(text, startMode, once, mode);
    return 0;
}
