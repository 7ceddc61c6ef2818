#pragma once
// Starting a mission: the record file of the mission, then the settings that
// program the attached logger for a new recording, then the record-pointer
// entry (download mark) of the mission.
//
// Wire order (current models), every setting acknowledged (send_value,
// command k + 32, at most seven frames):
//   37 1 (recording on), 36 rollover, 34 interval, 35 gradient code,
//   10 2 (status request, the logger clock, up to four tries 500 ms apart),
//   29 / 30 start delay low / high byte (acknowledged, no offset),
//   48..63 the mission name padded with blanks to 16 characters,
//   27 / 28 record pointer low / high byte (when the pointer is set),
//   then the model's limits: 101: 39 lower, 40 upper (signed bytes);
//   103, 129: 77..80 raw-count limits; 130: 39 averaging; 131: 40 lower,
//   41 upper. Limit sends are followed by 250 ms and their acknowledgement
//   does not count, except the averaging flag of 130.
// Old-format logger (type 55), frames without acknowledgement, 200 ms apart:
//   11 159 (its calibration answer, only for a gradient above 0), 32 the
//   interval, 100 / 101 the gradient quotient high / low byte.
//
// Every typed value is checked before anything is sent. The record file and
// the mark change only when the logger took the whole mission.
#include <QDate>
#include <QString>
#include <QTime>
#include <cstdint>
#include <functional>
#include <optional>

namespace vx
{

struct Global;

// The mission as typed in the start dialog.
struct MissionForm {
    QString name;   // EDname: at most 15 characters, no "." "," ":"
    QString remark; // EDremark: record file header only
    QString period = QStringLiteral("30");
    bool synchro = true; // chksynchro; type 132: "Sekundy", the interval counts seconds
    QString gradient = QStringLiteral("0");
    std::optional<int> lower, upper; // chkLo / SpinLo, chkHi / spinHI; nullopt when unchecked
    bool pointer_shown = false;      // EDptr is visible
    QString pointer = QStringLiteral("0");
    bool clear_pointer = true; // CHKclearPTR
    bool rollover = true;      // CHKrol
    bool delayed = false;      // chkdelay
    QDate start_date;          // datepicker
    QTime start_time;          // timePicker (hours and minutes)
    // Type 102.
    QString flow_state = QStringLiteral("0"), flow_constant = QStringLiteral("10");
    // Type 107.
    QString flow_gradient = QStringLiteral("0");
    // Type 130.
    QString belsa_gradient = QStringLiteral("0");
    bool averaging = true;
    QString belsa_total = QStringLiteral("0");
};

class MissionStart
{
public:
    enum class Result {
        refused,  // stopped with a message (or by the user); the dialog stays open
        failed,   // the logger did not take a step; the dialog stays open
        started,  // the logger took the mission; the dialog closes
        sent_old, // type 55: the old-format settings went out; the dialog stays open
    };

    struct Hooks {
        // Decodes g.link.rx_buffer as a status reply into g (identification,
        // status, coefficients); true when recognised. Required.
        std::function<bool()> decode_status;
        // The database browser reads its file list again.
        std::function<void()> refresh_database;
    };

    MissionStart(Global& g, Hooks hooks);

    Result run(const MissionForm& form);

    // The step that was not acknowledged in the last failed run, as shown to the user.
    QString failed_step() const { return failed_step_; }

private:
    struct Checked;
    std::optional<Checked> check(const MissionForm& form);
    Result run_current(const MissionForm& form, const Checked& c, int* pointer);
    Result run_old_format(const Checked& c);
    bool read_logger_clock();
    // A 16-bit value as two acknowledged commands, low byte first; the bar
    // goes to bar after the first and to bar + 10 after the second.
    bool send_word(std::uint8_t command_lo, std::uint8_t command_hi, int value, int bar);
    Result fail(const QString& step);
    Result refuse(const QString& text);
    QString mess(int n) const;

    Global& g_;
    Hooks hooks_;
    QString failed_step_;
};

} // namespace vx
