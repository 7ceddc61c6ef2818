// Setup of the attached logger; see device_setup.h.
#include "programming/device_setup.h"

#include "base/number_format.h"
#include "base/ui_port.h"
#include "link/frame.h"
#include "logger/program_state.h"
#include "logger/state.h"
#include "programming/calibration_transfer.h"
#include "programming/encoders.h"
#include "records/marks.h"

#include <initializer_list>

namespace vx
{

namespace
{

constexpr int pause_ms = 200;
constexpr int cal_word_pause_ms = 100;
constexpr std::uint8_t wind_flow_battery_low = 200;
constexpr std::uint8_t battery_replaced_parameter = 20;
constexpr int battery_replaced_wait_ms = 100;
constexpr int k_offset1 = cmd::offset1 - cmd::value_base;
constexpr int k_offset2 = cmd::offset2 - cmd::value_base;

bool one_of(std::uint16_t type, std::initializer_list<int> types)
{
    for (int t : types)
        if (t == type) return true;
    return false;
}

// Models whose analog coefficients go out as a float block.
bool analog_float_model(std::uint16_t type)
{
    return one_of(type, {86, 87, 88, 92, 94, 95, 97, 101, 103, 108, 129, 130, 132});
}
bool battery_low_model(std::uint16_t type)
{
    return one_of(type, {95, 96, 97, 99, 101, 105, 100, 106, 133});
}
bool measure_length_model(std::uint16_t type)
{
    return one_of(type, {95, 96, 97, 99, 101});
}
bool humidity_model(std::uint16_t type)
{
    return one_of(type, {100, 106, 133});
}

constexpr const char* pwm_names[] = {"PWM 4mA T", "PWM 20mA T", "PWM 4mA H", "PWM 20mA H"};

QString offset_message()
{
    return QStringLiteral("Nesprávny údaj posunu teploty\rPresvedčte sa aký desatinný oddelovač ste použili");
}

bool in_range(const QString& text, int low, int high)
{
    const auto v = to_integer(text);
    return v && *v >= low && *v <= high;
}

std::uint8_t byte_of(const QString& text)
{
    return static_cast<std::uint8_t>(to_integer(text).value_or(0));
}

} // namespace

LoggerSetupValues setup_values(std::uint16_t type, const Coefficients& c, const Status& s)
{
    LoggerSetupValues v;
    v.t1 = format_number("%4.1f", s.corr1);
    v.t2 = format_number("%4.1f", s.corr2);
    if (humidity_model(type)) {
        // The status carries the humidity cells: CAL0 and CAL1 as the trim's
        // F0 and S, the humidity offset as K, cell 38 (folded) among the kept bytes.
        v.coef = {QString::number(static_cast<int>(c.F0)), QString::number(static_cast<int>(c.S)),
                  QString::number(static_cast<int>(c.K)), QString()};
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
    const int conversion = static_cast<int>(c.a2);
    v.flow_conversion = conversion >= 0 && conversion <= 2 ? conversion : -1;
    return v;
}

DeviceSetup::DeviceSetup(Global& g, std::function<void(const QString&)> show_tip)
    : g_(g), show_tip_(std::move(show_tip))
{
}

bool DeviceSetup::refuse(const QString& text)
{
    if (g_.ui) g_.ui->show_message(text, btn::ok);
    return false;
}

// Every value this send would carry is checked before the first frame goes.
bool DeviceSetup::check(const SetupForm& f, const SetupChanges& ch)
{
    const std::uint16_t type = g_.ident.type_code;
    auto offset_ok = [&](const QString& text, bool tip) {
        const auto v = to_number(text);
        if (v && offset_acceptable(*v)) return true;
        refuse(offset_message());
        if (tip && show_tip_) show_tip_(QStringLiteral("ERRTIP0011"));
        return false;
    };
    auto numbers = [&](std::initializer_list<std::pair<const QString*, const char*>> fields) {
        for (const auto& [text, name] : fields)
            if (!to_number(*text)) return refuse(not_a_number(QString::fromUtf8(name), *text));
        return true;
    };
    auto integer = [&](const QString& text, int low, int high, const QString& message) {
        return in_range(text, low, high) || refuse(message);
    };

    if (one_of(type, {108, 131}) && !offset_ok(f.offset2, true)) return false;
    if (type == 105 && ch.coef && !(offset_ok(f.coef[0], false) && offset_ok(f.coef[1], false))) return false;
    if (type == 111 &&
        !numbers({{&f.wind[0], "edr0"}, {&f.wind[1], "edr1"}, {&f.wind[2], "eds0"}, {&f.wind[3], "eds1"}}))
        return false;
    if (type == 107) {
        if (!integer(f.flow_a, 0, 65535, range_text(QStringLiteral("Konštanta A"), 0, 65535)) ||
            !integer(f.flow_b, 0, 65535, range_text(QStringLiteral("Konštanta B"), 0, 65535)))
            return false;
        if (f.flow_conversion < 0 || f.flow_conversion > 2)
            return refuse(QStringLiteral("Typ prepočtu: vyberte jednu z troch možností"));
    }
    if (ch.coef && analog_float_model(type) &&
        !numbers({{&f.coef[0], "A0"}, {&f.coef[1], "A1"}, {&f.coef[2], "A2"}}))
        return false;
    if (ch.battery_low && battery_low_model(type) &&
        !integer(f.battery_low, 0, 255, range_text(QStringLiteral("BATLO border"), 0, 255)))
        return false;
    if (ch.measure_length && measure_length_model(type) &&
        !integer(f.measure_length, 0, 255, range_text(QStringLiteral("Doba merania"), 0, 255)))
        return false;
    if (!humidity_model(type)) return true;

    if (ch.coef && (!integer(f.coef[0], 0, 65535, QStringLiteral("Error in CAL0 coef")) ||
                    !integer(f.coef[1], 0, 65535, QStringLiteral("Error in CAL1 coef"))))
        return false;
    if (ch.humidity_offset && !integer(f.humidity_offset, -humidity_offset_limit, humidity_offset_limit,
                                       QStringLiteral("LC Humidity offset mismatch value")))
        return false;
    if (type == 133 && ch.pressure &&
        !integer(f.pressure, -pressure_offset_limit, pressure_offset_limit,
                 QStringLiteral("Air Pressure offset mismatch value")))
        return false;
    for (std::size_t i = 0; i < 4; ++i)
        if (ch.pwm[i] && !integer(f.pwm[i], 0, 255, range_text(QString::fromLatin1(pwm_names[i]), 0, 255)))
            return false;
    if (ch.output_temps) {
        const int lo = output_temperature_min, hi = output_temperature_max;
        if (!integer(f.temp4, lo, hi, QStringLiteral("Chyba Ziadana teplota pre 4mA nedovolena hodnota")) ||
            !integer(f.temp20, lo, hi, QStringLiteral("Chyba Ziadana teplota pre 20mA nedovolena hodnota")))
            return false;
        if (*to_integer(f.temp20) <= *to_integer(f.temp4))
            return refuse(
                QStringLiteral("!CHYBA! Teplota pre 20mA nemoze byt mensia alebo rovnaka ako pre 4mA"));
    }
    return true;
}

void DeviceSetup::battery_low_step(int value, const QString& line)
{
    g_.ui->progress_log(line);
    g_.link.setup_exchange(cmd::setup_value, static_cast<std::uint8_t>(value));
    g_.link.delay(pause_ms);
}

bool DeviceSetup::send_offset(int setting, double value, const char* failure)
{
    if (g_.link.send_value(setting, offset_code(value))) return true;
    g_.ui->progress_hide();
    g_.ui->show_message(QString::fromLatin1(failure), btn::ok);
    return false;
}

DeviceSetup::Result DeviceSetup::send(SetupForm& f, SetupChanges& ch)
{
    if (!g_.ui) return Result::refused;
    UiPort& ui = *g_.ui;
    Link& link = g_.link;
    const std::uint16_t type = g_.ident.type_code;

    const auto t = to_number(f.temp_offset);
    if (!t) {
        refuse(not_a_number(QStringLiteral("Posun teploty"), f.temp_offset));
        return Result::refused;
    }
    if (!offset_acceptable(*t)) {
        refuse(offset_message());
        if (show_tip_) show_tip_(QStringLiteral("ERRTIP0011"));
        return Result::refused;
    }
    if (!check(f, ch)) return Result::refused;

    link.show_progress(QString());
    ui.progress_clear_log();
    auto end = [&] {
        ui.progress_hide();
        ch.offset = ch.coef = ch.notation = ch.humidity_offset = ch.calib_process = ch.battery_low = false;
        return Result::ended;
    };
    auto fixed_battery_low = [&] {
        f.battery_low = QString::number(wind_flow_battery_low);
        battery_low_step(wind_flow_battery_low, QStringLiteral("BAT LO setup..."));
    };
    auto number = [](const QString& text) { return static_cast<float>(*to_number(text)); };

    if (type == 111) {
        const float wind[4] = {number(f.wind[0]), number(f.wind[1]), number(f.wind[2]), number(f.wind[3])};
        g_.coef.a0 = wind[0];
        g_.coef.a1 = wind[1];
        g_.coef.a2 = wind[2];
        g_.coef.a3 = wind[3];
        send_float_block(g_, wind, 0, 5);
        fixed_battery_low();
        return end();
    }
    if (type == 107) {
        send_flow_constants(g_, *to_integer(f.flow_a), *to_integer(f.flow_b), f.flow_conversion);
        fixed_battery_low();
        return end();
    }
    if (type == 108 || type == 131) {
        ui.progress_log(QStringLiteral("Temp1 offset..."));
        if (!send_offset(k_offset1, *t, "Don't confirm")) return end();
        link.delay(pause_ms);
        ui.progress_log(QStringLiteral("Temp2 offset..."));
        if (!send_offset(k_offset2, *to_number(f.offset2), "Don't confirm")) return end();
        link.delay(pause_ms);
    } else if (type == 105) {
        if (ch.coef) {
            ui.progress_log(QStringLiteral("Temp offset..."));
            if (!send_offset(k_offset1, *to_number(f.coef[0]), "Nepotvrdil, opakujte")) return end();
            link.delay(pause_ms);
            if (!send_offset(k_offset2, *to_number(f.coef[1]), "Nepotvrdil, opakujte")) return end();
            link.delay(pause_ms);
        }
        if (ch.battery_low) battery_low_step(*to_integer(f.battery_low), QStringLiteral("BAT LO setup..."));
        return end();
    }

    ui.progress_log(QStringLiteral("Temp offset..."));
    if (!send_offset(k_offset1, *t, "Nepotvrdil, opakujte")) return end();

    if (f.new_battery) {
        ui.progress_log(QStringLiteral("New batt ..."));
        if (!link.send_acknowledged(cmd::battery_replaced, battery_replaced_parameter,
                                    battery_replaced_wait_ms))
            return end();
        ui.progress_position(70);
    }
    if (ch.coef && analog_float_model(type)) {
        const float coef[3] = {number(f.coef[0]), number(f.coef[1]), number(f.coef[2])};
        g_.coef.a0 = coef[0];
        g_.coef.a1 = coef[1];
        g_.coef.a2 = coef[2];
        send_float_block(g_, coef, 80, 5);
    }
    if (measure_length_model(type)) {
        if (ch.battery_low) battery_low_step(*to_integer(f.battery_low), QStringLiteral("BAT LO setup..."));
        if (ch.measure_length) {
            ui.progress_log(QStringLiteral("Meas Len=") + f.measure_length);
            link.setup_exchange(cmd::setup_sensor, byte_of(f.measure_length));
            link.delay(pause_ms);
        }
        return end();
    }
    if (humidity_model(type)) {
        if (ch.battery_low)
            battery_low_step(*to_integer(f.battery_low), QStringLiteral("Bat LO=") + f.battery_low);
        humidity_steps(f, ch);
    }
    return end();
}

bool DeviceSetup::humidity_steps(const SetupForm& f, SetupChanges& ch)
{
    UiPort& ui = *g_.ui;
    const std::uint16_t type = g_.ident.type_code;
    bool ok = true;
    auto cell = [&](int address, std::uint8_t value, int pause = pause_ms) {
        ok = write_memory_cell(g_, address, value, pause) && ok;
    };
    if (ch.calib_process) {
        ui.progress_log(QStringLiteral("Debug HUMI=") +
                        (f.calib_process ? QLatin1Char('1') : QLatin1Char('0')));
        cell(36, f.calib_process ? 1 : 0);
        calibration_process_ = f.calib_process;
    }
    if (ch.coef) {
        const char* labels[] = {"CALHU-0-LO", "CALHU-0-HI", "CALHU-1-LO", "CALHU-1-HI"};
        for (int n = 0; n < 2; ++n) {
            const int word = *to_integer(f.coef[static_cast<std::size_t>(n)]);
            ui.progress_label(QString::fromLatin1(labels[2 * n]));
            cell(32 + 2 * n, static_cast<std::uint8_t>(word % 256), cal_word_pause_ms);
            ui.progress_label(QString::fromLatin1(labels[2 * n + 1]));
            cell(33 + 2 * n, static_cast<std::uint8_t>(word / 256), cal_word_pause_ms);
        }
    }
    if (ch.humidity_offset) {
        ui.progress_log(QStringLiteral("LC HUMI offset=") + f.humidity_offset);
        cell(37, humidity_offset_cell(*to_integer(f.humidity_offset)));
    }
    if (type == 133) {
        if (ch.pressure) {
            ch.pressure = false;
            ui.progress_log(QStringLiteral("Send Press Offset"));
            cell(38, pressure_offset_cell(*to_integer(f.pressure)));
        }
    } else if (ch.notation) {
        ch.notation = false;
        ui.progress_log(QStringLiteral("Temp format"));
        cell(38, f.celsius ? 1 : 0);
    }
    for (std::size_t i = 0; i < 4; ++i) {
        if (!ch.pwm[i]) continue;
        ch.pwm[i] = false;
        ui.progress_log(QStringLiteral("LCD Kivra PWM Calib"));
        cell(39 + static_cast<int>(i), byte_of(f.pwm[i]));
    }
    if (ch.output_temps) {
        ch.output_temps = false;
        ui.progress_log(QStringLiteral("LCD Kivra PWM T4mA"));
        cell(43, output_temperature_cell(*to_integer(f.temp4)));
        ui.progress_log(QStringLiteral("LCD Kivra PWM T20mA"));
        cell(44, output_temperature_cell(*to_integer(f.temp20)));
    }
    return ok;
}

bool DeviceSetup::identify_sensor(bool wet)
{
    if (!g_.ui) return false;
    UiPort& ui = *g_.ui;
    const QString which = wet ? QStringLiteral("mokry") : QStringLiteral("suchý");
    const QString question =
        QStringLiteral("Pripojte na prístroj len %1 snímac teploty\rStlacte YES/ANO pre pokracovanie")
            .arg(which);
    if (ui.show_message(question, btn::yes | btn::no) != mr::yes) return false;
    g_.link.show_progress(QStringLiteral("Send CMD"));
    ui.progress_label(wet ? QStringLiteral("ID1 ident") : QStringLiteral("ID0 ident"));
    const bool ok = g_.link.setup_exchange_quiet(cmd::setup_sensor, wet ? 1 : 0);
    ui.progress_hide();
    if (ok)
        ui.show_message(wet ? QStringLiteral("Identifikacia mokreho snimaca vykonana úspešne")
                            : QStringLiteral("Identifikacia sucheho snimaca vykonana úspešne"),
                        btn::ok);
    else
        ui.show_message(QStringLiteral("CHYBA\r- Prístroj nie je pripojený\r- %1 snímac CRC chyba\r- obidva "
                                       "snimace su pripojene")
                            .arg(wet ? QStringLiteral("Mokry") : QStringLiteral("Suchý")),
                        btn::ok);
    return ok;
}

bool DeviceSetup::send_psychro_offsets(const QString& dry, const QString& wet)
{
    if (!g_.ui) return false;
    UiPort& ui = *g_.ui;
    const auto d = to_number(dry), w = to_number(wet);
    if (!d || !offset_acceptable(*d)) return refuse(QStringLiteral("Nespravny udaj: offset suchy"));
    if (!w || !offset_acceptable(*w)) return refuse(QStringLiteral("Nespravny udaj: posun mokry"));
    g_.link.show_progress(QString());
    for (const auto& [command, value] : {std::pair{cmd::offset1, *d}, std::pair{cmd::offset2, *w}}) {
        if (!g_.link.setup_exchange(command, offset_code(value))) {
            ui.progress_hide();
            ui.show_message(QStringLiteral("Send offset error"), btn::ok);
            return false;
        }
    }
    ui.progress_hide();
    ui.show_message(QStringLiteral("Posuny teploty odoslane uspesne"), btn::ok);
    return true;
}

void DeviceSetup::align_pointer()
{
    if (!g_.ui) return;
    UiPort& ui = *g_.ui;
    if (g_.status.record_pointer < 0) {
        ui.show_message(QStringLiteral("Pre túto operáciu musí byť prístroj pripojený na PC"), btn::ok);
        return;
    }
    const QString question =
        QStringLiteral("Údaje sa v prístroji nevymažú, len sa zrovnajú ukazovatele PC a prístroja\r"
                       "Od vykonania tejto operácie všetky ďalšie registrácie pracovníkov budú považované "
                       "za nové\rŽeláte si to urobiť?");
    if (ui.show_message(question, btn::yes | btn::no) != mr::yes) return;
    MarkStore().write_mark(g_.status.mission_name, g_.status.record_pointer);
    ui.show_message(QStringLiteral("Vykonané"), btn::ok);
}

} // namespace vx
