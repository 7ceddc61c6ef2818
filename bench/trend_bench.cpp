// The live trend's model with a day of readings: a temperature, humidity and
// pressure logger (three channels) read every 700 ms, 123,430 readings.
//   BM_TrendDay: feeds the day into an empty trend; counters: heap_MB and
//     rss_MB that the trend holds afterwards, us_per_reading of the feed.
//   BM_TrendReading/<span>: one more reading into a full trend (the oldest
//     drops out), as the poll delivers it (live_reading from the panels),
//     then what a chart shows after it: the visible range, the statistics
//     and the stable flag of every channel. Span 0 is 5 min, 3 all (24 h).
#include "logger/trend.h"
#include "process_kit.h"

#include <benchmark/benchmark.h>

#include <malloc.h>
#include <memory>

namespace
{

const QDateTime t0(QDate(2024, 3, 1), QTime(10, 0));
constexpr int day = static_cast<int>(vx::Trend::max_readings);

// The panels of reading i: slowly changing values as the window shows them.
vx::StatusView panels(int i)
{
    vx::StatusView v;
    v.pantemp.text = QString::number(20.0 + (i % 600) / 100.0, 'f', 1).replace('.', ',');
    v.panhumi.text = QString::number(45.0 + (i % 50) / 10.0, 'f', 1).replace('.', ',');
    v.PanTempFahren.text = QString::number(1013 + i % 3);
    return v;
}

vx::LiveReading reading(int i, const vx::StatusView& view)
{
    return vx::live_reading(view, 133, 4321, nullptr, t0.addMSecs(700LL * i));
}

double heap_mb()
{
    return double(mallinfo2().uordblks) / (1024.0 * 1024.0);
}

void BM_TrendDay(benchmark::State& state)
{
    // The panel texts are made beforehand: the window has them anyway.
    std::vector<vx::StatusView> views;
    for (int i = 0; i < 600; ++i)
        views.push_back(panels(i));
    for (auto _ : state) {
        malloc_trim(0);
        const double heap0 = heap_mb(), rss0 = vxbench::rss_mb();
        auto trend = std::make_unique<vx::Trend>();
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < day; ++i)
            trend->add(reading(i, views[std::size_t(i % 600)]));
        const std::chrono::duration<double, std::micro> took = std::chrono::steady_clock::now() - start;
        state.counters["heap_MB"] = heap_mb() - heap0;
        state.counters["rss_MB"] = vxbench::rss_mb() - rss0;
        state.counters["us_per_reading"] = took.count() / day;
        state.counters["readings"] = double(trend->size());
        benchmark::DoNotOptimize(trend.get());
    }
}
BENCHMARK(BM_TrendDay)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_TrendReading(benchmark::State& state)
{
    std::vector<vx::StatusView> views;
    for (int i = 0; i < 600; ++i)
        views.push_back(panels(i));
    vx::Trend trend;
    trend.set_span(static_cast<vx::TrendSpan>(state.range(0)));
    int i = 0;
    for (; i < day; ++i)
        trend.add(reading(i, views[std::size_t(i % 600)]));
    for (auto _ : state) {
        const vx::TrendUpdate u = trend.add(reading(i, views[std::size_t(i % 600)]));
        ++i;
        benchmark::DoNotOptimize(trend.visible_range());
        for (int c = 0; c < trend.channel_count(); ++c) {
            benchmark::DoNotOptimize(trend.stats(c));
            benchmark::DoNotOptimize(trend.stable(c));
        }
        benchmark::DoNotOptimize(u);
    }
    state.counters["readings"] = double(trend.size());
}
BENCHMARK(BM_TrendReading)
    ->Arg(int(vx::TrendSpan::five_minutes))
    ->Arg(int(vx::TrendSpan::all))
    ->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
