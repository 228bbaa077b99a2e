#pragma once

#include "Shell.h"

// The desktop's own handlers: QDesktopServices for addresses, QProcess for
// programs.
class DesktopShell final : public Shell
{
public:
    void open(const QString& target) override;
    void start(const QString& program, const QStringList& arguments) override;
};
