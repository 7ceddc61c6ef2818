#pragma once
// The model catalogue: one row per type code that a logger reports in byte 5
// of its status reply, holding every per-model fact the rest of the program
// asks for. Other code compares type codes and asks the row; it never
// compares captions.
#include <QString>
#include <cstdint>

namespace vx
{

class Language;

// How long a status reply of the model must be.
enum class LengthRule {
    old_format, // exactly 28 bytes, the old-format status (type 55)
    at_least,
    exactly,
};

// How the live readings of bytes 26 and later are turned into values.
enum class LiveKind {
    old_analog,         // 55: polynomial of the old-format calibration answer
    digital_temp,       // 85, 89, 96, 128
    analog_temp,        // 86, 94, 95, 101: polynomial from the coefficient block
    temp_humidity,      // 87, 88, 92: digital temperature + humidity polynomial
    pulse_count,        // 90, 102
    ibutton_key,        // 93
    current_voltage,    // 97: physical quantity from the coefficient block
    psychrometer,       // 99: dry and wet temperature
    temp_cap_humidity,  // 100, 106: digital temperature + capacitive humidity
    analog_limits,      // 103, 129: polynomial, with recording limits
    two_temps,          // 105
    flow,               // 107
    two_temps_printer,  // 108
    wind,               // 111
    current_loop,       // 130: current and pulse counter
    two_temps_usb,      // 131
    level,              // 132: level from a 0.4..2 mA loop
    temp_humi_pressure, // 133
};

// How the battery byte (offset 15) is shown.
enum class BatteryRule {
    percent_x5,     // raw below 21: raw x 5 "%", otherwise "Error"
    volts_analog,   // 95, 97: raw x (-0.04542) + 11.91
    volts_alkaline, // raw x (-0.03182) + 8.1, red below 2.7 V, hint about alkaline cells
    volts_printer,  // 108: raw x 4 x 0.009047897 + 0.037091121, red below 7.0 V
    volts_wind,     // 111: raw x (-0.022574203) + 7.76, red below 3.4 V
    volts_div30,    // 128, 129, 130: raw / 30, red below 2.7 V
    percent_usb,    // 131: (138 - raw) x 3, limited to 0..100 %
    hidden,         // 132: panel and label hidden
    not_available,  // 55: "----"
};

// A text of the catalogue: fixed (a name, a unit, a text that reads the same
// in every language), a language text such as "MESS100" whose built-in text
// stands in without a table or for an empty entry, or none at all.
struct CatalogueText {
    const char* fixed = nullptr;
    const char* key = nullptr;
    bool set() const { return fixed || key; }
    // The text to show; "" for none.
    QString resolve(const Language* lang) const;
};
constexpr CatalogueText fixed_text(const char* text)
{
    return {text, nullptr};
}
constexpr CatalogueText language_text(const char* key)
{
    return {nullptr, key};
}

struct ModelRow {
    std::uint16_t type;
    CatalogueText caption;     // label pantype, after "Typ: "
    CatalogueText description; // hint of pantype
    int ring_size;             // 0: keeps the identification defaults
    int record_length;         // 0: keeps the identification defaults
    LengthRule length_rule;
    int status_length; // bytes of the rule
    int live_length;   // bytes the live values need; 0 = no more than the status
    LiveKind live;
    BatteryRule battery;
    // Live page captions. A text that is not set keeps the form default
    // ("Teplota:", "'C", "Vlhkost:", "%RH"); an empty fixed text empties the caption.
    bool label1_language; // LBLaktval takes language text LABEL10
    CatalogueText label1;
    CatalogueText unit1;
    bool unit1_hidden;
    CatalogueText label2;
    CatalogueText unit2;
    CatalogueText hint1; // hint of the value panel pantemp
    CatalogueText hint2; // hint of the value panel panhumi
    // Setup window: -1 unchanged, 0 hides, 1 shows its calibration group.
    int setup_calib_group;
    // Setup window: enables the correction field, the battery check box with
    // its up-down control and shows the first button.
    bool setup_correction;
    bool one_time_notice; // 130, 132: the calibration-file notice
    bool key_list;        // 93: iButton key names
};

// The row of a type code; nullptr when the code has no row (not recognised).
// Types 87 and 92 share one row's facts.
const ModelRow* find_model(std::uint16_t type);

// Every row, in type order (92 included).
struct ModelRows {
    const ModelRow* first;
    int count;
    const ModelRow* begin() const { return first; }
    const ModelRow* end() const { return first + count; }
};
ModelRows all_models();

// True when a status reply of length bytes satisfies the row's length rule.
bool status_length_ok(const ModelRow& row, int length);

// The one-time notice of a model (130, 132): MESS72 of lang with the model's
// caption; empty for other models.
QString notice_text(std::uint16_t type, const Language& lang);

} // namespace vx
