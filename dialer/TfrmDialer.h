#pragma once

#include <QDialog>

class BlinkLabel;
class DialSettings;
class QCheckBox;
class QPushButton;
class QTimer;
class SerialPort;

// The dialler dialog: one dialling session on the modem's serial port. It
// opens the port when shown, sends the dial command at every opening, watches
// the modem's replies for "BUSY", redials 2000 ms after a "BUSY" while
// "Redial if busy" is checked, and hands the call to the handset on Talk.
//
// Non-modal, deleted when closed; closing or deleting it releases the port.
// It reads the number to dial from phoneToDial at every opening of the port,
// so the referenced text must outlive the dialog. UI thread only; errors of
// the serial line go to the default error box and the dialog stays usable.
class TfrmDialer : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kRedialMs = 2000;

    TfrmDialer(const DialSettings& settings, const QString& phoneToDial, QWidget* parent = nullptr);
    ~TfrmDialer() override;

    // Escape cancels, as the Cancel button does.
    void reject() override;

Q_SIGNALS:
    // The dialog has closed; it is deleted next in the event loop.
    void closed();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void FormShow();
    void ComPortAfterOpen();
    void ComPortRxChar(int count);
    void cbRedialClick();
    void Timer1Timer();
    void btTalkClick();
    void btCancelClick();
    void FormClose();

    void armRedial();
    void centreOnScreen();

    const DialSettings& m_settings;
    const QString& m_phoneToDial;
    QString m_portName;
    int m_dialMode = 0;
    QByteArray m_dialCommand;

    BlinkLabel* laPhone = nullptr;
    QCheckBox* cbRedial = nullptr;
    QPushButton* btTalk = nullptr;
    QPushButton* btCancel = nullptr;
    SerialPort* ComPort = nullptr;
    QTimer* Timer1 = nullptr;
};
