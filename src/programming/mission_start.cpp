// Mission start; see mission_start.h for the wire order.
#include "programming/mission_start.h"

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

constexpr int limit_pause_ms = 250;
constexpr int old_format_pause_ms = 200;
constexpr int straggler_ms = 100; // the driver hands over received bytes every 50 ms
constexpr int k_base = cmd::value_base; // send_value(k) sends wire command k + 32

// Wall-clock milliseconds between two local date-times, as the logger counts
// them (no clock change in between).
qint64 wall_msecs(const QDateTime& from, const QDateTime& to)
{
    const QDateTime a(from.date(), from.time(), Qt::UTC);
    const QDateTime b(to.date(), to.time(), Qt::UTC);
    return a.msecsTo(b);
}

QDateTime whole_minutes(QDateTime t)
{
    t.setTime(QTime(t.time().hour(), t.time().minute()));
    return t;
}

// The minutes the logger waits, counted from its clock (whole minutes) to
// start, less one; nullopt when start is not at least a minute ahead.
std::optional<int> start_delay(const QDateTime& logger_now, const QDateTime& start)
{
    const qint64 ms = wall_msecs(whole_minutes(logger_now), start);
    if (ms < 0) return std::nullopt;
    const qint64 delay = ms / 60000 - 1;
    if (delay < 0 || delay > 65535) return std::nullopt;
    return static_cast<int>(delay);
}

QString number(int n)
{
    return QString::number(n);
}

} // namespace

// The plan in the bytes the attached logger takes, computed from what it
// reported just before the first frame.
struct MissionStart::Encoded {
    std::uint8_t code = 0;
    int delay = 0;
    int pointer = 0; // what 27 / 28 set, or the logger's own pointer when they are not sent
    std::uint8_t lower = 127, upper = 127; // 101, 131
    LimitBytes raw_lower, raw_upper;       // 103, 129
    int quotient = 0;                      // 55
};

