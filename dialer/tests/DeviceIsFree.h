#pragma once

#include "SerialPort.h"

#include <QString>

// True when a dialling session can take the device now, i.e. nobody holds it.
inline bool deviceIsFree(const QString& device)
{
    SerialPort port;
    port.setPortName(device);
    try {
        port.open();
    } catch (...) {
        return false;
    }
    return port.connected();
}
