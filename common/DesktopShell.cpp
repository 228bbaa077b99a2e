#include "DesktopShell.h"

#include <QDesktopServices>
#include <QProcess>
#include <QUrl>

void DesktopShell::open(const QString& target)
{
    // The text is handed over as typed (a mailto: body keeps its blanks), so it
    // is parsed leniently rather than percent-encoded by us.
    QDesktopServices::openUrl(QUrl(target, QUrl::TolerantMode));
}

void DesktopShell::start(const QString& program, const QStringList& arguments)
{
    QProcess::startDetached(program, arguments);
}
