#pragma once

#include "CliRequest.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// veltrin-cli's command line: options for the port, then a command with its
// arguments and options. Every command has its own --help. Arguments are
// checked here, against the ranges the GUI offers, before anything is sent.
class CliCommandLine
{
public:
    enum class Outcome { Run, Help, Error };

    CliCommandLine();

    Outcome parse(const QStringList &arguments);

    const CliRequest &request() const { return m_request; }
    QString errorText() const { return m_error; }
    // The help of the command asked about, or the program's overview.
    QString helpText() const { return m_help; }

    // The baud-rate index of a rate in bit/s.
    static std::optional<int> baudIndex(const QString &text);
    // The first of the program's own options (--port, --baud, --json, ...)
    // that arguments give, as --name, or an empty string: a batch's lines
    // take none, since the batch opens the port once with its own.
    static QString portOptionIn(const QStringList &arguments);

private:
    enum class Kind { Printer, Channel, Baud, Text };
    struct Argument {
        QString name;
        Kind kind;
        QString description;
    };
    enum class Count {
        Exact,
        // The last argument repeats (select PRINTER...).
        LastRepeats,
        // The last argument may be left out (send with --file).
        LastOptional,
        // All the arguments or none (survey [FROM TO]).
        NoneOrAll,
    };
    struct Command {
        QString name;
        QString summary;
        QList<Argument> arguments;
        Count count;
        QList<QCommandLineOption> options;
    };

    static QList<Command> commands();
    static QList<QCommandLineOption> globalOptions();
    static QList<QCommandLineOption> everyOption();
    static QString overview(const QString &globalHelp);
    static QString syntax(const Command &command);
    static QString argumentSyntax(const Command &command, qsizetype index);

    bool parseCommand(const Command &command, const QStringList &arguments);
    bool readGlobalOptions(const QCommandLineParser &parser);
    bool readArguments(const Command &command, const QStringList &values);
    bool readSendOptions(const QCommandLineParser &parser, const QStringList &values);
    bool readMonitorOptions(const QCommandLineParser &parser);
    bool readBatchOptions(const QCommandLineParser &parser, const QStringList &values);
    bool readMoveKitOptions(const QCommandLineParser &parser);
    bool readNumber(Kind kind, const QString &name, const QString &text);
    bool readPrinters(const QString &text);
    bool reject(const QString &error);

    CliRequest m_request;
    QString m_error;
    QString m_help;
};
