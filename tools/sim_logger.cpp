// Simulated logger.
//
// Wire notes (offsets count from the start of what the PC receives after its
// five-byte frame, whose echo comes first, so the answer proper starts at 5):
//  - status (10, any): type at 5, sec/min/hour at 6..8, day number at 9..10,
//    record pointer 11..12, start delay 13..14, battery 15, serial 16..17,
//    interval 18, change threshold 19, rollover 20, mission 21, correction 1 at
//    22, model byte 23 and 24, then the live readings and coefficient blocks of
//    the model from 26 on. No trailing sum; the length is fixed per model.
//  - name (13, 1): 16 blank-padded characters and their 8-bit sum.
//  - block (11, lo acknowledged; 12, hi): ten records read from ring position
//    (hi * 256 + lo - 1024) / record length, then their 8-bit sum.
//  - acknowledgement: command, parameter, 0xAA, 0x55.
//  - old format (type 55): status (10, 160 only) is a 23-byte answer with
//    BCD time and a trailing sum; records are 7 bytes with their own sum; its
//    clock, download and mission commands are not acknowledged, and it
//    answers no command beyond them.
#include "sim_logger.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace sim
{

namespace
{

// clang-format off
const std::vector<Model> model_table = {
    // type  status  record  ring   kind
    { 55,   28,     7,   5400,  Kind::old_analog},
    { 85,   29,     6,   5201,  Kind::digital},
    { 86,   42,     6,   5201,  Kind::analog},
    { 87,   44,     8,   3901,  Kind::temp_humi},
    { 88,   44,     8,   8001,  Kind::temp_humi},
    { 89,   29,     6,  10401,  Kind::digital},
    { 90,   29,     6,   5201,  Kind::counter},
    { 92,   44,     8,   3901,  Kind::temp_humi},
    { 93,   29,     6,  10401,  Kind::ibutton},
    { 94,   42,     6,  10401,  Kind::analog},
    { 95,   42,     6,  10401,  Kind::analog},
    { 96,   29,     6,  10401,  Kind::digital},
    { 97,   42,     6,  10401,  Kind::analog},
    { 99,   32,     8,   8001,  Kind::psychro},
    {100,   44,     8,   8000,  Kind::cap_humi},
    {101,   42,     6,  10401,  Kind::analog},
    {102,   29,     6,  10401,  Kind::counter},
    {103,   46,     6,  10401,  Kind::analog},
    {105,   44,     8,   8000,  Kind::two_temp},
    {106,   44,     8,   8000,  Kind::cap_humi},
    {107,   42,     6,  10401,  Kind::flow},
    {108,   45,     8,   8000,  Kind::two_analog},
    {111,   47,     8,   8000,  Kind::wind},
    {128,   29,     6,  10401,  Kind::digital},
    {129,   46,     6,  10401,  Kind::analog},
    {130,   47,     8,   8001,  Kind::current_reed},
    {131,   32,     8,   8000,  Kind::two_temp},
    {132,   47,     8,   8001,  Kind::level},
    {133,   45,     9,   7000,  Kind::pressure},
};
// clang-format on

void put16(Bytes& b, std::size_t at, int v)
{
    if (at + 1 >= b.size()) return;
    b[at] = static_cast<std::uint8_t>(v & 0xFF);
    b[at + 1] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
}

void put8(Bytes& b, std::size_t at, int v)
{
    if (at >= b.size()) return;
    b[at] = static_cast<std::uint8_t>(v & 0xFF);
}

void putf(Bytes& b, std::size_t at, float f)
{
    std::uint32_t u = 0;
    std::memcpy(&u, &f, 4);
    for (int i = 0; i < 4; ++i)
        put8(b, at + i, static_cast<int>(u >> (8 * i)));
}

// The byte that makes bytes from..to-1 plus itself add up to 170 mod 256.
std::uint8_t check170(const Bytes& b, std::size_t from, std::size_t to)
{
    return static_cast<std::uint8_t>(170 - sum8(b, from, to));
}

int bcd(int v)
{
    return (v / 10) * 16 + v % 10;
}
int from_bcd(int v)
{
    return (v >> 4) * 10 + (v & 15);
}

// Default conversion coefficients by kind: chosen so the default raw values
// give plausible readings.
std::array<float, 4> default_coef(Kind kind)
{
    switch (kind) {
    case Kind::old_analog:
        return {-50.0f, 0.05f, 0.0f, 0.0f};
    case Kind::analog:
    case Kind::two_analog:
        return {-250.0f, 0.25f, 0.0f, 0.0f};
    case Kind::temp_humi:
        return {0.0f, 0.1f, 0.0f, 0.0f};
    case Kind::wind:
        return {0.0f, 0.01f, 0.0f, 0.1f};
    case Kind::current_reed:
        return {0.0f, 0.01f, 0.0f, 0.0f};
    case Kind::level:
        return {0.0f, 0.1f, 0.0f, 0.0f};
    case Kind::flow:
        return {1.0f, 10.0f, 0.0f, 0.0f};
    default:
        return {0.0f, 1.0f, 0.0f, 1.0f};
    }
}

// Capacitive humidity trim defaults: F0, S, stored trim byte, K byte.
constexpr int cap_f0 = 3000;
constexpr int cap_s = 160;

// Raw battery byte of a fresh battery, by the model's battery circuit.
int fresh_battery_raw(int type)
{
    switch (type) {
    case 95:
    case 97:
        return 64; // about 9 V
    case 96:
    case 99:
    case 100:
    case 101:
    case 105:
    case 106:
    case 107:
    case 133:
        return 141; // about 3.6 V
    case 108:
        return 248; // about 9 V
    case 111:
        return 184; // about 3.6 V
    case 128:
    case 129:
    case 130:
        return 108; // 3.6 V
    case 131:
        return 108; // 90 %
    default:
        return 18; // 90 %
    }
}

} // namespace

const std::vector<Model>& models()
{
    return model_table;
}

const Model* find_model(int type)
{
    for (const Model& m : model_table)
        if (m.type == type) return &m;
    return nullptr;
}

std::uint8_t sum8(const Bytes& b, std::size_t from, std::size_t to)
{
    unsigned s = 0;
    to = std::min(to, b.size());
    for (std::size_t i = from; i < to; ++i)
        s += b[i];
    return static_cast<std::uint8_t>(s & 0xFF);
}

Logger::Logger(const Options& o) : opt_(o)
{
    const Model* m = find_model(o.type);
    model_ = m ? *m : model_table[5];
    interval_ = o.interval;
    name_ = o.name;
    serial_ = o.serial;
    battery_ = o.battery.value_or(fresh_battery_raw(model_.type));
    // Capacitive humidity calibration words live in memory cells 32..35.
    memory_[32] = cap_f0 & 0xFF;
    memory_[33] = cap_f0 >> 8;
    memory_[34] = cap_s & 0xFF;
    memory_[35] = cap_s >> 8;
    corr1_ = o.corr1;
    corr2_ = o.corr2;
    const bool raw_limits = o.type == 103 || o.type == 129;
    limit_lo_ = o.limit_lo.value_or(raw_limits ? 0 : 127);
    limit_hi_ = o.limit_hi.value_or(raw_limits ? 0 : 127);
    coef_ = default_coef(model_.kind);
    for (std::size_t i = 0; i < o.coef.size() && i < 4; ++i)
        coef_[i] = o.coef[i];
    const int fill = std::clamp(o.fill, 0, model_.ring_size);
    next_k_ = o.wrap ? model_.ring_size + fill % model_.ring_size : fill;
    pointer_ = o.pointer.value_or(o.wrap ? fill % model_.ring_size : fill);
    if (o.clock)
        set_clock(to_seconds(*o.clock));
    else
        set_clock(host_now_seconds() + o.clock_offset.value_or(0));
}

void Logger::set_clock(std::int64_t seconds)
{
    clock_base_ = seconds;
    clock_anchor_ms_ = mono_ms();
}

std::int64_t Logger::clock_seconds() const
{
    return clock_base_ + (mono_ms() - clock_anchor_ms_) / 1000;
}

void Logger::set_clock_field(int which, int value)
{
    const std::int64_t now = clock_seconds();
    Civil c = from_seconds(now);
    std::int64_t days = now / 86400;
    switch (which) {
    case 0:
        c.second = value % 60;
        break;
    case 1:
        c.minute = value % 60;
        break;
    case 2:
        c.hour = value % 24;
        break;
    case 3:
        days = (days & 0xFF00) | value;
        break;
    case 4:
        days = (days & 0x00FF) | (value << 8);
        break;
    }
    if (which >= 3) {
        const Civil d = civil_from_days(days);
        c.year = d.year;
        c.month = d.month;
        c.day = d.day;
    }
    set_clock(to_seconds(c));
}

std::int64_t Logger::record_number_at(int position) const
{
    if (position < 0 || position >= model_.ring_size) return -1;
    if (next_k_ <= 0) return -1;
    // The newest record number that lands on this position.
    const std::int64_t k = next_k_ - 1 - (next_k_ - 1 - position) % model_.ring_size;
    return k >= first_k_ && k >= 0 && k < next_k_ ? k : -1;
}

// Raw values of record k, a fixed function of k per kind of model.
void Logger::append_record()
{
    if (!mission_) return;
    ++next_k_;
    pointer_ = static_cast<int>(next_k_ % model_.ring_size);
}

std::vector<int> Logger::raw_values(std::int64_t k) const
{
    const int t = static_cast<int>(320 + (k * 7) % 160); // 20.0 .. 29.9 degC in 1/16
    const int kk = static_cast<int>(k % 100000);
    switch (model_.kind) {
    case Kind::old_analog:
        return {1400 + (kk * 7) % 160};
    case Kind::digital:
        return {t};
    case Kind::analog:
        return {1080 + (kk * 7) % 160};
    case Kind::temp_humi:
        return {t, 300 + (kk * 11) % 400};
    case Kind::counter:
        return {kk % 50};
    case Kind::ibutton:
        return {17 + kk % 3};
    case Kind::psychro:
        return {t, t - 16 - kk % 32};
    case Kind::cap_humi:
        return {t, 1500 + (kk * 11) % 1000};
    case Kind::two_temp:
        return {t, t + 32};
    case Kind::flow:
        return {static_cast<int>((k * 3) % 65536)};
    case Kind::two_analog:
        return {1080 + (kk * 7) % 160, 1100 + (kk * 5) % 120};
    case Kind::wind:
        return {(kk * 13) % 1000, (kk * 37) % 3600};
    case Kind::current_reed:
        return {400 + (kk * 13) % 1600, kk % 50};
    case Kind::level:
        return {400 + (kk * 13) % 1600, record_time(k).second};
    case Kind::pressure:
        return {t, 1500 + (kk * 11) % 1000, 100 + kk % 30};
    }
    return {0};
}

// Record k is stamped start + k * interval (moved with the clock from
// --clock-moved on). The level logger (132) counts
// intervals above 60 as seconds and keeps the seconds in value B; the others
// stamp whole minutes.
Civil Logger::record_time(std::int64_t k) const
{
    std::int64_t start = to_seconds(opt_.start);
    std::int64_t step = static_cast<std::int64_t>(opt_.interval) * 60;
    if (model_.kind == Kind::level) {
        if (opt_.interval > 60) step = opt_.interval - 60;
    } else {
        start -= start % 60;
    }
    // A logger stamps with its clock, wherever that was set to.
    if (opt_.clock_moved_at && k >= *opt_.clock_moved_at) start += opt_.clock_moved_minutes * 60;
    return from_seconds(start + k * step);
}

Bytes Logger::record_at(int position) const
{
    const int len = model_.record_length;
    const std::int64_t k = record_number_at(position);
    if (k < 0) return Bytes(static_cast<std::size_t>(len), 0xFF);
    const Civil c = record_time(k);
    const std::vector<int> v = raw_values(k);
    Bytes r(static_cast<std::size_t>(len), 0);
    if (model_.kind == Kind::old_analog) {
        r[0] = static_cast<std::uint8_t>(bcd(c.hour));
        r[1] = static_cast<std::uint8_t>(bcd(c.minute));
        r[2] = static_cast<std::uint8_t>(bcd(c.day) | ((c.year % 4) << 6));
        r[3] = static_cast<std::uint8_t>(bcd(c.month));
        r[4] = static_cast<std::uint8_t>(v[0] >> 8);
        r[5] = static_cast<std::uint8_t>(v[0] & 0xFF);
        r[6] = sum8(r, 0, 6);
        return r;
    }
    r[0] = static_cast<std::uint8_t>(c.minute);
    r[1] = static_cast<std::uint8_t>(c.hour);
    put16(r, 2, static_cast<int>(days_since_2000(c.year, c.month, c.day)));
    put16(r, 4, v[0]);
    if (len >= 8 && v.size() > 1) put16(r, 6, v[1]);
    if (len >= 9 && v.size() > 2) put8(r, 8, v[2]);
    return r;
}

std::string Logger::dump_ring() const
{
    std::string out;
    for (int p = 0; p < model_.ring_size; ++p) {
        const std::int64_t k = record_number_at(p);
        if (k < 0) continue;
        const Civil c = record_time(k);
        out += std::to_string(p) + '\t' + format_civil(c);
        for (int v : raw_values(k))
            out += '\t' + std::to_string(v);
        out += '\n';
    }
    return out;
}

std::string Logger::dump_state() const
{
    std::string out;
    auto line = [&](const std::string& key, const std::string& value) { out += key + '=' + value + '\n'; };
    auto num = [&](const std::string& key, long long v) { line(key, std::to_string(v)); };
    num("type", model_.type);
    num("serial", serial_);
    line("name", name_);
    num("mission", mission_);
    num("rollover", rollover_);
    num("interval", interval_);
    num("gradient", gradient_);
    num("delay", delay_);
    num("pointer", pointer_);
    num("corr1", corr1_);
    num("corr2", corr2_);
    num("limit_lo", limit_lo_);
    num("limit_hi", limit_hi_);
    num("averaging", averaging_);
    num("battery", battery_);
    num("battery_replaced", battery_replaced_);
    num("battery_low", setup_value_);
    num("measure_length", setup_sensor_);
    std::string coef;
    for (float f : coef_) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.9g", static_cast<double>(f));
        coef += (coef.empty() ? "" : ",") + std::string(buf);
    }
    line("coef", coef);
    for (int cell = 32; cell <= 44; ++cell)
        num("mem" + std::to_string(cell), memory_[static_cast<std::size_t>(cell)]);
    for (std::size_t i = 0; i < coef_texts_.size(); ++i)
        line("text" + std::to_string(i), coef_texts_[i]);
    num("text_series_ends", text_series_ends_);
    return out;
}

