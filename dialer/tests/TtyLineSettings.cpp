#include "TtyLineSettings.h"

// The kernel's own termios2, which the C library's <termios.h> cannot be
// included beside.
#include <asm/termbits.h>
#include <sys/ioctl.h>

std::optional<TtyLineSettings> readTtyLineSettings(int fd)
{
    termios2 settings {};
    if (::ioctl(fd, TCGETS2, &settings) != 0)
        return std::nullopt;
    TtyLineSettings result;
    result.inputSpeed = settings.c_ispeed;
    result.outputSpeed = settings.c_ospeed;
    switch (settings.c_cflag & CSIZE) {
    case CS5:
        result.dataBits = 5;
        break;
    case CS6:
        result.dataBits = 6;
        break;
    case CS7:
        result.dataBits = 7;
        break;
    default:
        result.dataBits = 8;
        break;
    }
    result.parity = (settings.c_cflag & PARENB) != 0;
    result.twoStopBits = (settings.c_cflag & CSTOPB) != 0;
    result.hardwareFlowControl = (settings.c_cflag & CRTSCTS) != 0;
    result.softwareFlowControlOut = (settings.c_iflag & IXON) != 0;
    result.softwareFlowControlIn = (settings.c_iflag & IXOFF) != 0;
    return result;
}
