#pragma once

#include "SettingsHive.h"
#include "StartupEntry.h"

#include <QString>
#include <memory>

// The settings of one configuration folder: the user hive
// "<config>/orvanta-light/user.json", the machine hive
// "<config>/orvanta-light/machine.json" and the start-up entry
// "<config>/autostart/orvanta-light.desktop". <config> is $XDG_CONFIG_HOME,
// or ~/.config when that is unset or not an absolute path. Each hive is read
// on first use. UI thread only.
class SettingsStore
{
public:
    explicit SettingsStore(const QString& configHome = defaultConfigHome());
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    static QString defaultConfigHome();

    const QString& configHome() const { return m_configHome; }
    QString folder() const;

    SettingsHive& user();
    SettingsHive& machine();
    StartupEntry startupEntry() const;

private:
    QString m_configHome;
    std::unique_ptr<SettingsHive> m_user;
    std::unique_ptr<SettingsHive> m_machine;
};

// The process's store, made on first use from the environment.
SettingsStore& settingsStore();
// Drops the process's store, so the next use reads the environment afresh
// (tests that move XDG_CONFIG_HOME). Keys and references taken from the old
// store must not be used afterwards.
void resetSettingsStore();
