#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <variant>
#include <vector>

// The in-memory tree of one hive and its file form. Internal to the settings
// store: SettingsHive is the only user. Names compare without regard to case,
// as registry names do, and keep the case they were first written with.
namespace SettingsTree {

// A value is either text or a 32-bit integer; booleans are integers.
using Value = std::variant<QString, qint32>;

struct NamedValue
{
    QString name;
    Value value;
};

struct Node
{
    QString name;
    std::vector<Node> keys;
    std::vector<NamedValue> values;

    Node* findKey(const QString& keyName);
    const Node* findKey(const QString& keyName) const;
    NamedValue* findValue(const QString& valueName);
    const NamedValue* findValue(const QString& valueName) const;
    bool removeKey(const QString& keyName);
    bool removeValue(const QString& valueName);
    void setValue(const QString& valueName, Value value);
    Node& ensureKey(const QString& keyName);
};

bool sameName(const QString& a, const QString& b);

// Splits a key path written with backslashes ("\Software\Nuvek"). Empty
// segments are dropped, so a leading, trailing or doubled separator does not
// matter; an empty result is the root.
QStringList splitPath(const QString& path);
QString joinPath(const QStringList& segments);

const Node* find(const Node& root, const QStringList& segments);
Node* find(Node& root, const QStringList& segments);

QByteArray toJson(const Node& root);
// Returns nothing when the bytes are not a complete, well-formed hive: the
// caller must not mistake a damaged file for an empty one.
std::optional<Node> fromJson(const QByteArray& bytes);

} // namespace SettingsTree
