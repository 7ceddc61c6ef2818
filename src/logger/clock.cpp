// Logger clock: comparison with the computer's clock and the setting flow;
// see clock.h for the commands.
#include "logger/clock.h"

#include "base/ui_port.h"
#include "link/frame.h"
#include "logger/daynum.h"
#include "logger/display.h"
#include "logger/program_state.h"

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

} // namespace

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
        if (g_.ui) g_.ui->show_message(g_.lang.mess(2), btn::ok);
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
    if (g_.ui->show_message(g_.lang.mess(14), btn::yes | btn::no) != mr::yes) return Result::declined;
    g_.link.comm_abort = false;
    g_.ui->progress_show(g_.lang.mess(15));
    g_.ui->progress_label(QString());
    g_.ui->progress_range(100);
    g_.ui->progress_position(0);
    g_.ui->progress_clear_log();

    const bool was_running = display_.poll_running();
    display_.stop_poll();
    const Result r = g_.ident.type_code == 55 ? run_old_format() : run_current();
    g_.ui->progress_hide();
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
