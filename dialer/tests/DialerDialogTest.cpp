#include "BlinkLabel.h"
#include "DeviceIsFree.h"
#include "DialRequest.h"
#include "DialSettings.h"
#include "FakeMessages.h"
#include "FakeModem.h"
#include "PtyPair.h"
#include "ScriptedLinesProbe.h"
#include "SerialPort.h"
#include "TfrmDialer.h"
#include "UserError.h"

#include <QCheckBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <memory>

namespace {

class FakeDialSettings final : public DialSettings
{
public:
    std::optional<QString> port() const override
    {
        ++reads;
        if (failing)
            throw UserError(QStringLiteral("Invalid data type for 'Port'"));
        return portValue;
    }
    std::optional<int> dialMode() const override
    {
        ++reads;
        return modeValue;
    }

    std::optional<QString> portValue;
    std::optional<int> modeValue;
    bool failing = false;
    mutable int reads = 0;
};

// A probe that touches no device and reports what it is told.
class RecordingProbe final : public ModemProbe
{
public:
    ModemStatus probe(const QString& device) override
    {
        probed.append(device);
        return result;
    }

    ModemStatus result { ModemStatus::Failure::None, { true, true } };
    QStringList probed;
};

enum class ProbeCase
{
    CtsOnly,
    DsrOnly,
    Neither,
    LinesUnreadable,
    DeviceMissing,
    DeviceHeld
};

// Runs a timer's handlers as its expiry would, without waiting for it.
bool fire(QTimer* timer)
{
    return timer && timer->isActive() && QMetaObject::invokeMethod(timer, "timeout");
}

const QByteArray kBusy = QByteArrayLiteral("\r\nBUSY\r\n");

} // namespace

// Compares everything the modem has received with expected, once that many
// bytes have reached it.
#define COMPARE_SENT(expected)                                                                               \
    do {                                                                                                     \
        const QByteArray expectedBytes = (expected);                                                         \
        m_modem->waitForReceived(expectedBytes.size());                                                      \
        QCOMPARE(m_modem->received(), expectedBytes);                                                        \
    } while (false)

Q_DECLARE_METATYPE(ProbeCase)

// The dial request and the dialler dialog over a real pseudo-terminal, with a
// fake modem at its far end and the readiness probe's modem lines scripted.
class DialerDialogTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void invalidNumberTouchesNothing_data();
    void invalidNumberTouchesNothing();
    void probeDecides_data();
    void probeDecides();
    void absentPortProbesFirstPort();
    void unreadableSettingsReported();
    void dialCommand_data();
    void dialCommand();
    void dialogWindow();
    void dialogTexts_data();
    void dialogTexts();
    void blinkingWhileDialling();
    void busyRecognition_data();
    void busyRecognition();
    void redialAfterBusy();
    void endlessRedials();
    void busyWithRedialClearedWaits();
    void clearingBoxKeepsArmedRedial();
    void recheckingBoxRedials_data();
    void recheckingBoxRedials();
    void secondRequestWhileOpen();
    void newDialogAfterClose();
    void talkHandsOverToHandset();
    void busyAfterTalkIsSteadyRed();
    void cancelAfterTalkSendsNothing();
    void cancelDisarmsRedial();
    void escapeCancels();
    void portTakenBeforeShowing();
    void deviceVanishesMidSession();
    void redialAfterDeviceVanished();
    void endingRequestReleasesPort();

private:
    TfrmDialer* dialog() const { return m_request->dialog(); }
    BlinkLabel* laPhone() const { return dialog()->findChild<BlinkLabel*>(QStringLiteral("laPhone")); }
    QCheckBox* cbRedial() const { return dialog()->findChild<QCheckBox*>(QStringLiteral("cbRedial")); }
    QPushButton* btTalk() const { return dialog()->findChild<QPushButton*>(QStringLiteral("btTalk")); }
    QPushButton* btCancel() const { return dialog()->findChild<QPushButton*>(QStringLiteral("btCancel")); }
    QTimer* redialTimer() const { return dialog()->findChild<QTimer*>(QStringLiteral("Timer1")); }
    SerialPort* comPort() const { return dialog()->findChild<SerialPort*>(QStringLiteral("ComPort")); }

    // Sends a chunk from the modem and waits until the dialog has handled it.
    bool receive(const QByteArray& chunk);
    bool dial(const QString& text = QStringLiteral("555-1234"));
    bool inDialing(const QString& number) const;
    bool inBusy() const;

    std::unique_ptr<FakeMessages> m_messages;
    std::unique_ptr<PtyPair> m_pty;
    std::unique_ptr<FakeModem> m_modem;
    FakeDialSettings m_settings;
    ScriptedLinesProbe m_probe;
    std::unique_ptr<DialRequest> m_request;
};

