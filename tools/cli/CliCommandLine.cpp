#include "CliCommandLine.h"

#include <QRegularExpression>

#include <algorithm>
#include <array>

namespace {

const QString program = QStringLiteral("veltrin-cli");

const QCommandLineOption portOption { { QStringLiteral("p"), QStringLiteral("port") },
    QStringLiteral("A device path, COM1-COM6 resolved as the GUI resolves them (VELTRIN_COMn), or auto: the "
                   "one USB serial port present. Default COM3."),
    QStringLiteral("PORT") };
const QCommandLineOption baudOption { { QStringLiteral("b"), QStringLiteral("baud") },
    QStringLiteral("9600, 19200, 38400 or 115200 bit/s (default 38400)."), QStringLiteral("BAUD") };
const QCommandLineOption handshakeOption { QStringLiteral("handshake"),
    QStringLiteral("none, xonxoff, rtscts or both (default rtscts)."), QStringLiteral("MODE") };
const QCommandLineOption timeoutOption { { QStringLiteral("t"), QStringLiteral("timeout") },
    QStringLiteral("How long to wait for a reply, in milliseconds (default 100)."), QStringLiteral("MS") };
const QCommandLineOption jsonOption { QStringLiteral("json"),
    QStringLiteral("One JSON object per result, each on a line of its own.") };
const QCommandLineOption verboseOption { QStringLiteral("verbose"),
    QStringLiteral("Show the status-line texts (line events, transmission outcomes) on stderr.") };
const QCommandLineOption helpOption { { QStringLiteral("h"), QStringLiteral("help") },
    QStringLiteral("Show the help, of a command when one is given.") };

const QCommandLineOption printersOption { QStringLiteral("printers"),
    QStringLiteral("The printers to send to, e.g. 1,3 (default 3, as the GUI starts)."),
    QStringLiteral("LIST") };
const QCommandLineOption notationOption { QStringLiteral("notation"),
    QStringLiteral("The notation in force at the start: dec, hex, ascii or text (default dec)."),
    QStringLiteral("NOTATION") };
const QCommandLineOption fileOption { QStringLiteral("file"),
    QStringLiteral("Send a text file, read as \"打开文件\" reads it (under a first line #txt)."),
    QStringLiteral("FILE") };
const QCommandLineOption dryRunOption { QStringLiteral("dry-run"),
    QStringLiteral("Print the bytes the send would put on the line, in hex (the select frame, then the "
                   "data), and open no port.") };
const QCommandLineOption reconnectOption { QStringLiteral("reconnect"),
    QStringLiteral("Go on across a device that goes away and comes back (a module reset, a cable "
                   "replugged), with a line on stderr for each loss and return.") };
const QCommandLineOption stopOnErrorOption { QStringLiteral("stop-on-error"),
    QStringLiteral("End the batch at the first command that does not exit with 0.") };
const QCommandLineOption formatOption { QStringLiteral("format"),
    QStringLiteral("hex, dec or text: the viewer's Hex, Ten or Txt notation (default hex)."),
    QStringLiteral("FORMAT") };
const QCommandLineOption timestampsOption { QStringLiteral("timestamps"),
    QStringLiteral("Each chunk received on a line of its own, after the local time it arrived "
                   "(2026-12-08 13:52:50.123).") };
const QCommandLineOption rawOption { QStringLiteral("raw"),
    QStringLiteral("Write the received bytes themselves, for a file or a pipe.") };
const QCommandLineOption yesOption { QStringLiteral("yes"),
    QStringLiteral("Move the kit; without it move-kit only says what it would move.") };
const QCommandLineOption secondsOption { QStringLiteral("seconds"),
    QStringLiteral("Stop after N seconds (default: at Ctrl+C)."), QStringLiteral("N") };

struct Name {
    const char *text;
    int value;
};

constexpr std::array<Name, 4> handshakeNames { { { "none", 0 }, { "xonxoff", 1 }, { "rtscts", 2 },
    { "both", 3 } } };
constexpr std::array<Name, 4> notationNames { { { "dec", 0 }, { "hex", 1 }, { "ascii", 2 }, { "text", 3 } } };
constexpr std::array<Name, 3> formatNames { { { "text", int(ViewerNotation::Txt) },
    { "dec", int(ViewerNotation::Ten) }, { "hex", int(ViewerNotation::Hex) } } };
constexpr std::array<int, 4> baudRates { 9600, 19200, 38400, 115200 };

template<std::size_t N> std::optional<int> lookUp(const std::array<Name, N> &names, const QString &text)
{
    const auto found = std::find_if(
        names.begin(), names.end(), [&text](const Name &name) { return text == QLatin1String(name.text); });
    return found == names.end() ? std::nullopt : std::optional<int>(found->value);
}

// Plain decimal digits, nothing around them.
std::optional<int> wholeNumber(const QString &text, int low, int high)
{
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,6}$"));
    if (!digits.match(text).hasMatch())
        return std::nullopt;
    const int value = text.toInt();
    return value >= low && value <= high ? std::optional<int>(value) : std::nullopt;
}

} // namespace

