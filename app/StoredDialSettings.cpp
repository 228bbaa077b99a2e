#include "StoredDialSettings.h"

#include "ProgramSettings.h"
#include "SettingNames.h"

std::optional<QString> StoredDialSettings::port() const
{
    const std::optional<SettingsKey> key = ProgramSettings(m_hive).openKey();
    if (!key || !key->valueExists(SettingNames::kPort))
        return std::nullopt;
    return key->readString(SettingNames::kPort);
}

std::optional<int> StoredDialSettings::dialMode() const
{
    const std::optional<SettingsKey> key = ProgramSettings(m_hive).openKey();
    if (!key || !key->valueExists(SettingNames::kDialMode))
        return std::nullopt;
    return key->readInteger(SettingNames::kDialMode);
}
