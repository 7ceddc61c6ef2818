#pragma once
// The audit trail (base/audit_trail.h) as the flows write it: entries about
// the attached logger or a record file, built from the flows' typed values,
// appended to the trail of the program directory, and the digests of the
// record files the program writes (records/file_digest.h).
//
// A flow records what it did once it has ended, ok or failed:
//   record_audit(g, logger_entry(g, audit_action::setup_send)
//                       .change("interval", 10, 15)
//                       .fail("the logger did not acknowledge the interval"));
// and, when it wrote a record file, notes the file's digest:
//   note_file_digest(g, path, audit_action::mission_start);
#include "base/audit_trail.h"
#include "records/record_file.h"

#include <QDateTime>
#include <QJsonObject>
#include <QString>

namespace vx
{

struct Global;

// An entry of action about the attached logger: its serial number, model and
// mission as g holds them (the old-format logger has no mission).
AuditEntry logger_entry(const Global& g, const QString& action);
// An entry of action about the record file at path: the file, and the logger
// noted as its source when one is.
AuditEntry record_file_entry(const QString& action, const QString& path);

// clock-set: the logger's clock as last read and the time it was given.
AuditEntry clock_set_entry(const Global& g, const QDateTime& logger_clock, const QDateTime& set_to);
// mission-start: the mission as planned (details.plan), every value by name.
AuditEntry mission_start_entry(const Global& g, const QJsonObject& plan);
// record-file-sort: what a download's sort of the file at path found.
AuditEntry sort_entry(const QString& path, const SortResult& sort);
// Whether a sort is one the trail records: it merged repeated lines, kept new
// lines that share a stamp with older ones, or failed.
bool sort_worth_recording(const SortResult& sort);

// Appends entry to the trail of g.program_dir, at g.now() unless the entry
// has its time. A trail that cannot be written is said to the user (MESS165);
// the action itself stands. False then.
bool record_audit(Global& g, const AuditEntry& entry);

// Notes the digest of the record file at path, just written by action, at
// g.now(); the digest, or empty when the file cannot be read or the store
// written (said to the user when tell).
QString note_file_digest(Global& g, const QString& path, const QString& action, bool tell = true);

// record-file-save: a viewer's save to path; notes the file's digest when it
// lies in the log directory and records the save when that is so or the file
// held records before (held_records). error: why the save failed, empty when
// it was written.
void audit_record_file_save(Global& g, const QString& path, bool held_records, const QString& error = {});

} // namespace vx
