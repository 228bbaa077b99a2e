#pragma once

#include "DialSettings.h"

class SettingsHive;

// The dialler's two settings, read from the settings key at every use.
class StoredDialSettings final : public DialSettings
{
public:
    explicit StoredDialSettings(SettingsHive& hive)
        : m_hive(hive)
    { }

    std::optional<QString> port() const override;
    std::optional<int> dialMode() const override;

private:
    SettingsHive& m_hive;
};
