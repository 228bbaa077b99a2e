#pragma once

#include <QString>

// A pseudo-terminal pair standing in for a serial cable: the code under test
// opens the device end by its path, the test drives the modem end. The test
// also keeps the device end open itself, so the modem end stays connected
// while the code under test closes and reopens the device, and both ends
// start in raw mode, so no byte is echoed or translated.
class PtyPair
{
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool isValid() const { return m_modem >= 0; }
    const QString& errorString() const { return m_error; }

    // The device end, e.g. "/dev/pts/4".
    const QString& devicePath() const { return m_devicePath; }
    // The modem end, non-blocking; -1 once unplugged.
    int modemFd() const { return m_modem; }
    // A descriptor of the device end, to inspect its line settings.
    int deviceFd() const { return m_device; }
    // Bytes sent by the modem that the device end has not read yet.
    int pendingInput() const;

    // Pulls the cable: closes the modem end and the test's own hold on the
    // device end, so the device hangs up under whoever has it open.
    void unplug();

private:
    int m_modem = -1;
    int m_device = -1;
    QString m_devicePath;
    QString m_error;
};
