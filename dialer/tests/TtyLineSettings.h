#pragma once

#include <optional>

// The line settings a serial device is really set to, read back from the
// kernel (termios2, so that a speed without a B-constant shows as it is).
struct TtyLineSettings
{
    unsigned inputSpeed = 0;
    unsigned outputSpeed = 0;
    int dataBits = 0;
    bool parity = false;
    bool twoStopBits = false;
    bool hardwareFlowControl = false;
    bool softwareFlowControlOut = false;
    bool softwareFlowControlIn = false;
};

std::optional<TtyLineSettings> readTtyLineSettings(int fd);
