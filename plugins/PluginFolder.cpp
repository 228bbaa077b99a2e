#include "PluginFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

QString defaultPluginFolder()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/Plugins/");
}

QString pluginFilePattern()
{
#if defined(_WIN32)
    return QStringLiteral("*.dll");
#else
    return QStringLiteral("*.so");
#endif
}

QStringList listPluginFiles(const QString& folder)
{
    QString base = QFileInfo(folder).absoluteFilePath();
    if (!base.endsWith(u'/'))
        base += u'/';

    // The platform's own matching: file names are case-sensitive on Linux and
    // not on Windows. QDirIterator keeps the listing order; QDir would sort.
    QDir::Filters filters = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
#if !defined(_WIN32)
    filters |= QDir::CaseSensitive;
#endif
    QStringList paths;
    QDirIterator entries(base, { pluginFilePattern() }, filters);
    while (entries.hasNext()) {
        entries.next();
        paths.append(base + entries.fileName());
    }
    return paths;
}
