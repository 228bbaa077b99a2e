#pragma once

#include <QString>
#include <stdexcept>

// An error whose text is meant for the user: the database's, the serial port's
// or the settings store's own words. Every subsystem throws it; the event
// handler guard shows it in the application's default error box.
class UserError : public std::runtime_error
{
public:
    explicit UserError(const QString& text);

    const QString& text() const noexcept { return m_text; }

private:
    QString m_text;
};

// Abandons an operation silently, as a refusal in a "before" event or a
// confirmation answered No does: no message, nothing changed.
struct OperationAborted
{
};
