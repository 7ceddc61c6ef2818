// Record download speed over the link: blocks of ten 6-byte records read
// from the simulated logger (which paces its replies at 19200 bit/s) through
// read_block, next to the floor the line and the protocol's pauses allow.
#include "sim_child.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>
#include <cstdio>

namespace
{

constexpr int record_length = 6;
constexpr double ms_per_byte = 10.0 * 1000.0 / 19200.0; // start, 8 data and stop bit

// Bytes on the line for one block: command 11 (frame, echo, acknowledgement)
// and command 12 (frame, echo, ten records, sum), plus the pause before the
// acknowledged try.
double wire_floor_ms()
{
    const int addr_bytes = 5 + 5 + 4;
    const int data_bytes = 5 + 5 + record_length * 10 + 1;
    return (addr_bytes + data_bytes) * ms_per_byte + 50.0;
}

void BM_ReadBlock(benchmark::State& state)
{
    vxbench::SimChild sim;
    const QString device = sim.start({"--type", "89", "--fill", "1000"});
    vx::TCommPortDriver drv;
    vx::Link link;
    if (device.isEmpty() || !vxbench::open_link(link, drv, device)) {
        state.SkipWithError("simulator not available");
        return;
    }
    link.record_length = record_length;
    int block = 0;
    int failed = 0;
    for (auto _ : state) {
        if (!link.read_block(block * 10)) ++failed;
        ++block;
    }
    link.close_comport();
    state.counters["blocks"] = block;
    state.counters["failed"] = failed;
    state.counters["floor_ms"] = wire_floor_ms();
}
BENCHMARK(BM_ReadBlock)->Iterations(100)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    std::printf("wire-time floor per block: %.1f ms (%d + %d bytes at 19200 bit/s + 50 ms pause)\n",
                wire_floor_ms(), 14, 5 + 5 + record_length * 10 + 1);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
