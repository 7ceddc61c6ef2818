#include "link/serial_speed.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace vx
{

bool set_custom_speed(int fd, std::uint32_t bps)
{
    struct termios2 t {
    };
    if (ioctl(fd, TCGETS2, &t) != 0) return false;
    t.c_cflag &= ~CBAUD;
    t.c_cflag |= BOTHER;
    t.c_cflag &= ~(CBAUD << IBSHIFT);
    t.c_cflag |= BOTHER << IBSHIFT;
    t.c_ispeed = bps;
    t.c_ospeed = bps;
    return ioctl(fd, TCSETS2, &t) == 0;
}

} // namespace vx
