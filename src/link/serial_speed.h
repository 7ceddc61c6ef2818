#pragma once
// Bit rates that the classic termios speed table lacks (14400, 56000,
// 128000, 256000 and any custom value) are set through the kernel's
// termios2 interface; this lives in its own file because its header
// clashes with <termios.h>.
#include <cstdint>

namespace vx
{

// Sets input and output speed of the open terminal fd to bps, keeping every
// other setting. False when the device refuses it.
bool set_custom_speed(int fd, std::uint32_t bps);

} // namespace vx
