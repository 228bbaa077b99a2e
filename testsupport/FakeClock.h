#pragma once

#include "Clock.h"

// A clock that stands still until a test moves it. Installs itself for its
// lifetime.
class FakeClock final : public Clock
{
public:
    explicit FakeClock(const QDateTime& start = QDateTime(QDate(2026, 3, 2), QTime(10, 15)))
        : m_now(start)
    {
        setClock(this);
    }
    ~FakeClock() override { setClock(nullptr); }
    FakeClock(const FakeClock&) = delete;
    FakeClock& operator=(const FakeClock&) = delete;

    QDateTime now() const override { return m_now; }
    void set(const QDateTime& now) { m_now = now; }
    void advance(qint64 seconds) { m_now = m_now.addSecs(seconds); }

private:
    QDateTime m_now;
};
