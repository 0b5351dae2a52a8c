#include "notation/GbkEncoder.h"
#include "printtest/TextFileLoader.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include "SpecialFiles.h"
#endif

namespace {

const QString chinese = QStringLiteral("中文 abc");

QByteArray encoded(QStringConverter::Encoding encoding, const QString &text)
{
    return QStringEncoder(encoding).encode(text);
}

// Through the program's own converter: a Qt without ICU has no "GBK".
QByteArray gbk(const QString &text)
{
    QByteArray bytes;
    GbkEncoder::append(text, bytes);
    return bytes;
}

} // namespace

class tst_TextFileLoader : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void encodings_data();
    void encodings();
    void refusals_data();
    void refusals();
    void specialFilesAreRefusedUnopened();

private:
    QString writeFile(const QByteArray &bytes);

    QTemporaryDir m_dir;
};

QString tst_TextFileLoader::writeFile(const QByteArray &bytes)
{
    const QString path = m_dir.filePath(QStringLiteral("file.txt"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        return QString();
    return path;
}

void tst_TextFileLoader::encodings_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("encoding");
    const QByteArray utf8Bom("\xEF\xBB\xBF");
    QTest::newRow("UTF-8") << encoded(QStringConverter::Utf8, chinese) << chinese << "UTF-8";
    QTest::newRow("UTF-8 with a byte-order mark")
        << utf8Bom + encoded(QStringConverter::Utf8, chinese) << chinese << "UTF-8";
    QTest::newRow("UTF-16LE with a byte-order mark")
        << QByteArray("\xFF\xFE") + encoded(QStringConverter::Utf16LE, chinese) << chinese << "UTF-16LE";
    QTest::newRow("UTF-16BE with a byte-order mark")
        << QByteArray("\xFE\xFF") + encoded(QStringConverter::Utf16BE, chinese) << chinese << "UTF-16BE";
    QTest::newRow("GBK") << gbk(chinese) << chinese << "GBK";
    QTest::newRow("ASCII is read as GBK") << QByteArray("Hello") << QStringLiteral("Hello") << "GBK";
    // These bytes are also GBK (浣犲ソ); valid UTF-8 comes first.
    QTest::newRow("valid UTF-8 wins over GBK")
        << encoded(QStringConverter::Utf8, QStringLiteral("你好")) << QStringLiteral("你好") << "UTF-8";
    QTest::newRow("a second byte-order mark is text")
        << utf8Bom + utf8Bom + "A" << QStringLiteral("\uFEFFA") << "UTF-8";
    QTest::newRow("line breaks as they are")
        << gbk(QStringLiteral("A\rB\nC\r\n中\r")) << QStringLiteral("A\rB\nC\r\n中\r") << "GBK";
}

void tst_TextFileLoader::encodings()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(QString, encoding);
    const TextFileLoader::Result result = TextFileLoader::load(writeFile(bytes));
    QCOMPARE(result.error, QString());
    QCOMPARE(result.text, text);
    QCOMPARE(result.encoding, encoding);
}

void tst_TextFileLoader::refusals_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");
    const QString neither = QStringLiteral("文件内容既不是有效的UTF-8文本，也不是有效的GBK文本，未载入：");
    QTest::newRow("empty") << QByteArray() << QStringLiteral("文件是空的，没有可载入的内容：");
    QTest::newRow("byte-order mark alone")
        << QByteArray("\xFF\xFE") << QStringLiteral("文件是空的，没有可载入的内容：");
    QTest::newRow("not UTF-8 after its mark")
        << QByteArray("\xEF\xBB\xBF\xD6\xD0")
        << QStringLiteral("文件以UTF-8字节顺序标记开头，内容却不是有效的UTF-8文本，未载入：");
    QTest::newRow("UTF-16 with an odd byte") << QByteArray("\xFF\xFE\x41\x00\x42",
        5) << QStringLiteral("文件以UTF-16LE字节顺序标记开头，内容却不是有效的UTF-16LE文本，未载入：");
    QTest::newRow("UTF-16 with half a surrogate pair") << QByteArray("\xFE\xFF\xD8\x3D\x00\x41",
        6) << QStringLiteral("文件以UTF-16BE字节顺序标记开头，内容却不是有效的UTF-16BE文本，未载入：");
    QTest::newRow("lead byte without a trail byte") << QByteArray("A\x81\x20"
                                                                  "B")
                                                    << neither;
    QTest::newRow("cut inside a character") << QByteArray("AB\xD6") << neither;
    QTest::newRow("one byte over the limit") << QByteArray(TextFileLoader::maximumSize + 1, 'a')
                                             << QStringLiteral("文件太大（2049 KB），最多可载入 2048 KB：");
}

void tst_TextFileLoader::refusals()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    const QString path = writeFile(bytes);
    const TextFileLoader::Result result = TextFileLoader::load(path);
    QCOMPARE(result.error, message + QLatin1Char('\n') + QDir::toNativeSeparators(path));
    QCOMPARE(result.text, QString());
}

void tst_TextFileLoader::specialFilesAreRefusedUnopened()
{
#ifndef Q_OS_UNIX
    QSKIP("FIFOs and Unix sockets are made with POSIX calls, which a Windows build lacks");
#else
    const SpecialFiles special(m_dir.path());
    QVERIFY(special.isValid());
    const QString link = m_dir.filePath(QStringLiteral("link-to-fifo.txt"));
    QVERIFY(QFile::link(special.fifo, link));
    for (const QString &path : { special.fifo, special.socket, special.characterDevice, link }) {
        const TextFileLoader::Result result = TextFileLoader::load(path);
        QCOMPARE(result.error,
            QStringLiteral("所选的不是普通文件（管道、设备或套接字），未打开：\n")
                + QDir::toNativeSeparators(path));
    }
    QVERIFY(!special.fifoWasOpened());
#endif
}

QTEST_GUILESS_MAIN(tst_TextFileLoader)
#include "tst_textfileloader.moc"
