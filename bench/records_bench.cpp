// Record decoding, appending and sorting at database sizes.
//   build/bench/records_bench
#include "logger/program_state.h"
#include "logger/record_handoff.h"
#include "logger/state.h"
#include "records/record_decode.h"
#include "records/record_file.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <random>
#include <vector>

using namespace vx;

namespace
{

// blocks of ten 8-byte records (temperature and humidity), one minute apart.
std::vector<std::vector<std::uint8_t>> make_blocks(int blocks)
{
    std::vector<std::vector<std::uint8_t>> out;
    out.reserve(std::size_t(blocks));
    int minute_of_run = 0;
    for (int b = 0; b < blocks; ++b) {
        std::vector<std::uint8_t> reply = {0x0D, 0x0A, 12, 4, 0x92};
        for (int i = 0; i < 10; ++i, ++minute_of_run) {
            const int day = 9000 + minute_of_run / 1440;
            const int hour = (minute_of_run / 60) % 24, minute = minute_of_run % 60;
            const int a = 300 + (minute_of_run % 200), h = 400 + (minute_of_run % 300);
            for (int v : {minute, hour, day & 0xFF, day >> 8, a & 0xFF, a >> 8, h & 0xFF, h >> 8})
                reply.push_back(std::uint8_t(v));
        }
        reply.push_back(0);
        out.push_back(std::move(reply));
    }
    return out;
}

void BM_DecodeBlocks(benchmark::State& state)
{
    const auto blocks = make_blocks(int(state.range(0)) / 10);
    Coefficients coef;
    coef.a0 = -2;
    coef.a1 = 0.125f;
    DecodeContext ctx;
    ctx.type_code = 87;
    ctx.coef = &coef;
    for (auto _ : state) {
        std::size_t lines = 0;
        for (const auto& reply : blocks)
            lines += decode_block(ctx, 8, ByteView(reply), 10).lines.size();
        benchmark::DoNotOptimize(lines);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_DecodeBlocks)->Arg(100000)->Unit(benchmark::kMillisecond);

class NullSink : public RecordSink
{
public:
    void add_line(const QString& line) override { chars += line.size(); }
    qsizetype chars = 0;
};

// The download path: decode, show and append every record to the database
// file (one append per block of ten, synced to the disk before it returns,
// as the download mark needs). The sync makes the wall time depend on what
// else the disk is doing; the CPU time shows the program's own part.
void BM_DecodeAndAppend(benchmark::State& state)
{
    const auto blocks = make_blocks(int(state.range(0)) / 10);
    QTemporaryDir dir;
    Global g;
    g.program_dir = dir.path() + '/';
    g.settings.LOGDIR = dir.path() + "/Log";
    g.ident.type_code = 87;
    g.ident.record_length = 8;
    g.status.mission_name = "BENCH";
    g.coef.a0 = -2;
    g.coef.a1 = 0.125f;
    g.transfer.write_to_database = true;
    NullSink sink;
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(database_path(g, "BENCH"));
        state.ResumeTiming();
        for (const auto& reply : blocks)
            show_records(g, ByteView(reply), 10, sink);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_DecodeAndAppend)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

// A database of n record lines as several overlapping downloads leave it:
// runs of ascending lines in shuffled order, about 5 % repeated.
QByteArray make_database(int n)
{
    QByteArray text = "MISIA\r\nRemark: \r\nSTART: 1.1.2020\r\nPERIOD: 1\r\nGRADIENT: 0\r\n";
    const QDateTime start(QDate(2020, 1, 1), QTime(0, 0));
    std::vector<std::pair<int, int>> runs; // first minute, length
    const int run = 1000;
    for (int first = 0; first < n; first += run)
        runs.push_back({first, std::min(run, n - first)});
    std::mt19937 rng(42);
    std::shuffle(runs.begin(), runs.end(), rng);
    int written = 0;
    for (const auto& [first, length] : runs) {
        for (int i = 0; i < length && written < n; ++i, ++written) {
            // Every twentieth line repeats the time stamp before it.
            const int minute = (written % 20 == 19) ? first + i - 1 : first + i;
            text += format_time_stamp(start.addSecs(qint64(minute) * 60)).toLatin1();
            text += "\t 21,5\t 55,0\r\n";
        }
    }
    return text;
}

void BM_SortDatabase(benchmark::State& state)
{
    const int n = int(state.range(0));
    const QByteArray text = make_database(n);
    QTemporaryDir dir;
    const QString path = dir.filePath("MISIA.txt");
    SortResult result;
    for (auto _ : state) {
        state.PauseTiming();
        {
            QFile f(path);
            f.open(QIODevice::WriteOnly | QIODevice::Truncate);
            f.write(text);
        }
        state.ResumeTiming();
        result = sort_records_in_file(path, 5);
    }
    if (!result.sorted) state.SkipWithError("sort failed");
    state.counters["kept"] = result.records;
    state.counters["repeats"] = result.repeats;
    state.SetItemsProcessed(state.iterations() * n);
    state.SetComplexityN(n);
}
BENCHMARK(BM_SortDatabase)
    ->Arg(250000)
    ->Arg(500000)
    ->Arg(1000000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Complexity(benchmark::oNLogN);

} // namespace

BENCHMARK_MAIN();
