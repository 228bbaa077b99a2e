#include "Messages.h"

#include <cstdio>

namespace {

class StderrMessages final : public Messages
{
public:
    void showMessage(const QString& text) override { print("Message", text); }
    void showTyped(Kind, const QString& text) override { print("Message", text); }
    bool confirm(const QString& text) override
    {
        print("Confirm (answered No)", text);
        return false;
    }
    void showError(const QString& text) override { print("Error", text); }

private:
    static void print(const char* what, const QString& text)
    {
        std::fprintf(stderr, "%s: %s\n", what, qPrintable(text));
    }
};

StderrMessages g_fallback;
Messages* g_instance = nullptr;

} // namespace

Messages& messages()
{
    return g_instance ? *g_instance : g_fallback;
}

void setMessages(Messages* instance)
{
    g_instance = instance;
}
