// The model catalogue as one table. Columns of every row, in order:
//   type, caption, description, ring size, record length, status-length rule,
//   status length, bytes the live values need, live conversion, battery rule,
//   LBLaktval from LABEL10, LBLaktval, unit 1, unit 1 hidden, label 2, unit 2,
//   hint of value 1, hint of value 2, setup calibration group, setup
//   correction, one-time notice, key names.
// A caption or description with a number > 0 is that language text MESSn,
// the string being its built-in default. "\n" in a text is a line break.
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

constexpr const char* desc_88_100 =
    "Teplota/vlhkosť\nsnímač teploty DS182x\nSnímač vlhkosti PHILIPS\nZáznamov:000";
constexpr const char* desc_89_128 =
    "Zapisovač teploty\n-digital snímač zabudovaný alebo externý\nBEZ Zobrazovača\nZáznamov 10400";
constexpr const char* hint_102 =
    "Počet impulzov\nnačítaných od posledného záznamu\nPre skutočný stav prietoku Otvorte databázu záznamov";

// clang-format off
const ModelRow rows[] = {
    {55, {"Teplota ANALOG,Hesta-model"}, {}, 0, 0, R::old_format, 28, 0, L::old_analog, B::not_available,
     false, nullptr, nullptr, false, nullptr, nullptr, nullptr, nullptr, -1, false, false, false},
    {85, {"Zapisovač teploty"}, {"Digital Temp;MAX records=5200"}, 5201, 6, R::at_least, 29, 0,
     L::digital_temp, B::percent_x5,
     true, nullptr, nullptr, false, nullptr, nullptr, nullptr, nullptr, 0, true, false, false},
    {86, {"Zapisovač teploty ANALOG"}, {"Analog Temp;MAX records=5200"}, 5201, 6, R::at_least, 29, 0,
     L::analog_temp, B::percent_x5,
     true, nullptr, nullptr, false, nullptr, nullptr, nullptr, nullptr, 1, false, false, false},
    {87, {"Zapisovač Teplota+Vlhkosť"}, {"Digital temp+humidity; MAX records=3900"}, 3901, 8, R::at_least, 29, 0,
     L::temp_humidity, B::percent_x5,
     false, nullptr, nullptr, false, nullptr, nullptr, nullptr, nullptr, 1, true, false, false},
    {88, {"VORLAN Zelin", 106}, {desc_88_100, 107}, 8001, 8, R::at_least, 44, 0,
     L::temp_humidity, B::percent_x5,
     false, nullptr, nullptr, false, nullptr, nullptr, nullptr, nullptr, 1, true, false, false},
    {89, {"VORLAN Olvek", 104}, {desc_89_128, 105}, 10401, 6, R::at_least, 29, 0,
     L::digital_temp, B::percent_x5,
     true, nullptr, nullptr, false, nullptr, nullptr, nullptr, nullptr, 0, true, false, false},
    {90, {"Zapisovač prietoku", 108}, {"Reed contact input\nRecords: 10400", 109}, 5201, 6, R::at_least, 29, 0,
     L::pulse_count, B::percent_x5,
     false, "Counter:", nullptr, true, nullptr, nullptr, nullptr, nullptr, -1, false, false, false},
    {92, {"Zapisovač Teplota+Vlhkosť"}, {"Digital temp+humidity; MAX records=3900"}, 3901, 8, R::at_least, 29, 0,
     L::temp_humidity, B::percent_x5,
     false, nullptr, nullptr, false, nullptr, nullptr, nullptr, nullptr, 1, true, false, false},
    {93, {"Zapisovac iButton"}, {"DS1921 zapisovac\nPocet záznamov=10400"}, 10401, 6, R::at_least, 29, 0,
     L::ibutton_key, B::percent_x5,
     false, "Klúc", nullptr, true, nullptr, nullptr, "Číslo klúca", nullptr, -1, false, false, true},
    {94, {"Zapisovač teploty ANALOG"}, {"Analog Temp;MAX records=10400"}, 10401, 6, R::at_least, 29, 0,
     L::analog_temp, B::percent_x5,
     true, nullptr, nullptr, false, nullptr, nullptr, nullptr, nullptr, 1, false, false, false},
    {95, {"Zapisovač teploty ANALOG"}, {"Analog Temperature\nLCD Display\nMAX records=10400"}, 10401, 6,
     R::at_least, 29, 0, L::analog_temp, B::volts_analog,
     true, nullptr, nullptr, false, nullptr, nullptr, nullptr, nullptr, 1, false, false, false},
    {96, {"VORLAN LCD Mibra", 100},
     {"Zapisovač teploty\nLCD zobrazovač\nDigital snímač DS1820\nZáznamov: 10400", 101}, 10401, 6,
     R::at_least, 29, 0, L::digital_temp, B::volts_alkaline,
     true, nullptr, nullptr, false, nullptr, nullptr, nullptr, nullptr, 0, true, false, false},
    {97, {"Zapisovač Prud/napatie"}, {"Prudovy/napatovy vstup\nLCD Display\nMAX records=10400"}, 10401, 6,
     R::at_least, 29, 0, L::current_voltage, B::volts_analog,
     false, "Fyz.vel.", "", false, nullptr, nullptr, "Rozmer veliciny je definovaný na štítku prístroja", nullptr,
     1, false, false, false},
    {99, {"VORLAN LCD Kalme"}, {"Psychrometric humidity\nDigital temp sensor\nMAX records=8000"}, 8001, 8,
     R::at_least, 29, 0, L::psychrometer, B::volts_alkaline,
     false, nullptr, nullptr, false, nullptr, nullptr, nullptr, nullptr, 1, true, false, false},
    {100, {"Teplota/Vlhkost Lumeo"}, {desc_88_100, 107}, 8000, 8, R::at_least, 29, 44,
     L::temp_cap_humidity, B::volts_alkaline,
     false, nullptr, nullptr, false, nullptr, nullptr, nullptr, nullptr, -1, false, false, false},
    {101, {"LCD Analog zapisovač", 102},
     {"Zapisovač teploty\n-LCD zobrazovač\n-Analog snímač Pt1000,NI1000,NI2000\n-Záznamov 10400\nHI/LO Podmienky zápisu",
      103},
     10401, 6, R::at_least, 29, 0, L::analog_temp, B::volts_alkaline,
     true, nullptr, nullptr, false, nullptr, nullptr, nullptr, nullptr, 1, false, false, false},
    {102, {"Zapisovač imp.prietoku"}, {"Čítač pre REED kontakt prietokomery\nzaznamov=10400"}, 10401, 6,
     R::exactly, 29, 0, L::pulse_count, B::percent_x5,
     false, "Čítač:", "imp", false, nullptr, nullptr, hint_102, nullptr, -1, false, false, false},
    {103, {"Zapisovač teploty ANALOG"},
     {"Analog PT1000, KTY81\nAnalog Input 0..20mA\nMAX records=10400\nLO/HI podmienka zapisu\nType=103"}, 10401, 6,
     R::exactly, 46, 0, L::analog_limits, B::percent_x5,
     true, nullptr, nullptr, false, nullptr, nullptr, nullptr, nullptr, 1, false, false, false},
    {105, {"2x Temp"}, {"LCD recorder\n2x Digital temperature sensor"}, 8000, 8, R::at_least, 29, 44,
     L::two_temps, B::volts_alkaline,
     false, "Teplota1", nullptr, false, "Teplota2", "'C", nullptr, nullptr, -1, false, false, false},
    {106, {"Teplota/Vlhkost Lumeo"},
     {"Snimac teploty digital: DS1822\nSnimac vlhkosti: PHILIPS polymer\nLCD Display 4x7segment\nNapajanie: ACU 3.6V\nPocet zaznamov=8000"},
     8000, 8, R::at_least, 29, 44, L::temp_cap_humidity, B::volts_alkaline,
     false, nullptr, nullptr, false, nullptr, nullptr, nullptr, nullptr, -1, false, false, false},
    {107, {"Prietok"}, {"LCD zaznam prietoku\n2 vstupy\nLi-ION Akumulator"}, 10401, 6, R::at_least, 29, 0,
     L::flow, B::volts_alkaline,
     false, "Mnozstvo", "", false, "", "", "Celkové pretečené množstvo", nullptr, -1, false, false, false},
    {108, {"Wenda"}, {"PRINTER RECORDER\n2x Analog temperature sensor"}, 8000, 8, R::at_least, 29, 45,
     L::two_temps_printer, B::volts_printer,
     false, "Teplota1", nullptr, false, "Teplota2", "'C", nullptr, nullptr, -1, false, false, false},
    {111, {"LCD_Jorvi"}, {"LCD recorder\n2x analog 0..20mA"}, 8000, 8, R::at_least, 29, 0,
     L::wind, B::volts_wind,
     false, "Rychlost", "m/s", false, "Smer", "", "Aktualna Rychlost vetra", "Smer vetra", -1, false, false, false},
    {128, {"TEMNIRA Corvy", 110}, {desc_89_128, 111}, 10401, 6, R::at_least, 29, 0,
     L::digital_temp, B::volts_div30,
     true, nullptr, nullptr, false, nullptr, nullptr, nullptr, nullptr, 0, true, false, false},
    {129, {"Zapisovač teploty ANALOG"},
     {"Analog PT1000, KTY81\nAnalog Input 0..20mA\nMAX records=10400\nLO/HI podmienka zapisu\nType=129"}, 10401, 6,
     R::exactly, 46, 0, L::analog_limits, B::volts_div30,
     true, nullptr, nullptr, false, nullptr, nullptr, nullptr, nullptr, 1, false, false, false},
    {130, {"TEMNIRA Belsa", 112},
     {"Zapisovač PRUD:0..20mA \n+ Impulzny REED contact vstup\nBEZ Zobrazovača\nZáznamov 8000", 113}, 8001, 8,
     R::at_least, 47, 0, L::current_loop, B::volts_div30,
     false, nullptr, nullptr, false, nullptr, nullptr, nullptr, nullptr, 1, false, true, false},
    {131, {"2x Temp"}, {"USBLCD recorder\n2x analog temperature sensor"}, 8000, 8, R::at_least, 29, 32,
     L::two_temps_usb, B::percent_usb,
     false, "Temp1", nullptr, false, "Temp2", "'C", "Temp1", "Temp2", -1, false, false, false},
    {132, {"TEMNIRA Parun"}, {"Zapisovac hladiny 0.4--2mA"}, 8001, 8, R::at_least, 47, 0,
     L::level, B::hidden,
     false, nullptr, "cm", false, nullptr, nullptr, nullptr, nullptr, 1, false, true, false},
    {133, {"SOLVA-Fenko"},
     {"Temperature sensor PHILIPS\nHumidity sensor PHILIPS\nAir Pressure sensor MOTOROLA\nGraphic LCD Display\nCell: Lithium 3.6V 1xAA \nMAX records=7000"},
     7000, 9, R::at_least, 29, 45, L::temp_humi_pressure, B::volts_alkaline,
     false, nullptr, nullptr, false, nullptr, nullptr, nullptr, nullptr, -1, false, false, false},
};
// clang-format on

} // namespace

QString CatalogueText::resolve(const Language* lang) const
{
    if (mess > 0 && lang) {
        const QString t = lang->mess(mess);
        if (!t.isEmpty()) return t;
    }
    return fixed ? QString::fromUtf8(fixed) : QString();
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

QString notice_text(std::uint16_t type)
{
    const char* first = nullptr;
    if (type == 130) first = "Pripojeny je zapisovač TEMNIRA Belsa";
    if (type == 132) first = "Pripojeny je zapisovač TEMNIRA Parun";
    if (!first) return {};
    return QString::fromUtf8(first) + QStringLiteral("\r\n") +
           QString::fromUtf8("Môžete definovať prepočet prúdu na fyzikálnu veličinu") +
           QStringLiteral("\r\n") + QString::fromUtf8("v MENU Súbor-> Kalibračný súbor");
}

} // namespace vx
