// Mission start; see mission_start.h for the wire order.
#include "programming/mission_start.h"

#include "base/code_page.h"
#include "base/ui_port.h"
#include "link/bytes.h"
#include "link/frame.h"
#include "logger/live.h"
#include "logger/program_state.h"
#include "logger/record_handoff.h"
#include "programming/encoders.h"
#include "records/marks.h"
#include "records/record_file.h"

#include <QFileInfo>

namespace vx
{

namespace
{

constexpr int clock_tries = 4;
constexpr int clock_reply_ms = 500;
constexpr int limit_pause_ms = 250;
constexpr int old_format_pause_ms = 200;
constexpr int old_max_period = 99;
constexpr int max_name_length = 15;

// Wall-clock minutes between two local date-times, as the logger counts them
// (no clock change in between).
qint64 wall_msecs(const QDateTime& from, const QDateTime& to)
{
    const QDateTime a(from.date(), from.time(), Qt::UTC);
    const QDateTime b(to.date(), to.time(), Qt::UTC);
    return a.msecsTo(b);
}

} // namespace

struct MissionStart::Checked {
    int period = 0;      // the interval byte as sent
    double gradient = 0; // EDgrad
    int pointer = 0;     // EDptr when shown
    QByteArray name;     // EDname in the logger's code page, padded to 16 characters
};

MissionStart::MissionStart(Global& g, Hooks hooks) : g_(g), hooks_(std::move(hooks)) {}

QString MissionStart::mess(int n) const
{
    return g_.lang.mess(n);
}

MissionStart::Result MissionStart::refuse(const QString& text)
{
    if (g_.ui) {
        g_.ui->progress_hide();
        g_.ui->show_message(text, btn::ok);
    }
    return Result::refused;
}

MissionStart::Result MissionStart::fail(const QString& step)
{
    failed_step_ = step;
    if (g_.ui) {
        g_.ui->progress_hide();
        g_.ui->show_message(mess(28) + QStringLiteral("\n\nNeúspešný krok: ") + step +
                                QStringLiteral("\nSúbor záznamov a značka prenosu zostali nezmenené."),
                            btn::ok);
    }
    return Result::failed;
}

std::optional<MissionStart::Checked> MissionStart::check(const MissionForm& f)
{
    const std::uint16_t type = g_.ident.type_code;
    Checked c;
    auto refused = [&](const QString& text) -> std::optional<Checked> {
        refuse(text);
        return std::nullopt;
    };
    if (f.name.contains(QLatin1Char('.')) || f.name.contains(QLatin1Char(',')) ||
        f.name.contains(QLatin1Char(':')))
        return refused(mess(22));
    if (f.name.size() > max_name_length)
        return refused(QStringLiteral("Názov misie: najviac %1 znakov").arg(max_name_length));
    const auto name = to_cp1250(f.name);
    if (!name) return refused(QStringLiteral("Názov misie: chýba prevod do kódovej stránky 1250"));
    c.name = name->leftJustified(16, ' ', true);

    const auto gradient = to_number(f.gradient);
    if (!gradient) return refused(not_a_number(QStringLiteral("Zápis pri zmene"), f.gradient));
    if (*gradient < 0) return refused(mess(23));
    c.gradient = *gradient;

    if (type == 102) {
        if (!to_number(f.flow_state)) return refused(QStringLiteral("Nesprávny počiatočný stav"));
        if (!to_number(f.flow_constant)) return refused(QStringLiteral("Nesprávna konštanta prietokomera"));
    }

    // Everything the logger is sent must fit its byte before the first frame goes.
    const auto period = to_integer(f.period);
    if (type == 55) {
        if (!period || *period < 0 || *period > old_max_period) return refused(mess(21));
        c.period = *period;
        return c;
    }
    if (!period) return refused(not_a_number(QStringLiteral("Perióda"), f.period));
    if (type == 132) {
        if (*period < 0 || *period > 60) return refused(QStringLiteral("Interval zaznamu nemoze byt >60"));
        c.period = *period + (f.synchro ? 60 : 0);
    } else {
        if (*period < 0 || *period > 255) return refused(range_text(QStringLiteral("Perióda"), 0, 255));
        c.period = *period;
    }
    if (type == 107) {
        const auto n = to_integer(f.flow_gradient);
        if (n && (*n < 0 || *n > 255))
            return refused(range_text(QStringLiteral("Pri zmene množstva"), 0, 255));
    }
    if (type == 101 || type == 131) {
        auto fits = [](std::optional<int> v) {
            return !v || (*v >= signed_limit_min && *v <= signed_limit_max);
        };
        if (!fits(f.lower))
            return refused(range_text(QStringLiteral("Spodná hranica"), signed_limit_min, signed_limit_max));
        if (!fits(f.upper))
            return refused(range_text(QStringLiteral("Horná hranica"), signed_limit_min, signed_limit_max));
    }
    if (f.pointer_shown) {
        const auto p = to_integer(f.pointer);
        if (!p || *p < 0 || *p > g_.ident.ring_size) return refused(mess(26));
        c.pointer = *p;
    }
    return c;
}

MissionStart::Result MissionStart::run(const MissionForm& f)
{
    failed_step_.clear();
    if (!g_.ui) return Result::refused;
    UiPort& ui = *g_.ui;
    const auto c = check(f);
    if (!c) return Result::refused;

    const QString path = database_path(g_, f.name);
    bool new_header = true;
    if (QFileInfo::exists(path)) {
        const int answer = ui.show_message(mess(31), btn::yes | btn::no | btn::cancel);
        if (answer == mr::no)
            new_header = false; // new records are appended below the old ones
        else if (answer != mr::yes)
            return Result::refused;
    }
    if (ui.show_message(mess(32), btn::yes | btn::no) != mr::yes) return Result::refused;

    g_.link.show_progress(g_.lang.capt(31));
    ui.progress_label(QStringLiteral("MISSION flag"));
    ui.progress_range(100);
    ui.progress_position(0);
    int pointer = -1;
    const Result r = g_.ident.type_code == 55 ? run_old_format(*c) : run_current(f, *c, &pointer);
    ui.progress_hide();
    if (r != Result::started && r != Result::sent_old) return r;

    // The logger holds the new mission: now its file and its mark follow.
    if (r == Result::started) MarkStore().write_mark(without_trailing_blanks(f.name), pointer);
    if (new_header) {
        RecordFileHeader h;
        h.type_code = g_.ident.type_code;
        h.name = f.name;
        h.remark = f.remark;
        h.start = g_.now();
        h.period = f.period;
        h.gradient = f.gradient;
        if (h.type_code == 130) h.status = f.belsa_total;
        if (h.type_code == 102) {
            h.status = f.flow_state;
            h.constant = f.flow_constant;
        }
        if (!write_header(path, h, &ui))
            ui.show_message(QStringLiteral("Súbor záznamov %1 nie je možné zapísať").arg(path), btn::ok);
        if (hooks_.refresh_database) hooks_.refresh_database();
    }
    return r;
}

bool MissionStart::send_word(std::uint8_t command_lo, std::uint8_t command_hi, int value, int bar)
{
    if (!g_.link.send_acknowledged(command_lo, static_cast<std::uint8_t>(value % 256))) return false;
    g_.ui->progress_position(bar);
    if (!g_.link.send_acknowledged(command_hi, static_cast<std::uint8_t>(value / 256))) return false;
    g_.ui->progress_position(bar + 10);
    return true;
}

bool MissionStart::read_logger_clock()
{
    UiPort& ui = *g_.ui;
    ui.progress_log(mess(37));
    for (int attempt = 0; attempt < clock_tries; ++attempt) {
        g_.link.send_command(cmd::status, param::status_start);
        g_.link.delay(clock_reply_ms);
        if (g_.link.comm_abort) return false;
        if (hooks_.decode_status && hooks_.decode_status()) return true;
        ui.progress_log(mess(37));
    }
    ui.progress_hide();
    ui.show_message(mess(3), btn::ok);
    return false;
}

MissionStart::Result MissionStart::run_current(const MissionForm& f, const Checked& c, int* pointer_out)
{
    UiPort& ui = *g_.ui;
    Link& link = g_.link;
    const std::uint16_t type = g_.ident.type_code;
    constexpr int k = cmd::value_base; // send_value(k) sends wire command k + 32

    ui.progress_clear_log();
    ui.progress_position(10);
    ui.progress_log(mess(33));
    if (!link.send_value(cmd::mission_on - k, 1)) return fail(QStringLiteral("zapnutie misie"));

    ui.progress_position(20);
    ui.progress_label(mess(34));
    ui.progress_log(mess(34) + (f.rollover ? QLatin1Char('1') : QLatin1Char('0')));
    if (!link.send_value(cmd::rollover - k, f.rollover ? 1 : 0)) return fail(QStringLiteral("rolovanie"));

    ui.progress_position(30);
    ui.progress_label(mess(35));
    ui.progress_log(mess(35) + QString::number(c.period));
    if (!link.send_value(cmd::period - k, static_cast<std::uint8_t>(c.period)))
        return fail(QStringLiteral("perióda"));

    ui.progress_position(40);
    ui.progress_label(mess(36));
    GradientInputs gi;
    gi.type = type;
    gi.text = type == 130 ? f.belsa_gradient : f.gradient;
    gi.flow_text = f.flow_gradient;
    gi.coef = g_.coef;
    gi.offset = g_.status.corr1;
    gi.calib = g_.calib.calib_active ? &g_.calib : nullptr;
    const std::uint8_t code = gradient_code(gi);
    ui.progress_log(mess(36) + f.gradient);
    if (!link.send_value(cmd::gradient - k, code)) return fail(QStringLiteral("zápis pri zmene"));

    if (!read_logger_clock()) return fail(QStringLiteral("čas zapisovača"));

    // The logger counts in whole minutes.
    QDateTime now = g_.status.logger_time;
    now.setTime(QTime(now.time().hour(), now.time().minute()));
    g_.status.logger_time = now;
    qint64 delay = 0;
    if (f.delayed) {
        const QDateTime start(f.start_date, QTime(f.start_time.hour(), f.start_time.minute()));
        const qint64 ms = wall_msecs(now, start);
        if (ms < 0) return refuse(mess(24));
        delay = ms / 60000 - 1;
        if (delay < 0 || delay > 65535) {
            refuse(mess(24));
            return fail(QStringLiteral("odklad štartu"));
        }
    }
    ui.progress_label(QStringLiteral("DELAY"));
    ui.progress_log(mess(29));
    if (!send_word(cmd::delay_lo, cmd::delay_hi, static_cast<int>(delay), 50))
        return fail(QStringLiteral("odklad štartu"));

    ui.progress_label(QStringLiteral("MISSION Name"));
    ui.progress_log(mess(30));
    if (!f.name.isEmpty()) {
        const QByteArray& name = c.name;
        for (int i = 1; i <= 16; ++i) {
            const QString step = QStringLiteral("názov misie (znak %1)").arg(i);
            if (!link.send_value(cmd::name_first - k + i - 1, static_cast<std::uint8_t>(name[i - 1])))
                return fail(step);
            ui.progress_position(5 * i);
            if (link.comm_abort) return fail(step);
        }
    }

    int pointer = g_.status.record_pointer;
    if (f.pointer_shown) {
        ui.progress_log(mess(25));
        pointer = c.pointer;
    }
    if (f.clear_pointer) {
        ui.progress_log(mess(27));
        if (!f.pointer_shown) pointer = 0;
        ui.progress_label(QStringLiteral("Pointer clear"));
        if (!send_word(cmd::pointer_lo, cmd::pointer_hi, pointer, 70))
            return fail(QStringLiteral("ukazovateľ záznamov"));
    }
    *pointer_out = pointer;

    // Limits: their acknowledgement does not count, except the averaging flag.
    auto limit = [&](const char* line, int setting, std::uint8_t value) {
        if (line) ui.progress_log(QString::fromLatin1(line));
        link.send_value(setting, value);
        link.delay(limit_pause_ms);
    };
    const Calibration* calib = g_.calib.calib_active ? &g_.calib : nullptr;
    auto raw = [&](std::optional<int> v) { return v ? raw_threshold(*v, g_.coef, calib) : LimitBytes{}; };
    switch (type) {
    case 101:
        limit("LO hranica...", 7, signed_limit(f.lower));
        limit("HI hranica...", 8, signed_limit(f.upper));
        break;
    case 103:
    case 129: {
        const LimitBytes lo = raw(f.lower), hi = raw(f.upper);
        limit("LO hranica...", 45, lo.lo);
        limit(nullptr, 46, lo.hi);
        limit("HI hranica...", 47, hi.lo);
        limit(nullptr, 48, hi.hi);
        break;
    }
    case 130:
        ui.progress_log(QStringLiteral("Priemerovanie..."));
        link.delay(limit_pause_ms);
        if (!link.send_value(7, f.averaging ? 1 : 0)) return fail(QStringLiteral("priemerovanie"));
        break;
    case 131:
        limit("LO ...", 8, signed_limit(f.lower));
        limit("HI ...", 9, signed_limit(f.upper));
        break;
    default:
        break;
    }
    return Result::started;
}

MissionStart::Result MissionStart::run_old_format(const Checked& c)
{
    UiPort& ui = *g_.ui;
    Link& link = g_.link;
    // The quotient needs the logger's a1; it is read first, so that a
    // gradient the logger cannot take leaves the logger as it was.
    int quotient = 0;
    if (c.gradient > 0) {
        link.send_command(cmd::old_calib, param::old_calib);
        link.delay(old_format_pause_ms);
        const auto oc = decode_old_calibration(view(link.rx_buffer), 0);
        if (!oc) return refuse(QStringLiteral("Prístroj neodpovedá"));
        if (oc->a1 == 0 || oc->a1 == 1)
            return refuse(
                QStringLiteral("Nesprávne kalibračné údaje v prístroji, nie je možné použiť gradient"));
        const auto q = old_gradient_quotient(c.gradient, oc->a1);
        if (!q)
            return refuse(QStringLiteral("Zápis pri zmene: podiel gradientu a koeficientu A1 je väčší "
                                         "ako 65535"));
        quotient = *q;
    }
    auto send = [&](std::uint8_t command, int parameter) {
        link.send_frame_only(command, static_cast<std::uint8_t>(parameter));
        link.delay(old_format_pause_ms);
    };
    ui.progress_label(QStringLiteral("PERIOD Send..."));
    send(cmd::old_period, c.period);
    ui.progress_position(10);
    ui.progress_label(QStringLiteral("Send gradHI"));
    ui.progress_position(20);
    send(cmd::old_grad_hi, quotient / 256);
    ui.progress_label(QStringLiteral("Send gradLO"));
    send(cmd::old_grad_lo, quotient % 256);
    ui.progress_position(30);
    return Result::sent_old;
}

} // namespace vx