CliCommandLine::CliCommandLine() = default;

std::optional<int> CliCommandLine::baudIndex(const QString &text)
{
    const std::optional<int> rate = wholeNumber(text, 1, 999999);
    const auto found = std::find(baudRates.begin(), baudRates.end(), rate.value_or(0));
    return found == baudRates.end() ? std::nullopt : std::optional<int>(int(found - baudRates.begin()));
}

QList<QCommandLineOption> CliCommandLine::globalOptions()
{
    return { portOption, baudOption, handshakeOption, timeoutOption, jsonOption, verboseOption, helpOption };
}

// The global options and each command's, every one once: monitor and batch
// share --reconnect.
QList<QCommandLineOption> CliCommandLine::everyOption()
{
    QList<QCommandLineOption> options = globalOptions();
    for (const Command &command : commands()) {
        for (const QCommandLineOption &option : command.options) {
            const bool known = std::any_of(options.begin(), options.end(),
                [&option](const QCommandLineOption &other) { return other.names() == option.names(); });
            if (!known)
                options.append(option);
        }
    }
    return options;
}

QList<CliCommandLine::Command> CliCommandLine::commands()
{
    const Argument printer { QStringLiteral("PRINTER"), Kind::Printer, QStringLiteral("Printer 1-4.") };
    const Argument baud { QStringLiteral("BAUD"), Kind::Baud,
        QStringLiteral("9600, 19200, 38400 or 115200 bit/s.") };
    return {
        { QStringLiteral("ports"),
            QStringLiteral("List the serial ports present, with what identifies each device."), {},
            Count::Exact, {} },
        { QStringLiteral("status"),
            QStringLiteral("Ask whether a printer is on line (exit 0) or not (exit 1)."), { printer },
            Count::Exact, {} },
        { QStringLiteral("host-channel"), QStringLiteral("Print the host module's channel."), {},
            Count::Exact, {} },
        { QStringLiteral("set-slave"), QStringLiteral("Give a printer module a new address and channel."),
            { { QStringLiteral("PRINTER"), Kind::Printer, QStringLiteral("The printer it is now, 1-4.") },
                { QStringLiteral("NEW-PRINTER"), Kind::Printer,
                    QStringLiteral("The printer it becomes, 1-4.") },
                { QStringLiteral("CHANNEL"), Kind::Channel,
                    QStringLiteral("The channel it is on now, 0-124.") },
                { QStringLiteral("NEW-CHANNEL"), Kind::Channel,
                    QStringLiteral("The channel it moves to, 0-124.") } },
            Count::Exact, {} },
        { QStringLiteral("set-host-channel"), QStringLiteral("Move the host module to another channel."),
            { { QStringLiteral("CHANNEL"), Kind::Channel, QStringLiteral("Channel 0-124.") } }, Count::Exact,
            {} },
        { QStringLiteral("select"), QStringLiteral("Choose the printers that receive print data."),
            { { QStringLiteral("PRINTER..."), Kind::Printer, QStringLiteral("Printers 1-4, one or more.") } },
            Count::LastRepeats, {} },
        { QStringLiteral("search"),
            QStringLiteral("Print the free channels of a range as they arrive; ends once the module has been "
                           "quiet for a while."),
            { { QStringLiteral("FROM"), Kind::Channel, QStringLiteral("First channel, 0-124.") },
                { QStringLiteral("TO"), Kind::Channel, QStringLiteral("Last channel, 0-124.") } },
            Count::Exact, {} },
        { QStringLiteral("done"), QStringLiteral("Tell the host module that configuration is done."), {},
            Count::Exact, {} },
        { QStringLiteral("slave-baud"), QStringLiteral("Set a printer module's baud rate."),
            { printer, baud }, Count::Exact, {} },
        { QStringLiteral("host-baud"),
            QStringLiteral(
                "Set the host module's baud rate; this program's port follows, as the GUI's does."),
            { baud }, Count::Exact, {} },
        { QStringLiteral("send"),
            QStringLiteral("Send print data to printers: the select frame, then the data. Ctrl+C stops it."),
            { { QStringLiteral("TEXT"), Kind::Text,
                QStringLiteral("Print data in the send notation, or - to read it from stdin.") } },
            Count::LastOptional, { printersOption, notationOption, fileOption, dryRunOption } },
        { QStringLiteral("monitor"), QStringLiteral("Print received bytes as they come."), {}, Count::Exact,
            { formatOption, timestampsOption, rawOption, secondsOption, reconnectOption } },
        { QStringLiteral("batch"),
            QStringLiteral(
                "Run commands one per line, from FILE or stdin, on the port opened once; one result "
                "per command. Blank lines and # comments are skipped."),
            { { QStringLiteral("FILE"), Kind::Text,
                QStringLiteral("The commands, or - for stdin (the default).") } },
            Count::LastOptional, { stopOnErrorOption, reconnectOption } },
        { QStringLiteral("survey"),
            QStringLiteral("Find where printers 1-4 are: the host is set to each channel of FROM-TO (default "
                           "0-124) and every printer asked there. The host goes back to its channel at the "
                           "end, on a failure and on Ctrl+C."),
            { { QStringLiteral("FROM"), Kind::Channel, QStringLiteral("First channel, 0-124.") },
                { QStringLiteral("TO"), Kind::Channel, QStringLiteral("Last channel, 0-124.") } },
            Count::NoneOrAll, {} },
        { QStringLiteral("move-kit"),
            QStringLiteral("Move the host and every printer on line on its channel to CHANNEL, each checked "
                           "there; a failed step puts back what was moved. Without --yes it only says what "
                           "it would move."),
            { { QStringLiteral("CHANNEL"), Kind::Channel, QStringLiteral("The new channel, 0-124.") } },
            Count::Exact, { yesOption } },
    };
}

