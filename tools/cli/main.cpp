#include "CliApplication.h"

#include <QCoreApplication>
#include <QFile>

#include <cstdio>

#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

int descriptorOf(FILE *stream)
{
#ifdef Q_OS_WIN
    return _fileno(stream);
#else
    return fileno(stream);
#endif
}

bool isTerminal(FILE *stream)
{
#ifdef Q_OS_WIN
    return _isatty(descriptorOf(stream)) != 0;
#else
    return isatty(descriptorOf(stream)) != 0;
#endif
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("veltrin-cli"));

    // Straight to the descriptors, past stdio's buffer (full buffering when
    // the output goes to a file or a pipe), so that a script reading the
    // results sees each one at once.
#ifdef Q_OS_WIN
    // Print data read from stdin is bytes: no CR LF translation, no Ctrl+Z end.
    _setmode(descriptorOf(stdin), _O_BINARY);
#endif
    QFile out;
    QFile err;
    out.open(descriptorOf(stdout), QIODevice::WriteOnly | QIODevice::Unbuffered);
    err.open(descriptorOf(stderr), QIODevice::WriteOnly | QIODevice::Unbuffered);
    CliApplication cli(out, err, isTerminal(stderr));
    return cli.run(QCoreApplication::arguments());
}
