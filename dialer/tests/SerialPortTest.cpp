#include "SerialPort.h"

#include "FakeModem.h"
#include "PtyPair.h"
#include "TtyLineSettings.h"
#include "UserError.h"

#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <memory>

// The dialler's serial line on a real device: a pseudo-terminal whose far
// end is a fake modem.
class SerialPortTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void openAppliesLineSettings();
    void openRunsAfterOpenOnceBeforeReturning();
    void openWhenOpenDoesNothing();
    void closeWhenClosedDoesNothing();
    void afterOpenFailureLeavesPortOpen();
    void openFailure_data();
    void openFailure();
    void writeDeliversEveryByteBeforeReturning();
    void closeRightAfterWriteLosesNothing();
    void writeWhenClosedFails();
    void receivedBytes_data();
    void receivedBytes();
    void readTakesNoMoreThanAsked();
    void nulBytesAloneRaiseNoNotification();
    void notificationNeverRunsInsideWrite();
    void closeAbandonsUnreadBytes();
    void vanishedDeviceFailsOnceAndCloses();
    void reopenAfterVanishedDeviceFails();

private:
    std::unique_ptr<PtyPair> m_pty;
    std::unique_ptr<FakeModem> m_modem;
    std::unique_ptr<SerialPort> m_port;
};

void SerialPortTest::init()
{
    m_pty = std::make_unique<PtyPair>();
    QVERIFY2(m_pty->isValid(), qPrintable(m_pty->errorString()));
    m_modem = std::make_unique<FakeModem>(*m_pty);
    m_port = std::make_unique<SerialPort>();
    m_port->setPortName(m_pty->devicePath());
}

void SerialPortTest::cleanup()
{
    m_port.reset();
    m_modem.reset();
    m_pty.reset();
}

void SerialPortTest::openAppliesLineSettings()
{
    m_port->open();
    QVERIFY(m_port->connected());

    const std::optional<TtyLineSettings> line = readTtyLineSettings(m_pty->deviceFd());
    QVERIFY(line);
    QCOMPARE(line->outputSpeed, 14400u);
    QCOMPARE(line->inputSpeed, 14400u);
    QCOMPARE(line->dataBits, 8);
    QVERIFY(!line->parity);
    QVERIFY(!line->twoStopBits);
    QVERIFY(!line->hardwareFlowControl);
    QVERIFY(!line->softwareFlowControlOut);
    QVERIFY(!line->softwareFlowControlIn);
}

void SerialPortTest::openRunsAfterOpenOnceBeforeReturning()
{
    int calls = 0;
    bool connectedInside = false;
    m_port->setAfterOpen([&] {
        ++calls;
        connectedInside = m_port->connected();
        m_port->write("ATZ\r\n");
    });
    m_port->open();

    QCOMPARE(calls, 1);
    QVERIFY(connectedInside);
    QVERIFY(m_modem->waitForReceived(5));
    QCOMPARE(m_modem->received(), QByteArray("ATZ\r\n"));
}

void SerialPortTest::openWhenOpenDoesNothing()
{
    int calls = 0;
    m_port->setAfterOpen([&] { ++calls; });
    m_port->open();
    m_port->open();
    QCOMPARE(calls, 1);
    QVERIFY(m_port->connected());

    // The open port keeps its device; the new name waits for the next opening.
    m_port->setPortName(QStringLiteral("/dev/nonexistent-modem"));
    QCOMPARE(m_port->portName(), m_pty->devicePath());
}

void SerialPortTest::closeWhenClosedDoesNothing()
{
    m_port->close();
    QVERIFY(!m_port->connected());
    m_port->open();
    m_port->close();
    m_port->close();
    QVERIFY(!m_port->connected());

    // Released for real: another user can take the device now.
    SerialPort other;
    other.setPortName(m_pty->devicePath());
    other.open();
    QVERIFY(other.connected());
}

void SerialPortTest::afterOpenFailureLeavesPortOpen()
{
    m_port->setAfterOpen([] { throw UserError(QStringLiteral("write failed")); });
    QVERIFY_THROWS_EXCEPTION(UserError, m_port->open());
    QVERIFY(m_port->connected());
}

void SerialPortTest::openFailure_data()
{
    QTest::addColumn<bool>("held");
    QTest::addColumn<QString>("reason");

    QTest::newRow("device missing") << false << "No such file or directory";
    QTest::newRow("device held by another session") << true << "in use by another program";
}

void SerialPortTest::openFailure()
{
    QFETCH(bool, held);
    QFETCH(QString, reason);

    SerialPort holder;
    QString device = m_pty->devicePath();
    if (held) {
        holder.setPortName(device);
        holder.open();
    } else {
        device = QStringLiteral("/dev/nonexistent-modem");
    }
    bool afterOpenRan = false;
    m_port->setAfterOpen([&] { afterOpenRan = true; });
    m_port->setPortName(device);

    try {
        m_port->open();
        QFAIL("open() succeeded");
    } catch (const UserError& error) {
        QVERIFY2(error.text().contains(device), qPrintable(error.text()));
        QVERIFY2(error.text().contains(reason), qPrintable(error.text()));
    }
    QVERIFY(!m_port->connected());
    QVERIFY(!afterOpenRan);
}

void SerialPortTest::writeDeliversEveryByteBeforeReturning()
{
    m_port->open();
    QByteArray command = "ATDT ";
    command += QByteArray(200, '5');
    command += "\r\n";
    m_port->write(command);

    // The event loop does not run again: the bytes reach the far end because
    // write() handed every one of them to the device before returning.
    QVERIFY(m_modem->waitForReceived(command.size()));
    QCOMPARE(m_modem->received(), command);
}

