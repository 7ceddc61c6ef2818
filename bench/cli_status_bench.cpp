// "vorlanix-cli status" as a user runs it, against the simulated logger
// (which paces its replies at 19200 bit/s): the whole run of the program,
// from its start to its exit, next to its floor, the 500 ms the port is
// given after opening plus the status and name replies on the line.
#include "sim_child.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>

namespace
{

constexpr double ms_per_byte = 10.0 * 1000.0 / 19200.0; // start, 8 data and stop bit
// Type 89: a status reply of 29 bytes and a name reply of 22, echoes included.
constexpr int reply_bytes = 29 + 22;

double floor_ms()
{
    return 500.0 + reply_bytes * ms_per_byte;
}

void BM_CliStatus(benchmark::State& state)
{
    vxbench::SimChild sim;
    const QString device = sim.start({"--type", "89", "--name", "BENCH", "--fill", "30"});
    QTemporaryDir home;
    QFile ini(home.filePath(QStringLiteral("vorlanix.ini")));
    if (device.isEmpty() || !home.isValid() || !ini.open(QIODevice::WriteOnly)) {
        state.SkipWithError("simulator not available");
        return;
    }
    ini.write(("[GLOBAL]\r\nComPort=7\r\n[PORTS]\r\nCOM7=" + device + "\r\n").toUtf8());
    ini.close();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("VORLANIX_HOME"), home.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    int failed = 0;
    double total_ms = 0;
    for (auto _ : state) {
        QProcess p;
        p.setProcessEnvironment(env);
        QElapsedTimer clock;
        clock.start();
        p.start(QStringLiteral(VORLANIX_CLI_PATH), {QStringLiteral("status")});
        const bool ended = p.waitForFinished(10000);
        const double ms = double(clock.nsecsElapsed()) / 1e6;
        state.SetIterationTime(ms / 1000.0);
        total_ms += ms;
        if (!ended || p.exitCode() != 0) ++failed;
    }
    const double mean = total_ms / double(state.iterations());
    state.counters["failed"] = failed;
    state.counters["floor_ms"] = floor_ms();
    state.counters["ratio"] = mean / floor_ms();
}
BENCHMARK(BM_CliStatus)->Iterations(10)->Unit(benchmark::kMillisecond)->UseManualTime();

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    std::printf("floor of status: %.1f ms (500 ms after opening the port + %d reply bytes at 19200 bit/s)\n",
                floor_ms(), reply_bytes);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
