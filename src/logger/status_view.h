#pragma once
// What the main window shows after a status reply was decoded: one entry per
// control, named after the control's objectName. Every member that is set
// changes that property of the control; an unset member leaves the control as
// it is (a reading that is out of range, for example, keeps its panel's
// previous text).
#include <QColor>
#include <QString>
#include <optional>

namespace vx
{

// The language entries that the main window's ChangeLanguage gives the
// controls whose texts a status decode resets (LABELn and HINTn).
namespace main_text
{
inline constexpr int LBLbat = 2;
inline constexpr int LBLhumi = 6;
inline constexpr int LBLaktval = 10;
inline constexpr int LBLunit1 = 11;
inline constexpr int LBLperiodunit = 24;
inline constexpr int LBLunit2 = 26;
inline constexpr int LBLgradunit = 31;
inline constexpr int LBLlo = 32;
inline constexpr int LBLhi = 33;
inline constexpr int panbat_hint = 12;
inline constexpr int pantemp_hint = 16;
inline constexpr int panhumi_hint = 17;
inline constexpr int PanTempFahren_hint = 19;
inline constexpr int PanGrad_hint = 30;
} // namespace main_text

// One control of the main window.
struct ControlView {
    std::optional<QString> text; // caption of a label or panel
    std::optional<QString> hint; // tool tip
    std::optional<bool> visible;
    std::optional<QColor> color; // background colour of a panel
    std::optional<bool> checked; // check boxes only

    bool operator==(const ControlView&) const = default;
};

// Everything a decode may change. Controls without a name of their own in the
// window layout get one here (LBL... labels); the main window sets those
// objectNames so that the view applies one to one.
struct StatusView {
    // Window and tabs.
    std::optional<QString> window_title;        // "VORLAN <serial>" / "VORLAN ANALOG<serial>"
    std::optional<bool> tab_conditions_visible; // the "Podmienky" tab

    // Tab "Obecné".
    ControlView PanTime;    // logger date and time, or "Error"
    ControlView pansn;      // serial number
    ControlView LBLbat;     // label "Batéria:" (raw battery number in diagnostic mode; hidden for 132)
    ControlView panbat;     // battery text, colour (white / red), hint, visibility
    ControlView pantype;    // model caption (text) and description (hint)
    ControlView Panmisname; // mission name ("Nedostupný pre tento model" for the old format)
    ControlView PannewRec;  // number of new records

    // Tab "Aktuálne hodnoty".
    ControlView LBLaktval;     // caption of value 1 ("Teplota:" by default)
    ControlView pantemp;       // value 1
    ControlView LBLunit1;      // unit of value 1 ("'C" by default)
    ControlView BevelHumi;     // the humidity group (only visible is used)
    ControlView LBLhumi;       // caption of value 2 ("Vlhkost:" by default)
    ControlView panhumi;       // value 2
    ControlView LBLunit2;      // unit of value 2 ("%RH" by default)
    ControlView PanTempFahren; // Fahrenheit value, or air pressure for type 133
    ControlView panIBname;     // iButton key name

    // Tab "Misia".
    ControlView panmisname2;
    ControlView CHKmission;    // checked = recording is on
    ControlView CHKroll;       // checked = rollover
    ControlView Panel3;        // "Začala:"
    ControlView PANdelay;      // start moment of a delayed mission, "d.M.yyyy hh:mm", or empty
    ControlView PanPeriod;     // interval
    ControlView LBLperiodunit; // unit of the interval: "min" or "sek"
    ControlView panptr;        // record pointer, or "Error"
    // The start time, start delay and interval fields with their labels
    // ("Začala:", "Odklad štartu:", "Interval:"); hidden for the key logger.
    std::optional<bool> mission_timing_visible;

    // Tab "Podmienky".
    ControlView LBLgrad;     // caption "Zápis pri zmene:"
    ControlView PanGrad;     // change threshold
    ControlView LBLgradunit; // its unit ("'C" by default)
    ControlView Hranice;     // the limits group (only visible is used)
    ControlView LBLlo;       // caption of the lower limit ("Spodna" by default)
    ControlView panLo;       // lower limit
    ControlView LBLhi;       // caption of the upper limit ("Horna" by default)
    ControlView PanHI;       // upper limit
    ControlView chkpriemer;  // "Priemerovanie" (averaging) check box

    // Setup window: the calibration group, and the correction field together
    // with the battery check box, its up-down control and the first button.
    std::optional<bool> setup_calib_group_visible;
    std::optional<bool> setup_correction_enabled;
    // Mission-start window: interval, gradient and delayed-start inputs.
    std::optional<bool> start_timing_inputs_visible;
};

} // namespace vx
