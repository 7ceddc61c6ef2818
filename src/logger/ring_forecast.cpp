// When a logger's ring runs full of records not downloaded yet (see ring_forecast.h).
#include "logger/ring_forecast.h"

#include "logger/program_state.h"
#include "logger/ring.h"

#include <algorithm>

namespace vx
{

std::optional<RingForecast> ring_forecast(const RingOutlook& in)
{
    if (!in.recording || in.interval_seconds <= 0 || in.ring_size <= 0 || in.pointer < 0 ||
        in.pointer > in.ring_size + 1)
        return std::nullopt;
    RingForecast f;
    f.overwrites = in.rollover;
    f.earliest = in.conditional;
    qint64 records_left = 0;
    if (in.rollover) {
        if (in.mark < 0 || in.mark > in.ring_size) return std::nullopt;
        f.uncollected = count_new_records(in.mark, in.pointer, in.ring_size);
        records_left = in.ring_size - f.uncollected;
    } else {
        // A pointer past the last position: the memory is full already.
        records_left = std::max(in.ring_size - in.pointer, 0);
        f.uncollected = in.mark < 0 || in.mark > in.ring_size
                            ? std::min(in.pointer, in.ring_size)
                            : count_new_records(in.mark, std::min(in.pointer, in.ring_size), in.ring_size);
    }
    f.seconds = records_left * in.interval_seconds + qint64(std::max(in.start_delay_minutes, 0)) * 60;
    return f;
}

bool forecast_warns(const RingForecast& f, qint64 period_seconds)
{
    return f.seconds < 2 * period_seconds;
}

int interval_seconds(std::uint16_t type, int raw_interval)
{
    if (type == 93 || raw_interval <= 0) return 0;
    return type == 132 && raw_interval > 60 ? raw_interval - 60 : raw_interval * 60;
}

RingOutlook ring_outlook(const Global& g, int mark)
{
    const Status& s = g.status;
    RingOutlook o;
    o.ring_size = g.ident.ring_size;
    o.pointer = s.record_pointer;
    o.mark = mark;
    o.interval_seconds = interval_seconds(g.ident.type_code, s.interval);
    o.rollover = s.rollover;
    o.recording = s.mission_on && g.ident.type_code != 55;
    // The status's start delay counts 1..32767 minutes; other values are none.
    o.start_delay_minutes = s.start_delay >= 1 && s.start_delay <= 32767 ? s.start_delay : 0;
    o.conditional = s.change_threshold > 0;
    return o;
}

} // namespace vx
