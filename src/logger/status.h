#pragma once
// Status and name replies. Offsets count from the first byte of the reply
// buffer; bytes 0..4 are the echo of our request frame.
//
// Current-format status (command 10, parameter 160; 29 bytes or more):
//   5 type code, 6 seconds, 7 minutes, 8 hours, 9..10 day number,
//   11..12 record pointer, 13..14 start delay (minutes), 15 battery raw,
//   16..17 serial number, 18 interval, 19 change threshold (1/16 degree),
//   20 rollover flag, 21 mission flag, 22 correction 1 (sign-magnitude,
//   1/16 degree), 23..24 model specific, 26.. live readings (live.h).
// Old-format status (type 55): exactly 28 bytes; the 23-byte answer from
//   offset 5 holds serial (0..1, low first), model + 30 (2), BCD seconds,
//   minutes, hours (5..7), day/year (8), month (9), pointer (12..13, high
//   first), interval (16), threshold (18..19, high first) and a sum (22).
// Name block (command 13, parameter 1): 16 characters at 5..20, padded with
//   blanks, and their sum at 21.
#include "link/bytes.h"
#include "logger/state.h"
#include "logger/status_view.h"

#include <QDate>
#include <QString>
#include <cstdint>
#include <functional>

namespace vx
{

class Calibration;
class Language;

// What a status decode needs besides the reply.
struct DecodeInputs {
    Identification ident;           // before this reply (record length and ring size carry over)
    Status status;                  // before this reply (the clock is kept when the reply's clock is invalid)
    Coefficients coef;              // before this reply
    const Language* lang = nullptr; // model captions and LABEL10; built-in defaults when null
    bool diagnostic = false;
    QDate pc_date; // the computer's date (the old format's year)
    // Called with the serial number once it is known; returns the active
    // calibration definition of that logger, or nullptr.
    std::function<const Calibration*(std::uint16_t serial)> load_calibration;
};

struct StatusDecode {
    bool recognised = false;
    Identification ident;     // type code as read (0 when none), even when not recognised
    Status status;            // updated variables (valid when recognised)
    Coefficients coef;        // updated coefficients (valid when recognised)
    StatusView view;          // what the window shows (valid when recognised)
    bool clock_valid = false; // status.logger_time was read from this reply: compare it
    bool old_format = false;
    std::optional<int> key;   // type 93: the attached key's number
    bool pointer_tip = false; // old format: pointer above 5400 (tip "ERRDEVPTROLDMODEL")
};

// Identifies the model and decodes one status reply. Nothing outside the
// reply is read; a reply too short for a field the model needs is not
// recognised.
StatusDecode identify_and_decode(ByteView reply, const DecodeInputs& in);

// True when reply holds a whole status reply, so that waiting longer adds
// nothing: the length of the model named at offset 5 (live.h), or the 28
// bytes of the old-format logger with their sum right. A reply of a type
// without a row is never complete; its wait runs out.
bool status_reply_complete(ByteView reply);

// The mission name of a name block: nullopt when the reply is shorter than
// 22 bytes or its sum is wrong; trailing blanks removed. Bytes the code page
// leaves undefined stay distinct (see from_cp1250_distinct).
std::optional<QString> decode_name_block(ByteView reply);

// "Začala:" (Panel3), "d.M.yyyy hh:mm": the status holds no start time, so
// it is worked out as the logger's clock less one interval per record below
// the pointer, for a running mission that records every interval (no start
// delay left, no change threshold); empty otherwise. Recording only above
// or below a limit, or a memory that wrapped, make the real start earlier.
QString mission_start_text(const Status& s, std::uint16_t type, int ring_size);

// The logger date-time text of PanTime: short date, a blank, "hh:mm:ss".
QString logger_time_text(const QDateTime& t);

} // namespace vx
