#pragma once

#include "viewer/ByteHistory.h"
#include "viewer/ViewerNotation.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The received-data viewer's text, held as the bytes it stands for and
// produced a stretch at a time for the rows that are drawn. In Ten and Hex
// the text is one token per byte; in Txt it is the bytes read as
// code-page-936 characters, followed by decimal tokens for the bytes that
// arrived since. Converting keeps the bytes: the characters of a Txt text
// encode back into exactly the bytes they were read from, and the tokens
// appended in Txt become the bytes of their digits and blanks. So a
// conversion changes no byte and takes constant time whatever the length.
class ReceivedText
{
public:
    ViewerNotation notation() const { return m_notation; }

    // Tokens in the notation's form: hexadecimal in Hex, decimal in Ten, and
    // in Txt decimal tokens after the text.
    void append(QByteArrayView bytes);
    // Empties the text; the notation stays.
    void clear();
    // Converts the whole text to another notation. False when it failed: an
    // empty text out of Txt (it stays empty), or a Ten text ending in a lead
    // byte converted to Txt (the characters before it are kept). Either way
    // the text is in the new notation afterwards.
    bool convert(ViewerNotation to);

    qsizetype length() const;
    // Appends characters [from, from + count) of the text to out.
    void render(qsizetype from, qsizetype count, QString &out) const;
    QString mid(qsizetype from, qsizetype count) const;
    QString text() const { return mid(0, length()); }

    // Where the text is one token per byte up to its end: from the start in
    // Ten and Hex, after the characters in Txt.
    qsizetype tokensStart() const;
    // The tokens from a position at or after tokensStart(): the bytes from
    // the one whose token holds the position on, up to the end of the block
    // they are held in (the tokens after them come from the position after
    // their last one), their form, and how many characters of the first
    // token lie before the position.
    struct Tokens {
        QByteArrayView bytes;
        bool hex;
        qsizetype skip;
    };
    Tokens tokensFrom(qsizetype position) const;

    // The bytes the text stands for: those behind the tokens or characters,
    // then in Txt those that arrived since. They are held in blocks:
    // bytesFrom() gives those from a byte to the end of its block (empty at
    // the end).
    qsizetype byteCount() const { return m_bytes.size() + m_tail.size(); }
    QByteArrayView bytesFrom(qsizetype byte) const;

    qsizetype allocatedBytes() const { return m_bytes.allocatedBytes() + m_tail.allocatedBytes(); }

private:
    void tailTokensToBytes();

    ViewerNotation m_notation = ViewerNotation::Hex;
    ByteHistory m_bytes;
    // Txt only: the bytes that arrived since, shown as decimal tokens.
    ByteHistory m_tail;
};
