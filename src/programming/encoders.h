#pragma once
// Wire values of the logger's mission, setup and calibration settings, as
// pure functions from the values typed by the user (and the logger's own
// coefficients) to bytes. No I/O; the flows send what these return.
//
// Wire notes:
//  - gradient code: one byte, 0 = no change condition; the unit depends on
//    the model (1/16 degree, raw counts / 4 or / 16, quantity units);
//  - signed limit (types 101, 131): two's complement byte, 127 = no limit;
//  - raw-count limit (types 103, 129): the first raw count whose converted
//    value exceeds the limit, 16 bits low byte first, 0 = no limit;
//  - temperature offset: sign and magnitude, bit 7 = negative, bits 0..6 in
//    1/16 degree, for -8 < t < 8;
//  - float block: each coefficient as IEEE single precision, least
//    significant byte first, then a check byte that makes the whole series
//    add up to 170 (0xAA) modulo 256; the flow constants use the same check;
//  - coefficient text: the decimal text character by character, then 0;
//  - memory cells: humidity offset h as 2h or 128 + 2|h|, pressure offset p
//    as p or 128 + |p|, a current-output temperature t as t or 127 - t.
#include "records/conversions.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace vx
{

class Language;

class Calibration;

// ---- Typed values ----

// A decimal number written with a comma or a point (blanks around allowed).
std::optional<double> to_number(const QString& text);
// A whole decimal number (blanks around allowed).
std::optional<int> to_integer(const QString& text);
// The messages of a refused value: MESS122 ("<field>: povolený rozsah
// <low>..<high>") and MESS123 ("<field>: '<text>' nie je číslo") of lang.
QString range_text(const Language& lang, const QString& field, int low, int high);
QString not_a_number(const Language& lang, const QString& field, const QString& text);
// Why text cannot go into a logger or a record file as field: MESS170 for
// a control character (a line break or tab included), MESS171 for one that
// code page 1250 has no byte for, each naming the field and the character;
// empty when every character can go.
QString text_refusal(const Language& lang, const QString& field, const QString& text);

// ---- Record-on-change gradient and limits ----

struct GradientInputs {
    std::uint16_t type = 0;
    double value = 0;                   // the change to record on (>= 0); type 107: whole counts
    Coefficients coef;                  // the logger's a0, a1, a2
    float offset = 0;                   // the logger's temperature offset (correction 1)
    const Calibration* calib = nullptr; // the active user calibration, or nullptr
};

// The gradient code of the model, 0..255 (values above are cut to 255); 0
// when the value is 0. Type 107 takes the count as it stands.
std::uint8_t gradient_code(const GradientInputs& in);

struct LimitBytes {
    std::uint8_t lo = 0, hi = 0;
    bool operator==(const LimitBytes&) const = default;
};
// The raw-count limit: the first raw count 0..65535 whose value (a0 + a1 k
// + a2 k^2 in single precision, then through the user calibration's
// polynomial, unclamped, when calib is given) exceeds limit; 0 and 0 when
// none below 65530 does.
LimitBytes raw_threshold(double limit, const Coefficients& c, const Calibration* calib);

// A signed limit byte; 127 (no limit) for nullopt.
std::uint8_t signed_limit(std::optional<int> limit);
// Limits that a signed limit byte carries: -128..126 (127 means none).
inline constexpr int signed_limit_min = -128;
inline constexpr int signed_limit_max = 126;

// The old-format logger's gradient quotient |gradient / a1|, truncated;
// nullopt when it does not fit the two bytes (above 65535).
std::optional<int> old_gradient_quotient(double gradient, float a1);

// ---- Setup ----

// Offsets the loggers take: -8 < t < 8.
bool offset_acceptable(double t);
// Sign-magnitude code of an acceptable offset.
std::uint8_t offset_code(double t);

// ---- Calibration transfers ----

// The (170 - sum) mod 256 byte that closes a series.
std::uint8_t check_byte(std::span<const std::uint8_t> bytes);
// The four bytes of each value in turn, least significant first (no check byte).
std::vector<std::uint8_t> float_bytes(std::span<const float> values);
// Flow constants A, B (0..65535) and the conversion type: A low, A high,
// B low, B high, type.
std::array<std::uint8_t, 5> flow_constant_bytes(int a, int b, int conversion);
// The characters of a coefficient text as typed (without the blanks around
// it), then the closing zero. nullopt when the text is no number or cannot
// go to the logger (see text_refusal).
std::optional<QByteArray> coefficient_text(const QString& text);

inline constexpr int humidity_offset_limit = 50;  // -50..50
inline constexpr int pressure_offset_limit = 127; // -127..127
inline constexpr int output_temperature_min = -40, output_temperature_max = 80;
std::uint8_t humidity_offset_cell(int h);
std::uint8_t pressure_offset_cell(int p);
std::uint8_t output_temperature_cell(int t);

// The shortest decimal text of a single-precision value, with the locale's
// decimal separator (how the setup dialog shows coefficients).
QString shortest_text(float value);

} // namespace vx
