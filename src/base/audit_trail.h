#pragma once
// The audit trail: who did what to which logger or record file, and when.
//
// "audit.jsonl" in the program directory holds one JSON object per line, in
// this key order: time (ISO 8601 with its UTC offset), user (login name),
// host, program (name and version), action, serial, model, mission (of the
// logger; null when not known), result ("ok" or "failed"), reason (with
// "failed"), details (an object of the action's own) and prev, the SHA-256
// of the line before it ("" for the first line). A changed, removed or
// reordered line therefore breaks the chain at the line after it. Lines are
// appended with O_APPEND and synced under an flock lock on "audit.lock"
// beside the trail, which the desktop program and the command line share,
// and each line also goes to the system log (a copy outside the user's files).
//
// What the chain cannot show: a user who may write the program directory can
// rewrite or cut the whole trail consistently; the system log copy is the
// check against that.
#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <functional>
#include <optional>

namespace vx
{

// The action names of the trail (stable, language-independent).
namespace audit_action
{
inline const QString download = QStringLiteral("download");
inline const QString mission_start = QStringLiteral("mission-start");
inline const QString clock_set = QStringLiteral("clock-set");
inline const QString setup_send = QStringLiteral("setup-send");
inline const QString calibration_send = QStringLiteral("calibration-send");
inline const QString record_file_save = QStringLiteral("record-file-save");
inline const QString record_file_sort = QStringLiteral("record-file-sort");
} // namespace audit_action

// One entry, built by the flow that acted, from its typed values.
class AuditEntry
{
public:
    explicit AuditEntry(QString action) : action_(std::move(action)) {}

    // The logger acted on: serial number, type code and mission name, each
    // left null in the trail when not given.
    AuditEntry& logger(std::optional<int> serial, std::optional<int> model, std::optional<QString> mission);
    // One value of the details.
    AuditEntry& detail(const QString& key, const QJsonValue& value);
    // A value the action changed: details.changes.<name> = {"before", "after"}.
    AuditEntry& change(const QString& name, const QJsonValue& before, const QJsonValue& after);
    // The action failed, with why in plain English.
    AuditEntry& fail(const QString& reason);
    // When the action happened (the trail keeps its UTC offset); unset: when recorded.
    AuditEntry& at(const QDateTime& time);

    const QString& action() const { return action_; }
    bool failed() const { return failed_; }
    const QString& reason() const { return reason_; }
    const QDateTime& time() const { return time_; }
    const QJsonObject& details() const { return details_; }

    // The line of the trail (without its newline) with the fields of the
    // recording process and prev.
    QByteArray line(const QString& user, const QString& host, const QJsonObject& program,
                    const QString& prev) const;

private:
    QString action_;
    QJsonValue serial_, model_, mission_;
    bool failed_ = false;
    QString reason_;
    QDateTime time_;
    QJsonObject details_;
};

// Whether a trail's chain holds, and where it breaks first.
struct AuditCheck {
    enum class Break {
        none,
        not_json,  // the line is no JSON object
        not_first, // the first line names a line before it (lines before it were removed)
        not_next,  // prev does not name the line before (a line was changed, removed or moved)
    };
    int entries = 0;   // lines of the trail
    int broken_at = 0; // 1-based number of the first line that breaks the chain; 0: it holds
    Break kind = Break::none;
    bool holds() const { return broken_at == 0; }
    // A sentence in English: "chain holds, 3 entries" or where and why it breaks.
    QString text() const;
};

// One entry of a trail read for listing, with its 1-based line number.
struct AuditRow {
    int line = 0;
    QJsonObject entry;
};

// A trail read for listing: the lines that are JSON objects and the check of
// the whole chain.
struct AuditRead {
    QList<AuditRow> entries;
    AuditCheck check;
    bool missing = false; // there is no trail yet
    QString error;        // the trail exists but could not be read
};

class AuditTrail
{
public:
    // The trail of the program directory dir (with or without its trailing '/').
    explicit AuditTrail(const QString& dir);

    static QString file_name() { return QStringLiteral("audit.jsonl"); }
    static QString lock_name() { return QStringLiteral("audit.lock"); }
    QString path() const { return dir_ + file_name(); }

    // Where each recorded line goes besides the file: the system log, under
    // the name "vorlanix-audit". Replaceable (tests).
    std::function<void(const QByteArray& line)> system_log = send_to_system_log;
    static void send_to_system_log(const QByteArray& line);

    // Appends entry under the lock: its time (now when unset), this process's
    // user, host and program, and prev from the trail's last line. True only
    // when the line is on the disk; otherwise false with why in error. A last
    // line left without its newline by a write that was cut off is ended
    // first (and breaks the chain, as it should).
    bool record(const AuditEntry& entry, QString* error = nullptr) const;

    // The whole trail, read without the lock (a line is appended in one write).
    AuditRead read() const;
    // The check of a trail's bytes.
    static AuditCheck check(const QByteArray& contents);

private:
    QString dir_;
};

// The details of an entry as one line for people: "key value" pairs and
// "name: before -> after" for each change, separated by "; ".
QString audit_details_text(const QJsonObject& details);

// SHA-256 of bytes, in lower-case hexadecimal.
QString sha256_hex(const QByteArray& bytes);
// The login name of this process's user.
QString login_name();

} // namespace vx
