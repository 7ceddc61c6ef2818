#pragma once
// The program-wide state of one test: a temporary program directory (its Log
// folder is the record directory), the built-in texts, the scripted user, and
// the simulated logger with a serial driver to reach it.
#include "common/fake_ui.h"
#include "common/sim_process.h"
#include "common/temp_home.h"
#include "link/serial_port.h"
#include "logger/program_state.h"

namespace vxtest
{

struct TestState {
    TempHome home;
    FakeUi ui;
    SimProcess sim;
    vx::TCommPortDriver driver;
    vx::Global g;

    TestState()
    {
        g.program_dir = home.dir();
        g.settings.LOGDIR = home.path("Log");
        g.lang.build_language_tables(home.dir(), "SLOVAK");
        g.ui = &ui;
        g.link.attach_ui(&ui);
        g.link.attach_driver(&driver);
    }
    ~TestState() { g.link.close_comport(); }

    // Starts the simulator with args and opens it as the logger port COM 1;
    // false when either fails.
    bool connect(const QStringList& args)
    {
        g.link.close_comport();
        if (!sim.start(args)) return false;
        g.settings.port_devices[1] = sim.link();
        return g.link.open_comport(1, g.settings.port_devices);
    }
};

} // namespace vxtest
