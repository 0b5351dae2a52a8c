#pragma once

#include "viewer/ViewerNotation.h"

#include <QByteArrayView>
#include <QString>

// The received-data viewer's text forms and the conversion of a whole text
// from one notation to another. Ten and Hex hold one token per byte, each
// followed by a blank; Txt holds the bytes as code-page-936 characters, where
// a byte of 161 or more is the lead byte of a two-byte character.
class NotationConverter
{
public:
    struct Result {
        // The converted text, or at a failure what was converted before it.
        QString text;
        bool failed = false;
    };

    // Appends one token per byte: "0A " when hex, else "10 ".
    static void appendTokens(QString &text, QByteArrayView bytes, bool hex);

    // A failure is a token that is no byte value in the old notation, a lead
    // byte without its trail byte, or an empty text to convert out of Txt.
    static Result convert(ViewerNotation from, ViewerNotation to, const QString &text);

private:
    static Result fromText(ViewerNotation to, const QString &text);
    static Result toText(ViewerNotation from, QStringView text);
    static Result betweenTokens(ViewerNotation from, ViewerNotation to, QStringView text);
};
