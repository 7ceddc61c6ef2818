// The poll cycle of Timer1; see poll.h.
#include "logger/poll.h"

#include "base/ui_port.h"
#include "link/bytes.h"
#include "link/frame.h"
#include "logger/catalogue.h"
#include "logger/display.h"
#include "logger/live.h"
#include "logger/program_state.h"
#include "logger/status.h"
#include "records/key_list.h"

namespace vx
{

PollCycle::PollCycle(Global& g, LoggerDisplay& display)
    : g_(g), display_(display), clock_(g, display),
      send_(
          [this](std::uint8_t command, std::uint8_t parameter) { g_.link.send_command(command, parameter); })
{
}

void PollCycle::tick()
{
    PollState& p = g_.poll;
    if (p.busy) return;
    display_.set_clock_text(g_.now().time().toString(QStringLiteral("hh:mm")));
    if (!g_.link.port_open) return;
    if (!p.first_tick_done) {
        p.first_tick_done = true;
        display_.first_tick();
    }

    p.busy = true;
    if ((p.tick & 3) == 0) {
        decode_name();
    } else if (decode_status()) {
        p.failures = 0;
        display_.set_link_status(QStringLiteral("OK"));
    } else {
        ++p.failures;
    }
    p.busy = false;
    if (p.failures > 3) {
        clear_panels();
        display_.set_link_status(g_.lang.label(12));
        g_.transfer.already_asked = false;
    }

    g_.link.rx_buffer.clear();
    p.tick = static_cast<std::uint16_t>(p.tick + 1);
    if ((p.tick & 3) == 0) {
        if (g_.ident.type_code == 55)
            send_(cmd::old_calib, param::old_calib);
        else
            send_(cmd::name, param::name);
    } else {
        send_(cmd::status, param::status_poll);
    }
    since_request_.restart();
}

void PollCycle::settle()
{
    if (g_.poll.busy || !g_.link.port_open) return;
    constexpr qint64 reply_ms = 150;
    constexpr int quiet_ms = 30;
    if (since_request_.isValid() && since_request_.elapsed() < reply_ms) {
        g_.link.delay(int(reply_ms - since_request_.elapsed()));
        for (int i = 0; i < 10; ++i) {
            const qsizetype before = g_.link.rx_buffer.size();
            g_.link.delay(quiet_ms);
            if (g_.link.rx_buffer.size() == before) break;
        }
    }
    g_.link.rx_buffer.clear();
}

DecodeInputs decode_inputs(Global& g)
{
    DecodeInputs in;
    in.ident = g.ident;
    in.status = g.status;
    in.coef = g.coef;
    in.lang = &g.lang;
    in.diagnostic = g.poll.diagnostic;
    in.pc_date = g.now().date();
    in.load_calibration = [&g](std::uint16_t serial) -> const Calibration* {
        g.calib.load_calibration(g.program_dir, serial);
        return g.calib.calib_active ? &g.calib : nullptr;
    };
    return in;
}

bool PollCycle::decode_status()
{
    StatusDecode d = identify_and_decode(view(g_.link.rx_buffer), decode_inputs(g_));
    g_.ident = d.ident;
    if (!d.recognised) return false;

    g_.status = d.status;
    g_.coef = d.coef;
    g_.link.record_length = g_.ident.record_length;

    bool ask_key = false;
    if (d.key) {
        QString name;
        if (KeyList(g_.path(QStringLiteral("kluce.txt"))).lookup(*d.key, &name) == KeyList::found) {
            d.view.panIBname.text = name;
        } else {
            d.view.panIBname.text = QString();
            ask_key = true;
        }
    } else {
        declined_key_.reset();
    }

    display_.apply(d.view);
    if (d.pointer_tip) display_.show_tip(QStringLiteral("ERRDEVPTROLDMODEL"));
    const ModelRow* row = find_model(g_.ident.type_code);
    if (row && row->one_time_notice) notice_once(g_.ident.type_code, g_.status.serial);
    if (d.clock_valid) clock_.compare(g_.status.logger_time);
    if (ask_key) ask_key_name(*d.key);
    return true;
}

void PollCycle::decode_name()
{
    const ByteView reply = view(g_.link.rx_buffer);
    if (g_.ident.type_code == 55) {
        const auto oc = decode_old_calibration(reply, g_.status.change_threshold);
        if (!oc) return;
        g_.coef.old_a0 = oc->a0;
        g_.coef.old_a1 = oc->a1;
        g_.coef.old_a2 = oc->a2;
        StatusView v;
        v.pantemp.text = oc->value_text;
        v.PanGrad.text = oc->threshold_text;
        display_.apply(v);
        return;
    }
    if (g_.ident.type_code < 85) return;
    g_.status.mission_name.clear();
    const auto name = decode_name_block(reply);
    if (!name) return;
    g_.status.mission_name = *name;
    g_.link.mission_name = *name;
    display_.show_mission_name(*name);
    if (g_.coef.humidity_block_valid) display_.new_records_check();
}

void PollCycle::clear_panels()
{
    display_.clear_panels();
    g_.status.record_pointer = -1;
    g_.calib.calib_active = false;
}

void PollCycle::notice_once(std::uint16_t type, std::uint16_t serial)
{
    // Once per logger and run: the serial of the reply just decoded decides.
    if (notice_shown_for_ == serial) return;
    notice_shown_for_ = serial;
    if (g_.ui) g_.ui->show_message(notice_text(type, g_.lang), btn::ok);
}

void PollCycle::ask_key_name(int key)
{
    // A key whose name the user declined is not asked for again while it stays attached.
    if (declined_key_ == key || !g_.ui) return;
    const bool was_running = display_.poll_running();
    if (was_running) display_.stop_poll();
    const auto answer = g_.ui->input_box(g_.lang.mess(70), g_.lang.mess(71), QString());
    if (answer && !answer->isEmpty()) {
        KeyList(g_.path(QStringLiteral("kluce.txt"))).append(key, *answer);
        declined_key_.reset();
        StatusView v;
        v.panIBname.text = *answer;
        display_.apply(v);
    } else {
        declined_key_ = key;
    }
    if (was_running) display_.start_poll();
}

} // namespace vx
