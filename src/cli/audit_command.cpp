// vorlanix-cli audit and verify; see audit_command.h.
#include "cli/audit_command.h"

#include "base/audit_trail.h"
#include "base/printable.h"
#include "base/program_dir.h"
#include "cli/commands.h"
#include "cli/help_texts.h"
#include "cli/options.h"
#include "records/file_digest.h"

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
    CommandLine c(QStringLiteral("audit"),
                  {{{QStringLiteral("json")}},
                   {{QStringLiteral("verify")}},
                   {{QStringLiteral("since")},
                    "TIME",
                    QStringLiteral("--since needs a time such as 2024-03-01 or 2024-03-01T10:15")}},
                  args);
    const std::optional<QDateTime> from = c.time(QStringLiteral("since"), false);
    const bool json = c.is_set(QStringLiteral("json")), verify = c.is_set(QStringLiteral("verify"));
    c.no_words();
    if (const auto status = c.finish(out, err, help_of(c.command()))) return *status;

    const AuditTrail trail(find_program_dir());
    const AuditRead read = trail.read();
    if (!read.error.isEmpty()) {
        print(err, QStringLiteral("vorlanix-cli: cannot read the audit trail %1\n").arg(read.error));
        return exit_failed;
    }
    if (verify) {
        const QString verdict = QStringLiteral("audit trail %1: %2\n").arg(trail.path(), read.check.text());
        if (read.check.holds()) {
            print(out, verdict);
            return exit_ok;
        }
        print(err, QStringLiteral("vorlanix-cli: ") + verdict);
        return exit_failed;
    }
    if (read.missing && !json)
        print(err, QStringLiteral("vorlanix-cli: no audit trail yet (%1)\n").arg(trail.path()));
    QJsonArray array;
    for (const AuditRow& row : read.entries) {
        const QDateTime t =
            QDateTime::fromString(row.entry.value(QStringLiteral("time")).toString(), Qt::ISODate);
        if (from && (!t.isValid() || t < *from)) continue;
        if (json)
            array.append(row.entry);
        else
            print(out, entry_line(row.entry));
    }
    if (json) print(out, QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Indented)));
    return exit_ok;
}

int verify_command(const QStringList& args, std::FILE* out, std::FILE* err)
{
    CommandLine c(QStringLiteral("verify"), {}, args);
    const QString file = c.one_word(QStringLiteral("verify needs one record file"));
    if (const auto status = c.finish(out, err, help_of(c.command()))) return *status;
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
