#pragma once
// What the attached logger holds, read from its status: the status read of
// the programming flows (before their first frame and after their last),
// the settings one status reply reports, and the differences between what
// was sent and what came back.
//
// Wire notes: the status request is command 10 (parameter 2 at mission
// start, 160 as the poll asks); the reply's bytes 11..24 hold pointer, start
// delay, battery, serial, interval, gradient code, rollover, mission flag,
// correction 1 and the model's bytes 23 and 24; types 103 and 129 report
// their raw-count limits at 42..45; the capacitive humidity models (100,
// 106, 133) report their memory cells: 32..35 (the calibration words) at
// 31..34, cell 37 (humidity offset) at 35, cell 38 at 37, and on 106 cells
// 39..44 at 38..43 (type 133: cells 32..37 one byte later, cell 38 at 38).
#include "link/bytes.h"
#include "records/conversions.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <vector>

namespace vx
{

class Language;

struct Global;
struct Status;

// Sends the status request (command 10 with parameter), waits until the
// reply is complete (status.h), at most reply_ms (500 ms when 0), and
// decodes what came with decode (or into g's identification, status and
// coefficients when decode is empty); up to four tries, each a whole reply
// window apart, fewer when the user cancels. The reply (echo included) that
// was recognised, or nullopt.
std::optional<QByteArray> read_logger_status(Global& g, std::uint8_t parameter,
                                             const std::function<bool()>& decode = {}, int reply_ms = 0);

// What one status reply says the logger holds.
struct HeldSettings {
    std::uint16_t type = 0, serial = 0;
    int interval = 0, gradient = 0, delay = 0, pointer = -1;
    bool rollover = false, mission_on = false;
    std::uint8_t corr1 = 0, byte23 = 0, byte24 = 0; // status bytes 22, 23, 24 as they came
    std::optional<int> raw_lower, raw_upper;        // types 103 and 129
    std::array<float, 4> coef{};                    // the coefficient block: a0..a3 (107: A, B, type)
    std::map<int, std::uint8_t> cells;              // humidity models: memory cell -> byte
};
// reply: a recognised status reply; status and coef: what its decode gave.
// The old-format logger (55) reports its interval and gradient quotient only.
HeldSettings held_settings(ByteView reply, const Status& status, const Coefficients& coef);

struct Difference {
    QString what, sent, read;
};
// The message of a read-back that differs: heading, one line per
// difference (MESS115: "- what: odoslané X, prečítané Y"), then closing.
QString differences_text(const Language& lang, const QString& heading,
                         const std::vector<Difference>& differences, const QString& closing);

// "a, b, c", or LABEL198 ("nič") for none: what the logger has taken so far.
QString taken_text(const Language& lang, const QStringList& taken);

} // namespace vx
