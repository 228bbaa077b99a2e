#include "DialableNumber.h"
#include "SerialDeviceName.h"

#include <QTest>

// The pure rules of a dial: which characters of a phone field are dialled,
// and which device a port setting names.
class DialerNumberTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void dialableNumber_data();
    void dialableNumber();
    void serialDeviceName_data();
    void serialDeviceName();
};

void DialerNumberTest::dialableNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("number");

    QTest::newRow("digits only") << "5551234"
                                 << "5551234";
    QTest::newRow("international with brackets, blanks and hyphens") << "+1 (555) 123-45-67"
                                                                     << "15551234567";
    QTest::newRow("comma keeps its place") << "9,5551234"
                                           << "9,5551234";
    QTest::newRow("commas only") << ",,,"
                                 << ",,,";
    QTest::newRow("dots and slashes dropped") << "555.123/4"
                                              << "5551234";
    QTest::newRow("extension letters dropped") << "555-1234 ext 12"
                                               << "555123412";
    QTest::newRow("letters only") << "call me"
                                  << "";
    QTest::newRow("blanks only") << "   "
                                 << "";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("semicolon and hash are not dialled") << "*555#;1"
                                                        << "5551";
    QTest::newRow("digits of other scripts are not dialled")
        << QString::fromUtf8("\u0661\u0662 3 \uff14") << "3";
}

void DialerNumberTest::dialableNumber()
{
    QFETCH(QString, text);
    QFETCH(QString, number);
    QCOMPARE(::dialableNumber(text), number);
}

void DialerNumberTest::serialDeviceName_data()
{
    QTest::addColumn<QString>("portName");
    QTest::addColumn<QString>("device");

    QTest::newRow("COM1") << "COM1"
                          << "/dev/ttyS0";
    QTest::newRow("COM2") << "COM2"
                          << "/dev/ttyS1";
    QTest::newRow("lower case") << "com3"
                                << "/dev/ttyS2";
    QTest::newRow("mixed case") << "Com4"
                                << "/dev/ttyS3";
    QTest::newRow("last port") << "COM96"
                               << "/dev/ttyS95";
    QTest::newRow("number alone") << "7"
                                  << "/dev/ttyS6";
    QTest::newRow("leading zero") << "COM05"
                                  << "/dev/ttyS4";
    QTest::newRow("full path as it stands") << "/dev/ttyUSB0"
                                            << "/dev/ttyUSB0";
    QTest::newRow("pseudo-terminal path") << "/dev/pts/12"
                                          << "/dev/pts/12";
    QTest::newRow("beyond the last port") << "COM97"
                                          << "/dev/ttyS0";
    QTest::newRow("port zero") << "COM0"
                               << "/dev/ttyS0";
    QTest::newRow("three digits") << "COM100"
                                  << "/dev/ttyS0";
    QTest::newRow("letters without number") << "COM"
                                            << "/dev/ttyS0";
    QTest::newRow("blank inside") << "COM 2"
                                  << "/dev/ttyS0";
    QTest::newRow("device name without path") << "ttyUSB0"
                                              << "/dev/ttyS0";
    QTest::newRow("empty") << ""
                           << "/dev/ttyS0";
}

void DialerNumberTest::serialDeviceName()
{
#ifdef Q_OS_WIN
    QSKIP("The device names of this table are those of Linux.");
#endif
    QFETCH(QString, portName);
    QFETCH(QString, device);
    QCOMPARE(::serialDeviceName(portName), device);
}

QTEST_GUILESS_MAIN(DialerNumberTest)
#include "DialerNumberTest.moc"
