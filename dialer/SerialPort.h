#pragma once

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QString>
#include <functional>

// The dialler's serial line: one modem port over QSerialPort, opened for
// exclusive use at 14400 baud, 8 data bits, no parity, 1 stop bit, no flow
// control, DTR raised and RTS low. Received NUL bytes are dropped.
//
// open() and write() are synchronous and throw UserError with a text that
// names the device and the system's reason. Received data is announced by
// rxChar() from the event loop, never from inside open(), write() or close(),
// so a handler never runs nested in another. A failure that arrives from the
// event loop (the device vanished) closes the port and is announced once by
// failed(). UI thread only.
class SerialPort : public QObject
{
    Q_OBJECT

public:
    explicit SerialPort(QObject* parent = nullptr);
    ~SerialPort() override;
    SerialPort(const SerialPort&) = delete;
    SerialPort& operator=(const SerialPort&) = delete;

    // The port name as the settings hold it ("COM1", "/dev/ttyUSB0"). Taken
    // only while the port is closed; the open port keeps its device.
    void setPortName(const QString& name);
    const QString& portName() const { return m_portName; }
    // The device the port name stands for.
    QString device() const;

    // Runs after every successful opening, before open() returns. An
    // exception it throws leaves the port open and passes out of open().
    void setAfterOpen(std::function<void()> handler) { m_afterOpen = std::move(handler); }

    // Does nothing when open already.
    void open();
    // Does nothing when closed. Drops whatever was received but not read.
    void close();
    bool connected() const { return m_port.isOpen(); }

    // Returns once every byte has been handed to the device.
    void write(const QByteArray& bytes);
    // Up to count of the bytes received so far, without waiting for more.
    QByteArray read(qsizetype count);

Q_SIGNALS:
    // Bytes have arrived; count is how many are waiting (always above 0).
    void rxChar(int count);
    // The port failed outside any call of ours and has been closed.
    void failed(const QString& text);

private:
    // Marks a synchronous call, whose errors the caller reports by exception.
    class CallScope;

    void applyControlLines();
    void takeReceived();
    void announceReceived();
    void portErrorOccurred(QSerialPort::SerialPortError error);
    QString displayName() const;
    QString reasonText() const;

    QSerialPort m_port;
    QString m_portName = QStringLiteral("COM1");
    std::function<void()> m_afterOpen;
    QByteArray m_received;
    quint64 m_session = 0;
    int m_callDepth = 0;
    bool m_announcePending = false;
    bool m_failurePending = false;
};