Bytes Logger::name_answer() const
{
    Bytes b(16, ' ');
    for (std::size_t i = 0; i < 16 && i < name_.size(); ++i)
        b[i] = static_cast<std::uint8_t>(name_[i]);
    b.push_back(sum8(b));
    return b;
}

Bytes Logger::block_answer(int position) const
{
    Bytes b;
    for (int i = 0; i < 10; ++i) {
        const int p = ((position + i) % model_.ring_size + model_.ring_size) % model_.ring_size;
        const Bytes r = record_at(p);
        b.insert(b.end(), r.begin(), r.end());
    }
    b.push_back(sum8(b));
    return b;
}

Bytes Logger::status_answer() const
{
    if (model_.kind == Kind::old_analog) return old_status_answer();
    const std::int64_t now = clock_seconds();
    const Civil c = from_seconds(now);
    const std::int64_t k_now = next_k_;
    std::vector<int> live = raw_values(k_now);
    live.resize(3, 0);

    // Built at wire offsets (echo included) so the code reads like the layout.
    Bytes b(static_cast<std::size_t>(model_.status_length), 0);
    put8(b, 5, model_.type);
    put8(b, 6, c.second);
    put8(b, 7, c.minute);
    put8(b, 8, c.hour);
    put16(b, 9, static_cast<int>(now / 86400));
    put16(b, 11, pointer_);
    put16(b, 13, delay_);
    put8(b, 15, battery_);
    put16(b, 16, serial_);
    put8(b, 18, interval_);
    put8(b, 19, gradient_);
    put8(b, 20, rollover_);
    put8(b, 21, mission_);
    put8(b, 22, corr1_);
    const int t = model_.type;
    if (t == 101) {
        put8(b, 23, limit_lo_);
        put8(b, 24, limit_hi_);
    } else if (t == 130 || t == 132) {
        put8(b, 23, averaging_);
    } else {
        put8(b, 23, corr2_);
    }

    const int r1 = opt_.raw1.value_or(live[0]);
    const int r2 = opt_.raw2.value_or(live[1]);
    const int r3 = opt_.raw3.value_or(live[2]);
    // A coefficient block: floats low byte first, then the byte that makes the
    // block add up to 170.
    auto coef_block = [&](std::size_t at, int count) {
        for (int i = 0; i < count; ++i)
            putf(b, at + 4 * static_cast<std::size_t>(i), coef_[i]);
        const std::size_t end = at + 4 * static_cast<std::size_t>(count);
        put8(b, end, check170(b, at, end));
    };
    // Capacitive humidity trim: F0 and S from the calibration words (cells
    // 32..35), the humidity offset cell 37 twice (stored byte and trim K),
    // cell 38 (notation; 133: pressure offset), and on 106 the current-output
    // cells 39..44.
    auto cap_trim = [&](std::size_t at) {
        put16(b, at, memory_[32] | memory_[33] << 8);
        put16(b, at + 2, memory_[34] | memory_[35] << 8);
        put8(b, at + 4, memory_[37]);
        put8(b, at + 5, memory_[37]);
        put8(b, at + 6, memory_[38]);
        if (t == 106)
            for (std::size_t i = 0; i < 6; ++i)
                put8(b, at + 7 + i, memory_[39 + i]);
    };

    switch (model_.kind) {
    case Kind::old_analog:
        break; // answered by old_status_answer()
    case Kind::digital:
    case Kind::counter:
        put16(b, 26, r1);
        put8(b, 28, opt_.err1);
        break;
    case Kind::analog:
        put16(b, 26, r1);
        put8(b, 28, opt_.err1);
        coef_block(29, 3);
        if (t == 103 || t == 129) {
            put16(b, 42, limit_lo_);
            put16(b, 44, limit_hi_);
        }
        break;
    case Kind::temp_humi:
        put16(b, 26, r1);
        put8(b, 28, opt_.err1);
        put16(b, 29, r2);
        coef_block(31, 3);
        break;
    case Kind::ibutton:
        // Byte 26 nonzero means no key in the reader.
        put8(b, 26, opt_.err1);
        put16(b, 27, r1);
        break;
    case Kind::psychro:
    case Kind::two_temp:
        if (t == 131) {
            put16(b, 26, r1);
            put16(b, 28, r2);
            put8(b, 30, opt_.err1);
            put8(b, 31, opt_.err2);
        } else {
            put16(b, 26, r1);
            put8(b, 28, opt_.err1);
            put16(b, 29, r2);
            put8(b, 31, opt_.err2);
        }
        break;
    case Kind::cap_humi:
        put16(b, 26, r1);
        put8(b, 28, opt_.err1);
        put16(b, 29, r2);
        cap_trim(31);
        break;
    case Kind::pressure:
        put16(b, 26, r1);
        put8(b, 28, opt_.err1);
        put16(b, 29, r2);
        put8(b, 31, r3);
        cap_trim(32);
        break;
    case Kind::flow: {
        put16(b, 26, r1);
        // Whole-number constants: A at 30..31, B at 32..33, conversion type at 34.
        put16(b, 30, static_cast<int>(coef_[0]));
        put16(b, 32, static_cast<int>(coef_[1]));
        put8(b, 34, static_cast<int>(coef_[2]));
        put8(b, 29, 0);
        put8(b, 35, check170(b, 29, 35));
        break;
    }
    case Kind::two_analog:
        put16(b, 26, r1);
        put8(b, 28, opt_.err1);
        put16(b, 29, r2);
        put8(b, 31, opt_.err2);
        coef_block(32, 3);
        break;
    case Kind::wind:
        put16(b, 26, r1);
        put16(b, 28, r2);
        coef_block(30, 4);
        break;
    case Kind::current_reed:
    case Kind::level:
        put16(b, 26, r1);
        put16(b, 28, r2);
        coef_block(30, 3);
        break;
    }
    b.erase(b.begin(), b.begin() + 5);
    return b;
}

