// Setup of the attached logger; see device_setup.h.
#include "programming/device_setup.h"

#include "base/store_lock.h"
#include "base/ui_port.h"
#include "link/frame.h"
#include "logger/audit_log.h"
#include "logger/program_state.h"
#include "programming/calibration_transfer.h"
#include "programming/encoders.h"
#include "records/marks.h"

#include <QJsonArray>

#include <map>

namespace vx
{

namespace
{

constexpr int pause_ms = 200;
constexpr int straggler_ms = 100; // the driver hands over received bytes every 50 ms
constexpr int cal_word_pause_ms = 100;
constexpr std::uint8_t wind_flow_battery_low = 200;
constexpr std::uint8_t battery_replaced_parameter = 20;
constexpr int battery_replaced_wait_ms = 100;
constexpr int k_offset1 = cmd::offset1 - cmd::value_base;
constexpr int k_offset2 = cmd::offset2 - cmd::value_base;

QString degrees(std::uint8_t code)
{
    return shortest_text(correction_value(code)) + QStringLiteral(" °C");
}

QString cell_name(const Language& L, int cell)
{
    const auto byte = [&](const char* word, int half) {
        return QStringLiteral("%1 (%2)").arg(QLatin1String(word), L.label(half));
    };
    switch (cell) {
    case 32:
        return byte("CAL0", 138);
    case 33:
        return byte("CAL0", 139);
    case 34:
        return byte("CAL1", 138);
    case 35:
        return byte("CAL1", 139);
    case 37:
        return L.label(145);
    case 38:
        return L.label(146);
    case 39:
        return QStringLiteral("PWM 4mA T");
    case 40:
        return QStringLiteral("PWM 20mA T");
    case 41:
        return QStringLiteral("PWM 4mA H");
    case 42:
        return QStringLiteral("PWM 20mA H");
    case 43:
        return L.label(147);
    case 44:
        return L.label(148);
    default:
        return L.label(149).arg(cell);
    }
}

// A value the status does not report: null in the trail's "before".
const QJsonValue unknown;

// A logger byte as the trail keeps it: its value in degrees.
double offset_degrees(std::uint8_t code)
{
    return double(correction_value(code));
}

// A send that carries typed coefficients is a calibration of the logger.
bool carries_calibration(const DeviceSettings& s)
{
    const auto any = [](const auto& values) {
        return std::any_of(values.begin(), values.end(), [](const auto& v) { return v.has_value(); });
    };
    return any(s.coef) || any(s.flow) || any(s.cal_words) || any(s.pwm);
}

QString partial_calibration(const Language& L, const Transfer& t)
{
    return L.mess(124).arg(t.acknowledged).arg(t.total);
}

} // namespace

// What the logger was told, to compare with what it reads back.
struct DeviceSetup::Sent {
    std::optional<std::uint8_t> corr1, corr2;
    std::array<std::optional<float>, 4> coef;
    std::optional<std::array<std::uint8_t, 5>> flow;
    std::map<int, std::uint8_t> cells; // memory cells the status reports
};

DeviceSetup::DeviceSetup(Global& g, Hooks hooks)
    : g_(g), hooks_(std::move(hooks)), entry_(audit_action::setup_send)
{
}

void DeviceSetup::begin_entry(const QString& action)
{
    failure_.clear();
    entry_ = logger_entry(g_, action);
}

void DeviceSetup::record(Result r)
{
    if (r == Result::refused) return; // nothing went out
    if (r == Result::failed)
        entry_.fail(failure_).detail(QStringLiteral("taken"), QJsonArray::fromStringList(taken_));
    if (r == Result::differs) {
        QJsonObject read_back;
        for (const Difference& d : differences_)
            read_back.insert(d.what,
                             QJsonObject{{QStringLiteral("sent"), d.sent}, {QStringLiteral("read"), d.read}});
        entry_.fail(QStringLiteral("the logger reads back otherwise"))
            .detail(QStringLiteral("read_back"), read_back);
    }
    record_audit(g_, entry_);
}

DeviceSetup::Result DeviceSetup::refuse(const QString& text)
{
    if (g_.ui) {
        g_.ui->progress_hide();
        g_.ui->show_message(text, btn::ok);
    }
    return Result::refused;
}

DeviceSetup::Result DeviceSetup::fail(const QString& step, const QString& note, const char* why)
{
    failure_ = QStringLiteral("step \"%1\": %2")
                   .arg(step, g_.link.comm_abort ? QStringLiteral("cancelled") : QString::fromLatin1(why));
    // The dialog shows what the logger holds now, not what was typed.
    if (!g_.link.comm_abort) {
        g_.link.delay(straggler_ms); // the echo of an unanswered last try comes and goes
        read_logger_status(g_, param::status_poll);
    }
    const Language& L = g_.lang;
    QString text = L.mess(125) + QStringLiteral("\n\n") + L.mess(79) + step + QLatin1Char('\n') + L.mess(80) +
                   taken_text(L, taken_);
    if (!note.isEmpty()) text += QLatin1Char('\n') + note;
    refuse(text);
    return Result::failed;
}

bool DeviceSetup::step(bool acknowledged, const QString& taken)
{
    if (acknowledged && !taken.isEmpty()) taken_ << taken;
    return acknowledged && !g_.link.comm_abort;
}

std::optional<HeldSettings> DeviceSetup::read_before(std::uint16_t type, std::uint16_t serial)
{
    const auto reply = read_logger_status(g_, param::status_poll);
    if (!reply) {
        refuse(g_.lang.mess(g_.link.comm_abort ? 126 : 3));
        return std::nullopt;
    }
    if (g_.ident.type_code != type || g_.status.serial != serial) {
        refuse(g_.lang.mess(127).arg(g_.ident.type_code).arg(g_.status.serial));
        return std::nullopt;
    }
    return held_settings(view(*reply), g_.status, g_.coef);
}

DeviceSetup::Outcome DeviceSetup::send(const DeviceSettings& s, std::uint16_t serial)
{
    taken_.clear();
    differences_.clear();
    if (!g_.ui) return {};
    if (hooks_.show_status) hooks_.show_status(QString());
    g_.link.show_progress(QString());
    g_.ui->progress_clear_log();
    const auto held = read_before(s.type, serial);
    if (!held) return {};
    // Constants the logger does not report cannot go back unchanged.
    if (s.type == 107 && (held->coef[0] < 0 || held->coef[1] < 0) && !(s.flow[0] && s.flow[1])) {
        refuse(g_.lang.mess(128));
        return {};
    }
    Sent sent;
    Outcome out;
    begin_entry(carries_calibration(s) ? audit_action::calibration_send : audit_action::setup_send);
    out.result = run(s, *held, sent, &out.battery_replaced) ? verify(sent, {}) : Result::failed;
    record(out.result);
    return out;
}

bool DeviceSetup::run(const DeviceSettings& s, const HeldSettings& held, Sent& sent, bool* battery_replaced)
{
    UiPort& ui = *g_.ui;
    Link& link = g_.link;
    const Language& L = g_.lang;
    const std::uint16_t type = s.type;
    const std::uint8_t code1 = s.offset1 ? offset_code(*s.offset1) : held.corr1;
    const std::uint8_t code2 = s.offset2 ? offset_code(*s.offset2) : held.byte23;
    auto offset = [&](int k, std::uint8_t code, const QString& name) {
        const bool first = k == k_offset1;
        entry_.change(first ? QStringLiteral("offset1") : QStringLiteral("offset2"),
                      offset_degrees(first ? held.corr1 : held.byte23), offset_degrees(code));
        if (!step(link.send_value(k, code), QStringLiteral("%1 %2").arg(name, degrees(code)))) {
            fail(name);
            return false;
        }
        (k == k_offset1 ? sent.corr1 : sent.corr2) = code;
        return true;
    };
    auto battery_low = [&](int value, const QString& line) {
        entry_.change(QStringLiteral("battery_low"), unknown, value);
        ui.progress_log(line);
        const bool ok = step(setup_step(g_, cmd::setup_value, static_cast<std::uint8_t>(value)),
                             QStringLiteral("BATLO %1").arg(value));
        link.delay(pause_ms);
        if (!ok) fail(QStringLiteral("BATLO"));
        return ok;
    };
    auto block = [&](std::span<const float> values, int bar_base, const QString& what) {
        for (std::size_t i = 0; i < values.size(); ++i)
            entry_.change(QStringLiteral("a%1").arg(i), double(held.coef[i]), double(values[i]));
        const Transfer t = send_float_block(g_, values, bar_base, 5);
        if (t.ok()) {
            taken_ << what;
            for (std::size_t i = 0; i < values.size(); ++i)
                sent.coef[i] = values[i];
            return true;
        }
        fail(what, partial_calibration(L, t));
        return false;
    };
    auto value_or_held = [&](std::size_t n) {
        std::array<float, 4> v{};
        for (std::size_t i = 0; i < n; ++i)
            v[i] = s.coef[i] ? *s.coef[i] : held.coef[i];
        return v;
    };
    if (type == 111) {
        const auto wind = value_or_held(4);
        if (!block(std::span(wind.data(), 4), 0, L.label(135))) return false;
        if (!battery_low(wind_flow_battery_low, QStringLiteral("BAT LO setup..."))) return false;
        return true;
    }
    if (type == 107) {
        std::array<int, 3> v{};
        for (std::size_t i = 0; i < 3; ++i)
            v[i] = s.flow[i] ? *s.flow[i] : static_cast<int>(held.coef[i]);
        const auto bytes = flow_constant_bytes(v[0], v[1], v[2]);
        const char* names[] = {"flow_a", "flow_b", "flow_conversion"};
        for (std::size_t i = 0; i < 3; ++i)
            entry_.change(QString::fromLatin1(names[i]), int(held.coef[i]), v[i]);
        const Transfer t = send_flow_constants(g_, bytes);
        if (!t.ok()) {
            fail(L.label(132), L.mess(129).arg(t.acknowledged).arg(t.total));
            return false;
        }
        taken_ << L.mess(130).arg(v[0]).arg(v[1]).arg(v[2]);
        sent.flow = bytes;
        if (!battery_low(wind_flow_battery_low, QStringLiteral("BAT LO setup..."))) return false;
        return true;
    }
    if (takes_second_offset(type)) {
        ui.progress_log(QStringLiteral("Temp1 offset..."));
        if (!offset(k_offset1, code1, L.label(137) + QStringLiteral(" 1"))) return false;
        link.delay(pause_ms);
        ui.progress_log(QStringLiteral("Temp2 offset..."));
        if (!offset(k_offset2, code2, L.label(137) + QStringLiteral(" 2"))) return false;
        link.delay(pause_ms);
    } else if (type == 105) {
        if (s.offset1 || s.offset2) {
            ui.progress_log(QStringLiteral("Temp offset..."));
            if (!offset(k_offset1, code1, L.label(137) + QStringLiteral(" 1"))) return false;
            link.delay(pause_ms);
            if (!offset(k_offset2, code2, L.label(137) + QStringLiteral(" 2"))) return false;
            link.delay(pause_ms);
        }
        if (s.battery_low && !battery_low(*s.battery_low, QStringLiteral("BAT LO setup..."))) return false;
        return true;
    } else if (type != 55) { // to the old-format logger command 38 sets the month
        // The models with a second offset took the first one above: it goes once.
        ui.progress_log(QStringLiteral("Temp offset..."));
        if (!offset(k_offset1, code1, L.label(137))) return false;
    }

    if (s.new_battery) {
        entry_.change(QStringLiteral("battery_replaced"), unknown, true);
        ui.progress_log(QStringLiteral("New batt ..."));
        if (!step(link.send_acknowledged(cmd::battery_replaced, battery_replaced_parameter,
                                         battery_replaced_wait_ms),
                  L.label(133))) {
            fail(L.label(133));
            return false;
        }
        *battery_replaced = true;
        ui.progress_position(70);
    }
    if (s.any_coef() && takes_analog_block(type)) {
        const auto coef = value_or_held(3);
        if (!block(std::span(coef.data(), 3), 80, L.label(134))) return false;
    }
    if (takes_measure_length(type)) {
        if (s.battery_low && !battery_low(*s.battery_low, QStringLiteral("BAT LO setup..."))) return false;
        if (s.measure_length) {
            entry_.change(QStringLiteral("measure_length"), unknown, *s.measure_length);
            ui.progress_log(QStringLiteral("Meas Len=") + QString::number(*s.measure_length));
            const bool ok =
                step(setup_step(g_, cmd::setup_sensor, static_cast<std::uint8_t>(*s.measure_length)),
                     L.label(136) + QStringLiteral(" %1").arg(*s.measure_length));
            link.delay(pause_ms);
            if (!ok) {
                fail(L.label(136));
                return false;
            }
        }
        return true;
    }
    if (humidity_model(type)) {
        if (s.battery_low &&
            !battery_low(*s.battery_low, QStringLiteral("Bat LO=") + QString::number(*s.battery_low)))
            return false;
        if (!humidity_steps(s, held, sent)) return false;
    }
    return true;
}

bool DeviceSetup::humidity_steps(const DeviceSettings& s, const HeldSettings& held, Sent& sent)
{
    UiPort& ui = *g_.ui;
    const std::uint16_t type = s.type;
    auto held_cell = [&](int cell) {
        const auto it = held.cells.find(cell);
        return it == held.cells.end() ? std::uint8_t{0} : it->second;
    };
    auto cell = [&](int address, std::uint8_t value, int pause = pause_ms) {
        const auto it = held.cells.find(address);
        entry_.change(QStringLiteral("cell%1").arg(address),
                      it == held.cells.end() ? unknown : QJsonValue(it->second), value);
        if (!step(write_memory_cell(g_, address, value, pause),
                  QStringLiteral("%1 = %2").arg(cell_name(g_.lang, address)).arg(value))) {
            fail(cell_name(g_.lang, address));
            return false;
        }
        if (address != 36) sent.cells[address] = value; // cell 36 is not in the status
        return true;
    };
    if (s.calib_process) {
        ui.progress_log(QStringLiteral("Debug HUMI=") +
                        (*s.calib_process ? QLatin1Char('1') : QLatin1Char('0')));
        if (!cell(36, *s.calib_process ? 1 : 0)) return false;
        calibration_process_ = *s.calib_process;
    }
    if (s.cal_words[0] || s.cal_words[1]) {
        const char* labels[] = {"CALHU-0-LO", "CALHU-0-HI", "CALHU-1-LO", "CALHU-1-HI"};
        for (int n = 0; n < 2; ++n) {
            const auto& typed = s.cal_words[static_cast<std::size_t>(n)];
            const int word = typed ? *typed : held_cell(32 + 2 * n) + 256 * held_cell(33 + 2 * n);
            ui.progress_label(QString::fromLatin1(labels[2 * n]));
            if (!cell(32 + 2 * n, static_cast<std::uint8_t>(word % 256), cal_word_pause_ms)) return false;
            ui.progress_label(QString::fromLatin1(labels[2 * n + 1]));
            if (!cell(33 + 2 * n, static_cast<std::uint8_t>(word / 256), cal_word_pause_ms)) return false;
        }
    }
    if (s.humidity_offset) {
        ui.progress_log(QStringLiteral("LC HUMI offset=") + QString::number(*s.humidity_offset));
        if (!cell(37, humidity_offset_cell(*s.humidity_offset))) return false;
    }
    if (type == 133) {
        if (s.pressure || (s.resend_pressure && held.cells.count(38))) {
            ui.progress_log(QStringLiteral("Send Press Offset"));
            if (!cell(38, s.pressure ? pressure_offset_cell(*s.pressure) : held_cell(38))) return false;
        }
    } else if (s.celsius) {
        ui.progress_log(QStringLiteral("Temp format"));
        if (!cell(38, *s.celsius ? 1 : 0)) return false;
    }
    for (std::size_t i = 0; i < 4; ++i) {
        if (!s.pwm[i]) continue;
        ui.progress_log(QStringLiteral("LCD Kivra PWM Calib"));
        if (!cell(39 + static_cast<int>(i), static_cast<std::uint8_t>(*s.pwm[i]))) return false;
    }
    if (s.temp4 || s.temp20) {
        ui.progress_log(QStringLiteral("LCD Kivra PWM T4mA"));
        if (!cell(43, s.temp4 ? output_temperature_cell(*s.temp4) : held_cell(43))) return false;
        ui.progress_log(QStringLiteral("LCD Kivra PWM T20mA"));
        if (!cell(44, s.temp20 ? output_temperature_cell(*s.temp20) : held_cell(44))) return false;
    }
    return true;
}

DeviceSetup::Result DeviceSetup::verify(const Sent& sent, const QString& success)
{
    UiPort& ui = *g_.ui;
    const Language& L = g_.lang;
    ui.progress_label(L.mess(97));
    const auto reply = read_logger_status(g_, param::status_poll);
    if (!reply) return fail(L.label(194), {}, "no status reply");
    const HeldSettings h = held_settings(view(*reply), g_.status, g_.coef);
    std::vector<Difference>& d = differences_;
    const std::pair<const std::optional<std::uint8_t>&, std::uint8_t> offsets[] = {{sent.corr1, h.corr1},
                                                                                   {sent.corr2, h.byte23}};
    for (int i = 0; i < 2; ++i) {
        const auto& [code, read] = offsets[i];
        if (code && *code != read)
            d.push_back({L.label(137) + QStringLiteral(" %1").arg(i + 1), degrees(*code), degrees(read)});
    }
    for (std::size_t i = 0; i < 4; ++i) {
        const auto& c = sent.coef[i];
        // Compared bit for bit: the logger keeps the four bytes it was sent.
        if (c && float_bytes(std::span(&*c, 1)) != float_bytes(std::span(&h.coef[i], 1)))
            d.push_back({QStringLiteral("A%1").arg(i), shortest_text(*c), shortest_text(h.coef[i])});
    }
    if (sent.flow) {
        const std::array<int, 3> typed = {(*sent.flow)[0] + 256 * (*sent.flow)[1],
                                          (*sent.flow)[2] + 256 * (*sent.flow)[3], (*sent.flow)[4]};
        const int names[] = {150, 151, 152};
        for (std::size_t i = 0; i < 3; ++i)
            if (typed[i] != static_cast<int>(h.coef[i]))
                d.push_back({L.label(names[i]), QString::number(typed[i]),
                             QString::number(static_cast<int>(h.coef[i]))});
    }
    for (const auto& [address, value] : sent.cells) {
        const auto it = h.cells.find(address);
        if (it == h.cells.end() || it->second != value)
            d.push_back({cell_name(L, address), QString::number(value),
                         it == h.cells.end() ? L.label(153) : QString::number(it->second)});
    }
    ui.progress_hide();
    if (!d.empty()) {
        ui.show_message(differences_text(L, L.mess(131), d, L.mess(132)), btn::ok);
        return Result::differs;
    }
    if (!success.isEmpty()) ui.show_message(success, btn::ok);
    if (hooks_.show_status) hooks_.show_status(g_.lang.mess(38));
    return Result::verified;
}

bool DeviceSetup::identify_sensor(bool wet)
{
    if (!g_.ui) return false;
    UiPort& ui = *g_.ui;
    const Language& L = g_.lang;
    const QString question = L.mess(133).arg(L.label(wet ? 157 : 156));
    if (ui.show_message(question, btn::yes | btn::no) != mr::yes) return false;
    g_.link.show_progress(QStringLiteral("Send CMD"));
    ui.progress_label(wet ? QStringLiteral("ID1 ident") : QStringLiteral("ID0 ident"));
    const bool ok = g_.link.setup_exchange_quiet(cmd::setup_sensor, wet ? 1 : 0);
    ui.progress_hide();
    AuditEntry entry = logger_entry(g_, audit_action::setup_send);
    entry.detail(QStringLiteral("sensor_identified"), wet ? QStringLiteral("wet") : QStringLiteral("dry"));
    if (!ok) entry.fail(QStringLiteral("the logger did not acknowledge the sensor identification"));
    record_audit(g_, entry);
    if (ok)
        ui.show_message(L.mess(wet ? 134 : 135), btn::ok);
    else
        ui.show_message(L.mess(136).arg(L.label(wet ? 159 : 158)), btn::ok);
    return ok;
}

DeviceSetup::Result DeviceSetup::send_psychro_offsets(const PsychroOffsets& offsets, std::uint16_t serial)
{
    taken_.clear();
    differences_.clear();
    if (!g_.ui) return Result::refused;
    if (hooks_.show_status) hooks_.show_status(QString());
    g_.link.show_progress(QString());
    const auto held = read_before(99, serial);
    if (!held) return Result::refused;
    Sent sent;
    begin_entry(audit_action::setup_send);
    const std::tuple<std::uint8_t, std::optional<double>, std::uint8_t, QString> both[] = {
        {cmd::offset1, offsets.dry, held->corr1, g_.lang.label(154)},
        {cmd::offset2, offsets.wet, held->byte23, g_.lang.label(155)}};
    for (const auto& [command, value, original, what] : both) {
        const std::uint8_t code = value ? offset_code(*value) : original;
        entry_.change(command == cmd::offset1 ? QStringLiteral("offset_dry") : QStringLiteral("offset_wet"),
                      offset_degrees(original), offset_degrees(code));
        if (!step(setup_step(g_, command, code), QStringLiteral("%1 %2").arg(what, degrees(code)))) {
            record(fail(what, QStringLiteral("Send offset error")));
            return Result::failed;
        }
        (command == cmd::offset1 ? sent.corr1 : sent.corr2) = code;
    }
    const Result r = verify(sent, g_.lang.mess(137));
    record(r);
    return r;
}

void DeviceSetup::align_pointer()
{
    if (!g_.ui) return;
    UiPort& ui = *g_.ui;
    if (g_.status.record_pointer < 0) {
        ui.show_message(g_.lang.mess(138), btn::ok);
        return;
    }
    // The records not fetched yet would count as fetched: Enter keeps the mark.
    if (ui.show_message(g_.lang.mess(139), btn::yes | btn::no, mr::no) != mr::yes) return;
    if (const StoreLock lock(g_.program_dir);
        !MarkStore().write_mark(g_.status.mission_name, g_.status.record_pointer)) {
        ui.show_message(g_.lang.mess(140), btn::ok);
        return;
    }
    ui.show_message(g_.lang.mess(141), btn::ok);
}

} // namespace vx
