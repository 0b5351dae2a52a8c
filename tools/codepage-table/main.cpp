// Writes the program's code page 936 converter out as a table: the bytes of
// every code point it can encode, and what every one- and two-byte sequence
// decodes to. The same table from two builds (Qt's converter on Linux,
// Windows' own under Windows or Wine) shows where the two differ.
#include "notation/CodePage936.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

namespace {

QString codePoints(const QString &text)
{
    QStringList points;
    for (char32_t c : text.toUcs4())
        points.append(QStringLiteral("U+%1").arg(uint(c), 4, 16, QLatin1Char('0')).toUpper());
    return points.join(QLatin1Char(' '));
}

void writeEncodings(CodePage936 &codePage, QTextStream &out)
{
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF)
            continue;
        const QByteArray bytes = codePage.encodeCharacter(QStringView(QChar::fromUcs4(c)));
        if (!bytes.isEmpty())
            out << "encode " << codePoints(QString::fromUcs4(&c, 1)) << ' ' << bytes.toHex(' ').toUpper()
                << '\n';
    }
}

void writeDecoding(CodePage936 &codePage, QByteArrayView bytes, QTextStream &out)
{
    bool valid = false;
    const QString text = codePage.decode(bytes, &valid);
    out << "decode " << bytes.toByteArray().toHex(' ').toUpper() << ' ';
    if (valid)
        out << codePoints(text) << '\n';
    else
        out << "invalid\n";
}

void writeDecodings(CodePage936 &codePage, QTextStream &out)
{
    for (int byte = 0; byte < 0x100; ++byte) {
        const char raw = char(byte);
        writeDecoding(codePage, QByteArrayView(&raw, 1), out);
    }
    for (int pair = 0; pair < 0x10000; ++pair) {
        const char raw[2] = { char(pair >> 8), char(pair) };
        writeDecoding(codePage, QByteArrayView(raw, 2), out);
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QFile file;
    if (!file.open(stdout, QIODevice::WriteOnly))
        return 1;
    QTextStream out(&file);
    CodePage936 &codePage = CodePage936::converter();
    out << "converter " << codePage.name() << '\n';
    writeEncodings(codePage, out);
    writeDecodings(codePage, out);
    out.flush();
    return file.error() == QFileDevice::NoError ? 0 : 1;
}
