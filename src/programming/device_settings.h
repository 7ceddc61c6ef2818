#pragma once
// The device values of the setup dialog: what it shows of the attached
// logger, the fields as typed, and the same values checked and typed once.
// A value left as it was shown is not typed at all: where the send carries
// it, the logger's own byte goes back, never its rounded text.
#include <QString>
#include <array>
#include <cstdint>
#include <optional>

namespace vx
{

class Language;

struct Coefficients;
struct Status;

// Which device values a model takes.
bool takes_analog_block(std::uint16_t type);   // A0..A2 as a float block
bool takes_battery_low(std::uint16_t type);    // command 14
bool takes_measure_length(std::uint16_t type); // command 15
bool humidity_model(std::uint16_t type);       // memory cells 32..44
bool takes_offset(std::uint16_t type);         // EDtempoff: sensor 1 (130: current, 132: level)
bool takes_second_offset(std::uint16_t type);  // edposunT2 (108, 131)
bool takes_lcd_texts(std::uint16_t type);      // "LCD CALS": the coefficients as texts

// What the setup dialog shows of the attached logger, from its last status.
struct LoggerSetupValues {
    // A0..A3: the logger's coefficients in their shortest form; humidity
    // models (100, 106, 133): the calibration words CAL0 and CAL1, the
    // humidity offset as the logger holds it (half per cent steps) and
    // (133) the air pressure offset.
    std::array<QString, 4> coef;
    QString t1, t2;             // the offsets of sensors 1 and 2 (status bytes 22, 23), "%4.1f"
    bool celsius = true;        // temperature notation (100, 106)
    std::array<QString, 4> pwm; // current-output PWM values (106)
    QString temp4, temp20;      // temperatures of 4 mA and 20 mA (106)
    int flow_conversion = -1;   // 107: the conversion type the logger holds (any byte)
};
LoggerSetupValues setup_values(std::uint16_t type, const Coefficients& c, const Status& s);

// The device values of the setup dialog as typed.
struct SetupForm {
    QString temp_offset = QStringLiteral("0");     // EDtempoff
    QString offset2 = QStringLiteral("0");         // edposunT2 (types 108, 131)
    bool new_battery = false;                      // chkbat
    QString battery_low = QStringLiteral("215");   // edbatlo
    QString measure_length = QStringLiteral("20"); // EDMeaslen
    std::array<QString, 3> coef;                   // EDA0..EDA2 (105: T1, T2; humidity: CAL0, CAL1)
    bool celsius = true;                           // RGtempNotacia
    QString humidity_offset = QStringLiteral("0"); // EDlumeooff
    bool calib_process = false;                    // CHKdebugLC
    QString pressure = QStringLiteral("0");        // edpress (133)
    std::array<QString, 4> pwm;                    // ED_pwmT4, ED_pwmT20, ED_pwmH4, ED_pwmH20
    QString temp4 = QStringLiteral("0"), temp20 = QStringLiteral("0"); // ED_temp4, ED_temp20
    QString flow_a, flow_b;                                            // EDFlowA, EDflowB (107)
    int flow_conversion = 0;     // 0..2 as chosen; another value: as the logger holds it
    std::array<QString, 4> wind; // edr0, edr1, eds0, eds1 (111)
    bool operator==(const SetupForm&) const = default;
};

// The device values checked for one model. nullopt: left as shown.
struct DeviceSettings {
    std::uint16_t type = 0;
    std::optional<double> offset1, offset2; // degrees, -8 < t < 8 (105: EDA0, EDA1)
    bool new_battery = false;
    std::optional<int> battery_low, measure_length; // 0..255
    std::array<std::optional<float>, 4> coef;       // the analog block (A0..A2) or the wind block (111)
    std::array<std::optional<int>, 3> flow;         // 107: A, B (0..65535), conversion type
    std::array<std::optional<int>, 2> cal_words;    // humidity: CAL0, CAL1 (0..65535)
    std::optional<int> humidity_offset, pressure;   // -50..50, -127..127
    std::optional<bool> celsius, calib_process;
    std::array<std::optional<int>, 4> pwm; // 0..255
    std::optional<int> temp4, temp20;      // -40..80, 20 mA above 4 mA
    bool resend_pressure = false;          // 133: the first send after opening carries the pressure offset
    bool any_coef() const { return coef[0] || coef[1] || coef[2] || coef[3]; }
};

// Checks form against shown (the fields as the dialog filled them) for model
// type. nullopt with *refusal set to the message (in lang) when a changed
// value cannot go; *offset_tip is set when the message is the temperature
// offset's (the window then shows its tip "ERRTIP0011").
std::optional<DeviceSettings> parse_device_settings(std::uint16_t type, const SetupForm& form,
                                                    const SetupForm& shown, const Language& lang,
                                                    QString* refusal, bool* offset_tip = nullptr);

// The psychrometer's dry and wet offsets (EDoffSuchy, EDoffMokry) against
// what was shown; nullopt with *refusal set when a changed one cannot go.
struct PsychroOffsets {
    std::optional<double> dry, wet;
};
std::optional<PsychroOffsets> parse_psychro_offsets(const QString& dry, const QString& wet,
                                                    const QString& shown_dry, const QString& shown_wet,
                                                    const Language& lang, QString* refusal);

} // namespace vx