// What the logger was told, to compare with what it reads back.
struct MissionStart::Sent {
    std::uint16_t type = 0;
    int interval = 0, gradient = 0, delay = 0;
    bool rollover = true;
    std::optional<int> pointer;
    QString name;
    std::optional<int> lower, upper, averaging;
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

MissionStart::Result MissionStart::fail(const QString& step, const QString& note)
{
    failed_step_ = step;
    // The windows show what the logger holds now, not what was meant for it
    // (after the echo of an unanswered last try has come and gone).
    if (!g_.link.comm_abort) {
        g_.link.delay(straggler_ms);
        read_logger_status(g_, param::status_start, hooks_.decode_status);
    }
    QString text = mess(28) + QStringLiteral("\n\nNeúspešný krok: ") + step +
                   QStringLiteral("\nZapisovač prevzal: ") + taken_text(taken_);
    if (!note.isEmpty()) text += QLatin1Char('\n') + note;
    if (pointer_set_)
        text += QStringLiteral("\nUkazovateľ záznamov zapisovača je %1; značka prenosu na PC mu nezodpovedá, "
                               "kým misia nebude odštartovaná celá.")
                    .arg(*pointer_set_);
    text += QStringLiteral("\nSúbor záznamov a značka prenosu zostali nezmenené; odštartujte misiu znova.");
    if (g_.ui) {
        g_.ui->progress_hide();
        g_.ui->show_message(text, btn::ok);
    }
    return Result::failed;
}

bool MissionStart::send(std::uint8_t command, std::uint8_t parameter, const QString& taken)
{
    const bool ok = command >= k_base ? g_.link.send_value(command - k_base, parameter)
                                      : g_.link.send_acknowledged(command, parameter);
    if (ok && !taken.isEmpty()) taken_ << taken;
    return ok && !g_.link.comm_abort;
}

std::optional<MissionStart::Encoded> MissionStart::encode(const MissionPlan& p)
{
    const std::uint16_t type = g_.ident.type_code;
    Encoded e;
    GradientInputs gi;
    gi.type = type;
    gi.value = type == 107 ? p.flow_counts : p.gradient;
    gi.coef = g_.coef;
    gi.offset = g_.status.corr1;
    gi.calib = g_.calib.calib_active ? &g_.calib : nullptr;
    e.code = gradient_code(gi);
    e.lower = signed_limit(p.lower);
    e.upper = signed_limit(p.upper);
    if (type == 103 || type == 129) {
        // 0 is "no limit": a limit the sensor cannot reach would silently become none.
        const std::pair<std::optional<int>, const char*> limits[] = {{p.lower, "Spodná hranica"},
                                                                     {p.upper, "Horná hranica"}};
        LimitBytes* out[] = {&e.raw_lower, &e.raw_upper};
        for (int i = 0; i < 2; ++i) {
            const auto& [limit, what] = limits[i];
            if (!limit) continue;
            *out[i] = raw_threshold(*limit, g_.coef, gi.calib);
            if (*out[i] == LimitBytes{}) {
                refuse(QStringLiteral("%1 %2 leží mimo rozsahu snímača; zapisovač ju nedokáže prijať")
                           .arg(QString::fromUtf8(what))
                           .arg(*limit));
                return std::nullopt;
            }
        }
    }
    if (p.start) {
        const auto delay = start_delay(g_.status.logger_time, *p.start);
        if (!delay) {
            refuse(mess(24) +
                   QStringLiteral("\nČas zapisovača: %1; štart musí byť aspoň o minútu neskôr. Nič "
                                  "nebolo odoslané.")
                       .arg(whole_minutes(g_.status.logger_time).toString(QStringLiteral("d.M.yyyy hh:mm"))));
            return std::nullopt;
        }
        e.delay = *delay;
    }
    e.pointer = p.clear_pointer ? p.pointer.value_or(0) : p.pointer.value_or(g_.status.record_pointer);
    if (p.pointer && *p.pointer > g_.ident.ring_size) {
        refuse(mess(26));
        return std::nullopt;
    }
    return e;
}

MissionStart::Result MissionStart::run(const MissionPlan& p)
{
    failed_step_.clear();
    differences_.clear();
    taken_.clear();
    pointer_set_.reset();
    if (!g_.ui) return Result::refused;
    UiPort& ui = *g_.ui;
    if (hooks_.show_status) hooks_.show_status(QString());
    const std::uint16_t type = g_.ident.type_code;
    const std::uint16_t serial = g_.status.serial;
    if (p.type != type)
        return refuse(QStringLiteral("Misia bola pripravená pre iný typ zapisovača; pripravte ju znova"));

    const QString path = database_path(g_, p.name);
    new_header_ = true;
    if (QFileInfo::exists(path)) {
        ExistingFile how = existing_file_;
        if (how == ExistingFile::ask) {
            const int answer = ui.show_message(mess(31), btn::yes | btn::no | btn::cancel);
            if (answer != mr::yes && answer != mr::no) return Result::declined;
            how = answer == mr::yes ? ExistingFile::replace : ExistingFile::append;
        }
        new_header_ = how == ExistingFile::replace; // appended records go below the old ones
    }
    if (ui.show_message(mess(32), btn::yes | btn::no) != mr::yes) return Result::declined;

    g_.link.show_progress(g_.lang.capt(31));
    ui.progress_label(QStringLiteral("MISSION flag"));
    ui.progress_range(100);
    ui.progress_position(0);
    ui.progress_clear_log();
    // The logger as it is now: still the one the mission was prepared for, its clock and coefficients.
    ui.progress_log(mess(37));
    if (!read_logger_status(g_, param::status_start, hooks_.decode_status)) {
        if (g_.link.comm_abort) return refuse(QStringLiteral("Štart misie zrušený; nič nebolo odoslané"));
        return refuse(mess(3));
    }
    if (g_.ident.type_code != type || g_.status.serial != serial)
        return refuse(QStringLiteral("Pripojený je iný zapisovač (typ %1, výrobné číslo %2); nič nebolo "
                                     "odoslané, pripravte misiu znova")
                          .arg(g_.ident.type_code)
                          .arg(g_.status.serial));
    auto e = encode(p);
    if (!e) return Result::refused;

    const Result r = type == 55 ? run_old_format(p, *e) : run_current(p, *e);
    ui.progress_hide();
    if (r == Result::started || r == Result::sent_old)
        write_file_and_mark(p, e->pointer, r == Result::started);
    return r;
}

MissionStart::Result MissionStart::run_current(const MissionPlan& p, Encoded& e)
{
    UiPort& ui = *g_.ui;
    Link& link = g_.link;
    const std::uint16_t type = g_.ident.type_code;
    Sent sent;
    sent.type = type;
    sent.interval = p.interval;
    sent.gradient = e.code;
    sent.rollover = p.rollover;
    sent.name = p.name;

    ui.progress_position(10);
    ui.progress_log(mess(33));
    if (!send(cmd::mission_on, 1, QStringLiteral("záznam zapnutý")))
        return fail(QStringLiteral("zapnutie misie"));

    ui.progress_position(20);
    ui.progress_label(mess(34));
    ui.progress_log(mess(34) + (p.rollover ? QLatin1Char('1') : QLatin1Char('0')));
    if (!send(cmd::rollover, p.rollover ? 1 : 0, QStringLiteral("rolovanie %1").arg(p.rollover ? 1 : 0)))
        return fail(QStringLiteral("rolovanie"));

    ui.progress_position(30);
    ui.progress_label(mess(35));
    ui.progress_log(mess(35) + number(p.interval));
    if (!send(cmd::period, static_cast<std::uint8_t>(p.interval),
              QStringLiteral("interval %1").arg(p.interval)))
        return fail(QStringLiteral("perióda"));

    ui.progress_position(40);
    ui.progress_label(mess(36));
    ui.progress_log(mess(36) + p.gradient_text);
    if (!send(cmd::gradient, e.code, QStringLiteral("zápis pri zmene (kód %1)").arg(e.code)))
        return fail(QStringLiteral("zápis pri zmene"));

    // The start delay counts from the logger's clock as it is now, in whole minutes.
    ui.progress_log(mess(37));
    if (!read_logger_status(g_, param::status_start, hooks_.decode_status))
        return fail(QStringLiteral("čas zapisovača (neodpovedá)"));
    g_.status.logger_time = whole_minutes(g_.status.logger_time);
    if (p.start) {
        const auto delay = start_delay(g_.status.logger_time, *p.start);
        if (!delay) return fail(QStringLiteral("odklad štartu (čas zapisovača medzitým dosiahol začiatok)"));
        e.delay = *delay;
    }
    sent.delay = e.delay;
    ui.progress_label(QStringLiteral("DELAY"));
    ui.progress_log(mess(29));
    if (!send(cmd::delay_lo, static_cast<std::uint8_t>(e.delay % 256), {}))
        return fail(QStringLiteral("odklad štartu"));
    ui.progress_position(50);
    if (!send(cmd::delay_hi, static_cast<std::uint8_t>(e.delay / 256),
              QStringLiteral("odklad štartu %1 min").arg(e.delay)))
        return fail(QStringLiteral("odklad štartu"),
                    QStringLiteral("Odklad štartu je zapísaný len čiastočne (nižší bajt)."));
    ui.progress_position(60);

    ui.progress_label(QStringLiteral("MISSION Name"));
    ui.progress_log(mess(30));
    for (int i = 1; i <= 16; ++i) {
        const auto c = static_cast<std::uint8_t>(p.name_bytes[i - 1]);
        if (!send(static_cast<std::uint8_t>(cmd::name_first + i - 1), c,
                  i == 16 ? QStringLiteral("názov %1").arg(p.name) : QString()))
            return fail(
                QStringLiteral("názov misie (znak %1)").arg(i),
                i > 1 ? QStringLiteral("Názov misie je zapísaný len čiastočne (%1 zo 16 znakov).").arg(i - 1)
                      : QString());
        ui.progress_position(5 * i);
    }

    if (p.pointer) ui.progress_log(mess(25));
    if (p.clear_pointer) {
        ui.progress_log(mess(27));
        ui.progress_label(QStringLiteral("Pointer clear"));
        const QString step = QStringLiteral("ukazovateľ záznamov");
        if (!send(cmd::pointer_lo, static_cast<std::uint8_t>(e.pointer % 256), {})) return fail(step);
        ui.progress_position(70);
        if (!send(cmd::pointer_hi, static_cast<std::uint8_t>(e.pointer / 256),
                  QStringLiteral("ukazovateľ záznamov %1").arg(e.pointer)))
            return fail(step, QStringLiteral("Ukazovateľ záznamov je nastavený len čiastočne (nižší bajt)."));
        ui.progress_position(80);
        sent.pointer = e.pointer;
        pointer_set_ = e.pointer;
    }

    // Limits and conditions: each acknowledged, or the start has failed.
    // Each limit is followed by a pause; the averaging flag of 130 is preceded by it.
    auto limit = [&](const char* line, std::uint8_t command, std::uint8_t value, const QString& taken) {
        if (line) ui.progress_log(QString::fromLatin1(line));
        if (type == 130) link.delay(limit_pause_ms);
        const bool ok = send(command, value, taken);
        if (ok && type != 130) link.delay(limit_pause_ms);
        return ok;
    };
    const auto signed_text = [](std::uint8_t b) {
        return b == 127 ? QStringLiteral("žiadna") : number(static_cast<std::int8_t>(b));
    };
    switch (type) {
    case 101:
    case 131: {
        const std::uint8_t lo_cmd = type == 101 ? 39 : 40;
        if (!limit(type == 101 ? "LO hranica..." : "LO ...", lo_cmd, e.lower,
                   QStringLiteral("spodná hranica %1").arg(signed_text(e.lower))))
            return fail(QStringLiteral("spodná hranica"));
        if (!limit(type == 101 ? "HI hranica..." : "HI ...", lo_cmd + 1, e.upper,
                   QStringLiteral("horná hranica %1").arg(signed_text(e.upper))))
            return fail(QStringLiteral("horná hranica"));
        if (type == 101) {
            sent.lower = e.lower;
            sent.upper = e.upper;
        }
        break;
    }
    case 103:
    case 129: {
        const LimitBytes both[] = {e.raw_lower, e.raw_upper};
        for (int i = 0; i < 2; ++i) {
            const QString what = i == 0 ? QStringLiteral("spodná hranica") : QStringLiteral("horná hranica");
            const int raw = both[i].lo + 256 * both[i].hi;
            const std::uint8_t command = static_cast<std::uint8_t>(77 + 2 * i);
            if (!limit(i == 0 ? "LO hranica..." : "HI hranica...", command, both[i].lo, {}))
                return fail(what);
            if (!limit(nullptr, command + 1, both[i].hi, QStringLiteral("%1 %2").arg(what).arg(raw)))
                return fail(what, QStringLiteral("Hranica je zapísaná len čiastočne (nižší bajt)."));
        }
        sent.lower = e.raw_lower.lo + 256 * e.raw_lower.hi;
        sent.upper = e.raw_upper.lo + 256 * e.raw_upper.hi;
        break;
    }
    case 130:
        if (!limit("Priemerovanie...", 39, p.averaging ? 1 : 0,
                   QStringLiteral("priemerovanie %1").arg(p.averaging ? 1 : 0)))
            return fail(QStringLiteral("priemerovanie"));
        sent.averaging = p.averaging ? 1 : 0;
        break;
    default:
        break;
    }
    return verify(sent);
}

MissionStart::Result MissionStart::run_old_format(const MissionPlan& p, const Encoded&)
{
    UiPort& ui = *g_.ui;
    Link& link = g_.link;
    // The quotient needs the logger's a1; it is read first, so that a
    // gradient the logger cannot take leaves the logger as it was.
    int quotient = 0;
    if (p.gradient > 0) {
        link.send_command(cmd::old_calib, param::old_calib);
        link.delay(old_format_pause_ms);
        const auto oc = decode_old_calibration(view(link.rx_buffer), 0);
        if (!oc) return refuse(QStringLiteral("Prístroj neodpovedá"));
        if (oc->a1 == 0 || oc->a1 == 1)
            return refuse(
                QStringLiteral("Nesprávne kalibračné údaje v prístroji, nie je možné použiť gradient"));
        const auto q = old_gradient_quotient(p.gradient, oc->a1);
        if (!q)
            return refuse(QStringLiteral("Zápis pri zmene: podiel gradientu a koeficientu A1 je väčší "
                                         "ako 65535"));
        quotient = *q;
    }
    auto send_old = [&](std::uint8_t command, int parameter) {
        link.send_frame_only(command, static_cast<std::uint8_t>(parameter));
        link.delay(old_format_pause_ms);
    };
    ui.progress_label(QStringLiteral("PERIOD Send..."));
    send_old(cmd::old_period, p.interval);
    ui.progress_position(10);
    ui.progress_label(QStringLiteral("Send gradHI"));
    ui.progress_position(20);
    send_old(cmd::old_grad_hi, quotient / 256);
    ui.progress_label(QStringLiteral("Send gradLO"));
    send_old(cmd::old_grad_lo, quotient % 256);
    ui.progress_position(30);
    // These frames are not acknowledged: only reading them back tells whether they were taken.
    taken_ << QStringLiteral("nepotvrdené rámce intervalu a zápisu pri zmene");
    Sent sent;
    sent.type = 55;
    sent.interval = p.interval;
    sent.gradient = quotient;
    const Result r = verify(sent);
    return r == Result::started ? Result::sent_old : r;
}

MissionStart::Result MissionStart::verify(const Sent& s)
{
    UiPort& ui = *g_.ui;
    ui.progress_label(QStringLiteral("Overujem..."));
    const auto reply = read_logger_status(g_, param::status_start, hooks_.decode_status);
    if (!reply) return fail(QStringLiteral("overenie (zapisovač neodpovedá)"));
    const HeldSettings h = held_settings(view(*reply), g_.status, g_.coef);
    std::optional<QString> name;
    if (s.type != 55) {
        if (g_.link.read_misname()) name = g_.link.mission_name;
        g_.status.mission_name = name.value_or(QString());
    }

    std::vector<Difference>& d = differences_;
    auto compare = [&](const QString& what, int sent, int read, int tolerance = 0) {
        if (read < sent || read > sent + tolerance) d.push_back({what, number(sent), number(read)});
    };
    compare(QStringLiteral("interval"), s.interval, h.interval);
    compare(s.type == 55 ? QStringLiteral("zápis pri zmene (podiel)")
                         : QStringLiteral("zápis pri zmene (kód)"),
            s.gradient, h.gradient);
    if (s.type != 55) {
        compare(QStringLiteral("rolovanie"), s.rollover ? 1 : 0, h.rollover ? 1 : 0);
        compare(QStringLiteral("misia zapnutá"), 1, h.mission_on ? 1 : 0);
        // The logger counts the delay down by the minute, and may write a record as it starts.
        if (h.delay + 1 != s.delay) compare(QStringLiteral("odklad štartu"), s.delay, h.delay);
        if (s.pointer) compare(QStringLiteral("ukazovateľ záznamov"), *s.pointer, h.pointer, 1);
        if (name != s.name)
            d.push_back(
                {QStringLiteral("názov misie"), s.name, name ? *name : QStringLiteral("(nečitateľný)")});
    }
    if (s.type == 101) {
        compare(QStringLiteral("spodná hranica"), *s.lower, h.byte23);
        compare(QStringLiteral("horná hranica"), *s.upper, h.byte24);
    }
    if ((s.type == 103 || s.type == 129) && s.lower) {
        compare(QStringLiteral("spodná hranica"), *s.lower, h.raw_lower.value_or(-1));
        compare(QStringLiteral("horná hranica"), *s.upper, h.raw_upper.value_or(-1));
    }
    if (s.averaging) compare(QStringLiteral("priemerovanie"), *s.averaging, h.byte23);
    if (!d.empty()) {
        failed_step_ = QStringLiteral("overenie");
        ui.progress_hide();
        ui.show_message(
            differences_text(QStringLiteral("Zapisovač potvrdil misiu, ale po prečítaní sa líši:"), d,
                             QStringLiteral("Súbor záznamov a značka prenosu zostali nezmenené; "
                                            "odštartujte misiu znova.")),
            btn::ok);
        return Result::failed;
    }
    return Result::started;
}

void MissionStart::write_file_and_mark(const MissionPlan& p, int pointer, bool mark)
{
    UiPort& ui = *g_.ui;
    if (mark && !MarkStore().write_mark(p.name, pointer))
        ui.show_message(QStringLiteral("Značku prenosu misie %1 nie je možné uložiť").arg(p.name), btn::ok);
    if (new_header_) {
        RecordFileHeader h;
        h.type_code = g_.ident.type_code;
        h.name = p.name;
        h.remark = p.remark;
        h.start = g_.now();
        h.period = p.interval_text;
        h.gradient = p.gradient_text;
        h.status = p.status_text;
        h.constant = p.constant_text;
        const QString path = database_path(g_, p.name);
        if (!write_header(path, h, &ui))
            ui.show_message(QStringLiteral("Súbor záznamov %1 nie je možné zapísať").arg(path), btn::ok);
        if (hooks_.refresh_database) hooks_.refresh_database();
    }
    if (hooks_.show_status) hooks_.show_status(mess(38));
}

} // namespace vx
