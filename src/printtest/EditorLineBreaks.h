#pragma once

#include <QString>
#include <QStringView>

class QTextCursor;
class QTextDocument;

// The print-test editor shows every line break as a new line, but a loaded
// file may end its lines in CR LF, a lone CR or a lone LF, and each must
// reach the wire as it was: text notation sends a break's own bytes, and the
// other notations turn only CR LF into a blank. So each block of the
// document carries, as a property of its block format, the break that comes
// before it; a block without one follows a CR LF, the editor's own line
// break. Qt gives a block split off by Enter the format of the block it came
// from and keeps the first block's format when two are joined, so every
// break the user leaves alone keeps its bytes, and one typed into a line is
// of the kind of the break before that line: a lone-LF file's lines go on
// taking lone LFs.
class EditorLineBreaks
{
public:
    // Inserts text at the end of the document, each line break as it is.
    static void append(QTextDocument &document, QStringView text);
    // The document's text with each line break as it came.
    static QString text(const QTextDocument &document);

    // How much of text to append at once: about preferred characters, up to
    // just past a line break, so that no line is split between two appends
    // (nor a CR LF pair); a longer line goes in whole.
    static qsizetype sliceLength(QStringView text, qsizetype preferred);
};
