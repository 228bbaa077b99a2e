#pragma once

#include "SettingsKey.h"
#include "SettingsTree.h"

#include <QString>
#include <optional>

// One hive of the settings store (the user's or the machine's): a tree of keys
// holding named text and 32-bit integer values, as the registry keeps them.
// The tree lives in memory and every change is written through to one JSON
// file, replaced atomically, so a crash or a full disk never leaves half a
// file. A change that cannot be saved is undone in memory as well, so the
// hive and its file always agree. Used from the UI thread only; SettingsKey
// handles refer to the hive and must not outlive it.
class SettingsHive
{
public:
    // Reads the file; a missing file is an empty hive. A file that cannot be
    // read or parsed is moved aside to "<file>.bad" (".bad.1", ... when that
    // name is taken), the user is told once which file and where the copy is,
    // and the hive starts empty.
    explicit SettingsHive(const QString& filePath);
    SettingsHive(const SettingsHive&) = delete;
    SettingsHive& operator=(const SettingsHive&) = delete;

    const QString& filePath() const { return m_filePath; }
    // False when a damaged file could not be moved aside: every change is then
    // refused, so that file is never overwritten.
    bool isWritable() const { return m_writable; }

    bool keyExists(const QString& path) const;
    // Opens a key. With create, a missing key is made with its parents and
    // saved. Empty when the key is missing and not to be created, or when its
    // creation could not be saved.
    std::optional<SettingsKey> openKey(const QString& path, bool create);
    // Deletes a key with everything below it; false when there is no such key
    // (the root is not deleted). Fails with "Failed to set data for '<key>'"
    // when the change cannot be saved.
    bool deleteKey(const QString& path);

    // Gathers the changes made while it lives into one save of the file, so
    // that they land together or not at all. commit() saves (an error names
    // the first value changed); a batch left without commit() puts the hive
    // back as it was. Batches nest: only the outermost one saves.
    class Batch
    {
    public:
        explicit Batch(SettingsHive& hive);
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;
        void commit();

    private:
        SettingsHive& m_hive;
        bool m_outermost;
        bool m_done = false;
    };

private:
    friend class SettingsKey;

    const SettingsTree::Node* node(const QStringList& segments) const;
    void setValue(const QStringList& segments, const QString& valueName, SettingsTree::Value value);
    bool removeValue(const QStringList& segments, const QString& valueName);
    void noteChange(const QString& name);
    void load();
    void setAside();
    bool save() const;

    QString m_filePath;
    SettingsTree::Node m_root;
    bool m_writable = true;

    int m_batchDepth = 0;
    SettingsTree::Node m_backup;
    QString m_firstChange;
    bool m_changed = false;
};
