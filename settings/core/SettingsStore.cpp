#include "SettingsStore.h"

#include <QDir>

namespace {

std::unique_ptr<SettingsStore> g_store;

} // namespace

SettingsStore::SettingsStore(const QString& configHome)
    : m_configHome(configHome)
{ }

QString SettingsStore::defaultConfigHome()
{
    // A relative XDG_CONFIG_HOME is invalid and to be ignored.
    const QString configured = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!configured.isEmpty() && QDir::isAbsolutePath(configured))
        return QDir::cleanPath(configured);
    return QDir::homePath() + QStringLiteral("/.config");
}

QString SettingsStore::folder() const
{
    return m_configHome + QStringLiteral("/orvanta-light");
}

SettingsHive& SettingsStore::user()
{
    if (!m_user)
        m_user = std::make_unique<SettingsHive>(folder() + QStringLiteral("/user.json"));
    return *m_user;
}

SettingsHive& SettingsStore::machine()
{
    if (!m_machine)
        m_machine = std::make_unique<SettingsHive>(folder() + QStringLiteral("/machine.json"));
    return *m_machine;
}

StartupEntry SettingsStore::startupEntry() const
{
    return StartupEntry(m_configHome);
}

SettingsStore& settingsStore()
{
    if (!g_store)
        g_store = std::make_unique<SettingsStore>();
    return *g_store;
}

void resetSettingsStore()
{
    g_store.reset();
}
