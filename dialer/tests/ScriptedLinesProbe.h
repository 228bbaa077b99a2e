#pragma once

#include "ModemProbe.h"

#include <QStringList>

// The real probe, opening and releasing the real device, with the modem
// lines scripted: a pseudo-terminal has none to read. Without a script the
// lines are read from the device as in production. Records each device probed.
class ScriptedLinesProbe final : public SerialModemProbe
{
public:
    ModemStatus probe(const QString& device) override
    {
        probed.append(device);
        return SerialModemProbe::probe(device);
    }

    // The lines the device reports; nullopt reads them from the device.
    std::optional<ModemLines> lines;
    QStringList probed;

protected:
    std::optional<ModemLines> readLines(QSerialPort& port) override
    {
        return lines ? lines : SerialModemProbe::readLines(port);
    }
};
