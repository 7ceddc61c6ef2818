// Reading back what the logger holds; see logger_readback.h.
#include "programming/logger_readback.h"

#include "base/language.h"
#include "link/frame.h"
#include "logger/poll.h"
#include "logger/program_state.h"
#include "logger/status.h"

#include <QElapsedTimer>
#include <QStringList>

namespace vx
{

namespace
{

constexpr int status_tries = 4;
constexpr int status_reply_ms = 500;

// The status decode of the poll, without a window to show it.
bool decode_into(Global& g)
{
    const StatusDecode d = identify_and_decode(view(g.link.rx_buffer), decode_inputs(g));
    if (!d.recognised) return false;
    g.ident = d.ident;
    g.status = d.status;
    g.coef = d.coef;
    g.link.record_length = g.ident.record_length;
    return true;
}

} // namespace

std::optional<QByteArray> read_logger_status(Global& g, std::uint8_t parameter,
                                             const std::function<bool()>& decode, int reply_ms)
{
    if (reply_ms <= 0) reply_ms = status_reply_ms;
    for (int attempt = 0; attempt < status_tries; ++attempt) {
        g.link.send_command(cmd::status, parameter);
        QElapsedTimer clock;
        clock.start();
        const bool complete =
            g.link.wait_for([&g] { return status_reply_complete(view(g.link.rx_buffer)); }, reply_ms);
        if (g.link.comm_abort) return std::nullopt;
        const QByteArray reply = g.link.rx_buffer;
        if (decode ? decode() : decode_into(g)) return reply;
        // A whole reply that is not taken: the logger still gets its whole window before the next try.
        if (complete) g.link.delay(static_cast<int>(reply_ms - clock.elapsed()));
        if (g.link.comm_abort) return std::nullopt;
    }
    return std::nullopt;
}

HeldSettings held_settings(ByteView reply, const Status& s, const Coefficients& c)
{
    HeldSettings h;
    h.serial = s.serial;
    h.interval = s.interval;
    h.gradient = s.change_threshold;
    if (reply.size() == 28) { // the old-format logger
        h.type = 55;
        return h;
    }
    auto byte = [&](std::size_t i) { return u8_at(reply, i).value_or(0); };
    h.type = byte(5);
    h.pointer = u16le_at(reply, 11).value_or(0);
    h.delay = u16le_at(reply, 13).value_or(0);
    h.rollover = byte(20) != 0;
    h.mission_on = byte(21) != 0;
    h.corr1 = byte(22);
    h.byte23 = byte(23);
    h.byte24 = byte(24);
    if (h.type == 103 || h.type == 129) {
        if (const auto lo = u16le_at(reply, 42)) h.raw_lower = *lo;
        if (const auto hi = u16le_at(reply, 44)) h.raw_upper = *hi;
    }
    h.coef = {c.a0, c.a1, c.a2, c.a3};
    if (h.type == 100 || h.type == 106 || h.type == 133) {
        const std::size_t shift = h.type == 133 ? 1 : 0;
        std::vector<std::pair<int, std::size_t>> at = {{32, 31}, {33, 32}, {34, 33},
                                                       {35, 34}, {37, 35}, {38, 37}};
        if (h.type == 106)
            for (int cell = 39; cell <= 44; ++cell)
                at.push_back({cell, static_cast<std::size_t>(cell - 1)});
        for (const auto& [cell, offset] : at)
            if (const auto b = u8_at(reply, offset + shift)) h.cells[cell] = *b;
    }
    return h;
}

QString differences_text(const Language& lang, const QString& heading,
                         const std::vector<Difference>& differences, const QString& closing)
{
    QStringList lines{heading};
    for (const Difference& d : differences)
        lines << lang.mess(115).arg(d.what, d.sent, d.read);
    if (!closing.isEmpty()) lines << closing;
    return lines.join(QLatin1Char('\n'));
}

QString taken_text(const Language& lang, const QStringList& taken)
{
    return taken.isEmpty() ? lang.label(198) : taken.join(QStringLiteral(", "));
}

} // namespace vx
