#pragma once

#include <QDateTime>
#include <QString>
#include <QTemporaryDir>
#include <QVariantList>

struct sqlite3;

// A new database file in a temporary folder, with the standard field types
// and masks, and a second connection of its own to put rows in and to look
// at what the program wrote.
class TestDatabase
{
public:
    TestDatabase();
    ~TestDatabase();
    TestDatabase(const TestDatabase&) = delete;
    TestDatabase& operator=(const TestDatabase&) = delete;

    bool isValid() const { return m_db != nullptr; }
    QString path() const { return m_path; }
    QString folder() const { return m_dir.path(); }
    QString connectionString() const;

    void exec(const QString& sql, const QVariantList& values = {});
    QVariant scalar(const QString& sql, const QVariantList& values = {});
    QList<QVariantList> rows(const QString& sql, const QVariantList& values = {});

    qint64 addContact(const QString& name, const QString& phone);
    qint64 paramId(const QString& name);
    qint64 addFieldType(const QString& name, int order);
    void addValue(qint64 contact, const QString& fieldType, const QString& value);
    qint64 addNote(qint64 contact, const QDateTime& when, const QString& text);

private:
    QTemporaryDir m_dir;
    QString m_path;
    sqlite3* m_db = nullptr;
};
