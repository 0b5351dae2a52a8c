#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <vector>

// Turns a rich-text (RTF) document into its text: paragraph marks become
// line feeds, tabs stay tabs, and hexadecimal escapes are decoded in the code
// page of the font they are set in (charset 134 is GBK). The text comes in
// runs, each with the name its font has in the font table; sizes and every
// other formatting word are dropped, and destinations such as the font table
// or "{\*\...}" groups contribute no text.
//
// The reader never recurses and bounds everything it keeps, so any input,
// however malformed, truncated or deeply nested, yields some text.
class RtfReader
{
public:
    // Text set in one font; font is empty where the table does not name it.
    struct Run {
        QString text;
        QString font;
    };

    static QList<Run> toRuns(const QByteArray &rtf);
    static QString toPlainText(const QByteArray &rtf);

private:
    enum class Destination { Text, FontTable, Skipped };

    struct Group {
        Destination destination = Destination::Text;
        int font = 0;
        int unicodeSkip = 1;
    };

    explicit RtfReader(const QByteArray &rtf);

    QList<Run> read();
    void readCharacter(char c);
    void readControl();
    void readControlWord();
    void readHexEscape();
    void applyControlWord(const QByteArray &word, bool hasParameter, int parameter);
    void applyFontTableWord(const QByteArray &word, int parameter);
    void readFontNameCharacter(char c);
    void openGroup();
    void closeGroup();
    void skipBinary(int count);
    int readParameter(bool &present);

    void appendText(QChar character);
    void appendToRun(const QString &text);
    void appendByte(char byte);
    void appendUnicode(int value);
    void flushBytes();
    QByteArray encodingOfFont(int font) const;
    bool consumeSkippedCharacter();

    Group &group() { return m_groups.back(); }
    Destination destination() const;

    const QByteArray m_rtf;
    qsizetype m_position = 0;
    std::vector<Group> m_groups;
    // Groups beyond the kept depth are only counted, so that nesting costs no
    // memory and their closing braces still match; their content is dropped.
    qsizetype m_uncountedDepth = 0;
    QHash<int, int> m_fontCharsets;
    QHash<int, QString> m_fontNames;
    int m_definingFont = 0;
    QByteArray m_fontNameBytes;
    int m_defaultFont = 0;
    int m_codePage = 1252;
    int m_pendingSkip = 0;
    QByteArray m_pendingBytes;
    QByteArray m_pendingEncoding;
    QList<Run> m_runs;
};
