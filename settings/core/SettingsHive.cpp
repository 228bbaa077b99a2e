#include "SettingsHive.h"

#include "Messages.h"
#include "SettingsErrors.h"
#include "UserError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

using SettingsTree::Node;

SettingsHive::SettingsHive(const QString& filePath)
    : m_filePath(filePath)
{
    load();
}

void SettingsHive::load()
{
    const QFileInfo info(m_filePath);
    if (!info.exists() && !info.isSymLink())
        return;
    QFile file(m_filePath);
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray bytes = file.readAll();
        if (file.error() == QFileDevice::NoError) {
            if (std::optional<Node> root = SettingsTree::fromJson(bytes)) {
                m_root = std::move(*root);
                return;
            }
        }
    }
    setAside();
}

void SettingsHive::setAside()
{
    // The damaged file may be all the user has of their settings: keep it
    // under a name of its own, never over an earlier copy.
    QString target = m_filePath + QStringLiteral(".bad");
    for (int n = 1; QFileInfo::exists(target) || QFileInfo(target).isSymLink(); ++n)
        target = m_filePath + QStringLiteral(".bad.") + QString::number(n);
    const QString shownPath = QDir::toNativeSeparators(m_filePath);
    if (QDir().rename(m_filePath, target)) {
        messages().showMessage(
            QStringLiteral("The settings file %1 could not be read. It has been moved to %2, "
                           "and the program goes on with default settings.")
                .arg(shownPath, QDir::toNativeSeparators(target)));
        return;
    }
    m_writable = false;
    messages().showMessage(QStringLiteral("The settings file %1 could not be read, and it could not be moved "
                                          "aside. The program goes on with default settings and leaves that "
                                          "file as it is; changed settings are not kept.")
                               .arg(shownPath));
}

bool SettingsHive::save() const
{
    if (!m_writable)
        return false;
    if (!QDir().mkpath(QFileInfo(m_filePath).absolutePath()))
        return false;
    QSaveFile file(m_filePath);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = SettingsTree::toJson(m_root);
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool SettingsHive::keyExists(const QString& path) const
{
    return node(SettingsTree::splitPath(path)) != nullptr;
}

std::optional<SettingsKey> SettingsHive::openKey(const QString& path, bool create)
{
    QStringList segments = SettingsTree::splitPath(path);
    if (node(segments))
        return SettingsKey(*this, std::move(segments));
    if (!create)
        return std::nullopt;
    Batch batch(*this);
    Node* parent = &m_root;
    for (const QString& segment : segments)
        parent = &parent->ensureKey(segment);
    noteChange(segments.constLast());
    try {
        batch.commit();
    } catch (const UserError&) {
        // Like a registry key that cannot be created: the key does not open.
        return std::nullopt;
    }
    return SettingsKey(*this, std::move(segments));
}

bool SettingsHive::deleteKey(const QString& path)
{
    const QStringList segments = SettingsTree::splitPath(path);
    if (segments.isEmpty())
        return false;
    Node* parent = SettingsTree::find(m_root, segments.mid(0, segments.size() - 1));
    if (!parent || !parent->findKey(segments.constLast()))
        return false;
    Batch batch(*this);
    noteChange(parent->findKey(segments.constLast())->name);
    parent->removeKey(segments.constLast());
    batch.commit();
    return true;
}

const Node* SettingsHive::node(const QStringList& segments) const
{
    return SettingsTree::find(m_root, segments);
}

void SettingsHive::setValue(const QStringList& segments, const QString& valueName, SettingsTree::Value value)
{
    Node* key = SettingsTree::find(m_root, segments);
    if (!key)
        throw UserError(SettingsErrors::failedToSetData(valueName));
    Batch batch(*this);
    key->setValue(valueName, std::move(value));
    noteChange(valueName);
    batch.commit();
}

bool SettingsHive::removeValue(const QStringList& segments, const QString& valueName)
{
    Node* key = SettingsTree::find(m_root, segments);
    if (!key || !key->findValue(valueName))
        return false;
    Batch batch(*this);
    key->removeValue(valueName);
    noteChange(valueName);
    batch.commit();
    return true;
}

void SettingsHive::noteChange(const QString& name)
{
    if (!m_changed)
        m_firstChange = name;
    m_changed = true;
}

SettingsHive::Batch::Batch(SettingsHive& hive)
    : m_hive(hive)
    , m_outermost(hive.m_batchDepth == 0)
{
    if (m_outermost) {
        m_hive.m_backup = m_hive.m_root;
        m_hive.m_firstChange.clear();
        m_hive.m_changed = false;
    }
    ++m_hive.m_batchDepth;
}

SettingsHive::Batch::~Batch()
{
    --m_hive.m_batchDepth;
    if (m_outermost) {
        if (!m_done)
            m_hive.m_root = std::move(m_hive.m_backup);
        m_hive.m_backup = {};
        m_hive.m_changed = false;
    }
}

void SettingsHive::Batch::commit()
{
    if (m_done)
        return;
    m_done = true;
    if (!m_outermost || !m_hive.m_changed)
        return;
    if (!m_hive.save()) {
        m_hive.m_root = std::move(m_hive.m_backup);
        m_hive.m_backup = {};
        m_hive.m_changed = false;
        throw UserError(SettingsErrors::failedToSetData(m_hive.m_firstChange));
    }
}
