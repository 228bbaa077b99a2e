#pragma once

#include "Statement.h"

#include <QObject>
#include <QSqlDatabase>
#include <QVariantList>
#include <memory>
#include <unordered_map>

// The connection to one database file (cnTesmora and the plug-in's own).
// Qt SQL opens and owns the SQLite connection; the datasets read and write
// through its handle with prepared statements kept for reuse, so that moving
// through the contacts does not parse the same statement again.
// A file is opened only when it exists and is a database with every table of
// the schema; it is never created or modified by opening it. A file without
// any write permission bit is opened read-only. UI thread only.
class Connection : public QObject
{
    Q_OBJECT

public:
    explicit Connection(QObject* parent = nullptr);
    ~Connection() override;

    static QString connectionStringFor(const QString& databasePath);
    // The "Data Source" part of a connection string; empty when it has none.
    static QString dataSourceOf(const QString& connectionString);

    void setConnectionString(const QString& connectionString);
    const QString& connectionString() const { return m_connectionString; }

    // Throws UserError with the engine's own text when the file cannot be
    // used; the connection then stays closed.
    void open();
    void close();
    bool isOpen() const { return m_db != nullptr; }
    bool isReadOnly() const { return m_readOnly; }

    sqlite3* handle() const { return m_db; }

    // A prepared statement kept for the life of the connection. The caller
    // resets it when done (Statement::reset).
    Statement& cachedStatement(const QString& sql);

    // Runs one statement (translated where the original engine's form needs
    // it) with positional values; returns the number of rows changed.
    int execute(const QString& sql, const QVariantList& values = {});
    qint64 lastInsertRowId() const;

Q_SIGNALS:
    void opened();
    void aboutToClose();

private:
    void checkSchema();
    void applyConnectionSettings();

    QString m_connectionString;
    QString m_qtName;
    sqlite3* m_db = nullptr;
    bool m_readOnly = false;
    std::unordered_map<QString, std::unique_ptr<Statement>> m_statements;
};
