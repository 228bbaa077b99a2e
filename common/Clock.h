#pragma once

#include <QDateTime>

// The current local date and time, replaceable by tests (call-note stamps).
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

// The instance in force; the system clock until another is installed.
Clock& appClock();
void setClock(Clock* instance);
