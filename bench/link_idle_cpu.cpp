// CPU time the program spends while the link waits for a logger that never
// answers: three seconds of waits (reply windows, pauses and data steps, as
// the exchanges use them) against a silent simulator, measured with
// getrusage for this process only.
#include "process_kit.h"
#include "sim_child.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>

using vxbench::cpu_ms;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    vxbench::SimChild sim;
    const QString device = sim.start({"--silent"});
    vx::TCommPortDriver drv;
    vx::Link link;
    if (device.isEmpty() || !vxbench::open_link(link, drv, device)) {
        std::fprintf(stderr, "simulator not available\n");
        return 1;
    }
    link.expected_reply = "never";

    const double cpu_before = cpu_ms();
    QElapsedTimer wall;
    wall.start();
    int waits = 0;
    while (wall.elapsed() < 3000) {
        link.wait_reply(200);
        link.delay(50);
        link.wait_length(1000, 2);
        waits += 3;
    }
    const double cpu = cpu_ms() - cpu_before;
    const double elapsed = static_cast<double>(wall.elapsed());
    std::printf("waits: %d over %.0f ms wall, CPU %.1f ms (%.2f %% of one core)\n", waits, elapsed, cpu,
                100.0 * cpu / elapsed);

    // The same span spent in failing acknowledged exchanges (frames go out).
    const double cpu_before2 = cpu_ms();
    wall.restart();
    int exchanges = 0;
    while (wall.elapsed() < 3000) {
        link.send_value(2, 10);
        ++exchanges;
    }
    const double cpu2 = cpu_ms() - cpu_before2;
    const double elapsed2 = static_cast<double>(wall.elapsed());
    std::printf("failed send_value: %d over %.0f ms wall, CPU %.1f ms (%.2f %% of one core)\n", exchanges,
                elapsed2, cpu2, 100.0 * cpu2 / elapsed2);
    link.close_comport();
    return 0;
}
