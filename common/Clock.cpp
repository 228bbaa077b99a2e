#include "Clock.h"

namespace {

class SystemClock final : public Clock
{
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

SystemClock g_system;
Clock* g_instance = nullptr;

} // namespace

Clock& appClock()
{
    return g_instance ? *g_instance : g_system;
}

void setClock(Clock* instance)
{
    g_instance = instance;
}
