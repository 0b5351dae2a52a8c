// Rich-text documents, mutated from the help document, through the help
// panel's reader. Whatever the document, the reader returns some text: it
// never recurses, and it keeps nothing unbounded.

#include "FuzzProperty.h"
#include "app/RtfReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray rtf(reinterpret_cast<const char *>(data), qsizetype(size));
    const QList<RtfReader::Run> runs = RtfReader::toRuns(rtf);

    qsizetype length = 0;
    for (qsizetype i = 0; i < runs.size(); ++i) {
        length += runs[i].text.size();
        requireProperty(i == 0 || runs[i].font != runs[i - 1].font, "a run ends only where the font changes");
    }
    // Every control word, escape and byte gives at most one UTF-16 unit a
    // byte; a supplementary character's \u takes more bytes than its two.
    requireProperty(length <= rtf.size(), "the text is no longer than the document");
    return 0;
}
