#include "app/HelpDocument.h"

#include "app/RtfReader.h"

#include <QFile>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextOption>

namespace {

// "\fs18": half-points.
constexpr qreal pointSize = 9;
// Rich text's default tab stop, half an inch, at 96 pixels to the inch.
constexpr qreal tabStopPixels = 48;
// A rich-text box keeps only a pixel or two around its text; Qt's wider
// default would wrap the title line of the document.
constexpr qreal marginPixels = 2;

} // namespace

QTextDocument *HelpDocument::create(QObject *parent)
{
    auto *document = new QTextDocument(parent);
    QTextOption option = document->defaultTextOption();
    option.setTabStopDistance(tabStopPixels);
    document->setDefaultTextOption(option);
    document->setDocumentMargin(marginPixels);

    QFile file(QStringLiteral(":/help.rtf"));
    if (!file.open(QIODevice::ReadOnly))
        return document;
    QTextCursor cursor(document);
    const QList<RtfReader::Run> runs = RtfReader::toRuns(file.readAll());
    for (const RtfReader::Run &run : runs) {
        QTextCharFormat format;
        format.setFontFamilies(familiesFor(run.font));
        format.setFontPointSize(pointSize);
        cursor.insertText(run.text, format);
    }
    return document;
}

// 宋体 sets ASCII at exactly half the width of a Chinese character, which
// lines up the byte columns of the command formats; NSimSun and WenQuanYi
// Zen Hei Mono do the same. Arial needs no list: fontconfig answers it with
// Liberation Sans, which has Arial's widths.
QStringList HelpDocument::familiesFor(const QString &font)
{
    if (font == QStringLiteral("宋体"))
        return { font, QStringLiteral("SimSun"), QStringLiteral("NSimSun"),
            QStringLiteral("WenQuanYi Zen Hei Mono") };
    return { font };
}
