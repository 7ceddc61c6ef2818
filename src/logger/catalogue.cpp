// The model catalogue as one table. Columns of every row, in order:
//   type, caption, description, ring size, record length, status-length rule,
//   status length, bytes the live values need, live conversion, battery rule,
//   LBLaktval from LABEL10, LBLaktval, unit 1, unit 1 hidden, label 2, unit 2,
//   hint of value 1, hint of value 2, setup calibration group, setup
//   correction, one-time notice, key names.
// A text is fixed (names, units, texts that read the same in every language)
// or a language text; "\n" in a text is a line break.
#include "logger/catalogue.h"

#include "base/language.h"

#include <algorithm>
#include <iterator>

namespace vx
{

namespace
{

using L = LiveKind;
using B = BatteryRule;
using R = LengthRule;

// Texts of the rows: f() a fixed text, t() a language text.
constexpr CatalogueText f(const char* text)
{
    return fixed_text(text);
}
constexpr CatalogueText t(const char* key)
{
    return language_text(key);
}
constexpr CatalogueText none{};

// clang-format off
const ModelRow rows[] = {
    {55, t("MESS151"), none, 0, 0, R::old_format, 28, 0, L::old_analog, B::not_available,
     false, none, none, false, none, none, none, none, -1, false, false, false},
    {85, t("MESS152"), t("HINT143"), 5201, 6, R::at_least, 29, 0,
     L::digital_temp, B::percent_x5,
     true, none, none, false, none, none, none, none, 0, true, false, false},
    {86, t("MESS153"), t("HINT141"), 5201, 6, R::at_least, 29, 0,
     L::analog_temp, B::percent_x5,
     true, none, none, false, none, none, none, none, 1, false, false, false},
    {87, t("MESS154"), t("HINT144"), 3901, 8, R::at_least, 29, 0,
     L::temp_humidity, B::percent_x5,
     false, none, none, false, none, none, none, none, 1, true, false, false},
    {88, t("MESS106"), t("MESS107"), 8001, 8, R::at_least, 44, 0,
     L::temp_humidity, B::percent_x5,
     false, none, none, false, none, none, none, none, 1, true, false, false},
    {89, t("MESS104"), t("MESS105"), 10401, 6, R::at_least, 29, 0,
     L::digital_temp, B::percent_x5,
     true, none, none, false, none, none, none, none, 0, true, false, false},
    {90, t("MESS108"), t("MESS109"), 5201, 6, R::at_least, 29, 0,
     L::pulse_count, B::percent_x5,
     false, t("LABEL176"), none, true, none, none, none, none, -1, false, false, false},
    {92, t("MESS154"), t("HINT144"), 3901, 8, R::at_least, 29, 0,
     L::temp_humidity, B::percent_x5,
     false, none, none, false, none, none, none, none, 1, true, false, false},
    {93, t("MESS155"), t("MESS180"), 10401, 6, R::at_least, 29, 0,
     L::ibutton_key, B::percent_x5,
     false, t("LABEL19"), none, true, none, none, t("HINT64"), none, -1, false, false, true},
    {94, t("MESS153"), t("HINT140"), 10401, 6, R::at_least, 29, 0,
     L::analog_temp, B::percent_x5,
     true, none, none, false, none, none, none, none, 1, false, false, false},
    {95, t("MESS153"), t("HINT142"), 10401, 6,
     R::at_least, 29, 0, L::analog_temp, B::volts_analog,
     true, none, none, false, none, none, none, none, 1, false, false, false},
    {96, t("MESS100"), t("MESS101"), 10401, 6,
     R::at_least, 29, 0, L::digital_temp, B::volts_alkaline,
     true, none, none, false, none, none, none, none, 0, true, false, false},
    {97, t("MESS156"), t("MESS181"), 10401, 6,
     R::at_least, 29, 0, L::current_voltage, B::volts_analog,
     false, t("LABEL27"), f(""), false, none, none, t("HINT65"), none, 1, false, false, false},
    {99, f("VORLAN LCD Kalme"), t("HINT148"), 8001, 8,
     R::at_least, 29, 0, L::psychrometer, B::volts_alkaline,
     false, none, none, false, none, none, none, none, 1, true, false, false},
    {100, t("MESS157"), t("MESS107"), 8000, 8, R::at_least, 29, 44,
     L::temp_cap_humidity, B::volts_alkaline,
     false, none, none, false, none, none, none, none, -1, false, false, false},
    {101, t("MESS102"), t("MESS103"),
     10401, 6, R::at_least, 29, 0, L::analog_temp, B::volts_alkaline,
     true, none, none, false, none, none, none, none, 1, false, false, false},
    {102, t("MESS158"), t("MESS182"), 10401, 6,
     R::exactly, 29, 0, L::pulse_count, B::percent_x5,
     false, t("LABEL28"), f("imp"), false, none, none, t("HINT66"), none, -1, false, false, false},
    {103, t("MESS153"), t("MESS183"), 10401, 6,
     R::exactly, 46, 0, L::analog_limits, B::percent_x5,
     true, none, none, false, none, none, none, none, 1, false, false, false},
    {105, t("LABEL179"), t("HINT145"), 8000, 8, R::at_least, 29, 44,
     L::two_temps, B::volts_alkaline,
     false, t("LABEL29"), none, false, t("LABEL34"), t("LABEL7"), none, none, -1, false, false, false},
    {106, t("MESS157"), t("MESS185"),
     8000, 8, R::at_least, 29, 44, L::temp_cap_humidity, B::volts_alkaline,
     false, none, none, false, none, none, none, none, -1, false, false, false},
    {107, t("MESS159"), t("MESS186"), 10401, 6, R::at_least, 29, 0,
     L::flow, B::volts_alkaline,
     false, t("LABEL35"), f(""), false, f(""), f(""), t("HINT67"), none, -1, false, false, false},
    {108, f("Wenda"), t("HINT147"), 8000, 8, R::at_least, 29, 45,
     L::two_temps_printer, B::volts_printer,
     false, t("LABEL29"), none, false, t("LABEL34"), t("LABEL7"), none, none, -1, false, false, false},
    {111, f("LCD_Jorvi"), t("HINT146"), 8000, 8, R::at_least, 29, 0,
     L::wind, B::volts_wind,
     false, t("LABEL36"), f("m/s"), false, t("LABEL37"), f(""), t("HINT68"), t("HINT69"), -1, false, false, false},
    {128, t("MESS110"), t("MESS111"), 10401, 6, R::at_least, 29, 0,
     L::digital_temp, B::volts_div30,
     true, none, none, false, none, none, none, none, 0, true, false, false},
    {129, t("MESS153"), t("MESS184"), 10401, 6,
     R::exactly, 46, 0, L::analog_limits, B::volts_div30,
     true, none, none, false, none, none, none, none, 1, false, false, false},
    {130, t("MESS112"), t("MESS113"), 8001, 8,
     R::at_least, 47, 0, L::current_loop, B::volts_div30,
     false, none, none, false, none, none, none, none, 1, false, true, false},
    {131, t("LABEL179"), t("HINT150"), 8000, 8, R::at_least, 29, 32,
     L::two_temps_usb, B::percent_usb,
     false, t("LABEL177"), none, false, t("LABEL178"), t("LABEL7"), t("LABEL177"), t("LABEL178"), -1, false, false, false},
    {132, f("TEMNIRA Parun"), t("MESS187"), 8001, 8, R::at_least, 47, 0,
     L::level, B::hidden,
     false, none, f("cm"), false, none, none, none, none, 1, false, true, false},
    {133, f("SOLVA-Fenko"),
     t("HINT149"),
     7000, 9, R::at_least, 29, 45, L::temp_humi_pressure, B::volts_alkaline,
     false, none, none, false, none, none, none, none, -1, false, false, false},
};
// clang-format on

} // namespace

QString CatalogueText::resolve(const Language* lang) const
{
    if (fixed) return QString::fromUtf8(fixed);
    if (!key) return {};
    const QString text = lang ? lang->text(QLatin1String(key)) : QString();
    return text.isEmpty() ? builtin_text(QLatin1String(key)) : text;
}

const ModelRow* find_model(std::uint16_t type)
{
    const auto* it = std::lower_bound(std::begin(rows), std::end(rows), type,
                                      [](const ModelRow& r, std::uint16_t t) { return r.type < t; });
    if (it == std::end(rows) || it->type != type) return nullptr;
    return it;
}

ModelRows all_models()
{
    return {rows, static_cast<int>(std::size(rows))};
}

bool status_length_ok(const ModelRow& row, int length)
{
    switch (row.length_rule) {
    case LengthRule::old_format:
    case LengthRule::exactly:
        return length == row.status_length;
    case LengthRule::at_least:
        return length >= row.status_length;
    }
    return false;
}

QString notice_text(std::uint16_t type, const Language& lang)
{
    if (type != 130 && type != 132) return {};
    return lang.mess(72).arg(find_model(type)->caption.resolve(&lang));
}

} // namespace vx