void DialerDialogTest::init()
{
    m_messages = std::make_unique<FakeMessages>();
    m_pty = std::make_unique<PtyPair>();
    QVERIFY2(m_pty->isValid(), qPrintable(m_pty->errorString()));
    m_modem = std::make_unique<FakeModem>(*m_pty);
    m_settings = FakeDialSettings();
    m_settings.portValue = m_pty->devicePath();
    m_probe.lines = ModemLines { true, false };
    m_probe.probed.clear();
    m_request = std::make_unique<DialRequest>(m_settings, m_probe, nullptr);
}

void DialerDialogTest::cleanup()
{
    m_request.reset();
    // Lets deferred deletions of closed dialogs run while the line exists.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    m_modem.reset();
    m_pty.reset();
    m_messages.reset();
}

bool DialerDialogTest::receive(const QByteArray& chunk)
{
    QSignalSpy rx(comPort(), &SerialPort::rxChar);
    m_modem->send(chunk);
    return rx.wait();
}

bool DialerDialogTest::dial(const QString& text)
{
    m_request->dialPhone(text);
    if (!m_messages->texts().isEmpty())
        qWarning("Shown: %s", qPrintable(m_messages->texts().join(u'|')));
    return dialog() && dialog()->isVisible() && m_messages->texts().isEmpty();
}

bool DialerDialogTest::inDialing(const QString& number) const
{
    return laPhone()->text() == QStringLiteral("Dialing ") + number && laPhone()->isBlinking()
        && laPhone()->blinkColor() == QColor(Qt::blue) && btTalk()->isEnabled();
}

bool DialerDialogTest::inBusy() const
{
    return laPhone()->text() == QLatin1String("BUSY") && laPhone()->blinkColor() == QColor(Qt::red)
        && !btTalk()->isEnabled();
}

void DialerDialogTest::invalidNumberTouchesNothing_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("letters only") << "Reception";
    QTest::newRow("blanks only") << "   ";
    QTest::newRow("empty") << "";
    QTest::newRow("signs without digits") << "+() -";
}

void DialerDialogTest::invalidNumberTouchesNothing()
{
    QFETCH(QString, text);
    m_request->dialPhone(text);

    QCOMPARE(m_messages->shown().size(), 1);
    QCOMPARE(m_messages->shown().at(0).kind, QStringLiteral("message"));
    QCOMPARE(m_messages->shown().at(0).text, QStringLiteral("Invalid phone number."));
    QCOMPARE(m_settings.reads, 0);
    QVERIFY(m_probe.probed.isEmpty());
    QVERIFY(!dialog());
    QVERIFY(m_request->phoneToDial().isEmpty());
}

void DialerDialogTest::probeDecides_data()
{
    QTest::addColumn<ProbeCase>("probeCase");
    QTest::addColumn<QString>("message");

    QTest::newRow("CTS only is ready") << ProbeCase::CtsOnly << "";
    QTest::newRow("DSR only is ready") << ProbeCase::DsrOnly << "";
    QTest::newRow("neither") << ProbeCase::Neither << "Modem is not ready.";
    QTest::newRow("status unreadable") << ProbeCase::LinesUnreadable << "Unable to get your modem status.";
    QTest::newRow("device missing") << ProbeCase::DeviceMissing << "Unable to open /dev/nonexistent-modem";
    QTest::newRow("device held") << ProbeCase::DeviceHeld << "Unable to open %1";
}

