#include "Shell.h"

namespace {

class NullShell final : public Shell
{
public:
    void open(const QString&) override { }
    void start(const QString&, const QStringList&) override { }
};

NullShell g_fallback;
Shell* g_instance = nullptr;

} // namespace

Shell& shell()
{
    return g_instance ? *g_instance : g_fallback;
}

void setShell(Shell* instance)
{
    g_instance = instance;
}
