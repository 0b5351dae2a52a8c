#include "CliApplication.h"
#include "StandardStreams.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("veltrin-cli"));

    StandardStreams::keepInputBytes();
    const std::unique_ptr<QIODevice> out = StandardStreams::openOutput(stdout);
    const std::unique_ptr<QIODevice> err = StandardStreams::openOutput(stderr);
    CliApplication cli(*out, *err, StandardStreams::isTerminal(stderr));
    return cli.run(QCoreApplication::arguments());
}
