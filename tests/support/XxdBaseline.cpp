#include "XxdBaseline.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryFile>

qint64 xxdHexNs(const QByteArray &bytes, QByteArray *hex)
{
    QTemporaryFile file;
    if (!file.open() || file.write(bytes) != bytes.size() || !file.flush())
        return -1;
    QProcess xxd;
    QElapsedTimer clock;
    clock.start();
    xxd.start(QStringLiteral("xxd"), { QStringLiteral("-p"), file.fileName() });
    if (!xxd.waitForFinished(60000))
        return -1;
    const qint64 elapsed = clock.nsecsElapsed();
    const QByteArray printed = xxd.readAllStandardOutput();
    if (hex)
        *hex = printed;
    return elapsed;
}
