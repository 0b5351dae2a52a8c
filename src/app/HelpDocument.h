#pragma once

#include <QString>
#include <QStringList>

class QObject;
class QTextDocument;

// The fixed help document as the help panel and the full-screen help window
// show it: the stored rich text with every run in the font it is set in
// (the first run of "=" in Arial, the rest in 宋体), at 9 pt.
class HelpDocument
{
public:
    // A new copy of the document, owned by parent.
    static QTextDocument *create(QObject *parent);

    // The families asked for one of the document's fonts: the font itself,
    // then stand-ins with its metrics where it is not installed.
    static QStringList familiesFor(const QString &font);
};
