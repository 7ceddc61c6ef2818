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
// Every send first reads the status (command 10, 160): the logger must be the
// one the values were prepared for, and what is not changed goes back as the
// byte it holds. Afterwards the status is read again and compared.
// Every send that went out leaves an entry in the audit trail: "setup-send",
// or "calibration-send" when it carried typed coefficients (A0..A3, flow
// constants, calibration words, PWM values); each value sent with the one
// the status reported before it (null where the status does not report it),
// a failure with its step, what the logger took and what reads back otherwise.
#include "logger/audit_log.h"
#include "programming/device_settings.h"
#include "programming/logger_readback.h"

#include <QStringList>
#include <functional>
#include <vector>

namespace vx
{

struct Global;

class DeviceSetup
{
public:
    enum class Result {
        refused,  // nothing was sent (the logger did not answer, or is another one)
        failed,   // a step was not acknowledged; the logger may hold part of the send
        differs,  // every step was acknowledged, but the logger reads back otherwise
        verified, // the logger reads back what was sent
    };
    struct Outcome {
        Result result = Result::refused;
        bool battery_replaced = false; // command 31 went out and was acknowledged
    };

    struct Hooks {
        // The status bar's text: the verification text ("Overené"), or empty.
        std::function<void(const QString&)> show_status;
    };

    explicit DeviceSetup(Global& g, Hooks hooks = {});

    // "Odoslať": sends settings in the model's order. serial: the logger the
    // values were shown for.
    Outcome send(const DeviceSettings& settings, std::uint16_t serial);

    // "ID suchy" / "ID Mokry": after a confirmation the logger learns the
    // only connected sensor as its dry (wet) one. True when acknowledged.
    bool identify_sensor(bool wet);
    // "Odoslat" of the psychrometer tab: the dry and wet offsets (nullopt:
    // the logger's own byte goes back), then read back.
    Result send_psychro_offsets(const PsychroOffsets& offsets, std::uint16_t serial);
    // "Vymazať": after a confirmation the PC's record pointer of the
    // logger's mission becomes the logger's record pointer; nothing is sent.
    void align_pointer();

    // The humidity models' calibration-process flag as last sent.
    bool calibration_process() const { return calibration_process_; }
    // What the last read-back found different from what was sent.
    const std::vector<Difference>& differences() const { return differences_; }

private:
    struct Sent;
    std::optional<HeldSettings> read_before(std::uint16_t type, std::uint16_t serial);
    bool step(bool acknowledged, const QString& taken);
    // The frames of a send; false when a step failed (the failure was said).
    bool run(const DeviceSettings& s, const HeldSettings& held, Sent& sent, bool* battery_replaced);
    bool humidity_steps(const DeviceSettings& s, const HeldSettings& held, Sent& sent);
    Result verify(const Sent& sent, const QString& success);
    // why: in plain English for the audit trail.
    Result fail(const QString& step, const QString& note = {}, const char* why = "not acknowledged");
    // The trail's entry of this send, begun before its first frame and
    // recorded (unless r is refused) once it has ended.
    void begin_entry(const QString& action);
    void record(Result r);
    Result refuse(const QString& text);

    Global& g_;
    Hooks hooks_;
    bool calibration_process_ = false;
    QStringList taken_; // what the logger acknowledged in this send
    AuditEntry entry_;  // of this send
    QString failure_;   // why it failed, for the trail
    std::vector<Difference> differences_;
};

} // namespace vx
