#pragma once

#include "SettingsHive.h"

#include <QString>
#include <optional>

// What the main window takes from the settings when it is created.
struct StartupSettings
{
    // "Path" as stored; empty when absent.
    QString path;
    // The working directory was changed to `path`.
    bool pathApplied = false;
    // "SystemTray" is on: the tray icon is to be activated.
    bool systemTray = false;
    // "CallMask", when stored: the phone mask of the contact list.
    std::optional<QString> callMask;
    bool screenLayout = false;
    bool mainLayout = false;
    // The layout store is to be made active. Set only when the reading ran to
    // its end.
    bool layoutStoreActive = false;
};

// Reads the start-up settings from the settings key of the user hive, in
// order: "Path" (made the working directory), "SystemTray" and "CallMask",
// "ScreenLayout" and "MainLayout". When "MainLayout" is off, the stored column
// layouts and pane heights of the main window are deleted, so the window opens
// with its designed ones. `read` is filled as the reading goes: a value stored
// with another type stops it with "Invalid data type for '<name>'", and `read`
// then holds what was read before, so the caller can act on that and skip the
// rest of its creation steps. A deletion that cannot be saved stops it too.
void readStartupSettings(SettingsHive& hive, StartupSettings& read);
StartupSettings readStartupSettings(SettingsHive& hive);

// Makes the folder the working directory. False, with the working directory as
// it was, when the text is empty or the folder cannot be made current.
bool applyDataPath(const QString& folder);
