#pragma once

#include "Messages.h"

#include <QList>
#include <QStringList>

// Records every message shown and answers confirmations from a script.
// Installs itself for its lifetime.
class FakeMessages final : public Messages
{
public:
    struct Shown
    {
        QString kind; // "message", "information", "warning", "error", "confirm", "errorbox"
        QString text;
    };

    FakeMessages();
    ~FakeMessages() override;
    FakeMessages(const FakeMessages&) = delete;
    FakeMessages& operator=(const FakeMessages&) = delete;

    // Answers for the next confirmations, in order; when the script runs out,
    // confirmations are answered No.
    void setNextAnswers(const QList<bool>& answers) { m_answers = answers; }

    void showMessage(const QString& text) override;
    void showTyped(Kind kind, const QString& text) override;
    bool confirm(const QString& text) override;
    void showError(const QString& text) override;
    void beep() override { ++m_beeps; }

    const QList<Shown>& shown() const { return m_shown; }
    QStringList texts() const;
    // The texts shown with the default error box only.
    QStringList errors() const;
    int beeps() const { return m_beeps; }
    void clear();

private:
    QList<Shown> m_shown;
    QList<bool> m_answers;
    int m_beeps = 0;
};
