#include "printtest/EditorLineBreaks.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

namespace {

constexpr int breakBeforeProperty = QTextFormat::UserProperty + 1;
const QString editorBreak = QStringLiteral("\r\n");

// Every character that the document turns into a block break: CR, LF,
// paragraph separator and the two frame markers.
bool isBreak(QChar c)
{
    return c == u'\r' || c == u'\n' || c == QChar::ParagraphSeparator || c == QChar(0xFDD0)
        || c == QChar(0xFDD1);
}

// The length of the break at text[at], or 0.
qsizetype breakLength(QStringView text, qsizetype at)
{
    if (!isBreak(text[at]))
        return 0;
    return text[at] == u'\r' && at + 1 < text.size() && text[at + 1] == u'\n' ? 2 : 1;
}

QString breakBefore(const QTextBlock &block)
{
    const QVariant value = block.blockFormat().property(breakBeforeProperty);
    return value.isValid() ? value.toString() : editorBreak;
}

// Blocks first..last, all following the break kind.
void markBlocks(QTextDocument &document, int first, int last, QStringView kind)
{
    QTextCursor cursor(document.findBlockByNumber(first));
    cursor.setPosition(document.findBlockByNumber(last).position(), QTextCursor::KeepAnchor);
    QTextBlockFormat format;
    format.setProperty(breakBeforeProperty, kind.toString());
    cursor.mergeBlockFormat(format);
}

} // namespace

void EditorLineBreaks::append(QTextDocument &document, QStringView text)
{
    QString shown;
    shown.reserve(text.size());
    QList<QStringView> kinds;
    for (qsizetype at = 0; at < text.size();) {
        const qsizetype length = breakLength(text, at);
        if (length == 0) {
            shown.append(text[at++]);
            continue;
        }
        shown.append(u'\n');
        kinds.append(text.sliced(at, length));
        at += length;
    }
    QTextCursor end(&document);
    end.movePosition(QTextCursor::End);
    const int firstNew = end.blockNumber() + 1;
    end.insertText(shown);
    // A new block takes the format of the block it was split from, so every
    // one is marked, CR LF included; each run of one kind at once.
    for (qsizetype run = 0; run < kinds.size();) {
        qsizetype next = run + 1;
        while (next < kinds.size() && kinds[next] == kinds[run])
            ++next;
        markBlocks(document, firstNew + int(run), firstNew + int(next) - 1, kinds[run]);
        run = next;
    }
}

QString EditorLineBreaks::text(const QTextDocument &document)
{
    // Blocks are separated by U+2029 in the raw text, which, unlike the
    // plain text, keeps no-break spaces and line separators as they are.
    const QString raw = document.toRawText();
    QString result;
    result.reserve(raw.size() + document.blockCount());
    QTextBlock block = document.begin();
    qsizetype from = 0;
    for (qsizetype at = raw.indexOf(QChar::ParagraphSeparator); at >= 0;
         at = raw.indexOf(QChar::ParagraphSeparator, from)) {
        result.append(QStringView(raw).sliced(from, at - from));
        block = block.next();
        result.append(breakBefore(block));
        from = at + 1;
    }
    result.append(QStringView(raw).sliced(from));
    return result;
}

qsizetype EditorLineBreaks::sliceLength(QStringView text, qsizetype preferred)
{
    if (text.size() <= preferred)
        return text.size();
    for (qsizetype at = preferred - 1; at >= 0; --at) {
        if (const qsizetype length = breakLength(text, at))
            return at + length;
    }
    for (qsizetype at = preferred; at < text.size(); ++at) {
        if (const qsizetype length = breakLength(text, at))
            return at + length;
    }
    return text.size();
}
