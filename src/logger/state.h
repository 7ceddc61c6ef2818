#pragma once
// What the program knows about the attached logger: its model, its decoded
// status, the conversion coefficients of its live readings (conversions.h),
// and the state of the poll cycle and of a running transfer. One logger at a
// time.
#include "records/conversions.h"

#include <QDateTime>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>

namespace vx
{

struct Identification {
    std::uint16_t type_code = 0; // 0 = no logger recognised
    int record_length = 6;       // bytes per stored record: 6, 8 or 9
    int ring_size = 5201;        // positions of the logger's circular memory
};

struct Status {
    std::uint16_t serial = 0;
    QDateTime logger_time;      // logger date and time of day (local, no zone)
    int record_pointer = -1;    // -1 = none or invalid
    int start_delay = 0;        // minutes
    int battery = 0;            // raw
    float corr1 = 0, corr2 = 0; // sensor corrections, degrees C, as the readings add them
    float offset2 = 0;          // byte 23 as the second sensor's offset (99, 105, 108, 131), degrees C
    int interval = 0;           // raw interval byte
    int change_threshold = 0;   // raw byte 19 (old format: 16-bit raw)
    bool rollover = false;
    bool mission_on = false;
    QString mission_name; // trailing blanks removed
    // The mission's limits as the logger reports them (types 103 and 129
    // both, type 101 the upper one); nullopt when not set or not reported.
    std::optional<double> lower_limit, upper_limit;
};

struct PollState {
    std::uint16_t tick = 0;
    bool busy = false;
    int failures = 0;
    bool first_tick_done = false;
    bool diagnostic = false;
    int clock_countdown = 0; // clock warning countdown
};

struct TransferState {
    bool store_marks = false;
    bool write_to_database = false;
    bool already_asked = false;
    std::uint16_t record_counter = 0;
};

} // namespace vx
