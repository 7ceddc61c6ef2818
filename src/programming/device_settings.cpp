// The setup dialog's device values; see device_settings.h.
#include "programming/device_settings.h"

#include "base/language.h"
#include "base/number_format.h"
#include "logger/state.h"
#include "programming/encoders.h"

#include <initializer_list>

namespace vx
{

namespace
{

bool one_of(std::uint16_t type, std::initializer_list<int> types)
{
    for (int t : types)
        if (t == type) return true;
    return false;
}

bool changed(const QString& text, const QString& shown)
{
    return text.trimmed() != shown.trimmed();
}

} // namespace

bool takes_analog_block(std::uint16_t type)
{
    return one_of(type, {86, 87, 88, 92, 94, 95, 97, 101, 103, 108, 129, 130, 132});
}
bool takes_battery_low(std::uint16_t type)
{
    return one_of(type, {95, 96, 97, 99, 101, 105, 100, 106, 133});
}
bool takes_measure_length(std::uint16_t type)
{
    return one_of(type, {95, 96, 97, 99, 101});
}
bool humidity_model(std::uint16_t type)
{
    return one_of(type, {100, 106, 133});
}
bool takes_offset(std::uint16_t type)
{
    return one_of(type, {85, 86, 87, 88, 89, 92, 94, 95, 96, 97, 99, 101, 103, 108, 128, 129, 130, 131, 132});
}
bool takes_second_offset(std::uint16_t type)
{
    return type == 108 || type == 131;
}
bool takes_lcd_texts(std::uint16_t type)
{
    return one_of(type, {95, 97, 101});
}

LoggerSetupValues setup_values(std::uint16_t type, const Coefficients& c, const Status& s)
{
    LoggerSetupValues v;
    v.t1 = format_number("%4.1f", s.corr1);
    v.t2 = format_number("%4.1f", s.offset2);
    if (humidity_model(type)) {
        // The status carries the humidity cells: CAL0 and CAL1 as the trim's
        // F0 and S, the humidity offset cell as the stored byte T (2h, or
        // 128 + 2|h| when negative), cell 38 (folded) among the kept bytes.
        const int t = c.kept[0];
        const float humidity_offset = t < 128 ? t / 2.0f : -(t - 128) / 2.0f;
        v.coef = {QString::number(static_cast<int>(c.F0)), QString::number(static_cast<int>(c.S)),
                  shortest_text(humidity_offset), QString()};
        if (type == 133) {
            const int folded = c.kept[1]; // 128 + |p| stored as 127 minus it
            v.coef[3] = QString::number(folded >= 0 ? folded : folded + 1);
        } else {
            v.celsius = c.kept[1] != 0;
        }
        for (std::size_t i = 0; i < 4; ++i)
            v.pwm[i] = QString::number(c.kept[2 + i]);
        v.temp4 = QString::number(c.kept[6]);
        v.temp20 = QString::number(c.kept[7]);
        return v;
    }
    v.coef = {shortest_text(c.a0), shortest_text(c.a1), shortest_text(c.a2), shortest_text(c.a3)};
    v.flow_conversion = static_cast<int>(c.a2);
    return v;
}

std::optional<DeviceSettings> parse_device_settings(std::uint16_t type, const SetupForm& f,
                                                    const SetupForm& shown, const Language& lang,
                                                    QString* refusal, bool* offset_tip)
{
    bool ok = true;
    auto refuse = [&](const QString& text) {
        if (ok && refusal) *refusal = text;
        ok = false;
    };
    auto offset = [&](const QString& text, const QString& was, std::optional<double>& out, bool tip) {
        if (!ok || !changed(text, was)) return;
        const auto v = to_number(text);
        if (v && offset_acceptable(*v)) {
            out = *v;
            return;
        }
        if (!v && tip) return refuse(not_a_number(lang, capitalized(lang.label(137)), text));
        if (tip && offset_tip) *offset_tip = true;
        refuse(lang.mess(142));
    };
    auto integer = [&](const QString& text, const QString& was, int low, int high, const QString& message,
                       std::optional<int>& out) {
        if (!ok || !changed(text, was)) return;
        const auto v = to_integer(text);
        if (v && *v >= low && *v <= high)
            out = *v;
        else
            refuse(message);
    };
    auto decimal = [&](const QString& text, const QString& was, const QString& field,
                       std::optional<float>& out) {
        if (!ok || !changed(text, was)) return;
        if (const auto v = to_number(text))
            out = static_cast<float>(*v);
        else
            refuse(not_a_number(lang, field, text));
    };

    DeviceSettings s;
    s.type = type;
    if (type == 105) {
        offset(f.coef[0], shown.coef[0], s.offset1, false);
        offset(f.coef[1], shown.coef[1], s.offset2, false);
    } else if (takes_offset(type)) {
        offset(f.temp_offset, shown.temp_offset, s.offset1, true);
    }
    if (takes_second_offset(type)) offset(f.offset2, shown.offset2, s.offset2, true);
    s.new_battery = f.new_battery;
    if (takes_battery_low(type))
        integer(f.battery_low, shown.battery_low, 0, 255,
                range_text(lang, QStringLiteral("BATLO border"), 0, 255), s.battery_low);
    if (takes_measure_length(type))
        integer(f.measure_length, shown.measure_length, 0, 255, range_text(lang, lang.label(39), 0, 255),
                s.measure_length);
    if (takes_analog_block(type)) {
        const char* names[] = {"A0", "A1", "A2"};
        for (std::size_t i = 0; i < 3; ++i)
            decimal(f.coef[i], shown.coef[i], QString::fromLatin1(names[i]), s.coef[i]);
    }
    if (type == 111) {
        const char* names[] = {"edr0", "edr1", "eds0", "eds1"};
        for (std::size_t i = 0; i < 4; ++i)
            decimal(f.wind[i], shown.wind[i], QString::fromLatin1(names[i]), s.coef[i]);
    }
    if (type == 107) {
        integer(f.flow_a, shown.flow_a, 0, 65535, range_text(lang, capitalized(lang.label(150)), 0, 65535),
                s.flow[0]);
        integer(f.flow_b, shown.flow_b, 0, 65535, range_text(lang, capitalized(lang.label(151)), 0, 65535),
                s.flow[1]);
        if (f.flow_conversion != shown.flow_conversion) s.flow[2] = f.flow_conversion;
    }
    if (humidity_model(type)) {
        integer(f.coef[0], shown.coef[0], 0, 65535, QStringLiteral("Error in CAL0 coef"), s.cal_words[0]);
        integer(f.coef[1], shown.coef[1], 0, 65535, QStringLiteral("Error in CAL1 coef"), s.cal_words[1]);
        integer(f.humidity_offset, shown.humidity_offset, -humidity_offset_limit, humidity_offset_limit,
                QStringLiteral("LC Humidity offset mismatch value"), s.humidity_offset);
        if (type == 133)
            integer(f.pressure, shown.pressure, -pressure_offset_limit, pressure_offset_limit,
                    QStringLiteral("Air Pressure offset mismatch value"), s.pressure);
        else if (f.celsius != shown.celsius)
            s.celsius = f.celsius;
        if (f.calib_process != shown.calib_process) s.calib_process = f.calib_process;
        const char* pwm_names[] = {"PWM 4mA T", "PWM 20mA T", "PWM 4mA H", "PWM 20mA H"};
        for (std::size_t i = 0; i < 4; ++i)
            integer(f.pwm[i], shown.pwm[i], 0, 255,
                    range_text(lang, QString::fromLatin1(pwm_names[i]), 0, 255), s.pwm[i]);
        const int lo = output_temperature_min, hi = output_temperature_max;
        integer(f.temp4, shown.temp4, lo, hi, lang.mess(143), s.temp4);
        integer(f.temp20, shown.temp20, lo, hi, lang.mess(144), s.temp20);
        if (ok && (s.temp4 || s.temp20)) {
            const auto t4 = to_integer(f.temp4), t20 = to_integer(f.temp20);
            if (!t4 || !t20 || *t20 <= *t4) refuse(lang.mess(145));
        }
    }
    if (!ok) return std::nullopt;
    return s;
}

std::optional<PsychroOffsets> parse_psychro_offsets(const QString& dry, const QString& wet,
                                                    const QString& shown_dry, const QString& shown_wet,
                                                    const Language& lang, QString* refusal)
{
    PsychroOffsets p;
    const std::tuple<const QString&, const QString&, std::optional<double>&, int> fields[] = {
        {dry, shown_dry, p.dry, 146}, {wet, shown_wet, p.wet, 147}};
    for (const auto& [text, was, out, message] : fields) {
        if (!changed(text, was)) continue;
        const auto v = to_number(text);
        if (!v || !offset_acceptable(*v)) {
            if (refusal) *refusal = lang.mess(message);
            return std::nullopt;
        }
        out = *v;
    }
    return p;
}

} // namespace vx
