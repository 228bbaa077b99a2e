#pragma once

#include "Shell.h"

#include <QStringList>

// Records what would have been handed to the desktop. Installs itself for its
// lifetime.
class FakeShell final : public Shell
{
public:
    FakeShell() { setShell(this); }
    ~FakeShell() override { setShell(nullptr); }
    FakeShell(const FakeShell&) = delete;
    FakeShell& operator=(const FakeShell&) = delete;

    void open(const QString& target) override { opened.append(target); }
    void start(const QString& program, const QStringList& arguments) override
    {
        started.append(QStringList { program } + arguments);
    }

    QStringList opened;
    QList<QStringList> started;
};
