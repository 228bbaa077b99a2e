#include "SerialPort.h"

#include "SerialDeviceName.h"
#include "UserError.h"

#include <QMetaObject>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <termios.h>
#endif

namespace {

constexpr qint32 kBaudRate = 14400;
// A dial command is a few dozen bytes; at 14400 baud that is well under a
// tenth of a second, so a write still pending after this has failed.
constexpr int kWriteTimeoutMs = 3000;

} // namespace

class SerialPort::CallScope
{
public:
    explicit CallScope(SerialPort& port)
        : m_port(port)
    {
        ++m_port.m_callDepth;
    }
    ~CallScope() { --m_port.m_callDepth; }
    CallScope(const CallScope&) = delete;
    CallScope& operator=(const CallScope&) = delete;

private:
    SerialPort& m_port;
};

SerialPort::SerialPort(QObject* parent)
    : QObject(parent)
{
    connect(&m_port, &QSerialPort::readyRead, this, &SerialPort::takeReceived);
    connect(&m_port, &QSerialPort::errorOccurred, this, &SerialPort::portErrorOccurred);
}

SerialPort::~SerialPort()
{
    close();
}

void SerialPort::setPortName(const QString& name)
{
    if (!m_port.isOpen())
        m_portName = name;
}

QString SerialPort::device() const
{
    return serialDeviceName(m_portName);
}

void SerialPort::open()
{
    if (m_port.isOpen())
        return;
    {
        CallScope call(*this);
        m_port.setPortName(device());
        m_port.setBaudRate(kBaudRate);
        m_port.setDataBits(QSerialPort::Data8);
        m_port.setParity(QSerialPort::NoParity);
        m_port.setStopBits(QSerialPort::OneStop);
        m_port.setFlowControl(QSerialPort::NoFlowControl);
        // QSerialPort takes the device exclusively: a lock file shared with
        // other programs that use one, and TIOCEXCL on the open descriptor.
        if (!m_port.open(QIODevice::ReadWrite)) {
            QString text = QStringLiteral("Unable to open %1: %2.").arg(displayName(), reasonText());
            if (m_port.error() == QSerialPort::PermissionError)
                text += QStringLiteral(" The device may be in use by another program.");
            m_port.clearError();
            throw UserError(text);
        }
        applyControlLines();
        m_received.clear();
        ++m_session;
    }
    if (m_afterOpen)
        m_afterOpen();
}

void SerialPort::applyControlLines()
{
    // A pseudo-terminal, or an adaptor without modem lines, refuses to set
    // them; the line carries data all the same, so that is no reason to fail.
    const auto refused = [this](bool done) {
        const bool unsupported = m_port.error() == QSerialPort::UnsupportedOperationError;
        if (done || unsupported) {
            m_port.clearError();
            return false;
        }
        return true;
    };
    if (refused(m_port.setDataTerminalReady(true)) || refused(m_port.setRequestToSend(false))) {
        const QString text
            = QStringLiteral("Unable to set the modem lines of %1: %2.").arg(displayName(), reasonText());
        m_port.close();
        m_port.clearError();
        throw UserError(text);
    }
}

void SerialPort::close()
{
    if (!m_port.isOpen())
        return;
    CallScope call(*this);
    // Whatever the modem said to the attempt being abandoned must not be
    // taken for an answer to the next one. Output is not flushed: write()
    // has waited for every byte already, and what has gone out cannot be
    // recalled (on a pseudo-terminal, flushing would discard what the far
    // end has not read yet).
    m_port.clear(QSerialPort::Input);
    m_port.close();
    m_port.clearError();
    m_received.clear();
}

void SerialPort::write(const QByteArray& bytes)
{
    if (!m_port.isOpen())
        throw UserError(QStringLiteral("Unable to write to %1: the port is not open.").arg(displayName()));
    CallScope call(*this);
    const auto fail = [this] {
        const QString text = QStringLiteral("Unable to write to %1: %2.").arg(displayName(), reasonText());
        m_port.clearError();
        return UserError(text);
    };
    if (m_port.write(bytes) != bytes.size())
        throw fail();
    while (m_port.bytesToWrite() > 0) {
        if (!m_port.waitForBytesWritten(kWriteTimeoutMs))
            throw fail();
    }
#ifdef Q_OS_UNIX
    // Handed to the driver is not yet sent: wait until the line has carried
    // the bytes, so that closing the port right after loses none of them.
    // Without flow control this takes a few milliseconds at most.
    while (::tcdrain(m_port.handle()) != 0) {
        if (errno != EINTR)
            throw UserError(QStringLiteral("Unable to write to %1: %2.")
                                .arg(displayName(), QString::fromLocal8Bit(std::strerror(errno))));
    }
#endif
}

QByteArray SerialPort::read(qsizetype count)
{
    const QByteArray chunk = m_received.left(count);
    m_received.remove(0, chunk.size());
    return chunk;
}

void SerialPort::takeReceived()
{
    QByteArray bytes = m_port.readAll();
    bytes.replace('\0', QByteArray());
    if (bytes.isEmpty())
        return;
    m_received.append(bytes);
    // Announced from the event loop: readyRead can be raised while a write
    // waits for the device, and the handler must not run inside that write.
    if (!m_announcePending) {
        m_announcePending = true;
        QMetaObject::invokeMethod(this, &SerialPort::announceReceived, Qt::QueuedConnection);
    }
}

void SerialPort::announceReceived()
{
    m_announcePending = false;
    if (m_port.isOpen() && !m_received.isEmpty())
        Q_EMIT rxChar(static_cast<int>(m_received.size()));
}

void SerialPort::portErrorOccurred(QSerialPort::SerialPortError error)
{
    if (error == QSerialPort::NoError || error == QSerialPort::TimeoutError)
        return;
    // Inside open(), write() or close() the error is reported by exception.
    if (m_callDepth > 0 || !m_port.isOpen() || m_failurePending)
        return;
    // A vanished device keeps its descriptor readable, so QSerialPort repeats
    // the error until the port is closed. The port cannot be closed here,
    // inside QSerialPort's own notification, so that happens next in the
    // event loop, and the failure is reported only once.
    m_failurePending = true;
    const QString text
        = QStringLiteral("Lost the connection to %1: %2. The device may have been disconnected.")
              .arg(displayName(), reasonText());
    const quint64 session = m_session;
    QMetaObject::invokeMethod(
        this,
        [this, text, session] {
            m_failurePending = false;
            if (session != m_session || !m_port.isOpen())
                return;
            close();
            Q_EMIT failed(text);
        },
        Qt::QueuedConnection);
}

QString SerialPort::displayName() const
{
    const QString path = device();
    return path == m_portName ? path : QStringLiteral("%1 (%2)").arg(m_portName, path);
}

QString SerialPort::reasonText() const
{
    QString reason = m_port.errorString();
    while (reason.endsWith(u'.'))
        reason.chop(1);
    return reason;
}