void DialerDialogTest::probeDecides()
{
    QFETCH(ProbeCase, probeCase);
    QFETCH(QString, message);

    SerialPort otherSession;
    switch (probeCase) {
    case ProbeCase::CtsOnly:
        m_probe.lines = ModemLines { true, false };
        break;
    case ProbeCase::DsrOnly:
        m_probe.lines = ModemLines { false, true };
        break;
    case ProbeCase::Neither:
        m_probe.lines = ModemLines { false, false };
        break;
    case ProbeCase::LinesUnreadable:
        // A pseudo-terminal really has no modem lines to read.
        m_probe.lines.reset();
        break;
    case ProbeCase::DeviceMissing:
        m_settings.portValue = QStringLiteral("/dev/nonexistent-modem");
        break;
    case ProbeCase::DeviceHeld:
        otherSession.setPortName(m_pty->devicePath());
        otherSession.open();
        message = message.arg(m_pty->devicePath());
        break;
    }

    m_request->dialPhone(QStringLiteral("555-1234"));

    QCOMPARE(m_probe.probed.size(), 1);
    QCOMPARE(m_request->phoneToDial(), QStringLiteral("5551234"));
    if (message.isEmpty()) {
        QVERIFY2(m_messages->shown().isEmpty(), qPrintable(m_messages->texts().join(u'|')));
        QVERIFY(dialog());
        QVERIFY(dialog()->isVisible());
        // The probe let go of the device before the dialog opened it.
        QVERIFY(comPort()->connected());
        COMPARE_SENT("ATDP 5551234\r\n");
    } else {
        QCOMPARE(m_messages->shown().size(), 1);
        QCOMPARE(m_messages->shown().at(0).kind, QStringLiteral("message"));
        QCOMPARE(m_messages->shown().at(0).text, message);
        QVERIFY(!dialog());
        QCOMPARE(m_modem->receivedWhenQuiet(), QByteArray());
    }
}

void DialerDialogTest::absentPortProbesFirstPort()
{
    RecordingProbe probe;
    probe.result = { ModemStatus::Failure::CannotOpen, {} };
    m_settings.portValue.reset();
    DialRequest request(m_settings, probe, nullptr);

    request.dialPhone(QStringLiteral("5551234"));

    QCOMPARE(probe.probed, QStringList { QStringLiteral("/dev/ttyS0") });
    QCOMPARE(m_messages->texts(), QStringList { QStringLiteral("Unable to open COM1") });
}

void DialerDialogTest::unreadableSettingsReported()
{
    m_settings.failing = true;
    m_request->dialPhone(QStringLiteral("5551234"));

    QCOMPARE(m_messages->errors(), QStringList { QStringLiteral("Invalid data type for 'Port'") });
    QVERIFY(m_probe.probed.isEmpty());
    QVERIFY(!dialog());
}

void DialerDialogTest::dialCommand_data()
{
    QTest::addColumn<QVariant>("mode");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("sent");

    QTest::newRow("no mode setting dials pulse")
        << QVariant() << "555-1234" << QByteArray("ATDP 5551234\r\n");
    QTest::newRow("pulse") << QVariant(0) << "(555) 12 34" << QByteArray("ATDP 5551234\r\n");
    QTest::newRow("tone") << QVariant(1) << "123" << QByteArray::fromHex("41544454203132330d0a");
    QTest::newRow("tone, commas only") << QVariant(1) << ",,," << QByteArray("ATDT ,,,\r\n");
    QTest::newRow("tone, pause after prefix")
        << QVariant(1) << "9, 555-1234" << QByteArray("ATDT 9,5551234\r\n");
    QTest::newRow("no method chosen") << QVariant(-1) << "5551234" << QByteArray();
    QTest::newRow("unknown method") << QVariant(2) << "5551234" << QByteArray();
}

void DialerDialogTest::dialCommand()
{
    QFETCH(QVariant, mode);
    QFETCH(QString, text);
    QFETCH(QByteArray, sent);
    if (mode.isValid())
        m_settings.modeValue = mode.toInt();

    QVERIFY(dial(text));

    if (sent.isEmpty())
        QCOMPARE(m_modem->receivedWhenQuiet(), sent);
    else
        COMPARE_SENT(sent);
    QVERIFY(inDialing(m_request->phoneToDial()));
    QVERIFY(comPort()->connected());
}

