#pragma once
// A new mission twice over: as typed into the start dialog (or given on the
// command line), and checked and typed once for the attached model. The
// mission start takes only the typed plan; no text is parsed after it.
#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <QTime>
#include <cstdint>
#include <optional>

namespace vx
{

class Language;

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

// The mission checked for one model: every value fits what the logger takes.
struct MissionPlan {
    std::uint16_t type = 0; // the model it was checked for; 0: the rules every model shares
    QString name;           // trimmed, 1..15 characters; the record file, its header and the mark
    QByteArray name_bytes;  // the name in the logger's code page, padded with blanks to 16
    QString remark;
    int interval = 30;     // the interval byte (type 132 with seconds: 61..120)
    QString interval_text; // the record file's "PERIOD:" (the interval as typed, trimmed)
    double gradient = 0;   // the change to record on, >= 0 (type 130: its own field)
    QString gradient_text; // the record file's "GRADIENT:" (EDgrad as typed)
    int flow_counts = 0;   // type 107: the quantity threshold, 0..255
    // Limits, only on the models that take them (101, 103, 129, 131).
    std::optional<int> lower, upper;
    std::optional<int> pointer; // an explicit record pointer (EDptr shown), 0..ring size
    bool clear_pointer = true;
    bool rollover = true;
    std::optional<QDateTime> start; // a delayed start, whole minutes, as the logger's wall clock (UTC-tagged)
    bool averaging = true;          // type 130
    // The record file's "STATUS:" and "CONST:" lines (102: both; 130: STATUS).
    QString status_text, constant_text;
};

// Checks form for model type (0: the rules every model shares, as the
// command line checks its options before it reaches a logger). nullopt with
// *refusal set to the message to show when a value cannot go.
std::optional<MissionPlan> parse_mission(const MissionForm& form, std::uint16_t type, const Language& lang,
                                         QString* refusal);

// The interval range of a model: 1..255 minutes; type 132 1..60; the
// old-format logger 0..99 (0 stops it).
struct IntervalRange {
    int low, high;
};
IntervalRange interval_range(std::uint16_t type);

// The plan as the audit trail keeps it: every value by name, typed (a limit,
// pointer or start not given is null; the start as the logger's wall clock).
QJsonObject plan_values(const MissionPlan& plan);

} // namespace vx
