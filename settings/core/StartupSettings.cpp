#include "StartupSettings.h"

#include "SettingNames.h"

#include <QDir>

using namespace SettingNames;

void readStartupSettings(SettingsHive& hive, StartupSettings& read)
{
    // The key is opened afresh for each group of values, each time creating
    // it when missing, so one group's failure to open does not hide the next.
    if (std::optional<SettingsKey> key = hive.openKey(kSettingsKey, true)) {
        if (key->valueExists(kPath)) {
            read.path = key->readString(kPath);
            read.pathApplied = applyDataPath(read.path);
        }
    }
    if (std::optional<SettingsKey> key = hive.openKey(kSettingsKey, true)) {
        if (key->valueExists(kSystemTray))
            read.systemTray = key->readBool(kSystemTray);
        if (key->valueExists(kCallMask))
            read.callMask = key->readString(kCallMask);
    }
    if (std::optional<SettingsKey> key = hive.openKey(kSettingsKey, true)) {
        if (key->valueExists(kScreenLayout))
            read.screenLayout = key->readBool(kScreenLayout);
        if (key->valueExists(kMainLayout))
            read.mainLayout = key->readBool(kMainLayout);
    }
    if (!read.mainLayout) {
        const QString prefix = kSettingsKey + QLatin1Char('\\');
        SettingsHive::Batch batch(hive);
        hive.deleteKey(prefix + kClientsColumnsKey);
        hive.deleteKey(prefix + kParamsColumnsKey);
        // Opened, not created: a window that never saved a layout gets no key.
        if (std::optional<SettingsKey> form = hive.openKey(prefix + kFormKey, false)) {
            for (const QString& height : { kClientsHeight, kHistoryHeight, kParamsHeight })
                form->deleteValue(height);
        }
        batch.commit();
    }
    read.layoutStoreActive = read.screenLayout || read.mainLayout;
}

StartupSettings readStartupSettings(SettingsHive& hive)
{
    StartupSettings read;
    readStartupSettings(hive, read);
    return read;
}

bool applyDataPath(const QString& folder)
{
    return !folder.isEmpty() && QDir::setCurrent(folder);
}
