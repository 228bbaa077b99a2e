#include "TfrmDialer.h"

#include "BlinkLabel.h"
#include "DialSettings.h"
#include "Guard.h"
#include "Messages.h"
#include "SerialPort.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const QString kDefaultPort = QStringLiteral("COM1");
constexpr int kPulseDial = 0;
constexpr int kToneDial = 1;

// The dial command for a mode; empty for a mode that is neither pulse nor
// tone, for which nothing is sent.
QByteArray dialCommandFor(int mode, const QString& number)
{
    QByteArray command;
    if (mode == kPulseDial)
        command = "ATDP ";
    else if (mode == kToneDial)
        command = "ATDT ";
    else
        return {};
    return command + number.toLatin1() + "\r\n";
}

} // namespace

TfrmDialer::TfrmDialer(const DialSettings& settings, const QString& phoneToDial, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint)
    , m_settings(settings)
    , m_phoneToDial(phoneToDial)
{
    FormCreate();
}

TfrmDialer::~TfrmDialer() = default;

void TfrmDialer::FormCreate()
{
    setObjectName(QStringLiteral("frmDialer"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setWindowTitle(QStringLiteral("  Connecting..."));

    laPhone = new BlinkLabel(this);
    laPhone->setObjectName(QStringLiteral("laPhone"));
    QFont phoneFont = laPhone->font();
    phoneFont.setBold(true);
    phoneFont.setPixelSize(13);
    laPhone->setFont(phoneFont);
    laPhone->setAlignment(Qt::AlignCenter);
    laPhone->setFontColor(Qt::white);
    laPhone->setBlinkColor(Qt::blue);

    cbRedial = new QCheckBox(QStringLiteral("Redial if busy"), this);
    cbRedial->setObjectName(QStringLiteral("cbRedial"));
    QFont redialFont = cbRedial->font();
    redialFont.setBold(true);
    cbRedial->setFont(redialFont);
    cbRedial->setChecked(true);
    connect(cbRedial, &QCheckBox::clicked, this, [this] { guarded([this] { cbRedialClick(); }); });

    auto* toolbar = new QWidget(this);
    toolbar->setObjectName(QStringLiteral("Toolbar"));
    btTalk = new QPushButton(QStringLiteral("Talk"), toolbar);
    btTalk->setObjectName(QStringLiteral("btTalk"));
    btTalk->setToolTip(QStringLiteral("Lift the receiver and click to talk"));
    btTalk->setAutoDefault(false);
    connect(btTalk, &QPushButton::clicked, this, [this] { guarded([this] { btTalkClick(); }); });
    btCancel = new QPushButton(QStringLiteral("Cancel"), toolbar);
    btCancel->setObjectName(QStringLiteral("btCancel"));
    btCancel->setToolTip(QStringLiteral("Click to disconnect and replace the receiver"));
    btCancel->setAutoDefault(false);
    connect(btCancel, &QPushButton::clicked, this, [this] { guarded([this] { btCancelClick(); }); });
    auto* buttons = new QHBoxLayout(toolbar);
    buttons->setContentsMargins(0, 0, 0, 0);
    buttons->addWidget(btTalk);
    buttons->addWidget(btCancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(laPhone);
    layout->addWidget(cbRedial);
    layout->addStretch();
    layout->addWidget(toolbar);
    setMinimumWidth(280);

    ComPort = new SerialPort(this);
    ComPort->setObjectName(QStringLiteral("ComPort"));
    ComPort->setAfterOpen([this] { ComPortAfterOpen(); });
    connect(ComPort, &SerialPort::rxChar, this,
            [this](int count) { guarded([this, count] { ComPortRxChar(count); }); });
    connect(ComPort, &SerialPort::failed, this, [](const QString& text) { messages().showError(text); });

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(kRedialMs);
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, [this] { guarded([this] { Timer1Timer(); }); });
}

void TfrmDialer::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // A window manager's restore is not a new showing of the dialog.
    if (event->spontaneous())
        return;
    centreOnScreen();
    guarded([this] { FormShow(); });
}

void TfrmDialer::FormShow()
{
    m_portName = kDefaultPort;
    m_dialMode = kPulseDial;
    if (const std::optional<int> mode = m_settings.dialMode())
        m_dialMode = *mode;
    if (const std::optional<QString> port = m_settings.port())
        m_portName = *port;

    laPhone->setText(QStringLiteral("Dialing ") + m_phoneToDial);
    ComPort->setPortName(m_portName);
    ComPort->open();
}

void TfrmDialer::ComPortAfterOpen()
{
    m_dialCommand = dialCommandFor(m_dialMode, m_phoneToDial);
    laPhone->setBlinkColor(Qt::blue);
    laPhone->setBlinking(true);
    laPhone->setText(QStringLiteral("Dialing ") + m_phoneToDial);
    if (!m_dialCommand.isEmpty())
        ComPort->write(m_dialCommand);
    btTalk->setEnabled(true);
}

void TfrmDialer::ComPortRxChar(int count)
{
    // Each chunk is judged on its own; nothing is carried over to the next.
    const QByteArray chunk = ComPort->read(count);
    if (!chunk.contains("BUSY"))
        return;
    btTalk->setEnabled(false);
    laPhone->setText(QStringLiteral("BUSY"));
    laPhone->setBlinkColor(Qt::red);
    if (cbRedial->isChecked())
        armRedial();
}

void TfrmDialer::cbRedialClick()
{
    // Clearing the box leaves an armed redial alone.
    if (cbRedial->isChecked())
        armRedial();
}

void TfrmDialer::armRedial()
{
    // Arming an armed timer keeps its first deadline, so a second "BUSY" or
    // a click does not put the redial off.
    if (!Timer1->isActive())
        Timer1->start();
}

void TfrmDialer::Timer1Timer()
{
    Timer1->stop();
    ComPort->close();
    ComPort->open();
}

void TfrmDialer::btTalkClick()
{
    laPhone->setBlinking(false);
    laPhone->setText(QStringLiteral("Talking..."));
    // Hangs the modem up; the handset the user has lifted keeps the line.
    ComPort->write(QByteArrayLiteral("ATH\r\n"));
    btTalk->setEnabled(false);
}

void TfrmDialer::btCancelClick()
{
    if (ComPort->connected())
        ComPort->close();
    close();
}

void TfrmDialer::reject()
{
    guarded([this] { btCancelClick(); });
}

void TfrmDialer::closeEvent(QCloseEvent* event)
{
    // Not QDialog's own handling, which would reject() and so cancel again.
    FormClose();
    event->accept();
}

void TfrmDialer::FormClose()
{
    Timer1->stop();
    // Released now rather than at deletion, so that a dial request made
    // before the deferred deletion finds the device free.
    ComPort->close();
    Q_EMIT closed();
}

void TfrmDialer::centreOnScreen()
{
    adjustSize();
    if (const QScreen* target = screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(target->availableGeometry().center());
        move(frame.topLeft());
    }
}
