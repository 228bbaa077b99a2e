#include "SettingsKey.h"

#include "SettingsErrors.h"
#include "SettingsHive.h"
#include "UserError.h"

using SettingsTree::NamedValue;
using SettingsTree::Node;

namespace {

const NamedValue* findValue(const Node* key, const QString& valueName)
{
    return key ? key->findValue(valueName) : nullptr;
}

} // namespace

SettingsKey::SettingsKey(SettingsHive& hive, QStringList segments)
    : m_hive(&hive)
    , m_segments(std::move(segments))
{ }

QString SettingsKey::path() const
{
    // Spelled as the hive spells it, whatever case the caller opened it with.
    QStringList names;
    const Node* node = m_hive->node({});
    for (const QString& segment : m_segments) {
        node = node ? node->findKey(segment) : nullptr;
        names.append(node ? node->name : segment);
    }
    return SettingsTree::joinPath(names);
}

QString SettingsKey::name() const
{
    const QString full = path();
    return full.mid(full.lastIndexOf(QLatin1Char('\\')) + 1);
}

bool SettingsKey::exists() const
{
    return m_hive->node(m_segments) != nullptr;
}

bool SettingsKey::valueExists(const QString& valueName) const
{
    return findValue(m_hive->node(m_segments), valueName) != nullptr;
}

SettingsValueType SettingsKey::valueType(const QString& valueName) const
{
    const NamedValue* value = findValue(m_hive->node(m_segments), valueName);
    if (!value)
        return SettingsValueType::None;
    return std::holds_alternative<QString>(value->value) ? SettingsValueType::Text
                                                         : SettingsValueType::Integer;
}

QString SettingsKey::readString(const QString& valueName) const
{
    const NamedValue* value = findValue(m_hive->node(m_segments), valueName);
    if (!value)
        return {};
    const auto* text = std::get_if<QString>(&value->value);
    if (!text)
        throw UserError(SettingsErrors::invalidDataType(valueName));
    return *text;
}

qint32 SettingsKey::readInteger(const QString& valueName) const
{
    const NamedValue* value = findValue(m_hive->node(m_segments), valueName);
    if (!value)
        throw UserError(SettingsErrors::failedToGetData(valueName));
    const auto* integer = std::get_if<qint32>(&value->value);
    if (!integer)
        throw UserError(SettingsErrors::invalidDataType(valueName));
    return *integer;
}

bool SettingsKey::readBool(const QString& valueName) const
{
    return readInteger(valueName) != 0;
}

void SettingsKey::writeString(const QString& valueName, const QString& value)
{
    m_hive->setValue(m_segments, valueName, SettingsTree::Value(std::in_place_type<QString>, value));
}

void SettingsKey::writeInteger(const QString& valueName, qint32 value)
{
    m_hive->setValue(m_segments, valueName, SettingsTree::Value(std::in_place_type<qint32>, value));
}

void SettingsKey::writeBool(const QString& valueName, bool value)
{
    writeInteger(valueName, value ? 1 : 0);
}

bool SettingsKey::deleteValue(const QString& valueName)
{
    return m_hive->removeValue(m_segments, valueName);
}

QStringList SettingsKey::subkeyNames() const
{
    QStringList names;
    if (const Node* node = m_hive->node(m_segments)) {
        for (const Node& key : node->keys)
            names.append(key.name);
    }
    return names;
}

QStringList SettingsKey::valueNames() const
{
    QStringList names;
    if (const Node* node = m_hive->node(m_segments)) {
        for (const NamedValue& value : node->values)
            names.append(value.name);
    }
    return names;
}

std::optional<SettingsKey> SettingsKey::openSubkey(const QString& relativePath, bool create) const
{
    return m_hive->openKey(SettingsTree::joinPath(m_segments + SettingsTree::splitPath(relativePath)),
                           create);
}
