#include "DialRequest.h"

#include "DialSettings.h"
#include "DialableNumber.h"
#include "Guard.h"
#include "Messages.h"
#include "ModemProbe.h"
#include "SerialDeviceName.h"
#include "TfrmDialer.h"

#include <QWidget>

DialRequest::DialRequest(const DialSettings& settings, ModemProbe& probe, QWidget* dialogParent)
    : m_settings(settings)
    , m_probe(probe)
    , m_dialogParent(dialogParent)
{ }

DialRequest::~DialRequest()
{
    // The dialog reads m_phoneToDial at every opening of its port, so it must
    // not outlive this object.
    delete m_dialog.data();
}

void DialRequest::dialPhone(const QString& text)
{
    guarded([&] {
        const QString number = dialableNumber(text);
        if (number.isEmpty()) {
            messages().showMessage(QStringLiteral("Invalid phone number."));
            return;
        }
        const QString portName = m_settings.port().value_or(QStringLiteral("COM1"));
        m_phoneToDial = number;

        if (m_dialog) {
            if (m_dialog->isVisible()) {
                m_dialog->raise();
                m_dialog->activateWindow();
            }
            return;
        }

        const ModemStatus status = m_probe.probe(serialDeviceName(portName));
        switch (status.failure) {
        case ModemStatus::Failure::CannotOpen:
            messages().showMessage(QStringLiteral("Unable to open ") + portName);
            return;
        case ModemStatus::Failure::LinesUnreadable:
            messages().showMessage(QStringLiteral("Unable to get your modem status."));
            return;
        case ModemStatus::Failure::None:
            break;
        }
        if (!status.lines.cts && !status.lines.dsr) {
            messages().showMessage(QStringLiteral("Modem is not ready."));
            return;
        }
        openDialog();
    });
}

void DialRequest::openDialog()
{
    m_dialog = new TfrmDialer(m_settings, m_phoneToDial, m_dialogParent);
    connect(m_dialog, &TfrmDialer::closed, this, [this] { m_dialog = nullptr; });
    m_dialog->show();
}
