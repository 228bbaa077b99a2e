#include "ModemProbe.h"

#include "DeviceIsFree.h"
#include "PtyPair.h"
#include "ScriptedLinesProbe.h"
#include "SerialPort.h"

#include <QTest>

// The readiness probe on real devices: what it reports, and that it always
// lets go of the device before returning.
class ModemProbeTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void reportsLines_data();
    void reportsLines();
    void missingDeviceCannotOpen();
    void heldDeviceCannotOpen();
    void deviceWithoutModemLines();
};

void ModemProbeTest::reportsLines_data()
{
    QTest::addColumn<bool>("cts");
    QTest::addColumn<bool>("dsr");

    QTest::newRow("CTS only") << true << false;
    QTest::newRow("DSR only") << false << true;
    QTest::newRow("both") << true << true;
    QTest::newRow("neither") << false << false;
}

void ModemProbeTest::reportsLines()
{
    QFETCH(bool, cts);
    QFETCH(bool, dsr);
    PtyPair pty;
    QVERIFY2(pty.isValid(), qPrintable(pty.errorString()));
    ScriptedLinesProbe probe;
    probe.lines = ModemLines { cts, dsr };

    const ModemStatus status = probe.probe(pty.devicePath());

    QCOMPARE(status.failure, ModemStatus::Failure::None);
    QCOMPARE(status.lines.cts, cts);
    QCOMPARE(status.lines.dsr, dsr);
    QVERIFY(deviceIsFree(pty.devicePath()));
}

void ModemProbeTest::missingDeviceCannotOpen()
{
    ScriptedLinesProbe probe;
    probe.lines = ModemLines { true, true };
    QCOMPARE(probe.probe(QStringLiteral("/dev/nonexistent-modem")).failure, ModemStatus::Failure::CannotOpen);
}

void ModemProbeTest::heldDeviceCannotOpen()
{
    PtyPair pty;
    QVERIFY2(pty.isValid(), qPrintable(pty.errorString()));
    // Another dialling session, in this program or another copy of it.
    SerialPort session;
    session.setPortName(pty.devicePath());
    session.open();
    ScriptedLinesProbe probe;
    probe.lines = ModemLines { true, true };

    QCOMPARE(probe.probe(pty.devicePath()).failure, ModemStatus::Failure::CannotOpen);
    QVERIFY(session.connected());
}

void ModemProbeTest::deviceWithoutModemLines()
{
    PtyPair pty;
    QVERIFY2(pty.isValid(), qPrintable(pty.errorString()));
    // The production read of the lines: a pseudo-terminal refuses it.
    SerialModemProbe probe;

    QCOMPARE(probe.probe(pty.devicePath()).failure, ModemStatus::Failure::LinesUnreadable);
    QVERIFY(deviceIsFree(pty.devicePath()));
}

QTEST_GUILESS_MAIN(ModemProbeTest)
#include "ModemProbeTest.moc"
