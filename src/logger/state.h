#pragma once
// What the program knows about the attached logger: its model, its decoded
// status, the conversion coefficients of its live readings, and the state of
// the poll cycle and of a running transfer. One logger at a time.
#include <QDateTime>
#include <QString>
#include <array>
#include <cstdint>

namespace vx {

struct Identification {
    std::uint16_t type_code = 0;  // 0 = no logger recognised
    int record_length = 6;        // bytes per stored record: 6, 8 or 9
    int ring_size = 5201;         // positions of the logger's circular memory
};

struct Status {
    std::uint16_t serial = 0;
    QDateTime logger_time;        // logger date and time of day (local, no zone)
    int record_pointer = -1;      // -1 = none or invalid
    int start_delay = 0;          // minutes
    int battery = 0;              // raw
    float corr1 = 0, corr2 = 0;   // sensor corrections, degrees C
    int interval = 0;             // raw interval byte
    int change_threshold = 0;     // raw byte 19 (old format: 16-bit raw)
    bool rollover = false;
    bool mission_on = false;
    QString mission_name;         // trailing blanks removed
};

// Conversion coefficients of the attached logger, refreshed on every poll
// and used by record decoding.
struct Coefficients {
    float a0 = 0, a1 = 1, a2 = 0, a3 = 1;
    // Capacitive humidity trim.
    float F0 = 0, S = 0, K = 0;
    // Bytes kept for record decoding (capacitive humidity models): [0] the
    // stored trim byte T (status byte 35; type 133: 36), [1] byte 37 (type
    // 133: byte 38, 128 and above stored as 127 minus the value), [2..7]
    // type 106's bytes 38..43 (42 and 43 folded the same way).
    std::array<int, 8> kept{};
    bool humidity_block_valid = true;
    // Old-format logger (type 55) coefficients.
    float old_a0 = 0, old_a1 = 1, old_a2 = 0;
};

struct PollState {
    std::uint16_t tick = 0;
    bool busy = false;
    int failures = 0;
    bool first_tick_done = false;
    bool diagnostic = false;
    int clock_countdown = 0;      // clock warning countdown
};

struct TransferState {
    bool store_marks = false;
    bool write_to_database = false;
    bool already_asked = false;
    std::uint16_t record_counter = 0;
};

} // namespace vx
