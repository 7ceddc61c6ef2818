#pragma once
// Starts the main window in a temporary program directory whose settings map
// COM1 to the simulated logger's device, with tips off and a Log folder.
#include "app/main_window.h"
#include "common/temp_home.h"
#include "logger/program_state.h"

#include <memory>

namespace vxtest
{

std::unique_ptr<vx::TForm1> start_window_on(vx::Global& g, vx::UiPort& ui, const TempHome& home,
                                            const QString& device);

} // namespace vxtest