void DialerDialogTest::dialogWindow()
{
    QVERIFY(dial());
    TfrmDialer* window = dialog();

    QCOMPARE(window->windowTitle(), QStringLiteral("  Connecting..."));
    QVERIFY(!window->isModal());
    const Qt::WindowFlags flags = window->windowFlags();
    QVERIFY(flags.testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(!flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowSystemMenuHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowContextHelpButtonHint));
    const QPoint screenCentre = window->screen()->availableGeometry().center();
    QVERIFY((window->frameGeometry().center() - screenCentre).manhattanLength() <= 2);

    QVERIFY(laPhone()->font().bold());
    QCOMPARE(laPhone()->font().pixelSize(), 13);
    QCOMPARE(laPhone()->fontColor(), QColor(Qt::white));
    QVERIFY(cbRedial()->font().bold());
    QVERIFY(dialog()->findChild<QWidget*>(QStringLiteral("Toolbar"))->isAncestorOf(btTalk()));
    QVERIFY(dialog()->findChild<QWidget*>(QStringLiteral("Toolbar"))->isAncestorOf(btCancel()));
}

void DialerDialogTest::dialogTexts_data()
{
    QTest::addColumn<QString>("object");
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QVariant>("value");

    QTest::newRow("redial box") << "cbRedial" << QByteArray("text") << QVariant("Redial if busy");
    QTest::newRow("redial box checked") << "cbRedial" << QByteArray("checked") << QVariant(true);
    QTest::newRow("talk") << "btTalk" << QByteArray("text") << QVariant("Talk");
    QTest::newRow("talk hint") << "btTalk" << QByteArray("toolTip")
                               << QVariant("Lift the receiver and click to talk");
    QTest::newRow("cancel") << "btCancel" << QByteArray("text") << QVariant("Cancel");
    QTest::newRow("cancel hint") << "btCancel" << QByteArray("toolTip")
                                 << QVariant("Click to disconnect and replace the receiver");
    QTest::newRow("redial interval") << "Timer1" << QByteArray("interval") << QVariant(2000);
    QTest::newRow("redial once per arming") << "Timer1" << QByteArray("singleShot") << QVariant(true);
    QTest::newRow("redial not armed") << "Timer1" << QByteArray("active") << QVariant(false);
    QTest::newRow("blink phase") << "blinkTimer" << QByteArray("interval") << QVariant(700);
}

void DialerDialogTest::dialogTexts()
{
    QFETCH(QString, object);
    QFETCH(QByteArray, property);
    QFETCH(QVariant, value);
    QVERIFY(dial());

    const QObject* child = dialog()->findChild<QObject*>(object);
    QVERIFY(child);
    QCOMPARE(child->property(property.constData()), value);
}

void DialerDialogTest::blinkingWhileDialling()
{
    QVERIFY(dial());
    auto* phase = laPhone()->findChild<QTimer*>(QStringLiteral("blinkTimer"));

    QCOMPARE(laPhone()->shownColor(), QColor(Qt::white));
    QVERIFY(fire(phase));
    QCOMPARE(laPhone()->shownColor(), QColor(Qt::blue));
    QVERIFY(fire(phase));
    QCOMPARE(laPhone()->shownColor(), QColor(Qt::white));
    QCOMPARE(laPhone()->palette().color(laPhone()->foregroundRole()), QColor(Qt::white));

    QVERIFY(receive(kBusy));
    QVERIFY(fire(phase));
    QCOMPARE(laPhone()->shownColor(), QColor(Qt::red));
    QCOMPARE(laPhone()->palette().color(laPhone()->foregroundRole()), QColor(Qt::red));
}

void DialerDialogTest::busyRecognition_data()
{
    QTest::addColumn<QList<QByteArray>>("chunks");
    QTest::addColumn<bool>("busy");

    QTest::newRow("reply line") << QList<QByteArray> { kBusy } << true;
    QTest::newRow("bare word") << QList<QByteArray> { "BUSY" } << true;
    QTest::newRow("inside a longer line") << QList<QByteArray> { "\r\nLINE BUSY, TRY LATER\r\n" } << true;
    QTest::newRow("NUL bytes inside") << QList<QByteArray> { QByteArray("BU\0\0SY", 6) } << true;
    QTest::newRow("after other replies") << QList<QByteArray> { "\r\nOK\r\n", kBusy } << true;
    QTest::newRow("split over two chunks") << QList<QByteArray> { "\r\nBU", "SY\r\n" } << false;
    QTest::newRow("split before last letter") << QList<QByteArray> { "BUS", "Y" } << false;
    QTest::newRow("lower case") << QList<QByteArray> { "\r\nbusy\r\n" } << false;
    QTest::newRow("capitalised") << QList<QByteArray> { "\r\nBusy\r\n" } << false;
    QTest::newRow("OK") << QList<QByteArray> { "\r\nOK\r\n" } << false;
    QTest::newRow("NO CARRIER") << QList<QByteArray> { "\r\nNO CARRIER\r\n" } << false;
    QTest::newRow("garbage") << QList<QByteArray> { QByteArray("\xff\xfe\x01\x80", 4) } << false;
}

