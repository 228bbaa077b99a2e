#include "FakeMessages.h"

FakeMessages::FakeMessages()
{
    setMessages(this);
}

FakeMessages::~FakeMessages()
{
    setMessages(nullptr);
}

void FakeMessages::showMessage(const QString& text)
{
    m_shown.append({ QStringLiteral("message"), text });
}

void FakeMessages::showTyped(Kind kind, const QString& text)
{
    static const char* const names[] = { "information", "warning", "error", "confirm" };
    m_shown.append({ QString::fromLatin1(names[static_cast<int>(kind)]), text });
}

bool FakeMessages::confirm(const QString& text)
{
    m_shown.append({ QStringLiteral("confirm"), text });
    return m_answers.isEmpty() ? false : m_answers.takeFirst();
}

void FakeMessages::showError(const QString& text)
{
    m_shown.append({ QStringLiteral("errorbox"), text });
}

QStringList FakeMessages::texts() const
{
    QStringList result;
    for (const Shown& s : m_shown)
        result.append(s.text);
    return result;
}

QStringList FakeMessages::errors() const
{
    QStringList result;
    for (const Shown& s : m_shown) {
        if (s.kind == QLatin1String("errorbox"))
            result.append(s.text);
    }
    return result;
}

void FakeMessages::clear()
{
    m_shown.clear();
    m_beeps = 0;
}
