#include "common/window_on_sim.h"

#include <QDir>

namespace vxtest
{

std::unique_ptr<vx::TForm1> start_window_on(vx::Global& g, vx::UiPort& ui, const TempHome& home,
                                            const QString& device)
{
    QDir().mkpath(home.path("Log"));
    home.write("vorlanix.ini",
               QString("[GLOBAL]\r\nComPort=1\r\nSHOWTIP=0\r\nLOGDIR=%1\r\n[PORTS]\r\nCOM1=%2\r\n")
                   .arg(home.path("Log"), device)
                   .toUtf8());
    g.program_dir = home.dir();
    g.ui = &ui;
    auto w = std::make_unique<vx::TForm1>(g);
    w->start();
    return w;
}

} // namespace vxtest
