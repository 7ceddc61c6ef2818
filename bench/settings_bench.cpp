// Reading the settings file when it has grown large: many sections (a file
// others have appended to, or a merged one) and many megabytes. Counters:
// peak_rss_MB is the highest resident memory of the process during the run.
//   build/bench/settings_bench
//   build/bench/settings_bench --benchmark_filter=Sections/40000
#include "base/settings.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <sys/resource.h>

namespace
{

// [GLOBAL] with the program's keys, then sections of two keys each; keys
// per section so that the file grows to the size asked for.
bool write_settings(const QString& path, int sections, int keys_per_section)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return false;
    QByteArray out = "[GLOBAL]\r\nComPort=3\r\nLANGUAGE=SLOVAK\r\n";
    for (int s = 0; s < sections; ++s) {
        out += "[SECTION" + QByteArray::number(s) + "]\r\n";
        for (int k = 0; k < keys_per_section; ++k)
            out += "KEY" + QByteArray::number(k) + "=value " + QByteArray::number(s * 7 + k) + "\r\n";
        if (out.size() > (1 << 22)) {
            if (f.write(out) != out.size()) return false;
            out.clear();
        }
    }
    out += "[PARTNER]\r\nNAME=Sklad\r\n";
    return f.write(out) == out.size();
}

double peak_rss_mb()
{
    rusage r{};
    getrusage(RUSAGE_SELF, &r);
    return double(r.ru_maxrss) / 1024.0;
}

void reset_peak_rss()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly)) f.write("5");
}

void read_file(benchmark::State& state, int sections, int keys)
{
    QTemporaryDir dir;
    const QString program_dir = dir.path() + '/';
    if (!write_settings(program_dir + "vorlanix.ini", sections, keys)) {
        state.SkipWithError("cannot write the settings file");
        return;
    }
    reset_peak_rss();
    for (auto _ : state) {
        const vx::Settings s = vx::read_settings(program_dir);
        if (s.ComPort != 3 || s.partner.NAME != "Sklad") state.SkipWithError("the settings were not read");
    }
    state.counters["file_MB"] = double(QFile(program_dir + "vorlanix.ini").size()) / 1e6;
    state.counters["peak_rss_MB"] = peak_rss_mb();
}

void BM_ReadSettingsWithManySections(benchmark::State& state)
{
    read_file(state, int(state.range(0)), 2);
}
BENCHMARK(BM_ReadSettingsWithManySections)->Arg(10000)->Arg(40000)->Unit(benchmark::kMillisecond);

// About 78 MB in 450,000 sections.
void BM_ReadLargeSettingsFile(benchmark::State& state)
{
    read_file(state, 450000, 8);
}
BENCHMARK(BM_ReadLargeSettingsFile)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
