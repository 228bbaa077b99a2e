#pragma once

#include <QString>
#include <optional>

// The two settings the dialler reads: the serial port the modem is attached
// to and the dial method. An absent value is std::nullopt; the dialler applies
// its own defaults ("COM1", pulse). Values are read afresh at every use, so an
// implementation must not cache them. A read that fails throws UserError.
class DialSettings
{
public:
    virtual ~DialSettings() = default;

    // The `Port` value: a port name such as "COM2" or a device path.
    virtual std::optional<QString> port() const = 0;
    // The `DialMode` value: 0 pulse, 1 tone; other values dial nothing.
    virtual std::optional<int> dialMode() const = 0;
};