// Coefficient bytes arrive one per command from 64 on and are closed by a
// check byte: after three floats (76), four floats (80), or, on the flow
// model, after the five constant bytes (69). A series that does not add up to
// 170 leaves the coefficients alone.
void Logger::apply_coef_series(std::uint8_t last_command)
{
    const std::size_t n = last_command - 64u; // bytes before the check byte
    const bool flow = model_.kind == Kind::flow;
    if (flow ? n != 5 : (n != 12 && n != 16)) return;
    const Bytes series(coef_stage_.begin(), coef_stage_.begin() + static_cast<long>(n + 1));
    if (sum8(series) != 170) return;
    if (flow) {
        coef_[0] = static_cast<float>(coef_stage_[0] | coef_stage_[1] << 8);
        coef_[1] = static_cast<float>(coef_stage_[2] | coef_stage_[3] << 8);
        coef_[2] = static_cast<float>(coef_stage_[4]);
        return;
    }
    for (std::size_t i = 0; i < n / 4; ++i) {
        float f = 0;
        std::memcpy(&f, &coef_stage_[i * 4], 4);
        coef_[i] = f;
    }
}

Reply Logger::handle(std::uint8_t command, std::uint8_t parameter)
{
    if (model_.kind == Kind::old_analog) return handle_old(command, parameter);
    Reply r;
    const int t = model_.type;
    switch (command) {
    case 10:
        r.what = Reply::What::data;
        r.bytes = status_answer();
        return r;
    case 11:
        address_lo_ = parameter;
        break;
    case 12: {
        const int address = parameter * 256 + address_lo_ - 1024;
        r.what = Reply::What::block;
        r.bytes = block_answer(address / model_.record_length);
        return r;
    }
    case 13:
        if (parameter == 1) {
            r.what = Reply::What::data;
            r.bytes = name_answer();
            return r;
        }
        break;
    case 14:
        setup_value_ = parameter;
        break;
    case 15:
        setup_sensor_ = parameter;
        break;
    case 16:
        mem_cell_ = parameter;
        break;
    case 17:
        memory_[static_cast<std::size_t>(mem_cell_)] = parameter;
        break;
    case 22:
        set_clock_field(0, parameter);
        break;
    case 23:
        set_clock_field(1, parameter);
        break;
    case 24:
        set_clock_field(2, parameter);
        break;
    case 25:
        set_clock_field(3, parameter);
        break;
    case 26:
        set_clock_field(4, parameter);
        break;
    case 27:
    case 28:
        pointer_ = command == 27 ? (pointer_ & 0xFF00) | parameter : (pointer_ & 0x00FF) | (parameter << 8);
        // A new mission starts from an empty memory.
        first_k_ = next_k_ = pointer_;
        break;
    case 29:
        delay_ = (delay_ & 0xFF00) | parameter;
        break;
    case 30:
        delay_ = (delay_ & 0x00FF) | (parameter << 8);
        break;
    case 31:
        battery_ = fresh_battery_raw(model_.type);
        ++battery_replaced_;
        break;
    case 32:
        serial_ = (serial_ & 0xFF00) | parameter;
        break;
    case 33:
        serial_ = (serial_ & 0x00FF) | (parameter << 8);
        break;
    case 34:
        interval_ = parameter;
        break;
    case 35:
        gradient_ = parameter;
        break;
    case 36:
        rollover_ = parameter;
        break;
    case 37:
        mission_ = parameter;
        break;
    case 38:
        corr1_ = parameter;
        break;
    case 39:
        if (t == 101)
            limit_lo_ = parameter;
        else if (t == 130)
            averaging_ = parameter;
        else
            corr2_ = parameter;
        break;
    case 40:
        if (t == 131)
            limit_lo_ = parameter;
        else
            limit_hi_ = parameter;
        break;
    case 41:
        if (t == 131) limit_hi_ = parameter;
        break;
    case 195:
        coef_text_.clear();
        break;
    case 196:
        // A zero closes the text.
        if (parameter != 0) coef_text_ += static_cast<char>(parameter);
        break;
    case 197:
        if (parameter < coef_texts_.size()) coef_texts_[parameter] = coef_text_;
        return r; // stored without an answer
    case 198:
        ++text_series_ends_;
        break;
    default:
        if (command >= 48 && command <= 63) {
            if (name_.size() < 16) name_.resize(16, ' ');
            name_[command - 48u] = static_cast<char>(parameter);
            // Trailing blanks are padding, not part of the name.
            while (!name_.empty() && name_.back() == ' ')
                name_.pop_back();
        } else if ((t == 103 || t == 129) && command >= 77 && command <= 80) {
            // Raw-count limits: lower low, lower high, upper low, upper high.
            int& limit = command < 79 ? limit_lo_ : limit_hi_;
            limit = command % 2 == 1 ? (limit & 0xFF00) | parameter : (limit & 0x00FF) | (parameter << 8);
        } else if (command >= 64 && command <= 80) {
            coef_stage_[command - 64u] = parameter;
            apply_coef_series(command);
        }
        break;
    }
    r.what = Reply::What::ack;
    r.bytes = {command, parameter, 0xAA, 0x55};
    return r;
}

