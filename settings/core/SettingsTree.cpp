#include "SettingsTree.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <algorithm>
#include <cmath>
#include <limits>

namespace SettingsTree {

namespace {

const QString kVersionField = QStringLiteral("version");
const QString kRootField = QStringLiteral("root");
const QString kKeysField = QStringLiteral("keys");
const QString kValuesField = QStringLiteral("values");
constexpr int kFormatVersion = 1;

template<typename Items> auto findNamed(Items& items, const QString& name)
{
    return std::find_if(items.begin(), items.end(),
                        [&](const auto& item) { return sameName(item.name, name); });
}

QJsonObject nodeToJson(const Node& node)
{
    QJsonObject object;
    if (!node.values.empty()) {
        QJsonObject values;
        for (const NamedValue& value : node.values) {
            if (const auto* text = std::get_if<QString>(&value.value))
                values.insert(value.name, *text);
            else
                values.insert(value.name, std::get<qint32>(value.value));
        }
        object.insert(kValuesField, values);
    }
    if (!node.keys.empty()) {
        QJsonObject keys;
        for (const Node& key : node.keys)
            keys.insert(key.name, nodeToJson(key));
        object.insert(kKeysField, keys);
    }
    return object;
}

std::optional<Value> valueFromJson(const QJsonValue& json)
{
    if (json.isString())
        return Value(json.toString());
    if (!json.isDouble())
        return std::nullopt;
    // Only whole numbers that fit 32 bits are integers of this store; anything
    // else would come back changed, so the file is not one we wrote.
    const double number = json.toDouble();
    if (!std::isfinite(number) || std::trunc(number) != number || number < std::numeric_limits<qint32>::min()
        || number > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return Value(static_cast<qint32>(number));
}

bool nodeFromJson(const QJsonObject& object, Node& node)
{
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (it.key() != kKeysField && it.key() != kValuesField)
            return false;
    }
    const QJsonValue values = object.value(kValuesField);
    if (!values.isUndefined()) {
        if (!values.isObject())
            return false;
        const QJsonObject valueObject = values.toObject();
        for (auto it = valueObject.begin(); it != valueObject.end(); ++it) {
            std::optional<Value> value = valueFromJson(it.value());
            // Two names that differ only in case would be one value here, and
            // one of them would be lost without a word.
            if (!value || node.findValue(it.key()))
                return false;
            node.values.push_back({ it.key(), std::move(*value) });
        }
    }
    const QJsonValue keys = object.value(kKeysField);
    if (!keys.isUndefined()) {
        if (!keys.isObject())
            return false;
        const QJsonObject keyObject = keys.toObject();
        for (auto it = keyObject.begin(); it != keyObject.end(); ++it) {
            if (!it.value().isObject() || splitPath(it.key()) != QStringList { it.key() }
                || node.findKey(it.key()))
                return false;
            Node child;
            child.name = it.key();
            if (!nodeFromJson(it.value().toObject(), child))
                return false;
            node.keys.push_back(std::move(child));
        }
    }
    return true;
}

} // namespace

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

Node* Node::findKey(const QString& keyName)
{
    const auto it = findNamed(keys, keyName);
    return it == keys.end() ? nullptr : &*it;
}

const Node* Node::findKey(const QString& keyName) const
{
    const auto it = findNamed(keys, keyName);
    return it == keys.end() ? nullptr : &*it;
}

NamedValue* Node::findValue(const QString& valueName)
{
    const auto it = findNamed(values, valueName);
    return it == values.end() ? nullptr : &*it;
}

const NamedValue* Node::findValue(const QString& valueName) const
{
    const auto it = findNamed(values, valueName);
    return it == values.end() ? nullptr : &*it;
}

bool Node::removeKey(const QString& keyName)
{
    const auto it = findNamed(keys, keyName);
    if (it == keys.end())
        return false;
    keys.erase(it);
    return true;
}

bool Node::removeValue(const QString& valueName)
{
    const auto it = findNamed(values, valueName);
    if (it == values.end())
        return false;
    values.erase(it);
    return true;
}

void Node::setValue(const QString& valueName, Value value)
{
    if (NamedValue* existing = findValue(valueName))
        existing->value = std::move(value);
    else
        values.push_back({ valueName, std::move(value) });
}

Node& Node::ensureKey(const QString& keyName)
{
    if (Node* existing = findKey(keyName))
        return *existing;
    Node child;
    child.name = keyName;
    keys.push_back(std::move(child));
    return keys.back();
}

QStringList splitPath(const QString& path)
{
    return path.split(QLatin1Char('\\'), Qt::SkipEmptyParts);
}

QString joinPath(const QStringList& segments)
{
    return QLatin1Char('\\') + segments.join(QLatin1Char('\\'));
}

const Node* find(const Node& root, const QStringList& segments)
{
    const Node* node = &root;
    for (const QString& segment : segments) {
        node = node->findKey(segment);
        if (!node)
            return nullptr;
    }
    return node;
}

Node* find(Node& root, const QStringList& segments)
{
    return const_cast<Node*>(find(std::as_const(root), segments));
}

QByteArray toJson(const Node& root)
{
    QJsonObject document;
    document.insert(kVersionField, kFormatVersion);
    document.insert(kRootField, nodeToJson(root));
    return QJsonDocument(document).toJson(QJsonDocument::Indented);
}

std::optional<Node> fromJson(const QByteArray& bytes)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();
    if (object.value(kVersionField).toInt(-1) != kFormatVersion || !object.value(kRootField).isObject())
        return std::nullopt;
    Node root;
    if (!nodeFromJson(object.value(kRootField).toObject(), root))
        return std::nullopt;
    return root;
}

} // namespace SettingsTree