QString CliCommandLine::argumentSyntax(const Command &command, qsizetype index)
{
    const QString &name = command.arguments.at(index).name;
    if (command.count == Count::NoneOrAll) {
        const QString opening = index == 0 ? QStringLiteral("[") : QString();
        const QString closing = index == command.arguments.size() - 1 ? QStringLiteral("]") : QString();
        return opening + name + closing;
    }
    const bool optional = command.count == Count::LastOptional && index == command.arguments.size() - 1;
    return optional ? QLatin1Char('[') + name + QLatin1Char(']') : name;
}

QString CliCommandLine::syntax(const Command &command)
{
    QStringList words { command.name };
    for (qsizetype i = 0; i < command.arguments.size(); ++i)
        words.append(argumentSyntax(command, i));
    return words.join(QLatin1Char(' '));
}

QString CliCommandLine::overview(const QString &globalHelp)
{
    QString text = globalHelp + QStringLiteral("\nCommands:\n");
    for (const Command &command : commands())
        text += QStringLiteral("  %1\n      %2\n").arg(syntax(command), command.summary);
    text += QStringLiteral("\n%1 COMMAND --help shows a command's arguments and options.\n"
                           "Exit codes: 0 success or on line, 1 a negative answer, 2 a usage error, "
                           "3 a port or transmission error, 130 interrupted.\n")
                .arg(program);
    return text;
}

CliCommandLine::Outcome CliCommandLine::parse(const QStringList &arguments)
{
    // A first look for the command's name, knowing every option so that no
    // option's value is taken for it.
    QCommandLineParser first;
    first.addOptions(everyOption());
    first.addPositionalArgument(QStringLiteral("COMMAND"), QStringLiteral("What to do; see below."));
    const bool parsed = first.parse(arguments);
    const QString name = first.positionalArguments().value(0);

    if (name.isEmpty()) {
        if (first.isSet(helpOption)) {
            QCommandLineParser global;
            global.setApplicationDescription(
                QStringLiteral("Every command of the wireless printing kit's host module, from a shell."));
            global.addOptions(globalOptions());
            global.addPositionalArgument(QStringLiteral("COMMAND"), QStringLiteral("What to do; see below."),
                QStringLiteral("COMMAND [ARGUMENTS...]"));
            m_help = overview(global.helpText());
            return Outcome::Help;
        }
        reject(parsed ? QStringLiteral("no command given") : first.errorText());
        return Outcome::Error;
    }
    const QList<Command> all = commands();
    const auto command
        = std::find_if(all.begin(), all.end(), [&name](const Command &c) { return c.name == name; });
    if (command == all.end()) {
        reject(QStringLiteral("unknown command '%1'").arg(name));
        return Outcome::Error;
    }
    if (!parseCommand(*command, arguments))
        return Outcome::Error;
    return m_help.isEmpty() ? Outcome::Run : Outcome::Help;
}

