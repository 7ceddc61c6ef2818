#pragma once
// Calibration definitions "calib.ini": one section per logger serial number
// with a second-order polynomial that turns a raw value into a physical
// quantity, its clamps and display texts.
#include <QString>
#include <cstdint>

namespace vx
{

class Calibration
{
public:
    // Loads the section named by serial; false (and calib_active false) when
    // the file or a non-empty section is missing.
    bool load_calibration(const QString& program_dir, std::uint16_t serial);
    // CAL0 + CAL1 x + CAL2 x^2 in single precision, clamped to MaxValue, then
    // to MinValue; 0 when no definition is active. NaN when a coefficient
    // lies beyond single precision (a file value such as 1e39) or the
    // polynomial has no value.
    float calib_value(float x) const;
    // The value formatted with ValueFormat (digit placeholders 0 and #, a
    // point for the decimal separator, literal text); "out of range" for a
    // value that is not a finite number.
    QString format_value(double value) const;

    bool calib_active = false;
    QString ValueName, ValueRange, ValueFormat, ValueHint;
    float CAL0 = 0, CAL1 = 0, CAL2 = 0, MaxValue = 0, MinValue = 0;
};

// Formats value with a ValueFormat pattern; an empty pattern gives the
// shortest general form. A value that is not finite gives "out of range".
QString format_pattern(const QString& pattern, double value);

// A decimal number with a comma or a point; nullopt-like false in ok when unreadable.
double parse_decimal(const QString& text, bool* ok);

} // namespace vx