void DialerDialogTest::busyRecognition()
{
    QFETCH(QList<QByteArray>, chunks);
    QFETCH(bool, busy);
    QVERIFY(dial());

    for (const QByteArray& chunk : chunks)
        QVERIFY(receive(chunk));

    QCOMPARE(inBusy(), busy);
    QCOMPARE(inDialing(QStringLiteral("5551234")), !busy);
    QCOMPARE(redialTimer()->isActive(), busy);
    // Replies are read, never answered.
    QCOMPARE(m_modem->receivedWhenQuiet(), QByteArray("ATDP 5551234\r\n"));
}

void DialerDialogTest::redialAfterBusy()
{
    m_settings.modeValue = 1;
    QVERIFY(dial());
    QVERIFY(receive(kBusy));
    QVERIFY(inBusy());

    QVERIFY(fire(redialTimer()));

    QVERIFY(!redialTimer()->isActive());
    QVERIFY(m_modem->waitForCommands(2));
    QCOMPARE(m_modem->commands(), (QList<QByteArray> { "ATDT 5551234\r\n", "ATDT 5551234\r\n" }));
    QVERIFY(inDialing(QStringLiteral("5551234")));
    QVERIFY(m_messages->shown().isEmpty());
}

void DialerDialogTest::endlessRedials()
{
    constexpr int kAttempts = 8;
    m_modem->setReplies(QList<QByteArray>(kAttempts, kBusy));
    QVERIFY(dial());

    for (int attempt = 1; attempt < kAttempts; ++attempt) {
        QTRY_VERIFY(redialTimer()->isActive());
        QVERIFY(inBusy());
        QVERIFY(fire(redialTimer()));
        QVERIFY(m_modem->waitForCommands(attempt + 1));
        QCOMPARE(m_modem->commands().size(), attempt + 1);
    }
    QTRY_VERIFY(redialTimer()->isActive());
    QCOMPARE(m_modem->commands(), QList<QByteArray>(kAttempts, "ATDP 5551234\r\n"));
}

void DialerDialogTest::busyWithRedialClearedWaits()
{
    QVERIFY(dial());
    cbRedial()->click();
    QVERIFY(!cbRedial()->isChecked());

    QVERIFY(receive(kBusy));
    QVERIFY(inBusy());
    QVERIFY(!redialTimer()->isActive());

    cbRedial()->click();
    QVERIFY(fire(redialTimer()));
    QVERIFY(m_modem->waitForCommands(2));
    QCOMPARE(m_modem->commands().size(), 2);
    QVERIFY(inDialing(QStringLiteral("5551234")));
}

void DialerDialogTest::clearingBoxKeepsArmedRedial()
{
    QVERIFY(dial());
    QVERIFY(receive(kBusy));
    QVERIFY(redialTimer()->isActive());

    cbRedial()->click();
    QVERIFY(!cbRedial()->isChecked());

    QVERIFY(fire(redialTimer()));
    QVERIFY(m_modem->waitForCommands(2));
    QCOMPARE(m_modem->commands().size(), 2);
    // The box stays cleared, so the next "BUSY" is final.
    QVERIFY(receive(kBusy));
    QVERIFY(inBusy());
    QVERIFY(!redialTimer()->isActive());
}

void DialerDialogTest::recheckingBoxRedials_data()
{
    QTest::addColumn<bool>("talkFirst");
    QTest::newRow("while dialling") << false;
    QTest::newRow("while talking") << true;
}

void DialerDialogTest::recheckingBoxRedials()
{
    QFETCH(bool, talkFirst);
    QVERIFY(dial());
    if (talkFirst)
        QTest::mouseClick(btTalk(), Qt::LeftButton);

    cbRedial()->click();
    QVERIFY(!redialTimer()->isActive());
    cbRedial()->click();
    QVERIFY(fire(redialTimer()));

    QByteArray expected = "ATDP 5551234\r\n";
    if (talkFirst)
        expected += "ATH\r\n";
    expected += "ATDP 5551234\r\n";
    COMPARE_SENT(expected);
    QVERIFY(inDialing(QStringLiteral("5551234")));
}

