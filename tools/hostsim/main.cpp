#include "hostsim/HostSimApplication.h"

#include <QCoreApplication>
#include <QFile>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("veltrin-hostsim"));

    // Unbuffered, so a script reading the log sees each line at once.
    QFile out;
    QFile err;
    out.open(stdout, QIODevice::WriteOnly | QIODevice::Unbuffered);
    err.open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered);
    HostSimApplication simulator(out, err);
    return simulator.run(QCoreApplication::arguments());
}
