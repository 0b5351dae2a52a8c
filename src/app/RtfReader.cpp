#include "app/RtfReader.h"

#include "notation/CodePage936.h"
#include "notation/HexDigit.h"

#include <QStringDecoder>

#include <algorithm>
#include <limits>

namespace {

constexpr std::size_t MaxKeptDepth = 256;
constexpr qsizetype MaxWordLength = 32;
constexpr int GbkCharset = 134;
constexpr int MaxUnicodeSkip = 255;
constexpr qsizetype MaxFontNameLength = 256;

bool isLetter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Destinations whose content is never display text.
bool isSkippedDestination(const QByteArray &word)
{
    static const QByteArray words[] = { "colortbl", "stylesheet", "info", "pict", "object", "header",
        "headerl", "headerr", "headerf", "footer", "footerl", "footerr", "footerf", "footnote", "listtable",
        "listoverridetable", "rsidtbl", "xmlnstbl", "themedata", "colorschememapping", "latentstyles",
        "datastore", "generator" };
    return std::find(std::begin(words), std::end(words), word) != std::end(words);
}

// GBK goes through the program's code page 936 converter, which a Qt
// without ICU lacks too; other code pages fall back to Latin-1 there.
QString decodedIn(const QByteArray &encoding, QByteArrayView bytes)
{
    if (encoding == "GBK")
        return CodePage936::converter().decode(bytes);
    QStringDecoder decoder(encoding.constData());
    if (!decoder.isValid())
        decoder = QStringDecoder(QStringDecoder::Latin1);
    return decoder.decode(bytes);
}

} // namespace

QList<RtfReader::Run> RtfReader::toRuns(const QByteArray &rtf)
{
    return RtfReader(rtf).read();
}

QString RtfReader::toPlainText(const QByteArray &rtf)
{
    QString text;
    for (const Run &run : toRuns(rtf))
        text += run.text;
    return text;
}

RtfReader::RtfReader(const QByteArray &rtf)
    : m_rtf(rtf)
{
    m_groups.emplace_back();
}

QList<RtfReader::Run> RtfReader::read()
{
    while (m_position < m_rtf.size()) {
        const char c = m_rtf.at(m_position++);
        if (c == '{') {
            openGroup();
        } else if (c == '}') {
            closeGroup();
        } else if (c == '\\') {
            readControl();
        } else if (c != '\r' && c != '\n') {
            // Line breaks in the source are layout of the file, not text.
            readCharacter(c);
        }
    }
    flushBytes();
    return m_runs;
}

void RtfReader::readCharacter(char c)
{
    if (consumeSkippedCharacter())
        return;
    if (destination() == Destination::FontTable)
        readFontNameCharacter(c);
    if (destination() != Destination::Text)
        return;
    if (static_cast<unsigned char>(c) >= 0x80)
        appendByte(c);
    else if (static_cast<unsigned char>(c) >= 0x20 || c == '\t')
        appendText(QChar::fromLatin1(c));
}

void RtfReader::openGroup()
{
    flushBytes();
    m_pendingSkip = 0;
    if (m_groups.size() < MaxKeptDepth) {
        const Group inner = group();
        m_groups.push_back(inner);
    } else {
        ++m_uncountedDepth;
    }
}

void RtfReader::closeGroup()
{
    flushBytes();
    m_pendingSkip = 0;
    if (m_uncountedDepth > 0)
        --m_uncountedDepth;
    else if (m_groups.size() > 1)
        m_groups.pop_back();
}

void RtfReader::readControl()
{
    if (m_position >= m_rtf.size())
        return;
    const char c = m_rtf.at(m_position);
    if (isLetter(c)) {
        readControlWord();
        return;
    }
    ++m_position;
    if (c == '\'') {
        readHexEscape();
        return;
    }
    if (c == '*') {
        // "{\*\word ...}": a destination an older reader may ignore; this one
        // has no use for any of them.
        if (m_uncountedDepth == 0)
            group().destination = Destination::Skipped;
        return;
    }
    if (consumeSkippedCharacter() || destination() != Destination::Text)
        return;
    if (c == '\\' || c == '{' || c == '}')
        appendText(QChar::fromLatin1(c));
    else if (c == '~')
        appendText(QChar(0x00A0));
    else if (c == '_')
        appendText(QLatin1Char('-'));
    else if (c == '\r' || c == '\n')
        appendText(QLatin1Char('\n'));
}

void RtfReader::readControlWord()
{
    const qsizetype start = m_position;
    while (m_position < m_rtf.size() && isLetter(m_rtf.at(m_position)))
        ++m_position;
    const QByteArray word = m_rtf.mid(start, std::min(m_position - start, MaxWordLength));
    bool hasParameter = false;
    const int parameter = readParameter(hasParameter);
    if (m_position < m_rtf.size() && m_rtf.at(m_position) == ' ')
        ++m_position;

    if (word == "bin") {
        skipBinary(parameter);
        return;
    }
    if (consumeSkippedCharacter())
        return;
    if (destination() == Destination::FontTable)
        applyFontTableWord(word, parameter);
    else if (destination() == Destination::Text)
        applyControlWord(word, hasParameter, parameter);
}