void DialerDialogTest::secondRequestWhileOpen()
{
    QVERIFY(dial(QStringLiteral("555-1234")));
    TfrmDialer* first = dialog();

    m_request->dialPhone(QStringLiteral("+1 (777) 888"));

    QCOMPARE(dialog(), first);
    QCOMPARE(m_probe.probed.size(), 1);
    QVERIFY(m_messages->shown().isEmpty());
    QCOMPARE(m_request->phoneToDial(), QStringLiteral("1777888"));
    QCOMPARE(m_modem->receivedWhenQuiet(), QByteArray("ATDP 5551234\r\n"));
    QCOMPARE(laPhone()->text(), QStringLiteral("Dialing 5551234"));

    // An invalid request changes nothing of the open session.
    m_request->dialPhone(QStringLiteral("n/a"));
    QCOMPARE(m_messages->texts(), QStringList { QStringLiteral("Invalid phone number.") });
    QCOMPARE(m_request->phoneToDial(), QStringLiteral("1777888"));

    QVERIFY(receive(kBusy));
    QVERIFY(fire(redialTimer()));
    QVERIFY(m_modem->waitForCommands(2));
    QCOMPARE(m_modem->commands(), (QList<QByteArray> { "ATDP 5551234\r\n", "ATDP 1777888\r\n" }));
    QVERIFY(inDialing(QStringLiteral("1777888")));
}

void DialerDialogTest::newDialogAfterClose()
{
    QVERIFY(dial());
    QPointer<TfrmDialer> first = dialog();
    cbRedial()->click();
    QTest::mouseClick(btCancel(), Qt::LeftButton);
    QVERIFY(!m_request->dialog());
    QTRY_VERIFY(first.isNull());

    // Settings are read afresh for the new session.
    m_settings.modeValue = 1;
    QVERIFY(dial(QStringLiteral("42")));

    QCOMPARE(m_probe.probed.size(), 2);
    QVERIFY(cbRedial()->isChecked());
    QVERIFY(m_modem->waitForCommands(2));
    QCOMPARE(m_modem->commands(), (QList<QByteArray> { "ATDP 5551234\r\n", "ATDT 42\r\n" }));
}

void DialerDialogTest::talkHandsOverToHandset()
{
    QVERIFY(dial());
    QTest::mouseClick(btTalk(), Qt::LeftButton);

    COMPARE_SENT(QByteArray("ATDP 5551234\r\n") + QByteArray::fromHex("4154480d0a"));
    QVERIFY(!btTalk()->isEnabled());
    QCOMPARE(laPhone()->text(), QStringLiteral("Talking..."));
    QVERIFY(!laPhone()->isBlinking());
    QCOMPARE(laPhone()->shownColor(), QColor(Qt::blue));
    QVERIFY(comPort()->connected());
    QVERIFY(m_messages->shown().isEmpty());
}

void DialerDialogTest::busyAfterTalkIsSteadyRed()
{
    QVERIFY(dial());
    QTest::mouseClick(btTalk(), Qt::LeftButton);

    QVERIFY(receive(kBusy));

    QVERIFY(inBusy());
    QVERIFY(!laPhone()->isBlinking());
    QCOMPARE(laPhone()->shownColor(), QColor(Qt::red));
    QVERIFY(redialTimer()->isActive());
}

void DialerDialogTest::cancelAfterTalkSendsNothing()
{
    QVERIFY(dial());
    QPointer<TfrmDialer> window = dialog();
    QTest::mouseClick(btTalk(), Qt::LeftButton);
    const QByteArray beforeCancel = "ATDP 5551234\r\nATH\r\n";
    COMPARE_SENT(beforeCancel);

    QTest::mouseClick(btCancel(), Qt::LeftButton);

    QCOMPARE(m_modem->receivedWhenQuiet(), beforeCancel);
    QVERIFY(deviceIsFree(m_pty->devicePath()));
    QVERIFY(!m_request->dialog());
    QTRY_VERIFY(window.isNull());
    QVERIFY(m_messages->shown().isEmpty());
}

