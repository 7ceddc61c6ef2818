#pragma once
// Starting a mission: the settings that program the attached logger for a
// new recording, read back and compared, then the mission's record file
// header and its record-pointer entry (download mark).
//
// Wire order (current models), every setting acknowledged (command k + 32
// or the command itself, at most seven frames each):
//   10 2 (status: the logger, its clock and coefficients, before anything
//   changes; up to four tries 500 ms apart),
//   37 1 (recording on), 36 rollover, 34 interval, 35 gradient code,
//   10 2 (the logger clock again, for the start delay),
//   29 / 30 start delay low / high byte,
//   48..63 the mission name padded with blanks to 16 characters,
//   27 / 28 record pointer low / high byte (when the pointer is set),
//   then the model's limits, each after a 250 ms pause: 101: 39 lower, 40
//   upper (signed bytes); 103, 129: 77..80 raw-count limits; 130: 39
//   averaging; 131: 40 lower, 41 upper;
//   then the read-back: 10 2 and the name block (13 1).
// Old-format logger (type 55): 10 2, then frames without acknowledgement,
// 200 ms apart: 11 159 (its calibration answer, only for a gradient above
// 0), 32 the interval, 100 / 101 the gradient quotient high / low byte; then
// 10 2 to read back interval and quotient.
//
// Every value is checked before the first frame that changes the logger,
// the delayed start against the logger clock just read. A step the logger
// does not acknowledge ends the start with a message naming the step and
// what the logger has taken; the record file and the mark change only when
// the logger took the whole mission and reads it back as sent.
#include "programming/logger_readback.h"
#include "programming/mission_plan.h"

#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

namespace vx
{

struct Global;

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
    };

    MissionStart(Global& g, Hooks hooks);

    void set_existing_file(ExistingFile how) { existing_file_ = how; }
    // plan must have been checked for the attached model (parse_mission
    // with g.ident.type_code).
    Result run(const MissionPlan& plan);

    // False when the last run started the mission but its download mark or
    // record file header could not be written (the user was told).
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
    Result fail(const QString& step, const QString& note = {});
    Result refuse(const QString& text);
    void write_file_and_mark(const MissionPlan& plan, int pointer, bool mark);
    QString mess(int n) const;
    QString label(int n) const;

    Global& g_;
    Hooks hooks_;
    ExistingFile existing_file_ = ExistingFile::ask;
    bool new_header_ = true;
    QStringList taken_;              // what the logger acknowledged in this run
    std::optional<int> pointer_set_; // the record pointer the logger took in this run
    QString failed_step_;
    bool stored_ = true;
    std::vector<Difference> differences_;
};

} // namespace vx
