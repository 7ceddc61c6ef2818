// vorlanix-cli audit and verify; see audit_command.h.
#include "cli/audit_command.h"

#include "base/audit_trail.h"
#include "base/printable.h"
#include "base/program_dir.h"
#include "cli/commands.h"
#include "cli/help_texts.h"
#include "records/file_digest.h"

#include <QCommandLineParser>
#include <QJsonArray>
#include <QJsonDocument>

namespace vx::cli
{

namespace
{

void print(std::FILE* f, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), f);
    std::fflush(f);
}

// Parses args with the options given and -h, --help; the error text, or empty.
QString parse(QCommandLineParser& parser, const QStringList& args, const QList<QCommandLineOption>& options)
{
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions(options);
    parser.addOption({{QStringLiteral("h"), QStringLiteral("help")}, {}});
    if (!parser.parse(QStringList{QStringLiteral("vorlanix-cli")} + args)) return parser.errorText();
    return {};
}

int usage(std::FILE* err, const QString& command, const QString& error)
{
    print(err,
          QStringLiteral("vorlanix-cli: %1\nTry 'vorlanix-cli %2 --help'.\n").arg(printable(error), command));
    return exit_usage;
}

// A value of an entry as the text listing shows it: "-" for null.
QString shown(const QJsonValue& v)
{
    if (v.isNull() || v.isUndefined()) return QStringLiteral("-");
    if (v.isDouble()) return QString::number(v.toInteger());
    return v.toString();
}

// One entry as one line of text.
QString entry_line(const QJsonObject& e)
{
    const QJsonObject program = e.value(QStringLiteral("program")).toObject();
    QString result = e.value(QStringLiteral("result")).toString();
    if (e.contains(QStringLiteral("reason")))
        result += QStringLiteral(" (%1)").arg(shown(e[QStringLiteral("reason")]));
    return printable(QStringLiteral("%1 %2 %3 serial %4 model %5 mission %6 by %7@%8 (%9 %10): %11")
                         .arg(shown(e[QStringLiteral("time")]), shown(e[QStringLiteral("action")]), result,
                              shown(e[QStringLiteral("serial")]), shown(e[QStringLiteral("model")]),
                              shown(e[QStringLiteral("mission")]), shown(e[QStringLiteral("user")]),
                              shown(e[QStringLiteral("host")]), shown(program[QStringLiteral("name")]))
                         .arg(shown(program[QStringLiteral("version")]),
                              audit_details_text(e.value(QStringLiteral("details")).toObject()))) +
           QLatin1Char('\n');
}

} // namespace

int audit_command(const QStringList& args, std::FILE* out, std::FILE* err)
{
    const QCommandLineOption json(QStringLiteral("json")), verify(QStringLiteral("verify")),
        since(QStringLiteral("since"), {}, QStringLiteral("TIME"));
    QCommandLineParser parser;
    if (const QString error = parse(parser, args, {json, verify, since}); !error.isEmpty())
        return usage(err, QStringLiteral("audit"), error);
    if (parser.isSet(QStringLiteral("help"))) {
        print(out, QString::fromUtf8(help_of(QStringLiteral("audit"))));
        return exit_ok;
    }
    if (!parser.positionalArguments().isEmpty())
        return usage(
            err, QStringLiteral("audit"),
            QStringLiteral("unknown argument '%1' for audit").arg(parser.positionalArguments().first()));
    std::optional<QDateTime> from;
    if (parser.isSet(since)) {
        from = parse_cli_time(parser.value(since), false);
        if (!from)
            return usage(err, QStringLiteral("audit"),
                         QStringLiteral("--since needs a time such as 2024-03-01 or 2024-03-01T10:15"));
    }

    const AuditTrail trail(find_program_dir());
    const AuditRead read = trail.read();
    if (!read.error.isEmpty()) {
        print(err, QStringLiteral("vorlanix-cli: cannot read the audit trail %1\n").arg(read.error));
        return exit_failed;
    }
    if (parser.isSet(verify)) {
        const QString verdict = QStringLiteral("audit trail %1: %2\n").arg(trail.path(), read.check.text());
        if (read.check.holds()) {
            print(out, verdict);
            return exit_ok;
        }
        print(err, QStringLiteral("vorlanix-cli: ") + verdict);
        return exit_failed;
    }
    if (read.missing && !parser.isSet(json))
        print(err, QStringLiteral("vorlanix-cli: no audit trail yet (%1)\n").arg(trail.path()));
    QJsonArray array;
    for (const AuditRow& row : read.entries) {
        const QDateTime t =
            QDateTime::fromString(row.entry.value(QStringLiteral("time")).toString(), Qt::ISODate);
        if (from && (!t.isValid() || t < *from)) continue;
        if (parser.isSet(json))
            array.append(row.entry);
        else
            print(out, entry_line(row.entry));
    }
    if (parser.isSet(json))
        print(out, QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Indented)));
    return exit_ok;
}

int verify_command(const QStringList& args, std::FILE* out, std::FILE* err)
{
    QCommandLineParser parser;
    if (const QString error = parse(parser, args, {}); !error.isEmpty())
        return usage(err, QStringLiteral("verify"), error);
    if (parser.isSet(QStringLiteral("help"))) {
        print(out, QString::fromUtf8(help_of(QStringLiteral("verify"))));
        return exit_ok;
    }
    if (parser.positionalArguments().size() != 1)
        return usage(err, QStringLiteral("verify"), QStringLiteral("verify needs one record file"));
    const QString file = parser.positionalArguments().first();
    const DigestStatus s = digest_status(file);
    if (!s.error.isEmpty()) {
        print(err, QStringLiteral("vorlanix-cli: cannot read %1\n").arg(printable(s.error)));
        return exit_failed;
    }
    QString text = digest_text(s) + QStringLiteral("\nsha256 %1\n").arg(s.actual);
    if (s.state == DigestState::changed) text += QStringLiteral("noted  %1\n").arg(s.noted);
    print(out, text);
    return s.state == DigestState::unchanged ? exit_ok : exit_failed;
}

} // namespace vx::cli
