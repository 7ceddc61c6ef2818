#pragma once
// Conversions from a logger's raw counts to physical values, shared by the
// live readings of the status reply and the decoding of stored records. All
// in the logger's own units: digital temperatures in 1/16 degree, 2000 and
// above counting as negative; coefficients as IEEE single-precision floats.
#include <array>
#include <cstdint>

namespace vx
{

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

// Conversions.
double digital_temperature(std::uint16_t raw);
// a0 + a1 r + a2 r^2 (single precision, as the logger's coefficients).
float polynomial(const Coefficients& c, double r);
// Capacitive humidity from the trim F0, S, K; the raw count in diagnostic mode.
double capacitive_humidity(double r, const Coefficients& c, bool diagnostic);
// Saturation vapour pressure in Pa at t degrees C.
double saturation_pressure(double t);
// Relative humidity from dry and wet temperature; 99.9 when wet >= dry.
double psychrometric_humidity(double dry, double wet);
double fahrenheit(double celsius);

// Sign-magnitude correction byte (bit 7 = negative) in degrees C.
float correction_value(std::uint8_t byte);

} // namespace vx
