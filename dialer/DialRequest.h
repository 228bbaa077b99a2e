#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class DialSettings;
class ModemProbe;
class QWidget;
class TfrmDialer;

// A request to dial a phone number, the main window's DialPhone: keeps the
// number to dial for the whole run and at most one dialler dialog. The
// settings and the probe are not owned and must outlive this object; the
// dialog, a child of dialogParent, is closed with it. UI thread only.
class DialRequest : public QObject
{
    Q_OBJECT

public:
    DialRequest(const DialSettings& settings, ModemProbe& probe, QWidget* dialogParent);
    ~DialRequest() override;
    DialRequest(const DialRequest&) = delete;
    DialRequest& operator=(const DialRequest&) = delete;

    // Dials the digits and commas of text: checks the number, then, unless a
    // dialog is open already, the device and the modem's readiness, and opens
    // the dialog. While a dialog is open it only takes the new number, which
    // that dialog dials at its next redial. Every failure is reported here in
    // a message box; nothing is thrown.
    void dialPhone(const QString& text);

    // The number in dialable form; empty until a valid number was requested.
    const QString& phoneToDial() const { return m_phoneToDial; }
    // The open dialler dialog, or nullptr.
    TfrmDialer* dialog() const { return m_dialog; }

private:
    void openDialog();

    const DialSettings& m_settings;
    ModemProbe& m_probe;
    QPointer<QWidget> m_dialogParent;
    QString m_phoneToDial;
    QPointer<TfrmDialer> m_dialog;
};
