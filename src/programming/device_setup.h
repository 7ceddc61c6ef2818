#pragma once
// Setup of the attached logger (service functions of the setup dialog): the
// device send with its order per model, the psychrometer's sensor
// identification and offsets, and the alignment of the PC's record pointer.
//
// Wire notes: temperature offsets go as sign-magnitude codes with setting
// k = 6 (sensor 1, command 38) and k = 7 (sensor 2, command 39); the
// psychrometer's dry and wet offsets as commands 38 and 39 without the
// offset of 32; battery replaced is command 31 with 20; the battery-low
// level command 14 and the display's measuring time command 15 (type 99:
// 15 with 0 or 1 also makes the logger learn its dry or wet sensor);
// coefficients, flow constants and memory cells as calibration_transfer.h.
#include <QString>
#include <array>
#include <cstdint>
#include <functional>

namespace vx
{

struct Global;
struct Coefficients;
struct Status;

// What the setup dialog shows of the attached logger, from its last status.
struct LoggerSetupValues {
    // A0..A3: the logger's coefficients in their shortest form; humidity
    // models (100, 106, 133): the calibration words CAL0 and CAL1, the
    // humidity offset and (133) the air pressure offset.
    std::array<QString, 4> coef;
    QString t1, t2;             // corrections 1 and 2, "%4.1f"
    bool celsius = true;        // temperature notation (100, 106)
    std::array<QString, 4> pwm; // current-output PWM values (106)
    QString temp4, temp20;      // temperatures of 4 mA and 20 mA (106)
    int flow_conversion = -1;   // 107: 0..2, -1 when the logger holds another value
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
    int flow_conversion = 0;                                           // 0..2, -1 when none is chosen
    std::array<QString, 4> wind;                                       // edr0, edr1, eds0, eds1 (111)
};

// Which device values changed since the dialog was shown or last sent.
struct SetupChanges {
    bool offset = false, coef = false, battery_low = false, measure_length = false;
    bool humidity_offset = false, notation = false, calib_process = false, pressure = false;
    bool output_temps = false;
    std::array<bool, 4> pwm{};
};

class DeviceSetup
{
public:
    enum class Result {
        refused, // a value was refused before anything was sent
        ended,   // the send ran to its end (steps may have failed with their messages)
    };

    // show_tip shows a contextual tip of the main window ("ERRTIP0011").
    DeviceSetup(Global& g, std::function<void(const QString&)> show_tip = {});

    // "Odoslať": sends what changed, in the model's order; clears the flags
    // of what it sent. Types 107 and 111 set form.battery_low to "200".
    Result send(SetupForm& form, SetupChanges& changes);

    // "ID suchy" / "ID Mokry": after a confirmation the logger learns the
    // only connected sensor as its dry (wet) one. True when acknowledged.
    bool identify_sensor(bool wet);
    // "Odoslat" of the psychrometer tab: the dry and wet offsets.
    bool send_psychro_offsets(const QString& dry, const QString& wet);
    // "Vymazať": after a confirmation the PC's record pointer of the
    // logger's mission becomes the logger's record pointer; nothing is sent.
    void align_pointer();

    // The humidity models' calibration-process flag as last sent.
    bool calibration_process() const { return calibration_process_; }

private:
    bool check(const SetupForm& form, const SetupChanges& changes);
    void battery_low_step(int value, const QString& line);
    bool send_offset(int setting, double value, const char* failure);
    bool humidity_steps(const SetupForm& form, SetupChanges& changes);
    bool refuse(const QString& text);

    Global& g_;
    std::function<void(const QString&)> show_tip_;
    bool calibration_process_ = false;
};

} // namespace vx
