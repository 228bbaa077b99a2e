#pragma once

#include <QString>
#include <QTemporaryDir>

// A pseudo-terminal pair standing in for a serial cable: the code under test
// opens the device end by its path, the test drives the modem end. The test
// also keeps the device end open itself, so the modem end stays connected
// while the code under test closes and reopens the device, and both ends
// start in raw mode, so no byte is echoed or translated.
//
// The device end is reached through a link of its own in a temporary folder:
// pseudo-terminal numbers are reused at once by other processes, and the
// serial lock files are named after the device, so a bare /dev/pts path
// could meet another test's lock, or a new terminal behind a pulled cable.
class PtyPair
{
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool isValid() const { return m_modem >= 0; }
    const QString& errorString() const { return m_error; }

    // The path to open the device end by.
    const QString& devicePath() const { return m_devicePath; }
    // The modem end, non-blocking; -1 once unplugged.
    int modemFd() const { return m_modem; }
    // A descriptor of the device end, to inspect its line settings.
    int deviceFd() const { return m_device; }
    // Bytes sent by the modem that the device end has not read yet.
    int pendingInput() const;
    // Waits, without running the event loop, until at least count bytes sent
    // by the modem are waiting at the device end.
    bool waitForPendingInput(int count, int timeoutMs = 5000) const;

    // Pulls the cable: closes the modem end and the test's own hold on the
    // device end, so the device hangs up under whoever has it open, and
    // removes the device's path.
    void unplug();

private:
    int m_modem = -1;
    int m_device = -1;
    QTemporaryDir m_folder;
    QString m_devicePath;
    QString m_error;
};
