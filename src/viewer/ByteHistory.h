#pragma once

#include "viewer/ViewerNotation.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <vector>

// Received bytes, held as bytes, with what it takes to read any stretch of
// their text in each notation without producing the whole text: Hex is three
// characters a byte; Ten tokens are two to four characters; in Txt a byte of
// 161 or more takes the next byte as its trail, so where a character starts
// depends on every byte before it. Every Stride bytes a checkpoint notes the
// Ten and Txt characters before it and whether a lead byte waits for its
// trail there. Those counts are kept up as bytes arrive, so switching the
// notation of megabytes costs nothing, and reading a stretch starts at most
// Stride bytes before it.
//
// In Txt a lead byte at the very end stands alone (as one character).
class ByteHistory
{
public:
    ByteHistory();

    void append(QByteArrayView bytes);
    void clear();
    // Drops the last byte; only for a lead byte waiting for its trail.
    void dropTrailingLead();

    const QByteArray &bytes() const { return m_bytes; }
    bool isEmpty() const { return m_bytes.isEmpty(); }
    // The last byte is a lead byte without a trail byte after it.
    bool endsInLead() const { return m_lead; }

    // The length of the text in a notation, in characters.
    qsizetype length(ViewerNotation form) const;
    // Appends characters [from, from + count) of the text in a notation.
    void render(ViewerNotation form, qsizetype from, qsizetype count, QString &out) const;

    // The token holding a position of the Ten or Hex text: its byte, and how
    // many of its characters lie before the position.
    struct TokenPosition {
        qsizetype byte;
        qsizetype skip;
    };
    TokenPosition tokenAt(bool hex, qsizetype position) const;

    qsizetype allocatedBytes() const;

    static constexpr qsizetype Stride = 1024;

private:
    struct Checkpoint {
        qsizetype ten;
        qsizetype txt;
        bool lead;
    };

    void renderTokens(bool hex, qsizetype from, qsizetype count, QString &out) const;
    void renderTxt(qsizetype from, qsizetype count, QString &out) const;

    QByteArray m_bytes;
    std::vector<Checkpoint> m_checkpoints;
    qsizetype m_tenChars = 0;
    // Txt characters of the bytes up to the waiting lead byte, if any.
    qsizetype m_txtChars = 0;
    bool m_lead = false;
};
