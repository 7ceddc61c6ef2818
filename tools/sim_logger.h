#pragma once
// The simulated logger: its memory, its clock, its settings, and how it answers
// one received command frame. No I/O here; main.cpp owns the pseudo-terminal,
// the pacing and the injected faults.
//
// Record ring rule (also printed by --help): the logger writes record number k
// (k = 0, 1, 2, ...) at ring position k mod ring size, stamped start + k * interval.
// Without --wrap, positions 0 .. fill-1 hold records k = position. With --wrap
// every position holds a record: positions below fill hold the newer lap
// (k = ring size + position), the others the older one (k = position).
// Positions never written read as 0xFF bytes. Setting the record pointer
// erases the memory. Time stamps: record_time(); raw values: raw_values()
// in sim_logger.cpp, both also described by --help.
#include "sim_time.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace sim
{

using Bytes = std::vector<std::uint8_t>;

// What kind of readings a model stores and reports; picks the raw value rules.
enum class Kind {
    old_analog,   // 55
    digital,      // one digital temperature sensor
    analog,       // one analog input through a polynomial in the logger
    temp_humi,    // digital temperature + polynomial humidity
    counter,      // pulse counter
    ibutton,      // key number
    psychro,      // dry + wet digital temperature
    cap_humi,     // digital temperature + capacitive humidity
    two_temp,     // two digital temperatures
    flow,         // flow quantity
    two_analog,   // two analog temperatures (printer recorder)
    wind,         // two 0..20 mA inputs
    current_reed, // current loop + pulse counter
    level,        // current-loop level, seconds in value B
    pressure,     // temperature + capacitive humidity + air pressure
};

// One row per type code: everything the simulator needs to know of a model.
struct Model {
    int type;
    int status_length; // whole status reply, echo included
    int record_length; // 6, 8 or 9
    int ring_size;     // record positions
    Kind kind;
};

const Model* find_model(int type);
const std::vector<Model>& models();

struct Options {
    int type = 89;
    int serial = 1234;
    std::string name = "MISIA1";
    std::optional<int> pointer;
    int fill = 25;
    bool wrap = false;
    int interval = 10;
    Civil start{2024, 1, 1, 0, 0, 0};
    std::optional<std::int64_t> clock_offset; // seconds
    std::optional<Civil> clock;
    // The logger's clock was moved by clock_moved_minutes (negative: back)
    // just before it wrote record number clock_moved_at: records from there
    // on are stamped that much earlier or later.
    std::optional<std::int64_t> clock_moved_at;
    std::int64_t clock_moved_minutes = 0;
    // Live readings.
    std::optional<int> raw1, raw2, raw3; // absent: the values of the next record
    int err1 = 0, err2 = 0;
    std::optional<int> battery; // absent: a fresh battery of the model
    int corr1 = 0, corr2 = 0;
    std::optional<int> limit_lo, limit_hi;
    std::vector<float> coef; // empty: the model's default
};

// Describes the reply to one frame.
struct Reply {
    enum class What { none, ack, data, block } what = What::none;
    Bytes bytes; // the answer proper (without the echo)
};

class Logger
{
public:
    explicit Logger(const Options& options);

    const Model& model() const { return model_; }

    // Answer a valid frame, applying its effect on the logger's state.
    Reply handle(std::uint8_t command, std::uint8_t parameter);

    // The answer proper (after the echo) of the status request.
    Bytes status_answer() const;
    // 16 name characters followed by their sum.
    Bytes name_answer() const;
    // Ten records from ring position `position`, followed by their sum.
    Bytes block_answer(int position) const;

    // Raw bytes of the record at ring position `position` (0xFF when never written).
    Bytes record_at(int position) const;
    // One line per written position: "pos\tyyyy-mm-dd hh:mm:ss\traw...".
    std::string dump_ring() const;
    // Every setting the logger holds, one "key=value" line each (see --help).
    std::string dump_state() const;

    int pointer() const { return pointer_; }
    // Writes the next record, as a running mission does at each interval.
    void append_record();
    std::int64_t clock_seconds() const; // logger time, seconds since 2000
    std::string mission_name() const { return name_; }

    // Record number k held at `position`, or -1 when the position was never written.
    std::int64_t record_number_at(int position) const;
    // Time stamp of record k.
    Civil record_time(std::int64_t k) const;
    // The raw values (1 to 3 of them) of record k.
    std::vector<int> raw_values(std::int64_t k) const;

private:
    void set_clock(std::int64_t seconds);
    void set_clock_field(int which, int value);
    void apply_coef_series(std::uint8_t last_command);
    Reply handle_old(std::uint8_t command, std::uint8_t parameter);
    Bytes old_status_answer() const;
    Bytes old_calib_answer() const;
    // 7-byte records from record number from_k up to the newest.
    Bytes old_stream(std::int64_t from_k) const;

    Model model_;
    Options opt_;
    std::int64_t clock_base_ = 0; // logger seconds at clock_anchor_
    std::int64_t clock_anchor_ms_ = 0;
    int pointer_ = 0;
    // Records first_k_ .. next_k_-1 are in memory (record k at position k mod ring size).
    std::int64_t first_k_ = 0;
    std::int64_t next_k_ = 0;
    std::string name_;
    int serial_ = 0;
    int delay_ = 0;
    int interval_ = 10;
    int gradient_ = 0;
    int rollover_ = 1;
    int mission_ = 1;
    int corr1_ = 0, corr2_ = 0;
    int limit_lo_ = 127, limit_hi_ = 127; // type 101 signed bytes; 103/129 raw 16-bit
    int battery_ = 10;
    int averaging_ = 0;
    int setup_value_ = 0;  // 14: battery-low level
    int setup_sensor_ = 0; // 15: measuring length (99: also the sensor identification)
    int battery_replaced_ = 0;
    int text_series_ends_ = 0;
    int mem_cell_ = 0;
    int address_lo_ = 0;
    std::array<std::uint8_t, 256> memory_{};
    std::array<std::uint8_t, 17> coef_stage_{};
    std::array<float, 4> coef_{0, 1, 0, 1};
    std::array<std::uint8_t, 8> limit_bytes_{}; // 77..80 and 40/41 limits
    std::string coef_text_;
    std::array<std::string, 3> coef_texts_;
    int old_newest_ = 0;        // old format: N from 45/46
    std::int64_t old_mark_ = 0; // old format: records before it were already streamed
};

// Plain 8-bit sum.
std::uint8_t sum8(const Bytes& b, std::size_t from = 0, std::size_t to = static_cast<std::size_t>(-1));

} // namespace sim