bool CliCommandLine::parseCommand(const Command &command, const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(command.summary);
    parser.addOptions(globalOptions());
    parser.addOptions(command.options);
    // The usage line joins the positional arguments' syntaxes.
    parser.addPositionalArgument(command.name, QString(), command.name);
    for (qsizetype i = 0; i < command.arguments.size(); ++i) {
        const Argument &argument = command.arguments.at(i);
        parser.addPositionalArgument(argument.name, argument.description, argumentSyntax(command, i));
    }
    if (!parser.parse(arguments))
        return reject(parser.errorText());
    if (parser.isSet(helpOption)) {
        m_help = parser.helpText();
        return true;
    }
    m_request.command = command.name;
    const QStringList values = parser.positionalArguments().mid(1);
    return readGlobalOptions(parser) && readArguments(command, values)
        && (command.name != QLatin1String("send") || readSendOptions(parser, values))
        && (command.name != QLatin1String("monitor") || readMonitorOptions(parser))
        && (command.name != QLatin1String("batch") || readBatchOptions(parser, values))
        && (command.name != QLatin1String("move-kit") || readMoveKitOptions(parser));
}

bool CliCommandLine::readGlobalOptions(const QCommandLineParser &parser)
{
    m_request.json = parser.isSet(jsonOption);
    m_request.verbose = parser.isSet(verboseOption);
    if (parser.isSet(portOption)) {
        m_request.port = parser.value(portOption);
        if (m_request.port.isEmpty())
            return reject(QStringLiteral("--port needs a device path, COM1-COM6 or auto"));
    }
    if (parser.isSet(baudOption)) {
        const std::optional<int> index = baudIndex(parser.value(baudOption));
        if (!index)
            return reject(QStringLiteral("--baud must be 9600, 19200, 38400 or 115200, not '%1'")
                              .arg(parser.value(baudOption)));
        m_request.baudIndex = *index;
    }
    if (parser.isSet(handshakeOption)) {
        const std::optional<int> mode = lookUp(handshakeNames, parser.value(handshakeOption));
        if (!mode)
            return reject(QStringLiteral("--handshake must be none, xonxoff, rtscts or both, not '%1'")
                              .arg(parser.value(handshakeOption)));
        m_request.handshaking = *mode;
    }
    if (parser.isSet(timeoutOption)) {
        const std::optional<int> ms = wholeNumber(parser.value(timeoutOption), 1, 60000);
        if (!ms)
            return reject(QStringLiteral("--timeout must be 1-60000 milliseconds, not '%1'")
                              .arg(parser.value(timeoutOption)));
        m_request.timeoutMs = *ms;
    }
    return true;
}

bool CliCommandLine::readArguments(const Command &command, const QStringList &values)
{
    const qsizetype wanted = command.arguments.size();
    bool countFits = values.size() == wanted;
    if (command.count == Count::LastRepeats)
        countFits = values.size() >= wanted;
    else if (command.count == Count::LastOptional)
        countFits = values.size() == wanted || values.size() == wanted - 1;
    else if (command.count == Count::NoneOrAll)
        countFits = values.size() == wanted || values.isEmpty();
    if (!countFits && command.name == QLatin1String("send") && values.size() > wanted) {
        // A shell splits unquoted print data at its blanks.
        return reject(QStringLiteral("%1 takes its print data as one argument; quote it, as in \"65 66\"")
                          .arg(command.name));
    }
    if (!countFits)
        return reject(QStringLiteral("usage: %1 %2").arg(program, syntax(command)));
    for (qsizetype i = 0; i < values.size(); ++i) {
        const Argument &argument = command.arguments.at(qMin(i, wanted - 1));
        if (argument.kind == Kind::Text)
            m_request.text = values.at(i);
        else if (!readNumber(argument.kind, argument.name, values.at(i)))
            return false;
    }
    return true;
}

