#pragma once

#include <QString>
#include <QStringList>

// Where plug-ins are looked for and how they are listed.

// The folder of the program file followed by "Plugins/".
QString defaultPluginFolder();

// The platform's library pattern: "*.dll" on Windows, "*.so" elsewhere.
QString pluginFilePattern();

// The full paths of every entry of the folder that matches the pattern, in
// the order the directory listing returns them (not sorted), whatever kind of
// entry it is. Empty when the folder is missing.
QStringList listPluginFiles(const QString& folder);