void DialerDialogTest::cancelDisarmsRedial()
{
    QVERIFY(dial());
    QVERIFY(receive(kBusy));
    QPointer<QTimer> timer = redialTimer();
    QVERIFY(timer->isActive());

    QTest::mouseClick(btCancel(), Qt::LeftButton);

    // Until its deletion runs, the closed dialog must not redial.
    QVERIFY(timer && !timer->isActive());
    QTRY_VERIFY(timer.isNull());
    QCOMPARE(m_modem->receivedWhenQuiet(), QByteArray("ATDP 5551234\r\n"));
}

void DialerDialogTest::escapeCancels()
{
    QVERIFY(dial());
    QPointer<TfrmDialer> window = dialog();

    QTest::keyClick(window, Qt::Key_Escape);

    QVERIFY(!m_request->dialog());
    QVERIFY(deviceIsFree(m_pty->devicePath()));
    QTRY_VERIFY(window.isNull());
    QCOMPARE(m_modem->receivedWhenQuiet(), QByteArray("ATDP 5551234\r\n"));
}

void DialerDialogTest::portTakenBeforeShowing()
{
    // The device is taken between the probe and the dialog's own opening.
    RecordingProbe probe;
    DialRequest request(m_settings, probe, nullptr);
    SerialPort otherSession;
    otherSession.setPortName(m_pty->devicePath());
    otherSession.open();

    request.dialPhone(QStringLiteral("5551234"));

    QPointer<TfrmDialer> window = request.dialog();
    QVERIFY(window && window->isVisible());
    QCOMPARE(m_messages->errors().size(), 1);
    QVERIFY2(m_messages->errors().at(0).contains(m_pty->devicePath()),
             qPrintable(m_messages->errors().at(0)));
    auto* phone = window->findChild<BlinkLabel*>(QStringLiteral("laPhone"));
    auto* talk = window->findChild<QPushButton*>(QStringLiteral("btTalk"));
    QCOMPARE(phone->text(), QStringLiteral("Dialing 5551234"));
    QVERIFY(!phone->isBlinking());
    QCOMPARE(phone->shownColor(), QColor(Qt::white));
    QVERIFY(talk->isEnabled());

    // Talk has no open port to write to: it says so and stays available.
    QTest::mouseClick(talk, Qt::LeftButton);
    QCOMPARE(m_messages->errors().size(), 2);
    QCOMPARE(phone->text(), QStringLiteral("Talking..."));
    QVERIFY(!phone->isBlinking());
    QVERIFY(talk->isEnabled());

    QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("btCancel")), Qt::LeftButton);
    QVERIFY(!request.dialog());
    QTRY_VERIFY(window.isNull());
    QCOMPARE(m_modem->receivedWhenQuiet(), QByteArray());
}

void DialerDialogTest::deviceVanishesMidSession()
{
    QVERIFY(dial());
    QPointer<TfrmDialer> window = dialog();

    m_modem->unplug();

    QTRY_COMPARE(m_messages->errors().size(), 1);
    QVERIFY2(m_messages->errors().at(0).contains(m_pty->devicePath()),
             qPrintable(m_messages->errors().at(0)));
    QVERIFY(!comPort()->connected());
    QTest::qWait(100);
    QCOMPARE(m_messages->errors().size(), 1);

    QTest::mouseClick(btCancel(), Qt::LeftButton);
    QVERIFY(!m_request->dialog());
    QTRY_VERIFY(window.isNull());
    QCOMPARE(m_messages->errors().size(), 1);
}

void DialerDialogTest::redialAfterDeviceVanished()
{
    QVERIFY(dial());
    QVERIFY(receive(kBusy));
    m_modem->unplug();
    QTRY_COMPARE(m_messages->errors().size(), 1);

    QVERIFY(fire(redialTimer()));

    // The reopening fails; the dialog keeps showing what it showed.
    QCOMPARE(m_messages->errors().size(), 2);
    QVERIFY(!comPort()->connected());
    QVERIFY(inBusy());
    QTest::mouseClick(btCancel(), Qt::LeftButton);
    QVERIFY(!m_request->dialog());
}

void DialerDialogTest::endingRequestReleasesPort()
{
    QVERIFY(dial());
    QPointer<TfrmDialer> window = dialog();

    m_request.reset();

    QVERIFY(window.isNull());
    QVERIFY(deviceIsFree(m_pty->devicePath()));
}

QTEST_MAIN(DialerDialogTest)
#include "DialerDialogTest.moc"
