// veltrin-cli's command line, up to the point where a port would open. The
// input is the arguments after the program's name, separated by NUL bytes.
// A usage error ends with exit code 2 and a help with 0, before any port is
// opened; a command line that goes on to the port asks only for what the GUI
// offers. Dry-run sends, which open no port, run whole.

#include "CliApplication.h"
#include "CliCommandLine.h"
#include "ExitCode.h"
#include "FuzzProperty.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QHash>

#include <cmath>

namespace {

QStringList argumentsOf(const uint8_t *data, size_t size)
{
    QStringList arguments { QStringLiteral("veltrin-cli") };
    const QByteArray all(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const QByteArray &argument : all.split('\0'))
        arguments.append(QString::fromUtf8(argument));
    return arguments;
}

int exitCodeOf(const QStringList &arguments)
{
    QBuffer out;
    QBuffer err;
    out.open(QIODevice::WriteOnly);
    err.open(QIODevice::WriteOnly);
    return CliApplication(out, err, false).run(arguments);
}

bool within(int value, int low, int high)
{
    return value >= low && value <= high;
}

// The numbers each command takes: P a printer, C a channel, B a baud-rate
// index; a trailing + repeats the last.
bool numbersFit(const CliRequest &request)
{
    static const QHash<QString, QString> kinds { { QStringLiteral("ports"), QString() },
        { QStringLiteral("status"), QStringLiteral("P") }, { QStringLiteral("host-channel"), QString() },
        { QStringLiteral("set-slave"), QStringLiteral("PPCC") },
        { QStringLiteral("set-host-channel"), QStringLiteral("C") },
        { QStringLiteral("select"), QStringLiteral("P+") },
        { QStringLiteral("search"), QStringLiteral("CC") }, { QStringLiteral("done"), QString() },
        { QStringLiteral("slave-baud"), QStringLiteral("PB") },
        { QStringLiteral("host-baud"), QStringLiteral("B") }, { QStringLiteral("send"), QString() },
        { QStringLiteral("monitor"), QString() }, { QStringLiteral("batch"), QString() } };
    if (!kinds.contains(request.command))
        return false;
    const QString kind = kinds.value(request.command);
    const bool repeats = kind.endsWith(u'+');
    const qsizetype fixed = repeats ? kind.size() - 1 : kind.size();
    if (repeats ? request.numbers.size() < fixed : request.numbers.size() != fixed)
        return false;
    for (qsizetype i = 0; i < request.numbers.size(); ++i) {
        const QChar k = kind[qMin(i, fixed - 1)];
        const int high = k == u'P' ? 4 : (k == u'C' ? 124 : 3);
        if (!within(request.numbers[i], k == u'P' ? 1 : 0, high))
            return false;
    }
    return true;
}

bool requestFits(const CliRequest &request)
{
    bool printersFit = !request.printers.isEmpty();
    for (int printer : request.printers)
        printersFit = printersFit && within(printer, 1, 4);
    return numbersFit(request) && printersFit && !request.port.isEmpty() && within(request.baudIndex, 0, 3)
        && within(request.handshaking, 0, 3) && within(request.timeoutMs, 1, 60000)
        && within(request.notation, 0, 3) && std::isfinite(request.seconds) && request.seconds >= 0
        && request.seconds <= 1e6;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    static int argc = 1;
    static char name[] = "fuzz_cli";
    static char *argv[] = { name, nullptr };
    new QCoreApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QStringList arguments = argumentsOf(data, size);
    CliCommandLine commandLine;
    switch (commandLine.parse(arguments)) {
    case CliCommandLine::Outcome::Error:
        requireProperty(!commandLine.errorText().isEmpty(), "a usage error says what is wrong");
        requireProperty(exitCodeOf(arguments) == UsageError, "a usage error exits with 2, before any port");
        return 0;
    case CliCommandLine::Outcome::Help:
        requireProperty(exitCodeOf(arguments) == Success, "a help exits with 0");
        return 0;
    case CliCommandLine::Outcome::Run:
        break;
    }
    const CliRequest &request = commandLine.request();
    requireProperty(requestFits(request), "what goes on to the port is what the GUI offers");
    if (request.command == QLatin1String("send") && request.dryRun && request.file.isEmpty()
        && request.text != QLatin1String("-")) {
        const int code = exitCodeOf(arguments);
        requireProperty(
            code == Success || code == UsageError, "a dry run opens no port and exits with 0 or 2");
    }
    return 0;
}