bool CliCommandLine::readNumber(Kind kind, const QString &name, const QString &text)
{
    std::optional<int> value;
    QString range;
    switch (kind) {
    case Kind::Printer:
        value = wholeNumber(text, 1, 4);
        range = QStringLiteral("a printer 1-4");
        break;
    case Kind::Channel:
        value = wholeNumber(text, 0, 124);
        range = QStringLiteral("a channel 0-124");
        break;
    default:
        value = baudIndex(text);
        range = QStringLiteral("9600, 19200, 38400 or 115200");
        break;
    }
    if (!value)
        return reject(QStringLiteral("%1 must be %2, not '%3'").arg(name, range, text));
    m_request.numbers.append(*value);
    return true;
}

bool CliCommandLine::readSendOptions(const QCommandLineParser &parser, const QStringList &values)
{
    if (parser.isSet(printersOption)) {
        m_request.printers.clear();
        for (const QString &list : parser.values(printersOption)) {
            if (!readPrinters(list))
                return false;
        }
    }
    if (parser.isSet(notationOption)) {
        const std::optional<int> notation = lookUp(notationNames, parser.value(notationOption));
        if (!notation)
            return reject(QStringLiteral("--notation must be dec, hex, ascii or text, not '%1'")
                              .arg(parser.value(notationOption)));
        m_request.notation = qint16(*notation);
    }
    m_request.file = parser.value(fileOption);
    m_request.dryRun = parser.isSet(dryRunOption);
    if (parser.isSet(fileOption) == !values.isEmpty())
        return reject(QStringLiteral("send takes one of TEXT, - (stdin) or --file FILE"));
    if (parser.isSet(fileOption) && m_request.file.isEmpty())
        return reject(QStringLiteral("--file needs a file name"));
    return true;
}

bool CliCommandLine::readPrinters(const QString &text)
{
    for (const QString &piece : text.split(QLatin1Char(','))) {
        const std::optional<int> printer = wholeNumber(piece.trimmed(), 1, 4);
        if (!printer)
            return reject(QStringLiteral("--printers takes printers 1-4 such as 1,3, not '%1'").arg(text));
        m_request.printers.append(*printer);
    }
    return true;
}

bool CliCommandLine::readMonitorOptions(const QCommandLineParser &parser)
{
    m_request.reconnect = parser.isSet(reconnectOption);
    m_request.timestamps = parser.isSet(timestampsOption);
    m_request.raw = parser.isSet(rawOption);
    if (m_request.raw && (parser.isSet(formatOption) || m_request.timestamps || m_request.json))
        return reject(QStringLiteral("--raw writes the bytes themselves: it takes no --format, --timestamps "
                                     "or --json"));
    if (parser.isSet(formatOption)) {
        const std::optional<int> format = lookUp(formatNames, parser.value(formatOption));
        if (!format)
            return reject(QStringLiteral("--format must be hex, dec or text, not '%1'")
                              .arg(parser.value(formatOption)));
        m_request.format = ViewerNotation(*format);
    }
    if (parser.isSet(secondsOption)) {
        bool ok = false;
        m_request.seconds = parser.value(secondsOption).toDouble(&ok);
        // Written so that NaN, which every comparison rejects, fails too.
        if (!ok || !(m_request.seconds > 0 && m_request.seconds <= 1e6))
            return reject(QStringLiteral("--seconds must be a positive number, not '%1'")
                              .arg(parser.value(secondsOption)));
    }
    return true;
}

bool CliCommandLine::readBatchOptions(const QCommandLineParser &parser, const QStringList &values)
{
    m_request.batchFile = values.value(0, QStringLiteral("-"));
    m_request.text.clear();
    m_request.stopOnError = parser.isSet(stopOnErrorOption);
    m_request.reconnect = parser.isSet(reconnectOption);
    if (m_request.batchFile.isEmpty())
        return reject(QStringLiteral("batch needs a file name, or - for stdin"));
    return true;
}

QString CliCommandLine::portOptionIn(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.addOptions(everyOption());
    parser.addPositionalArgument(QStringLiteral("COMMAND"), QString());
    if (!parser.parse(arguments))
        return QString();
    for (const QCommandLineOption &option : globalOptions()) {
        if (option.names() != helpOption.names() && parser.isSet(option))
            return QStringLiteral("--") + option.names().constLast();
    }
    return QString();
}

bool CliCommandLine::readMoveKitOptions(const QCommandLineParser &parser)
{
    m_request.confirmed = parser.isSet(yesOption);
    return true;
}

bool CliCommandLine::reject(const QString &error)
{
    m_error = error;
    return false;
}
