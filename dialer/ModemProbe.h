#pragma once

#include <QString>
#include <optional>

class QSerialPort;

// The modem-status lines that tell whether a modem is ready.
struct ModemLines
{
    bool cts = false;
    bool dsr = false;
};

// What the readiness probe learnt of the modem.
struct ModemStatus
{
    enum class Failure
    {
        None,
        // The device is missing or held by another program.
        CannotOpen,
        // The device opened but its modem-status lines could not be read.
        LinesUnreadable,
    };

    Failure failure = Failure::None;
    // Meaningful only without a failure.
    ModemLines lines;
};

// Checks a serial device before a dialling session: takes it for exclusive
// read and write access, reads its modem-status lines and releases it again
// before returning, whatever the outcome. UI thread only.
class ModemProbe
{
public:
    virtual ~ModemProbe() = default;

    // device is a resolved device name (see serialDeviceName()).
    virtual ModemStatus probe(const QString& device) = 0;
};

// The probe on a real device through QSerialPort, which opens it exclusively
// as the dialler's own session does, so a device held by a running session
// (or by any other program that honours the serial lock files) is refused.
class SerialModemProbe : public ModemProbe
{
public:
    ModemStatus probe(const QString& device) override;

protected:
    // CTS and DSR of the open device, or nothing when they cannot be read.
    // Tests replace this step alone: a pseudo-terminal has no modem lines.
    virtual std::optional<ModemLines> readLines(QSerialPort& port);
};
