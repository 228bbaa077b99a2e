#include "ProgramSettings.h"

#include "SettingNames.h"
#include "SettingsErrors.h"
#include "UserError.h"

using namespace SettingNames;

ProgramSettings::ProgramSettings(SettingsHive& hive)
    : m_hive(hive)
{ }

std::optional<SettingsKey> ProgramSettings::openKey() const
{
    return m_hive.openKey(kSettingsKey, true);
}

QString ProgramSettings::path() const
{
    const std::optional<SettingsKey> key = openKey();
    return key ? key->readString(kPath) : QString();
}

bool ProgramSettings::flag(const QString& name) const
{
    const std::optional<SettingsKey> key = openKey();
    return key && key->valueExists(name) && key->readBool(name);
}

bool ProgramSettings::systemTray() const
{
    return flag(kSystemTray);
}

bool ProgramSettings::screenLayout() const
{
    return flag(kScreenLayout);
}

bool ProgramSettings::mainLayout() const
{
    return flag(kMainLayout);
}

bool ProgramSettings::startUp() const
{
    return flag(kStartUp);
}

std::optional<QString> ProgramSettings::callMask() const
{
    const std::optional<SettingsKey> key = openKey();
    if (!key || !key->valueExists(kCallMask))
        return std::nullopt;
    return key->readString(kCallMask);
}

QString ProgramSettings::pluginCallMask() const
{
    const std::optional<SettingsKey> key = openKey();
    if (!key)
        return {};
    return key->valueExists(kCallMask) ? key->readString(kCallMask) : kPluginDefaultCallMask;
}

qint32 ProgramSettings::dialMode() const
{
    const std::optional<SettingsKey> key = openKey();
    return key && key->valueExists(kDialMode) ? key->readInteger(kDialMode) : 0;
}

QString ProgramSettings::port() const
{
    const std::optional<SettingsKey> key = openKey();
    return key && key->valueExists(kPort) ? key->readString(kPort) : kDefaultPort;
}

SettingsKey ProgramSettings::keyForWriting(const QString& name) const
{
    std::optional<SettingsKey> key = openKey();
    if (!key)
        throw UserError(SettingsErrors::failedToSetData(name));
    return *key;
}

void ProgramSettings::setSystemTray(bool on)
{
    keyForWriting(kSystemTray).writeBool(kSystemTray, on);
}

void ProgramSettings::setScreenLayout(bool on)
{
    keyForWriting(kScreenLayout).writeBool(kScreenLayout, on);
}

void ProgramSettings::setMainLayout(bool on)
{
    keyForWriting(kMainLayout).writeBool(kMainLayout, on);
}

void ProgramSettings::setStartUp(bool on)
{
    keyForWriting(kStartUp).writeBool(kStartUp, on);
}

void ProgramSettings::setCallMask(const QString& mask)
{
    keyForWriting(kCallMask).writeString(kCallMask, mask);
}

void ProgramSettings::setDialMode(qint32 mode)
{
    keyForWriting(kDialMode).writeInteger(kDialMode, mode);
}

void ProgramSettings::setPort(const QString& port)
{
    keyForWriting(kPort).writeString(kPort, port);
}
