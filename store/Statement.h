#pragma once

#include <QString>
#include <QVariant>

struct sqlite3;
struct sqlite3_stmt;

// One prepared SQLite statement, finalized with the object. Values are bound
// by position (1-based, as SQLite counts) or by the ":Name" of a parameter.
class Statement
{
public:
    Statement() = default;
    Statement(sqlite3* db, const QString& sql); // throws UserError with the engine's text
    ~Statement();
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&& other) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool isValid() const { return m_stmt != nullptr; }
    sqlite3_stmt* handle() const { return m_stmt; }

    void bind(int position, const QVariant& value);
    // Returns false when the statement has no parameter of that name.
    bool bind(const QString& name, const QVariant& value);
    int parameterCount() const;
    QString parameterName(int position) const;

    // Steps once; true while a row is available. Throws UserError on failure.
    bool step();
    // Runs a statement that returns no rows.
    void run();
    void reset();

    int columnCount() const;
    QString columnName(int column) const;
    QVariant columnValue(int column) const;
    QString columnTable(int column) const;
    QString columnOrigin(int column) const;
    QString columnDeclaredType(int column) const;

private:
    [[noreturn]] void fail() const;

    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_stmt = nullptr;
};

// The engine's last error text for a connection.
QString sqliteErrorText(sqlite3* db);
