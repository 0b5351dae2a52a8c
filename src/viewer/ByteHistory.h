#pragma once

#include "viewer/ViewerNotation.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <memory>
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
// The bytes and their checkpoints are kept in blocks of BlockSize bytes,
// each allocated once when the bytes reach it: megabytes arriving a chunk at
// a time would otherwise be copied into an ever larger array, the old and the
// new both held while they are, and the old ones left behind as holes.
//
// In Txt a lead byte at the very end stands alone (as one character).
class ByteHistory
{
public:
    ByteHistory();
    ~ByteHistory();

    void append(QByteArrayView bytes);
    void clear();
    // Drops the last byte; only for a lead byte waiting for its trail.
    void dropTrailingLead();

    qsizetype size() const { return m_size; }
    bool isEmpty() const { return m_size == 0; }
    // The bytes from byte on, up to the end of the block that holds it:
    // empty at the end.
    QByteArrayView bytesFrom(qsizetype byte) const;
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
    static constexpr qsizetype BlockSize = 64 * Stride;

private:
    struct Checkpoint {
        qsizetype ten;
        qsizetype txt;
        bool lead;
    };
    struct Block {
        char bytes[BlockSize];
        Checkpoint checkpoints[BlockSize / Stride];
    };

    uchar at(qsizetype byte) const
    {
        return uchar(m_blocks[size_t(byte / BlockSize)]->bytes[byte % BlockSize]);
    }
    const Checkpoint &checkpoint(qsizetype index) const;
    qsizetype checkpointCount() const { return (m_size + Stride - 1) / Stride; }
    qsizetype lastCheckpointAtOrBefore(qsizetype Checkpoint::*count, qsizetype position) const;
    void countChars(Block &block, qsizetype offset, QByteArrayView run);
    void renderTokens(bool hex, qsizetype from, qsizetype count, QString &out) const;
    void renderTxt(qsizetype from, qsizetype count, QString &out) const;

    std::vector<std::unique_ptr<Block>> m_blocks;
    qsizetype m_size = 0;
    qsizetype m_tenChars = 0;
    // Txt characters of the bytes up to the waiting lead byte, if any.
    qsizetype m_txtChars = 0;
    bool m_lead = false;
};
