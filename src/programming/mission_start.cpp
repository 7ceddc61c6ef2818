// Mission start; see mission_start.h for the wire order.
#include "programming/mission_start.h"

#include "base/store_lock.h"
#include "base/ui_port.h"
#include "link/bytes.h"
#include "link/frame.h"
#include "logger/audit_log.h"
#include "logger/clock.h"
#include "logger/live.h"
#include "logger/program_state.h"
#include "logger/record_handoff.h"
#include "logger/ring.h"
#include "programming/encoders.h"
#include "records/marks.h"
#include "records/record_file.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QRegularExpression>

namespace vx
{

namespace
{

constexpr int limit_pause_ms = 250;
constexpr int old_format_pause_ms = 200;
constexpr int straggler_ms = 100;       // the driver hands over received bytes every 50 ms
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
// Before the first frame a start needs delay 1 or more: the logger's clock
// then cannot reach it before the delay frames go out, a few seconds later.
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

// The status request the model answers: the old-format logger only the poll's.
std::uint8_t status_parameter(std::uint16_t type)
{
    return type == 55 ? param::status_poll : param::status_start;
}

} // namespace

int records_not_downloaded(const Global& g)
{
    const int ring = g.ident.ring_size;
    const int pointer = g.status.record_pointer;
    if (g.ident.type_code == 55 || pointer < 0 || pointer > ring) return 0;
    const int mark = MarkStore().read_mark(g.status.mission_name);
    // Without a mark nothing of this mission was ever fetched here.
    if (mark < 0 || mark > ring) return ring_position(pointer, ring);
    return count_new_records(mark, pointer, ring);
}

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

QString MissionStart::label(int n) const
{
    return g_.lang.label(n);
}

QString MissionStart::what_stays() const
{
    QString text;
    if (mark_set_) text = mess(81).arg(*mark_set_).arg(mark_name_) + QLatin1Char('\n');
    return text + mess(82);
}

MissionStart::Result MissionStart::refuse(const QString& text)
{
    if (g_.ui) {
        g_.ui->progress_hide();
        g_.ui->show_message(text, btn::ok);
    }
    return Result::refused;
}

MissionStart::Result MissionStart::fail(const QString& step, const QString& note, const char* why)
{
    failed_step_ = step;
    // The windows show what the logger holds now, not what was meant for it
    // (after the echo of an unanswered last try has come and gone).
    // Cancel (or Ctrl+C) stopped it, not the logger.
    const bool interrupted = g_.link.comm_abort;
    failure_ = QStringLiteral("step \"%1\": %2")
                   .arg(step, interrupted ? QStringLiteral("cancelled") : QString::fromLatin1(why));
    if (!interrupted) {
        g_.link.delay(straggler_ms);
        read_logger_status(g_, status_parameter(type_), hooks_.decode_status);
    }
    QString text = mess(interrupted ? 203 : 28) + QStringLiteral("\n\n") + mess(79) + step +
                   QLatin1Char('\n') + mess(80) + taken_text(g_.lang, taken_);
    if (!note.isEmpty()) text += QLatin1Char('\n') + note;
    text += QLatin1Char('\n') + what_stays();
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
        const std::pair<std::optional<int>, QString> limits[] = {{p.lower, capitalized(label(190))},
                                                                 {p.upper, capitalized(label(191))}};
        LimitBytes* out[] = {&e.raw_lower, &e.raw_upper};
        for (int i = 0; i < 2; ++i) {
            const auto& [limit, what] = limits[i];
            if (!limit) continue;
            *out[i] = raw_threshold(*limit, g_.coef, gi.calib);
            if (*out[i] == LimitBytes{}) {
                refuse(mess(83).arg(what).arg(*limit));
                return std::nullopt;
            }
        }
    }
    if (p.start) {
        const auto delay = start_delay(g_.status.logger_time, *p.start);
        if (!delay || *delay < 1) {
            refuse(mess(24) + QLatin1Char('\n') +
                   mess(84).arg(
                       whole_minutes(g_.status.logger_time).toString(QStringLiteral("d.M.yyyy hh:mm"))));
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
    failure_.clear();
    digest_.clear();
    differences_.clear();
    taken_.clear();
    mark_set_.reset();
    stored_ = true;
    if (!g_.ui) return Result::refused;
    UiPort& ui = *g_.ui;
    if (hooks_.show_status) hooks_.show_status(QString());
    const std::uint16_t type = g_.ident.type_code;
    const std::uint16_t serial = g_.status.serial;
    type_ = type;
    if (p.type != type) return refuse(mess(85));

    const QString path = database_path(g_, p.name);
    new_header_ = true;
    if (QFileInfo::exists(path)) {
        ExistingFile how = existing_file_;
        if (how == ExistingFile::ask) {
            // Enter keeps the file: the new records go below the old ones.
            const int answer = ui.show_message(mess(31), btn::yes | btn::no | btn::cancel, mr::no);
            if (answer != mr::yes && answer != mr::no) return Result::declined;
            how = answer == mr::yes ? ExistingFile::replace : ExistingFile::append;
        }
        new_header_ = how == ExistingFile::replace; // appended records go below the old ones
    }
    // Records the logger holds that this computer has not: fetched first, or named in the warning.
    int pending = records_not_downloaded(g_);
    while (pending > 0 && hooks_.download_new) {
        const int answer = ui.show_message(mess(172).arg(pending).arg(g_.status.mission_name),
                                           btn::yes | btn::no | btn::cancel, mr::yes);
        if (answer == mr::no) break;
        if (answer != mr::yes) return Result::declined;
        hooks_.download_new();
        const int left = records_not_downloaded(g_);
        if (left >= pending) break; // the download got nothing: the warning names what is left
        pending = left;
    }
    if (ui.show_message(erase_warning(pending), btn::yes | btn::no, mr::no) != mr::yes)
        return Result::declined;

    g_.link.show_progress(g_.lang.capt(31));
    ui.progress_label(QStringLiteral("MISSION flag"));
    ui.progress_range(100);
    ui.progress_position(0);
    ui.progress_clear_log();
    // The logger as it is now: still the one the mission was prepared for, its clock and coefficients.
    ui.progress_log(mess(37));
    if (!read_logger_status(g_, status_parameter(type), hooks_.decode_status)) {
        if (g_.link.comm_abort) return refuse(mess(86));
        return refuse(mess(3));
    }
    if (g_.ident.type_code != type || g_.status.serial != serial)
        return refuse(mess(87).arg(g_.ident.type_code).arg(g_.status.serial));
    auto e = encode(p);
    if (!e) return Result::refused;

    const Result r = type == 55 ? run_old_format(p, *e) : run_current(p, *e);
    ui.progress_hide();
    if (r == Result::started || r == Result::sent_old) write_file(p);
    audit(p, *e, r);
    return r;
}

void MissionStart::audit(const MissionPlan& p, const Encoded& e, Result r)
{
    AuditEntry entry = mission_start_entry(g_, plan_values(p));
    entry.detail(QStringLiteral("gradient_code"), e.code).detail(QStringLiteral("delay"), e.delay);
    if (r == Result::failed) {
        // What the logger may hold now: the steps it acknowledged, and what reads back otherwise.
        entry.fail(failure_).detail(QStringLiteral("taken"), QJsonArray::fromStringList(taken_));
        QJsonObject read_back;
        for (const Difference& d : differences_)
            read_back.insert(d.what,
                             QJsonObject{{QStringLiteral("sent"), d.sent}, {QStringLiteral("read"), d.read}});
        if (!read_back.isEmpty()) entry.detail(QStringLiteral("read_back"), read_back);
    }
    if (mark_set_) entry.detail(QStringLiteral("mark"), *mark_set_);
    if (!digest_.isEmpty())
        entry.detail(QStringLiteral("file"), database_path(g_, p.name))
            .detail(QStringLiteral("digest"), digest_);
    record_audit(g_, entry);
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
    if (!send(cmd::mission_on, 1, label(181))) return fail(label(180));

    ui.progress_position(20);
    ui.progress_label(mess(34));
    ui.progress_log(mess(34) + (p.rollover ? QLatin1Char('1') : QLatin1Char('0')));
    if (!send(cmd::rollover, p.rollover ? 1 : 0, label(182) + QStringLiteral(" %1").arg(p.rollover ? 1 : 0)))
        return fail(label(182));

    ui.progress_position(30);
    ui.progress_label(mess(35));
    ui.progress_log(mess(35) + number(p.interval));
    if (!send(cmd::period, static_cast<std::uint8_t>(p.interval),
              QStringLiteral("interval %1").arg(p.interval)))
        return fail(label(183));

    ui.progress_position(40);
    ui.progress_label(mess(36));
    ui.progress_log(mess(36) + p.gradient_text);
    if (!send(cmd::gradient, e.code, QStringLiteral("%1 (%2 %3)").arg(label(184), label(129)).arg(e.code)))
        return fail(label(184));

    // The start delay counts from the logger's clock as it is now, in whole minutes.
    ui.progress_log(mess(37));
    if (!read_logger_status(g_, param::status_start, hooks_.decode_status))
        return fail(label(185), {}, "no status reply");
    g_.status.logger_time = whole_minutes(g_.status.logger_time);
    if (p.start) {
        const auto delay = start_delay(g_.status.logger_time, *p.start);
        if (!delay) return fail(label(187), {}, "the start time has passed");
        e.delay = *delay;
    }
    sent.delay = e.delay;
    ui.progress_label(QStringLiteral("DELAY"));
    ui.progress_log(mess(29));
    if (!send(cmd::delay_lo, static_cast<std::uint8_t>(e.delay % 256), {})) return fail(label(186));
    ui.progress_position(50);
    if (!send(cmd::delay_hi, static_cast<std::uint8_t>(e.delay / 256),
              label(186) + QStringLiteral(" %1 min").arg(e.delay)))
        return fail(label(186), mess(88));
    ui.progress_position(60);

    ui.progress_label(QStringLiteral("MISSION Name"));
    ui.progress_log(mess(30));
    for (int i = 1; i <= 16; ++i) {
        const auto c = static_cast<std::uint8_t>(p.name_bytes[i - 1]);
        if (!send(static_cast<std::uint8_t>(cmd::name_first + i - 1), c,
                  i == 16 ? label(199) + QLatin1Char(' ') + p.name : QString()))
            return fail(label(200).arg(i), i > 1 ? mess(89).arg(i - 1) : QString());
        ui.progress_position(5 * i);
    }

    if (p.pointer) ui.progress_log(mess(25));
    if (p.clear_pointer) {
        ui.progress_log(mess(27));
        ui.progress_label(QStringLiteral("Pointer clear"));
        const QString step = label(189);
        if (!send(cmd::pointer_lo, static_cast<std::uint8_t>(e.pointer % 256), {})) return fail(step);
        ui.progress_position(70);
        if (!send(cmd::pointer_hi, static_cast<std::uint8_t>(e.pointer / 256),
                  step + QStringLiteral(" %1").arg(e.pointer)))
            return fail(step, mess(90));
        ui.progress_position(80);
        sent.pointer = e.pointer;
    }
    // From here on the logger records under the new name from this pointer: the mark follows it at once.
    write_mark(p.name, e.pointer);

    // Limits and conditions: each acknowledged, or the start has failed.
    // Each limit is followed by a pause; the averaging flag of 130 is preceded by it.
    auto limit = [&](const QString& line, std::uint8_t command, std::uint8_t value, const QString& taken) {
        if (!line.isEmpty()) ui.progress_log(line);
        if (type == 130) link.delay(limit_pause_ms);
        const bool ok = send(command, value, taken);
        if (ok && type != 130) link.delay(limit_pause_ms);
        return ok;
    };
    const auto signed_text = [this](std::uint8_t b) {
        return b == 127 ? label(195) : number(static_cast<std::int8_t>(b));
    };
    switch (type) {
    case 101:
    case 131: {
        const std::uint8_t lo_cmd = type == 101 ? 39 : 40;
        if (!limit(type == 101 ? mess(92) : QStringLiteral("LO ..."), lo_cmd, e.lower,
                   label(190) + QLatin1Char(' ') + signed_text(e.lower)))
            return fail(label(190));
        if (!limit(type == 101 ? mess(93) : QStringLiteral("HI ..."), lo_cmd + 1, e.upper,
                   label(191) + QLatin1Char(' ') + signed_text(e.upper)))
            return fail(label(191));
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
            const QString what = label(i == 0 ? 190 : 191);
            const int raw = both[i].lo + 256 * both[i].hi;
            const std::uint8_t command = static_cast<std::uint8_t>(77 + 2 * i);
            if (!limit(mess(i == 0 ? 92 : 93), command, both[i].lo, {})) return fail(what);
            if (!limit({}, command + 1, both[i].hi, QStringLiteral("%1 %2").arg(what).arg(raw)))
                return fail(what, mess(91));
        }
        sent.lower = e.raw_lower.lo + 256 * e.raw_lower.hi;
        sent.upper = e.raw_upper.lo + 256 * e.raw_upper.hi;
        break;
    }
    case 130:
        if (!limit(mess(94), 39, p.averaging ? 1 : 0,
                   label(192) + QStringLiteral(" %1").arg(p.averaging ? 1 : 0)))
            return fail(label(192));
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
        if (!oc) return refuse(mess(61));
        if (oc->a1 == 0 || oc->a1 == 1) return refuse(mess(95));
        const auto q = old_gradient_quotient(p.gradient, oc->a1);
        if (!q) return refuse(mess(96));
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
    taken_ << label(197);
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
    ui.progress_label(mess(97));
    const auto reply = read_logger_status(g_, status_parameter(s.type), hooks_.decode_status);
    if (!reply) return fail(label(194), {}, "no status reply");
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
    compare(QStringLiteral("%1 (%2)").arg(label(184), label(s.type == 55 ? 130 : 129)), s.gradient,
            h.gradient);
    if (s.type != 55) {
        compare(label(182), s.rollover ? 1 : 0, h.rollover ? 1 : 0);
        compare(label(131), 1, h.mission_on ? 1 : 0);
        // The logger counts the delay down by the minute, and may write a record as it starts.
        if (h.delay + 1 != s.delay) compare(label(186), s.delay, h.delay);
        if (s.pointer) compare(label(189), *s.pointer, h.pointer, 1);
        if (name != s.name) d.push_back({label(188), s.name, name ? *name : label(196)});
    }
    if (s.type == 101) {
        compare(label(190), *s.lower, h.byte23);
        compare(label(191), *s.upper, h.byte24);
    }
    if ((s.type == 103 || s.type == 129) && s.lower) {
        compare(label(190), *s.lower, h.raw_lower.value_or(-1));
        compare(label(191), *s.upper, h.raw_upper.value_or(-1));
    }
    if (s.averaging) compare(label(192), *s.averaging, h.byte23);
    if (!d.empty()) {
        failed_step_ = label(193);
        failure_ = QStringLiteral("the logger reads back otherwise");
        ui.progress_hide();
        ui.show_message(differences_text(g_.lang, mess(98), d, what_stays()), btn::ok);
        return Result::failed;
    }
    return Result::started;
}

QString MissionStart::erase_warning(int pending) const
{
    QString text = mess(32);
    if (pending <= 0) return text;
    // The count goes above the question that closes the warning, after a blank line as it has.
    static const QRegularExpression blank(QStringLiteral("\r?\n\r?\n"));
    const QString line = mess(173).arg(pending).arg(g_.status.mission_name);
    QRegularExpressionMatch m;
    const qsizetype at = text.lastIndexOf(blank, -1, &m);
    return at < 0 ? text + QStringLiteral("\r\n\r\n") + line : text.insert(at, m.captured() + line);
}

void MissionStart::write_mark(const QString& name, int pointer)
{
    if (const StoreLock lock(g_.program_dir); MarkStore().write_mark(name, pointer)) {
        mark_set_ = pointer;
        mark_name_ = name;
        return;
    }
    stored_ = false;
    g_.ui->show_message(mess(99).arg(name), btn::ok);
}

void MissionStart::write_file(const MissionPlan& p)
{
    UiPort& ui = *g_.ui;
    // The clock notes live beside the marks: a store that refused the mark
    // would only repeat its message.
    const bool mark_stored = stored_;
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
        if (!write_header(path, h, &ui, &g_.lang)) {
            stored_ = false;
            ui.show_message(mess(114).arg(path), btn::ok);
        }
        if (hooks_.refresh_database) hooks_.refresh_database();
    }
    // The records from now on are stamped in the offset the logger's clock
    // runs at; a file begun anew forgets the notes of its earlier missions.
    if (mark_stored && !note_clock(g_, database_path(g_, p.name),
                                   mission_clock_note(g_.status.logger_time, g_.now()), new_header_))
        stored_ = false;
    // A file begun anew is as this program left it: later changes show against its digest.
    if (new_header_ && stored_)
        digest_ = note_file_digest(g_, database_path(g_, p.name), audit_action::mission_start);
    if (hooks_.show_status) hooks_.show_status(mess(38));
}

} // namespace vx
