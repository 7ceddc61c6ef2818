// The flows' side of the audit trail (see audit_log.h).
#include "logger/audit_log.h"

#include "base/ui_port.h"
#include "logger/program_state.h"
#include "logger/record_handoff.h"
#include "records/file_digest.h"
#include "records/record_source.h"

#include <QDir>
#include <QFileInfo>

namespace vx
{

namespace
{

// The logger's local clock, which knows no zone.
QString local_stamp(const QDateTime& t)
{
    return t.isValid() ? t.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) : QString();
}

bool in_log_dir(const Global& g, const QString& path)
{
    return QFileInfo(QFileInfo(path).absolutePath()).canonicalFilePath() ==
           QFileInfo(log_dir(g)).canonicalFilePath();
}

} // namespace

AuditEntry logger_entry(const Global& g, const QString& action)
{
    AuditEntry e(action);
    const int type = g.ident.type_code;
    if (type == 0) return e;
    // The old-format logger has no mission name.
    return e.logger(g.status.serial, type, type == 55 ? std::nullopt : std::optional(g.status.mission_name));
}

AuditEntry record_file_entry(const QString& action, const QString& path)
{
    AuditEntry e(action);
    if (const auto source = RecordSourceStore().read(QFileInfo(path).fileName()))
        e.logger(source->serial, source->type_code,
                 source->mission.isEmpty() ? std::nullopt : std::optional(source->mission));
    return e.detail(QStringLiteral("file"), QFileInfo(path).absoluteFilePath());
}

AuditEntry clock_set_entry(const Global& g, const QDateTime& logger_clock, const QDateTime& set_to)
{
    return logger_entry(g, audit_action::clock_set)
        .change(QStringLiteral("clock"), local_stamp(logger_clock), local_stamp(set_to))
        .detail(QStringLiteral("offset"), set_to.offsetFromUtc());
}

AuditEntry mission_start_entry(const Global& g, const QJsonObject& plan)
{
    return logger_entry(g, audit_action::mission_start).detail(QStringLiteral("plan"), plan);
}

bool sort_worth_recording(const SortResult& sort)
{
    return sort.failed || sort.repeats > 0 || sort.new_shared_stamps > 0;
}

AuditEntry sort_entry(const QString& path, const SortResult& sort)
{
    AuditEntry e = record_file_entry(audit_action::record_file_sort, path);
    e.detail(QStringLiteral("records"), sort.records)
        .detail(QStringLiteral("merged_repeats"), sort.repeats)
        .detail(QStringLiteral("shared_stamps"), sort.shared_stamps)
        .detail(QStringLiteral("new_shared_stamps"), sort.new_shared_stamps)
        .detail(QStringLiteral("undated"), sort.undated);
    if (sort.failed) e.fail(QStringLiteral("the record file could not be sorted: ") + sort.error);
    return e;
}

bool record_audit(Global& g, const AuditEntry& entry)
{
    AuditEntry e = entry;
    if (!e.time().isValid()) e.at(g.now());
    const AuditTrail trail(g.program_dir);
    QString error;
    if (trail.record(e, &error)) return true;
    if (g.ui) g.ui->show_message(g.lang.mess(165).arg(trail.path(), error), btn::ok);
    return false;
}

QString note_file_digest(Global& g, const QString& path, const QString& action, bool tell)
{
    QString error;
    const QString sha = note_digest(path, action, g.now(), &error);
    if (sha.isEmpty() && tell && g.ui) g.ui->show_message(error, btn::ok);
    return sha;
}

void audit_record_file_save(Global& g, const QString& path, bool held_records, const QString& error)
{
    const bool in_log = in_log_dir(g, path);
    if (!in_log && !held_records) return;
    // Sources are noted by name for the files of the log directory only.
    AuditEntry e = in_log ? record_file_entry(audit_action::record_file_save, path)
                          : AuditEntry(audit_action::record_file_save)
                                .detail(QStringLiteral("file"), QFileInfo(path).absoluteFilePath());
    if (!error.isEmpty())
        e.fail(error);
    else if (in_log)
        e.detail(QStringLiteral("digest"), note_file_digest(g, path, audit_action::record_file_save));
    else
        e.detail(QStringLiteral("digest"), file_sha256(path));
    record_audit(g, e);
}

} // namespace vx
