#pragma once
// The options of every vorlanix-cli command, read by one parser
// (QCommandLineParser) and turned once, here at the edge, into typed and
// range-checked values. Every command reads its words the same way:
// "--name VALUE" and "--name=VALUE", "-h" and "--help", options before and
// after its other words, "--" before words that start with a dash. A wrong
// call says why on stderr ("vorlanix-cli: ...", then "Try 'vorlanix-cli
// COMMAND --help'.") and exits with 2.
#include <QCommandLineParser>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <cstdio>
#include <optional>

namespace vx::cli
{

// One option of a command.
struct OptionSpec {
    QStringList names;           // "port", or {"y", "yes"}: the first long name is the one used below
    const char* value = nullptr; // the value's name; nullptr for an option without a value
    QString needs = {};          // what a missing value says; "--NAME needs a value" when empty
};

class CommandLine
{
public:
    // Reads args (the words after the command) with the options given and
    // -h, --help.
    CommandLine(const QString& command, const QList<OptionSpec>& options, const QStringList& args);

    const QString& command() const { return command_; }
    // -h or --help was given, among words that could be read; it goes
    // before any error in the values.
    bool help() const { return parsed_ && parser_.isSet(QStringLiteral("help")); }
    // The first usage error noted; empty when the call is right so far.
    const QString& error() const { return error_; }
    // Notes a usage error; the first one is the one reported.
    void fail(const QString& error);

    bool is_set(const QString& name) const { return parser_.isSet(name); }
    QString value(const QString& name) const { return parser_.value(name); }

    // Typed values: nullopt when the option is not given, or when its value
    // is not one (then error, or the standard text, is noted).
    std::optional<int> number(const QString& name, int min, int max, const QString& error);
    // A time as parse_cli_time takes it ("--NAME needs a time such as ...").
    std::optional<QDateTime> time(const QString& name, bool end_of_day);
    // One of the values allowed ("--NAME of COMMAND takes a|b").
    std::optional<QString> one_of(const QString& name, const QStringList& allowed);
    // --port: a COM number in the driver's range, or a device path.
    QString port();

    // The words that are not options: none allowed.
    void no_words();
    // Exactly one word (a file); missing says what its absence means.
    QString one_word(const QString& missing);
    // Any words but the first that are allowed ("unknown argument 'X' for COMMAND").
    void refuse_word(const QString& word);

    const QStringList& words() const { return words_; }

    // Once the values are read: with --help prints help_text to out and
    // gives exit_ok; after a usage error says why on err and gives
    // exit_usage; nullopt when the command is to run.
    std::optional<int> finish(std::FILE* out, std::FILE* err, const char* help_text) const;

private:
    bool parsed_ = false;
    QString command_;
    QCommandLineParser parser_;
    QStringList words_;
    QString error_;
};

// Prints a usage error the way every command does; returns exit_usage.
int usage_error(std::FILE* err, const QString& command, const QString& error);

} // namespace vx::cli
