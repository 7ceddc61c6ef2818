// One option parser for every command; see options.h.
#include "cli/options.h"

#include "base/printable.h"
#include "base/settings.h"
#include "cli/commands.h"

namespace vx::cli
{

namespace
{

// The name of an option word: "--port=7" -> "port".
QString name_of(const QString& word)
{
    QString name = word.section(QLatin1Char('='), 0, 0);
    while (name.startsWith(QLatin1Char('-')))
        name.remove(0, 1);
    return name;
}

// The option as the user wrote it: the word of args whose name is name.
QString written(const QStringList& args, const QString& name)
{
    for (const QString& a : args)
        if (a.startsWith(QLatin1Char('-')) && name_of(a) == name) return a;
    return name;
}

} // namespace

CommandLine::CommandLine(const QString& command, const QList<OptionSpec>& options, const QStringList& args)
    : command_(command)
{
    parser_.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser_.addOption({{QStringLiteral("h"), QStringLiteral("help")}, {}});
    for (const OptionSpec& o : options)
        parser_.addOption(o.value ? QCommandLineOption(o.names, {}, QLatin1String(o.value))
                                  : QCommandLineOption(o.names));
    if (parser_.parse(QStringList{QStringLiteral("vorlanix-cli")} + args)) {
        parsed_ = true;
        words_ = parser_.positionalArguments();
        return;
    }
    if (const QStringList unknown = parser_.unknownOptionNames(); !unknown.isEmpty()) {
        refuse_word(written(args, unknown.first()));
        return;
    }
    // A value is missing only after the last word.
    const QString last = args.isEmpty() ? QString() : args.last();
    for (const OptionSpec& o : options)
        for (const QString& name : o.names)
            if (o.value && (last == QLatin1String("--") + name || last == QLatin1String("-") + name)) {
                fail(o.needs.isEmpty() ? QStringLiteral("%1 needs a value").arg(last) : o.needs);
                return;
            }
    // Else a value was given to an option that takes none.
    for (const QString& a : args)
        for (const OptionSpec& o : options)
            if (!o.value && a.startsWith(QLatin1Char('-')) && a.contains(QLatin1Char('=')) &&
                o.names.contains(name_of(a))) {
                fail(QStringLiteral("%1 takes no value").arg(a.section(QLatin1Char('='), 0, 0)));
                return;
            }
    QString text = parser_.errorText();
    if (text.endsWith(QLatin1Char('.'))) text.chop(1);
    fail(text);
}

void CommandLine::fail(const QString& error)
{
    if (error_.isEmpty()) error_ = error;
}

std::optional<int> CommandLine::number(const QString& name, int min, int max, const QString& error)
{
    if (!is_set(name)) return std::nullopt;
    bool ok = false;
    const int n = value(name).toInt(&ok);
    if (ok && n >= min && n <= max) return n;
    fail(error);
    return std::nullopt;
}

std::optional<QDateTime> CommandLine::time(const QString& name, bool end_of_day)
{
    if (!is_set(name)) return std::nullopt;
    if (const auto t = parse_cli_time(value(name), end_of_day)) return t;
    fail(QStringLiteral("--%1 needs a time such as 2024-03-01 or 2024-03-01T10:15").arg(name));
    return std::nullopt;
}

std::optional<QString> CommandLine::one_of(const QString& name, const QStringList& allowed)
{
    if (!is_set(name)) return std::nullopt;
    if (allowed.contains(value(name))) return value(name);
    fail(QStringLiteral("--%1 of %2 takes %3").arg(name, command_, allowed.join(QLatin1Char('|'))));
    return std::nullopt;
}

QString CommandLine::port()
{
    const QString v = value(QStringLiteral("port"));
    bool number = false;
    const int n = v.toInt(&number);
    if (!is_set(QStringLiteral("port")) || v.contains(QLatin1Char('/')) ||
        (number && n >= min_com_port && n <= max_com_port))
        return v;
    fail(QStringLiteral("--port takes a COM number from %1 to %2, or a device path")
             .arg(min_com_port)
             .arg(max_com_port));
    return {};
}

void CommandLine::no_words()
{
    if (!words_.isEmpty()) refuse_word(words_.first());
}

QString CommandLine::one_word(const QString& missing)
{
    if (words_.size() > 1) refuse_word(words_[1]);
    if (words_.isEmpty()) fail(missing);
    return words_.value(0);
}

void CommandLine::refuse_word(const QString& word)
{
    fail(QStringLiteral("unknown argument '%1' for %2").arg(word, command_));
}

std::optional<int> CommandLine::finish(std::FILE* out, std::FILE* err, const char* help_text) const
{
    if (help()) {
        std::fputs(QString::fromUtf8(help_text).toLocal8Bit().constData(), out);
        std::fflush(out);
        return exit_ok;
    }
    if (!error_.isEmpty()) return usage_error(err, command_, error_);
    return std::nullopt;
}

int usage_error(std::FILE* err, const QString& command, const QString& error)
{
    const QString text =
        QStringLiteral("vorlanix-cli: %1\nTry 'vorlanix-cli %2--help'.\n")
            .arg(printable(error), command.isEmpty() ? QString() : command + QLatin1Char(' '));
    std::fputs(text.toLocal8Bit().constData(), err);
    std::fflush(err);
    return exit_usage;
}

} // namespace vx::cli
