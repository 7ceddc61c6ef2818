#pragma once
// Starting a mission: the settings that program the attached logger for a
// new recording, read back and compared, then the mission's record file
// header and its record-pointer entry (download mark).
//
// Wire order (current models), every setting acknowledged (command k + 32
// or the command itself, at most seven frames each):
//   10 2 (status: the logger, its clock and coefficients, before anything
//   changes; up to four tries 500 ms apart; asked after the questions),
//   37 1 (recording on), 36 rollover, 34 interval, 35 gradient code,
//   10 2 (the logger clock again, for the start delay),
//   29 / 30 start delay low / high byte,
//   48..63 the mission name padded with blanks to 16 characters,
//   27 / 28 record pointer low / high byte (when the pointer is set),
//   then the model's limits, each after a 250 ms pause: 101: 39 lower, 40
//   upper (signed bytes); 103, 129: 77..80 raw-count limits; 130: 39
//   averaging; 131: 40 lower, 41 upper;
//   then the read-back: 10 2 and the name block (13 1).
// Old-format logger (type 55), which answers only the poll's status request:
// 10 160, then frames without acknowledgement, 200 ms apart: 11 159 (its
// calibration answer, only for a gradient above 0; read before the first
// setting, so that a gradient it cannot take changes nothing), 32 the
// interval, 100 / 101 the gradient quotient high / low byte; then 10 160 to
// read back interval and quotient.
//
// Every value is checked before the first frame that changes the logger,
// the delayed start against the logger clock just read: it must lie at
// least two minutes ahead, so that the clock cannot reach it before the
// delay frames go out. A step the logger does not acknowledge ends the start
// with a message naming the step and what the logger has taken. The mission's
// download mark follows the logger's record pointer as soon as the pointer
// step is through (the logger records under the new name from there); the
// record file header is written only when the logger took the whole mission
// and reads it back as sent. Every run that sent a setting leaves an entry
// "mission-start" in the audit trail (logger/audit_log.h): the plan by value,
// ok or failed with the step, what the logger took and what reads back
// otherwise; a record file begun anew has its digest noted.
#include "programming/logger_readback.h"
#include "programming/mission_plan.h"

#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

namespace vx
{

struct Global;

// Records of the mission the logger holds now that this computer has not
// fetched: from the mission's download mark up to the logger's record
// pointer, across the end of the ring; without a mark every position below
// the pointer. 0 for the old-format logger (it streams its records and
// keeps their mark itself) and for a pointer that is not known.
int records_not_downloaded(const Global& g);

class MissionStart
{
public:
    enum class Result {
        declined, // the user answered No (or Cancel) before anything was sent
        refused,  // stopped with a message before anything that changes the logger was sent
        failed,   // a step failed or the logger reads back otherwise; the dialog stays open
        started,  // the logger took the mission and reads it back as sent; the dialog closes
        sent_old, // type 55: the old-format settings went out and read back; the dialog stays open
    };
    // What happens to a record file of the same mission name.
    enum class ExistingFile {
        ask,     // MESS31: Yes empties it, No appends, Cancel stops
        append,  // the new records go below the old ones; no new header
        replace, // emptied, with the new header
    };

    struct Hooks {
        // Decodes g.link.rx_buffer as a status reply into g (identification,
        // status, coefficients); true when recognised. Without it the decode
        // goes into g without a window.
        std::function<bool()> decode_status = {};
        // The database browser reads its file list again.
        std::function<void()> refresh_database = {};
        // The status bar's text: the verification text ("Overené"), or empty.
        std::function<void(const QString&)> show_status = {};
        // Fetches the new records of the logger's mission ("Prenos") and
        // returns when it has ended. With it, records not downloaded yet are
        // offered for download before the erase warning; without it (the
        // command line) the warning only names them.
        std::function<void()> download_new = {};
    };

    MissionStart(Global& g, Hooks hooks);

    void set_existing_file(ExistingFile how) { existing_file_ = how; }
    // plan must have been checked for the attached model (parse_mission
    // with g.ident.type_code).
    Result run(const MissionPlan& plan);

    // False when the last run could not write the download mark it owed the
    // logger's pointer, or the record file header of a started mission (the
    // user was told).
    bool stored() const { return stored_; }
    // The step that failed in the last run, as shown to the user.
    QString failed_step() const { return failed_step_; }
    // What the last read-back found different from what was sent.
    const std::vector<Difference>& differences() const { return differences_; }

private:
    struct Encoded;
    struct Sent;
    std::optional<Encoded> encode(const MissionPlan& plan);
    Result run_current(const MissionPlan& plan, Encoded& e);
    Result run_old_format(const MissionPlan& plan, const Encoded& e);
    Result verify(const Sent& sent);
    bool send(std::uint8_t command, std::uint8_t parameter, const QString& taken);
    // why: in plain English for the audit trail.
    Result fail(const QString& step, const QString& note = {}, const char* why = "not acknowledged");
    Result refuse(const QString& text);
    // The trail's entry of a run that sent settings (started, sent_old or failed).
    void audit(const MissionPlan& plan, const Encoded& e, Result r);
    // MESS32, with the count of records not downloaded above its question.
    QString erase_warning(int pending) const;
    // Stores the mission's mark; says so when the store refuses it.
    void write_mark(const QString& name, int pointer);
    // The record file header of a mission that was taken and read back.
    void write_file(const MissionPlan& plan);
    // What a failed start leaves on this computer: the mark when it moved, the file.
    QString what_stays() const;
    QString mess(int n) const;
    QString label(int n) const;

    Global& g_;
    Hooks hooks_;
    ExistingFile existing_file_ = ExistingFile::ask;
    bool new_header_ = true;
    std::uint16_t type_ = 0;      // the model of this run
    QStringList taken_;           // what the logger acknowledged in this run
    std::optional<int> mark_set_; // the mark stored in this run
    QString mark_name_;           // under this mission name
    QString failed_step_;
    QString failure_; // why the run failed, for the audit trail
    QString digest_;  // of the record file begun by this run
    bool stored_ = true;
    std::vector<Difference> differences_;
};

} // namespace vx
