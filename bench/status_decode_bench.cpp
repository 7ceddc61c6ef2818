// Cost of decoding one status reply, the work of a poll tick that must stay
// far below the 700 ms poll period.
#include "logger/status.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

namespace
{

// A 47-byte current-loop status (type 130) with a valid coefficient block.
std::vector<std::uint8_t> current_loop_status()
{
    std::vector<std::uint8_t> b(47, 0);
    const std::uint8_t head[] = {13,   10,  10, 160, 0, 130, 30,   45,   10, 0x7A,
                                 0x22, 100, 0,  0,   0, 60,  0xE1, 0x10, 10, 16};
    std::memcpy(b.data(), head, sizeof head);
    b[26] = 0xD2;
    b[27] = 0x04;
    const float coef[3] = {4.0f, 0.01f, 0.0f};
    std::memcpy(&b[30], coef, sizeof coef);
    unsigned sum = 0;
    for (int i = 30; i < 42; ++i)
        sum += b[i];
    b[42] = static_cast<std::uint8_t>(0xAA - sum);
    return b;
}

void BM_IdentifyAndDecode(benchmark::State& state)
{
    const auto reply = current_loop_status();
    vx::DecodeInputs in;
    in.pc_date = QDate(2024, 3, 1);
    if (!vx::identify_and_decode({reply.data(), reply.size()}, in).recognised) {
        state.SkipWithError("reply not recognised");
        return;
    }
    for (auto _ : state) {
        vx::StatusDecode d = vx::identify_and_decode({reply.data(), reply.size()}, in);
        benchmark::DoNotOptimize(d);
    }
}
BENCHMARK(BM_IdentifyAndDecode);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
