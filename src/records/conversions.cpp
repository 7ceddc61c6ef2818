#include "records/conversions.h"

#include <cmath>

namespace vx
{

double digital_temperature(std::uint16_t raw)
{
    if (raw >= 2000) return -(65535.0 - raw) / 16.0;
    return raw / 16.0;
}

float polynomial(const Coefficients& c, double r)
{
    const float x = static_cast<float>(r);
    return c.a0 + c.a1 * x + c.a2 * x * x;
}

double capacitive_humidity(double r, const Coefficients& c, bool diagnostic)
{
    if (diagnostic) return r;
    if (r > c.F0 || c.S == 0) return 0;
    double h = ((c.F0 - r) * 16.0 / c.S + c.K) / 2.0;
    if (h > 99) h = 99.9;
    if (h < 0) h = 0;
    return h;
}

double saturation_pressure(double t)
{
    return 610.78 * std::exp(17.2694 * t / (238.3 + t));
}

double psychrometric_humidity(double dry, double wet)
{
    if (wet >= dry) return 99.9;
    double rh = (saturation_pressure(wet) - (dry - wet) * 66.7) / saturation_pressure(dry) * 100.0;
    if (rh < 0) rh = 0;
    if (rh > 100) rh = 99.9;
    return rh;
}

double fahrenheit(double celsius)
{
    return celsius * 1.8 + 32;
}

float correction_value(std::uint8_t byte)
{
    const float magnitude = static_cast<float>(byte & 0x7F) / 16.0f;
    return (byte & 0x80) ? -magnitude : magnitude;
}

} // namespace vx
