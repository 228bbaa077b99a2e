#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class SettingsHive;

enum class SettingsValueType
{
    None,
    Text,
    Integer
};

// A handle on one key of a hive, as an opened registry key is. It refers to
// the key by its path, so it stays safe when the key is deleted: reads then
// find nothing and writes are refused. Cheap to copy; it must not outlive its
// hive. Errors are UserError with the store's texts (SettingsErrors.h).
class SettingsKey
{
public:
    // The key's path from the hive's root, written with backslashes.
    QString path() const;
    QString name() const;
    bool exists() const;

    bool valueExists(const QString& valueName) const;
    SettingsValueType valueType(const QString& valueName) const;

    // Empty when the value is missing; a value that is not text fails.
    QString readString(const QString& valueName) const;
    // A missing value fails, and so does one that is not an integer.
    qint32 readInteger(const QString& valueName) const;
    // An integer read as true when not zero.
    bool readBool(const QString& valueName) const;

    // Each write is saved before it returns; a write that cannot be saved
    // fails with "Failed to set data for '<name>'" and changes nothing.
    void writeString(const QString& valueName, const QString& value);
    void writeInteger(const QString& valueName, qint32 value);
    // Stored as the integer 1 or 0.
    void writeBool(const QString& valueName, bool value);
    // False when there was no such value.
    bool deleteValue(const QString& valueName);

    QStringList subkeyNames() const;
    QStringList valueNames() const;

    // Opens a key below this one; see SettingsHive::openKey.
    std::optional<SettingsKey> openSubkey(const QString& relativePath, bool create) const;

private:
    friend class SettingsHive;
    SettingsKey(SettingsHive& hive, QStringList segments);

    SettingsHive* m_hive;
    QStringList m_segments;
};
