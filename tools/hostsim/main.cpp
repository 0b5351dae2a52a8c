#include "hostsim/HostSimApplication.h"

#include <QCoreApplication>
#include <QFile>

#include <unistd.h>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("veltrin-hostsim"));

    // Straight to the descriptors, past stdio's buffer (full buffering when the
    // log goes to a file or a pipe), so a script reading the log sees each
    // line at once.
    QFile out;
    QFile err;
    out.open(STDOUT_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered);
    err.open(STDERR_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered);
    HostSimApplication simulator(out, err);
    return simulator.run(QCoreApplication::arguments());
}