void SerialPortTest::closeRightAfterWriteLosesNothing()
{
    // Talk followed at once by Cancel: the hang-up command must still go out.
    m_port->open();
    m_port->write("ATH\r\n");
    m_port->close();

    QVERIFY(m_modem->waitForReceived(5));
    QCOMPARE(m_modem->receivedWhenQuiet(), QByteArray("ATH\r\n"));
}

void SerialPortTest::writeWhenClosedFails()
{
    try {
        m_port->write("ATH\r\n");
        QFAIL("write() on a closed port succeeded");
    } catch (const UserError& error) {
        QVERIFY2(error.text().contains(m_pty->devicePath()), qPrintable(error.text()));
        QVERIFY2(error.text().contains(QLatin1String("not open")), qPrintable(error.text()));
    }
    QCOMPARE(m_modem->receivedWhenQuiet(), QByteArray());
}

void SerialPortTest::receivedBytes_data()
{
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QByteArray>("read");

    QTest::newRow("reply line") << QByteArray("\r\nOK\r\n") << QByteArray("\r\nOK\r\n");
    QTest::newRow("NUL bytes dropped") << QByteArray("\0BU\0SY\0", 7) << QByteArray("BUSY");
    QTest::newRow("other bytes kept") << QByteArray("\xff\x01\x7f", 3) << QByteArray("\xff\x01\x7f", 3);
}

void SerialPortTest::receivedBytes()
{
    QFETCH(QByteArray, sent);
    QFETCH(QByteArray, read);

    m_port->open();
    QSignalSpy rx(m_port.get(), &SerialPort::rxChar);
    QThread* notifiedOn = nullptr;
    connect(m_port.get(), &SerialPort::rxChar, this, [&] { notifiedOn = QThread::currentThread(); });
    m_modem->send(sent);

    QVERIFY(rx.wait());
    QCOMPARE(rx.count(), 1);
    QCOMPARE(rx.at(0).at(0).toInt(), read.size());
    QCOMPARE(notifiedOn, QCoreApplication::instance()->thread());
    QCOMPARE(m_port->read(rx.at(0).at(0).toInt()), read);
}

void SerialPortTest::readTakesNoMoreThanAsked()
{
    m_port->open();
    QSignalSpy rx(m_port.get(), &SerialPort::rxChar);
    m_modem->send("OK\r\n");
    QVERIFY(rx.wait());

    QCOMPARE(m_port->read(2), QByteArray("OK"));
    QCOMPARE(m_port->read(10), QByteArray("\r\n"));
    QCOMPARE(m_port->read(10), QByteArray());
}

void SerialPortTest::nulBytesAloneRaiseNoNotification()
{
    m_port->open();
    QSignalSpy rx(m_port.get(), &SerialPort::rxChar);
    m_modem->send(QByteArray(4, '\0'));
    QVERIFY(m_pty->waitForPendingInput(4));
    QTRY_COMPARE(m_pty->pendingInput(), 0);
    QCoreApplication::processEvents();
    QCOMPARE(rx.count(), 0);

    m_modem->send("OK");
    QVERIFY(rx.wait());
    QCOMPARE(m_port->read(rx.at(0).at(0).toInt()), QByteArray("OK"));
}

void SerialPortTest::notificationNeverRunsInsideWrite()
{
    m_port->open();
    QSignalSpy rx(m_port.get(), &SerialPort::rxChar);
    bool writing = false;
    bool nested = false;
    connect(m_port.get(), &SerialPort::rxChar, this, [&] { nested = nested || writing; });
    m_modem->send("BUSY\r\n");
    QVERIFY(m_pty->waitForPendingInput(6));

    // The reply is waiting while the next write goes out.
    writing = true;
    m_port->write("ATH\r\n");
    writing = false;
    QTRY_COMPARE(rx.count(), 1);
    QVERIFY(!nested);
}

void SerialPortTest::closeAbandonsUnreadBytes()
{
    m_port->open();
    QSignalSpy rx(m_port.get(), &SerialPort::rxChar);
    m_modem->send("BUSY\r\n");
    QVERIFY(rx.wait());
    // A second reply still in the device's queue when the port closes.
    m_modem->send("BUSY\r\n");
    QVERIFY(m_pty->waitForPendingInput(6));
    m_port->close();
    m_port->open();

    QCOMPARE(m_port->read(100), QByteArray());
    m_modem->send("OK");
    QVERIFY(rx.wait());
    QCOMPARE(m_port->read(100), QByteArray("OK"));
}

void SerialPortTest::vanishedDeviceFailsOnceAndCloses()
{
    m_port->open();
    QSignalSpy failed(m_port.get(), &SerialPort::failed);
    m_modem->unplug();

    QVERIFY(failed.wait());
    QVERIFY(!m_port->connected());
    // The closed port no longer watches the dead device: nothing repeats.
    QTest::qWait(100);
    QCOMPARE(failed.count(), 1);
    const QString text = failed.at(0).at(0).toString();
    QVERIFY2(text.contains(m_pty->devicePath()), qPrintable(text));
}

void SerialPortTest::reopenAfterVanishedDeviceFails()
{
    m_port->open();
    QSignalSpy failed(m_port.get(), &SerialPort::failed);
    m_modem->unplug();
    QVERIFY(failed.wait());

    QVERIFY_THROWS_EXCEPTION(UserError, m_port->open());
    QVERIFY_THROWS_EXCEPTION(UserError, m_port->write("ATH\r\n"));
    m_port->close();
    QVERIFY(!m_port->connected());
}

QTEST_GUILESS_MAIN(SerialPortTest)
#include "SerialPortTest.moc"
