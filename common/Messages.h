#pragma once

#include <QString>

// Every message box of the program goes through this service, so tests can
// record what was shown and answer confirmations from a script. One instance
// serves the whole process; it is used from the UI thread only.
class Messages
{
public:
    enum class Kind
    {
        Information,
        Warning,
        Error,
        Confirmation
    };

    virtual ~Messages() = default;

    // A plain box: the application title, the text, one OK button.
    virtual void showMessage(const QString& text) = 0;
    // A typed box: the kind's icon and title, one OK button.
    virtual void showTyped(Kind kind, const QString& text) = 0;
    // A confirmation with Yes and No; true when the answer is Yes.
    virtual bool confirm(const QString& text) = 0;
    // The application's default error box, showing an error's own text.
    virtual void showError(const QString& text) = 0;
    // The short warning sound of a refused input.
    virtual void beep() { }
};

// The instance in force. Until one is installed, messages go to standard error
// and confirmations are answered No, so nothing is ever confirmed by accident.
Messages& messages();

// Installs the instance (not owned; nullptr restores the fallback).
void setMessages(Messages* instance);