int RtfReader::readParameter(bool &present)
{
    qsizetype digits = m_position;
    const bool negative = digits < m_rtf.size() && m_rtf.at(digits) == '-';
    if (negative)
        ++digits;
    present = digits < m_rtf.size() && isDigit(m_rtf.at(digits));
    if (!present)
        return 0;
    m_position = digits;
    // Saturate instead of overflowing; all digits still belong to the word.
    constexpr qint64 limit = qint64(std::numeric_limits<int>::max()) + 1;
    qint64 value = 0;
    while (m_position < m_rtf.size() && isDigit(m_rtf.at(m_position))) {
        value = std::min(limit, value * 10 + (m_rtf.at(m_position) - '0'));
        ++m_position;
    }
    if (negative)
        value = -value;
    return int(std::clamp<qint64>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// An escape is a backslash, a quote and exactly two hexadecimal digits; a
// shorter one (a cut document) stands for nothing.
void RtfReader::readHexEscape()
{
    int value = 0;
    int digits = 0;
    while (digits < 2 && m_position < m_rtf.size()) {
        const int digit = hexDigitValue(uchar(m_rtf.at(m_position)));
        if (digit < 0)
            break;
        value = value * 16 + digit;
        ++digits;
        ++m_position;
    }
    if (digits < 2 || consumeSkippedCharacter())
        return;
    if (destination() == Destination::FontTable)
        readFontNameCharacter(char(value));
    else if (destination() == Destination::Text)
        appendByte(char(value));
}

void RtfReader::applyControlWord(const QByteArray &word, bool hasParameter, int parameter)
{
    if (word == "par" || word == "line") {
        appendText(QLatin1Char('\n'));
    } else if (word == "tab") {
        appendText(QLatin1Char('\t'));
    } else if (word == "u" && hasParameter) {
        appendUnicode(parameter);
        m_pendingSkip = group().unicodeSkip;
    } else if (word == "uc" && hasParameter) {
        group().unicodeSkip = std::clamp(parameter, 0, MaxUnicodeSkip);
    } else if (word == "f" && hasParameter) {
        flushBytes();
        group().font = parameter;
    } else if (word == "plain") {
        flushBytes();
        group().font = m_defaultFont;
    } else if (word == "deff" && hasParameter) {
        m_defaultFont = parameter;
        group().font = parameter;
    } else if (word == "ansicpg" && hasParameter) {
        m_codePage = parameter;
    } else if (word == "fonttbl") {
        group().destination = Destination::FontTable;
    } else if (isSkippedDestination(word)) {
        group().destination = Destination::Skipped;
    }
}

void RtfReader::applyFontTableWord(const QByteArray &word, int parameter)
{
    if (word == "f") {
        m_definingFont = parameter;
        m_fontNameBytes.clear();
    } else if (word == "fcharset") {
        m_fontCharsets.insert(m_definingFont, parameter);
    }
}

// A font's name is the text of its entry up to the semicolon, in the font's
// own code page (宋体 is written in GBK).
void RtfReader::readFontNameCharacter(char c)
{
    if (c != ';') {
        if (m_fontNameBytes.size() < MaxFontNameLength)
            m_fontNameBytes.append(c);
        return;
    }
    m_fontNames.insert(m_definingFont, decodedIn(encodingOfFont(m_definingFont), m_fontNameBytes).trimmed());
    m_fontNameBytes.clear();
}

RtfReader::Destination RtfReader::destination() const
{
    return m_uncountedDepth > 0 ? Destination::Skipped : m_groups.back().destination;
}

void RtfReader::skipBinary(int count)
{
    m_position += std::clamp<qsizetype>(count, 0, m_rtf.size() - m_position);
}

bool RtfReader::consumeSkippedCharacter()
{
    if (m_pendingSkip == 0)
        return false;
    --m_pendingSkip;
    return true;
}

void RtfReader::appendText(QChar character)
{
    flushBytes();
    appendToRun(QString(character));
}

// Text always goes out in the font of the group it was read in: every font
// change and group boundary flushes the bytes waiting before it.
void RtfReader::appendToRun(const QString &text)
{
    const QString font = m_fontNames.value(group().font);
    if (m_runs.isEmpty() || m_runs.constLast().font != font)
        m_runs.append({ QString(), font });
    m_runs.last().text += text;
}

void RtfReader::appendByte(char byte)
{
    const QByteArray encoding = encodingOfFont(group().font);
    if (encoding != m_pendingEncoding)
        flushBytes();
    m_pendingEncoding = encoding;
    m_pendingBytes.append(byte);
}

void RtfReader::appendUnicode(int value)
{
    flushBytes();
    // Values above 32767 are written as negative numbers.
    const qint64 codePoint = value < 0 ? qint64(value) + 65536 : value;
    if (codePoint >= 0 && codePoint <= 0xFFFF)
        appendToRun(QString(QChar(char16_t(codePoint))));
    else if (codePoint > 0xFFFF && codePoint <= 0x10FFFF)
        appendToRun(QStringView(QChar::fromUcs4(char32_t(codePoint))).toString());
}

// The byte run is decoded as a whole so that the two escapes of a
// double-byte character form one character.
void RtfReader::flushBytes()
{
    if (m_pendingBytes.isEmpty())
        return;
    appendToRun(decodedIn(m_pendingEncoding, m_pendingBytes));
    m_pendingBytes.clear();
}

QByteArray RtfReader::encodingOfFont(int font) const
{
    if (m_fontCharsets.value(font, 0) == GbkCharset || m_codePage == 936)
        return "GBK";
    return "windows-" + QByteArray::number(m_codePage);
}
