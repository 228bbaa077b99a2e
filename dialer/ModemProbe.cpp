#include "ModemProbe.h"

#include <QSerialPort>

ModemStatus SerialModemProbe::probe(const QString& device)
{
    QSerialPort port;
    port.setPortName(device);
    if (!port.open(QIODevice::ReadWrite))
        return { ModemStatus::Failure::CannotOpen, {} };
    const std::optional<ModemLines> lines = readLines(port);
    port.close();
    if (!lines)
        return { ModemStatus::Failure::LinesUnreadable, {} };
    return { ModemStatus::Failure::None, *lines };
}

std::optional<ModemLines> SerialModemProbe::readLines(QSerialPort& port)
{
    port.clearError();
    const QSerialPort::PinoutSignals pins = port.pinoutSignals();
    if (port.error() != QSerialPort::NoError)
        return std::nullopt;
    return ModemLines { pins.testFlag(QSerialPort::ClearToSendSignal),
                        pins.testFlag(QSerialPort::DataSetReadySignal) };
}