// The old-format logger: its own status (asked as the poll asks, 10 160),
// calibration answer, record stream, interval, gradient and clock commands,
// none of them acknowledged. It knows no other command and stays silent.
Reply Logger::handle_old(std::uint8_t command, std::uint8_t parameter)
{
    Reply r;
    switch (command) {
    case 10:
        if (parameter != 160) return r;
        r.what = Reply::What::data;
        r.bytes = old_status_answer();
        return r;
    case 11:
        if (parameter != 159) return r;
        r.what = Reply::What::data;
        r.bytes = old_calib_answer();
        return r;
    case 32:
        interval_ = parameter;
        return r;
    case 34:
        set_clock_field(0, from_bcd(parameter));
        return r;
    case 35:
        set_clock_field(1, from_bcd(parameter));
        return r;
    case 36:
        set_clock_field(2, from_bcd(parameter));
        return r;
    case 37:
    case 38: {
        Civil c = from_seconds(clock_seconds());
        if (command == 37) {
            c.day = from_bcd(parameter & 0x3F);
            const int year4 = parameter >> 6;
            while (((c.year % 4) + 4) % 4 != year4)
                --c.year;
        } else {
            c.month = from_bcd(parameter & 0x1F);
        }
        if (c.month >= 1 && c.month <= 12 && c.day >= 1 && c.day <= 31) set_clock(to_seconds(c));
        return r;
    }
    case 45:
        old_newest_ = (old_newest_ & 0xFF00) | parameter;
        return r;
    case 46:
        old_newest_ = (old_newest_ & 0x00FF) | (std::max(0, parameter - 1) << 8);
        r.what = Reply::What::data;
        r.bytes = old_stream(std::max<std::int64_t>(first_k_, next_k_ - old_newest_));
        return r;
    case 47:
        r.what = Reply::What::data;
        r.bytes = old_stream(std::max(first_k_, old_mark_));
        old_mark_ = next_k_;
        return r;
    case 100:
        gradient_ = (gradient_ & 0x00FF) | (parameter << 8);
        return r;
    case 101:
        gradient_ = (gradient_ & 0xFF00) | parameter;
        return r;
    default:
        return r;
    }
}

