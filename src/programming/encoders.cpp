// Wire values of mission, setup and calibration settings; see encoders.h.
#include "programming/encoders.h"

#include "base/calibration.h"
#include "base/code_page.h"
#include "base/language.h"

#include <QLocale>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace vx
{

namespace
{

// Raw counts searched by the gradient codes of the analog loggers.
constexpr int gradient_search_end = 16386;

std::uint8_t clamp_code(double code)
{
    if (!(code > 0)) return 0; // also NaN
    return code >= 255 ? 255 : static_cast<std::uint8_t>(code);
}

// a0 + a1 k + a2 k^2 in single precision, as the logger computes it.
float logger_polynomial(const Coefficients& c, float k)
{
    return c.a0 + c.a1 * k + c.a2 * k * k;
}

// The first control character of text: C0 (line breaks and tab included), DEL or C1.
std::optional<char32_t> first_control(const QString& text)
{
    for (const char32_t c : text.toUcs4())
        if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) return c;
    return std::nullopt;
}

} // namespace

std::optional<double> to_number(const QString& text)
{
    bool ok = false;
    const double v = parse_decimal(text.trimmed(), &ok);
    if (!ok || !std::isfinite(v)) return std::nullopt;
    return v;
}

std::optional<int> to_integer(const QString& text)
{
    bool ok = false;
    const int v = text.trimmed().toInt(&ok, 10);
    if (!ok) return std::nullopt;
    return v;
}

QString range_text(const Language& lang, const QString& field, int low, int high)
{
    return lang.mess(122).arg(field).arg(low).arg(high);
}

QString text_refusal(const Language& lang, const QString& field, const QString& text)
{
    const auto code = [](char32_t c) {
        return QStringLiteral("U+%1").arg(uint(c), 4, 16, QLatin1Char('0')).toUpper();
    };
    if (const auto c = first_control(text)) return lang.mess(170).arg(field, code(*c));
    if (const auto c = first_outside_cp1250(text)) {
        // U+FFFD stands for bytes that were no text at all; it has nothing to show.
        const QString shown =
            *c == 0xFFFD ? QString() : QStringLiteral(" '%1'").arg(QString::fromUcs4(&*c, 1));
        return lang.mess(171).arg(field, code(*c) + shown);
    }
    return {};
}

QString not_a_number(const Language& lang, const QString& field, const QString& text)
{
    return lang.mess(123).arg(field, text);
}

std::uint8_t gradient_code(const GradientInputs& in)
{
    if (in.type == 107) return clamp_code(std::trunc(in.value));
    const double g = in.value;
    if (!(g > 0)) return 0;
    const Coefficients& c = in.coef;
    switch (in.type) {
    case 111: {
        int k = 0;
        for (; k < gradient_search_end; ++k) {
            const float v = c.a1 * static_cast<float>(k) + c.a0;
            if (std::fabs(static_cast<double>(v - c.a0)) > g) break;
        }
        return clamp_code(k / 4);
    }
    case 130:
    case 132: {
        auto value = [&](int k) {
            float v = logger_polynomial(c, static_cast<float>(k)) + in.offset;
            if (in.calib) v = in.calib->calib_value(v);
            return v;
        };
        const float base = value(0);
        int k = 0;
        for (; k < gradient_search_end; ++k)
            if (std::fabs(static_cast<double>(value(k) - base)) > g) break;
        return clamp_code(k / 16);
    }
    case 97:
        return clamp_code(std::trunc(g / c.a1 / 5));
    default:
        // Temperatures in 1/16 degree.
        return clamp_code(std::trunc(16 * g));
    }
}

LimitBytes raw_threshold(double limit, const Coefficients& c, const Calibration* calib)
{
    for (int k = 0; k <= 65535; ++k) {
        float v = logger_polynomial(c, static_cast<float>(k));
        if (calib) v = calib->CAL0 + calib->CAL1 * v + calib->CAL2 * v * v;
        if (static_cast<double>(v) > limit) {
            if (k >= 65530) break;
            return {static_cast<std::uint8_t>(k % 256), static_cast<std::uint8_t>(k / 256)};
        }
    }
    return {0, 0};
}

std::uint8_t signed_limit(std::optional<int> limit)
{
    return limit ? static_cast<std::uint8_t>(*limit & 0xFF) : 127;
}

std::optional<int> old_gradient_quotient(double gradient, float a1)
{
    const double q = std::trunc(std::fabs(gradient / static_cast<double>(a1)));
    if (!(q <= 65535)) return std::nullopt;
    return static_cast<int>(q);
}

bool offset_acceptable(double t)
{
    return t > -8 && t < 8;
}

std::uint8_t offset_code(double t)
{
    if (t >= 0) return static_cast<std::uint8_t>(std::trunc(16 * t));
    return static_cast<std::uint8_t>(128 + std::trunc(16 * -t));
}

std::uint8_t check_byte(std::span<const std::uint8_t> bytes)
{
    std::uint8_t sum = 0;
    for (std::uint8_t b : bytes)
        sum = static_cast<std::uint8_t>(sum + b);
    return static_cast<std::uint8_t>(170 - sum);
}

std::vector<std::uint8_t> float_bytes(std::span<const float> values)
{
    std::vector<std::uint8_t> out;
    for (float f : values) {
        std::uint32_t u = 0;
        static_assert(sizeof u == sizeof f);
        std::memcpy(&u, &f, sizeof u);
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<std::uint8_t>(u >> (8 * i)));
    }
    return out;
}

std::array<std::uint8_t, 5> flow_constant_bytes(int a, int b, int conversion)
{
    return {static_cast<std::uint8_t>(a & 0xFF), static_cast<std::uint8_t>((a >> 8) & 0xFF),
            static_cast<std::uint8_t>(b & 0xFF), static_cast<std::uint8_t>((b >> 8) & 0xFF),
            static_cast<std::uint8_t>(conversion)};
}

std::optional<QByteArray> coefficient_text(const QString& text)
{
    const QString t = text.trimmed();
    if (!to_number(t) || first_control(t) || first_outside_cp1250(t)) return std::nullopt;
    auto bytes = to_cp1250(t);
    if (bytes) bytes->append('\0');
    return bytes;
}

std::uint8_t humidity_offset_cell(int h)
{
    return static_cast<std::uint8_t>(h >= 0 ? 2 * h : 128 + 2 * -h);
}

std::uint8_t pressure_offset_cell(int p)
{
    return static_cast<std::uint8_t>(p >= 0 ? p : 128 - p);
}

std::uint8_t output_temperature_cell(int t)
{
    // 127 - t, not 128 - t: -1 is stored as 128.
    return static_cast<std::uint8_t>(t >= 0 ? t : 127 - t);
}

QString shortest_text(float value)
{
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    QString s = QString::fromLatin1(buf, static_cast<int>(r.ptr - buf));
    s.replace(QLatin1Char('.'), QLocale().decimalPoint());
    return s;
}

} // namespace vx
