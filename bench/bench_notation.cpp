// Conversion speed of the send-data notation on two 10 MB texts: decimal,
// hexadecimal and ASCII tokens switched by directives, with comments; and
// text notation with Chinese words. MB are 10^6 bytes of the text in UTF-8
// (the size of the .txt file a user would load); the UTF-16 size is printed
// too. The best of several runs counts, in wall time and in CPU time: on a
// machine shared with builds the wall time mostly measures the others.

#include "notation/SendNotation.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QStringList>
#include <QTextStream>

#include <ctime>

namespace {

constexpr qsizetype targetUtf8Bytes = 10'000'000;
constexpr int runs = 5;

QString mixedText(QRandomGenerator &random)
{
    const QStringList asciiTokens = { QStringLiteral("A"), QStringLiteral("z"), QStringLiteral("ESC"),
        QStringLiteral("lf"), QStringLiteral("CR"), QStringLiteral("SP"), QStringLiteral("中"),
        QStringLiteral("DC2"), QStringLiteral("@"), QStringLiteral("nul") };
    const QStringList decimalForms
        = { QStringLiteral("2.5"), QStringLiteral("06"), QStringLiteral("1e2"), QStringLiteral("+7") };
    QString text;
    text.reserve(targetUtf8Bytes + 100);
    while (text.size() < targetUtf8Bytes) {
        text += QStringLiteral("#TEN ");
        for (int i = 0; i < 40; ++i) {
            const quint32 pick = random.bounded(10);
            text += pick == 0 ? decimalForms.at(random.bounded(decimalForms.size()))
                              : QString::number(random.bounded(256));
            text += QLatin1Char(' ');
        }
        text += QStringLiteral("//hex-part #HEX ");
        for (int i = 0; i < 40; ++i)
            text += QString::number(random.bounded(256), 16).rightJustified(2, QLatin1Char('0'))
                + QLatin1Char(' ');
        text += QStringLiteral("#asc ");
        for (int i = 0; i < 20; ++i)
            text += asciiTokens.at(random.bounded(asciiTokens.size())) + QLatin1Char(' ');
    }
    return text;
}

QString chineseText(QRandomGenerator &random)
{
    const QStringList words = { QStringLiteral("打印"), QStringLiteral("测试"), QStringLiteral("无线"),
        QStringLiteral("模块"), QStringLiteral("数据发送"), QStringLiteral("串口"), QStringLiteral("信道"),
        QStringLiteral("打印机"), QStringLiteral("Veltrin"), QStringLiteral("2.4GHz"),
        QStringLiteral("欢迎光临"), QStringLiteral("€5"), QStringLiteral("收据\r\n") };
    QString text = QStringLiteral("#TXT ");
    qsizetype utf8 = text.size();
    while (utf8 < targetUtf8Bytes) {
        const QString &word = words.at(random.bounded(words.size()));
        text += word + QLatin1Char(' ');
        utf8 += word.toUtf8().size() + 1;
    }
    return text;
}

void measure(QTextStream &out, const char *name, const QString &text)
{
    const double utf8Mb = text.toUtf8().size() / 1e6;
    qint64 bestNs = std::numeric_limits<qint64>::max();
    std::clock_t bestCpu = std::numeric_limits<std::clock_t>::max();
    qsizetype produced = 0;
    for (int run = 0; run < runs; ++run) {
        qint16 mode = SendNotation::Decimal;
        QElapsedTimer timer;
        timer.start();
        const std::clock_t cpuStart = std::clock();
        const SendNotation::Result result = SendNotation::parse(text, mode);
        bestCpu = qMin(bestCpu, std::clock() - cpuStart);
        bestNs = qMin(bestNs, timer.nsecsElapsed());
        if (!result.ok()) {
            out << name << ": unexpected error " << result.error << Qt::endl;
            return;
        }
        produced = result.bytes.size();
    }
    const double seconds = bestNs / 1e9;
    const double cpuSeconds = double(bestCpu) / CLOCKS_PER_SEC;
    out << name << ": " << QString::number(utf8Mb, 'f', 2) << " MB UTF-8 (" << text.size()
        << " UTF-16 units) -> " << produced << " bytes, best of " << runs << ": wall "
        << QString::number(seconds * 1e3, 'f', 1) << " ms = " << QString::number(utf8Mb / seconds, 'f', 1)
        << " MB/s, CPU " << QString::number(cpuSeconds * 1e3, 'f', 1)
        << " ms = " << QString::number(utf8Mb / cpuSeconds, 'f', 1) << " MB/s" << Qt::endl;
}

} // namespace

int main()
{
    QTextStream out(stdout);
    QRandomGenerator random(20240601);
    measure(out, "mixed decimal/hex/ASCII", mixedText(random));
    measure(out, "text notation, Chinese words", chineseText(random));
    return 0;
}