Bytes Logger::old_stream(std::int64_t from_k) const
{
    Bytes out;
    for (std::int64_t k = std::max<std::int64_t>(from_k, next_k_ - model_.ring_size); k < next_k_; ++k) {
        const Bytes rec = record_at(static_cast<int>(k % model_.ring_size));
        out.insert(out.end(), rec.begin(), rec.end());
    }
    return out;
}

// 23 bytes: serial LE, model + 30, BCD time and date, pointer and threshold
// high byte first, interval, and the sum of the 22 bytes before it.
Bytes Logger::old_status_answer() const
{
    const Civil c = from_seconds(clock_seconds());
    Bytes a(23, 0);
    put16(a, 0, serial_);
    put8(a, 2, model_.type + 30);
    put8(a, 5, bcd(c.second));
    put8(a, 6, bcd(c.minute));
    put8(a, 7, bcd(c.hour));
    put8(a, 8, bcd(c.day) | ((((c.year % 4) + 4) % 4) << 6));
    put8(a, 9, bcd(c.month));
    put8(a, 12, pointer_ >> 8);
    put8(a, 13, pointer_ & 0xFF);
    put8(a, 16, mission_ ? interval_ : 0);
    put8(a, 18, gradient_ >> 8);
    put8(a, 19, gradient_ & 0xFF);
    a[22] = sum8(a, 0, 22);
    return a;
}

// 25 bytes: live raw value high byte first, then a0, a1, a2 as floats at
// 4, 8 and 12, and the sum of the 24 bytes before it.
Bytes Logger::old_calib_answer() const
{
    const int raw = opt_.raw1.value_or(raw_values(next_k_)[0]);
    Bytes a(25, 0);
    put8(a, 0, raw >> 8);
    put8(a, 1, raw & 0xFF);
    putf(a, 4, coef_[0]);
    putf(a, 8, coef_[1]);
    putf(a, 12, coef_[2]);
    a[24] = sum8(a, 0, 24);
    return a;
}

} // namespace sim
