#pragma once

#include <QString>
#include <QStringList>

// Hands addresses and documents to the desktop (mailto:, web addresses) and
// starts programs. A failure to open is not reported to the user.
class Shell
{
public:
    virtual ~Shell() = default;

    // Opens an address or document with its default handler, without
    // activating it.
    virtual void open(const QString& target) = 0;
    // Starts a program detached from this one.
    virtual void start(const QString& program, const QStringList& arguments) = 0;
};

// The instance in force; until one is installed, a shell that does nothing.
Shell& shell();
void setShell(Shell* instance);
