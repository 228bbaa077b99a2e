#pragma once

#include <QString>

// Turns the text of a port setting into the device to open. "COM1" to "COM96"
// (any letter case, the letters optional) name the platform's serial devices
// in order, on Linux /dev/ttyS0 onwards; a full device path such as
// /dev/ttyUSB0 is used as it stands; any other text names the first port.
// The readiness probe and the dialler's session both resolve names here, so
// they always open the same device.
QString serialDeviceName(const QString& portName);
