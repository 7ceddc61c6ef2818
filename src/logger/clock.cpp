// Logger clock: comparison with the computer's clock and the setting flow;
// see clock.h for the commands.
#include "logger/clock.h"

#include "base/ui_port.h"
#include "link/frame.h"
#include "logger/audit_log.h"
#include "logger/daynum.h"
#include "logger/display.h"
#include "logger/program_state.h"
#include "logger/record_handoff.h"
#include "logger/ring.h"
#include "logger/ring_forecast.h"
#include "records/marks.h"
#include "records/record_file.h"

#include <QFile>
#include <cstdlib>

namespace vx
{

namespace
{

// 0.01 day.
constexpr qint64 tolerance_ms = 864000;

std::uint8_t to_bcd(int v)
{
    return static_cast<std::uint8_t>((v / 10) * 16 + v % 10);
}

// A local stamp counted as if it were UTC: stamps compare as the logger
// wrote them, whatever the zone rules say of them.
qint64 naive(const QDateTime& t)
{
    return QDateTime(t.date(), t.time(), Qt::UTC).toSecsSinceEpoch();
}

// The newest stamp of a record file and how many records are stamped after
// a time.
struct FileStamps {
    std::optional<QDateTime> newest;
    int after = 0;
};

FileStamps file_stamps(const QString& path, const QDateTime& after)
{
    FileStamps out;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return out;
    const qint64 limit = naive(after);
    const QByteArray data = f.readAll();
    for (qsizetype pos = 0; pos < data.size();) {
        qsizetype end = data.indexOf('\n', pos);
        if (end < 0) end = data.size();
        const qsizetype tab = data.indexOf('\t', pos);
        if (tab > pos && tab < end) {
            if (const auto t = parse_time_stamp_bytes(data.constData() + pos, data.constData() + tab)) {
                if (!out.newest || naive(*t) > naive(*out.newest)) out.newest = *t;
                if (naive(*t) > limit) ++out.after;
            }
        }
        pos = end + 1;
    }
    return out;
}

} // namespace

ClockSetRisk clock_set_risk(const QDateTime& new_time, const QDateTime& logger_time, int undownloaded,
                            int interval_seconds, const std::optional<QDateTime>& newest_in_file,
                            int file_records_after)
{
    ClockSetRisk r;
    r.shared = file_records_after;
    if (newest_in_file && naive(*newest_in_file) > naive(new_time)) r.newest = *newest_in_file;
    const qint64 ahead = logger_time.isValid() ? naive(logger_time) - naive(new_time) : 0;
    if (undownloaded > 0 && ahead >= 60) {
        const qint64 in_span =
            interval_seconds > 0 ? (ahead + interval_seconds - 1) / interval_seconds : undownloaded;
        r.shared += int(std::min<qint64>(in_span, undownloaded));
        if (!r.newest.isValid() || naive(logger_time) > naive(r.newest)) r.newest = logger_time;
    }
    r.goes_back = r.shared > 0;
    return r;
}

ClockSetRisk clock_set_risk(const Global& g, const QDateTime& new_time)
{
    const Status& st = g.status;
    const int ring = g.ident.ring_size;
    int undownloaded = std::max(st.record_pointer, 0);
    if (g.ident.type_code != 55) {
        const int mark = MarkStore().read_mark(st.mission_name);
        if (mark >= 0 && mark <= ring && st.record_pointer >= 0)
            undownloaded = count_new_records(mark, st.record_pointer, ring);
    }
    const int interval = interval_seconds(g.ident.type_code, st.interval);
    const FileStamps file = file_stamps(attached_record_file(g), new_time);
    return clock_set_risk(new_time, st.logger_time, undownloaded, interval, file.newest, file.after);
}

QString clock_set_warning(const Global& g, const ClockSetRisk& risk, const QDateTime& new_time)
{
    if (!risk.goes_back) return {};
    return g.lang.mess(176)
        .arg(format_time_stamp(risk.newest, g.ident.type_code),
             format_time_stamp(new_time, g.ident.type_code))
        .arg(risk.shared);
}

ClockNote mission_clock_note(const QDateTime& logger_time, const QDateTime& now)
{
    ClockNote note{now.toUTC(), now.offsetFromUtc()};
    if (!logger_time.isValid() || !clocks_differ(now, logger_time)) return note;
    constexpr qint64 quarter = 900, most = 14 * 3600;
    const qint64 diff = naive(logger_time) - naive(now);
    const qint64 rounded = (diff >= 0 ? diff + quarter / 2 : diff - quarter / 2) / quarter * quarter;
    const qint64 offset = note.offset + rounded;
    // A clock that far off runs at no offset of any zone: the computer's is kept.
    if (offset >= -most && offset <= most) note.offset = int(offset);
    return note;
}

bool clocks_differ(const QDateTime& pc, const QDateTime& logger)
{
    return std::llabs(logger.msecsTo(pc)) > tolerance_ms;
}

bool ClockCheck::compare(const QDateTime& logger_time)
{
    if (!g_.settings.CHECKTIME) return false;
    if (!clocks_differ(g_.now(), logger_time)) return false;
    int& countdown = g_.poll.clock_countdown;
    if (countdown < 1) {
        const bool was_running = display_.poll_running();
        if (was_running) display_.stop_poll();
        const QDateTime now = g_.now();
        // Only a logger ahead of the computer can go back over its records.
        QString warning;
        if (logger_time.isValid() && naive(logger_time) > naive(now))
            warning = clock_set_warning(g_, clock_set_risk(g_, now), now);
        if (g_.ui)
            g_.ui->show_message(g_.lang.mess(2) +
                                    (warning.isEmpty() ? QString() : QStringLiteral("\r\n\r\n") + warning),
                                btn::ok);
        if (was_running) display_.start_poll();
        countdown = 10;
    } else {
        --countdown;
    }
    return true;
}

SetClock::Result SetClock::run()
{
    if (!g_.ui) return Result::declined;
    const QDateTime now = g_.now();
    const QString warning = clock_set_warning(g_, clock_set_risk(g_, now), now);
    const QString question =
        warning.isEmpty() ? g_.lang.mess(14) : warning + QStringLiteral("\r\n\r\n") + g_.lang.mess(14);
    if (g_.ui->show_message(question, btn::yes | btn::no) != mr::yes) return Result::declined;
    g_.link.comm_abort = false;
    g_.ui->progress_show(g_.lang.mess(15));
    g_.ui->progress_label(QString());
    g_.ui->progress_range(100);
    g_.ui->progress_position(0);
    g_.ui->progress_clear_log();

    const bool was_running = display_.poll_running();
    display_.stop_poll();
    const QDateTime sent = g_.now();
    const Result r = g_.ident.type_code == 55 ? run_old_format() : run_current();
    g_.ui->progress_hide();
    if (r == Result::done) {
        // From now on the logger's stamps are in the offset of the time it got.
        const QDateTime set = g_.now();
        note_clock(g_, attached_record_file(g_), {set.toUTC(), set.offsetFromUtc()});
    }
    AuditEntry entry = clock_set_entry(g_, g_.status.logger_time, sent);
    if (r == Result::cancelled) entry.fail(QStringLiteral("cancelled"));
    if (r == Result::not_acknowledged)
        entry.fail(QStringLiteral("the logger did not acknowledge the clock; it may be set in part"));
    if (r == Result::out_of_range)
        entry.fail(QStringLiteral("this computer's date lies outside the logger's calendar"));
    record_audit(g_, entry);
    if (was_running) display_.start_poll();
    return r;
}

SetClock::Result SetClock::run_current()
{
    const QTime t = g_.now().time();
    struct Field {
        int log; // MESSn
        std::uint8_t command;
        int value;
        int bar;
    };
    const Field time_fields[] = {
        {64, cmd::clock_sec, t.second(), 20},
        {65, cmd::clock_min, t.minute(), 40},
        {66, cmd::clock_hour, t.hour(), 60},
    };
    for (const Field& f : time_fields) {
        g_.ui->progress_log(g_.lang.mess(f.log));
        const Result r = send_field(f.command, static_cast<std::uint8_t>(f.value), f.bar);
        if (r != Result::done) return r;
    }
    // The date is read after the hours went through, so a set just before
    // midnight carries the new day.
    const auto day = day_number_of(g_.now().date());
    if (!day) {
        g_.ui->plain_message(g_.lang.mess(69));
        return Result::out_of_range;
    }
    const Field date_fields[] = {
        {67, cmd::clock_date_lo, *day & 0xFF, 80},
        {68, cmd::clock_date_hi, *day >> 8, 90},
    };
    for (const Field& f : date_fields) {
        g_.ui->progress_log(g_.lang.mess(f.log));
        const Result r = send_field(f.command, static_cast<std::uint8_t>(f.value), f.bar);
        if (r != Result::done) return r;
    }
    return Result::done;
}

SetClock::Result SetClock::send_field(unsigned char command, unsigned char parameter, int bar)
{
    const auto ack = ack_reply(command, parameter);
    for (int send = 1; send <= 7; ++send) {
        g_.link.delay(50);
        g_.link.rx_buffer.clear();
        g_.link.send_command(command, parameter);
        g_.link.expected_reply = QByteArray(reinterpret_cast<const char*>(ack.data()), ack.size());
        if (g_.link.comm_abort) return Result::cancelled;
        if (send == 7) {
            g_.ui->show_message(g_.lang.mess(3), btn::ok);
            return Result::not_acknowledged;
        }
        g_.ui->progress_position(bar);
        if (g_.link.wait_reply(200)) return Result::done;
    }
    return Result::not_acknowledged;
}

SetClock::Result SetClock::run_old_format()
{
    const QDateTime now = g_.now();
    auto send = [&](std::uint8_t command, int value, int bar) {
        g_.link.send_command(command, static_cast<std::uint8_t>(value));
        g_.ui->progress_position(bar);
        g_.link.delay(200);
        return !g_.link.comm_abort;
    };
    g_.ui->progress_label(QStringLiteral("SET TIME"));
    if (!send(cmd::old_sec, to_bcd(now.time().second()), 10)) return Result::cancelled;
    if (!send(cmd::old_min, to_bcd(now.time().minute()), 20)) return Result::cancelled;
    if (!send(cmd::old_hour, to_bcd(now.time().hour()), 30)) return Result::cancelled;
    g_.ui->progress_label(QStringLiteral("SET DAY"));
    if (!send(cmd::old_day, to_bcd(now.date().day()) + 64 * (now.date().year() % 4), 40))
        return Result::cancelled;
    g_.ui->progress_label(QStringLiteral("SET month"));
    if (!send(cmd::old_month, to_bcd(now.date().month()), 50)) return Result::cancelled;
    return Result::done;
}

} // namespace vx
