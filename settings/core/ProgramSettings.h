#pragma once

#include "SettingsHive.h"
#include "SettingsKey.h"

#include <QString>
#include <optional>

// The program's own settings under the settings key of the user hive, with the
// defaults and reading rules every reader shares. Each operation first opens
// the key for writing, which creates it when it is missing; when it cannot be
// opened, reads give their defaults and writes fail with "Failed to set data
// for '<name>'". A value stored with another type than the one read fails with
// "Invalid data type for '<name>'". Holds a reference to the hive only.
class ProgramSettings
{
public:
    explicit ProgramSettings(SettingsHive& hive);

    // The settings key opened for writing; empty when it cannot be opened.
    std::optional<SettingsKey> openKey() const;

    // The data folder; empty when absent.
    QString path() const;
    // Off when absent.
    bool systemTray() const;
    bool screenLayout() const;
    bool mainLayout() const;
    bool startUp() const;
    // The contacts' phone mask; nothing when absent (the program then uses no
    // mask).
    std::optional<QString> callMask() const;
    // The phone mask as the report plug-in reads it: "000-000-0000;0;_" when
    // the value is absent, empty when the key cannot be opened.
    QString pluginCallMask() const;
    // The dial method: 0 pulse, 1 tone; 0 when absent or when the key cannot
    // be opened.
    qint32 dialMode() const;
    // The modem's port; "COM1" when absent.
    QString port() const;

    void setSystemTray(bool on);
    void setScreenLayout(bool on);
    void setMainLayout(bool on);
    void setStartUp(bool on);
    void setCallMask(const QString& mask);
    void setDialMode(qint32 mode);
    void setPort(const QString& port);

private:
    bool flag(const QString& name) const;
    SettingsKey keyForWriting(const QString& name) const;

    SettingsHive& m_hive;
};
