#include "TestDatabase.h"

#include "Connection.h"
#include "Schema.h"
#include "Statement.h"

#include <QFile>
#include <sqlite3.h>

TestDatabase::TestDatabase()
    : m_path(m_dir.filePath(QStringLiteral("Tesmora.sdb")))
{
    Schema::createFile(m_path);
    sqlite3_open_v2(QFile::encodeName(m_path).constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_busy_timeout(m_db, 5000);
    exec(QStringLiteral("PRAGMA foreign_keys=ON"));
}

TestDatabase::~TestDatabase()
{
    sqlite3_close(m_db);
}

QString TestDatabase::connectionString() const
{
    return Connection::connectionStringFor(m_path);
}

void TestDatabase::exec(const QString& sql, const QVariantList& values)
{
    Statement statement(m_db, sql);
    for (qsizetype i = 0; i < values.size(); ++i)
        statement.bind(int(i) + 1, values[i]);
    statement.run();
}

QVariant TestDatabase::scalar(const QString& sql, const QVariantList& values)
{
    const QList<QVariantList> result = rows(sql, values);
    return result.isEmpty() || result.front().isEmpty() ? QVariant() : result.front().front();
}

QList<QVariantList> TestDatabase::rows(const QString& sql, const QVariantList& values)
{
    Statement statement(m_db, sql);
    for (qsizetype i = 0; i < values.size(); ++i)
        statement.bind(int(i) + 1, values[i]);
    QList<QVariantList> result;
    while (statement.step()) {
        QVariantList row;
        for (int c = 0; c < statement.columnCount(); ++c)
            row.append(statement.columnValue(c));
        result.append(row);
    }
    return result;
}

qint64 TestDatabase::addContact(const QString& name, const QString& phone)
{
    exec(QStringLiteral("INSERT INTO Customers (Client, Phone) VALUES (?, ?)"), { name, phone });
    return sqlite3_last_insert_rowid(m_db);
}

qint64 TestDatabase::paramId(const QString& name)
{
    return scalar(QStringLiteral("SELECT ParamID FROM Parametrs WHERE ParamDescr = ?"), { name })
        .toLongLong();
}

qint64 TestDatabase::addFieldType(const QString& name, int order)
{
    exec(QStringLiteral("INSERT INTO Parametrs (ParamDescr, TypeID) VALUES (?, ?)"), { name, order });
    return sqlite3_last_insert_rowid(m_db);
}

void TestDatabase::addValue(qint64 contact, const QString& fieldType, const QString& value)
{
    exec(QStringLiteral("INSERT INTO ClientParam (IdClient, ParamID, Value) VALUES (?, ?, ?)"),
         { contact, paramId(fieldType), value });
}

qint64 TestDatabase::addNote(qint64 contact, const QDateTime& when, const QString& text)
{
    exec(QStringLiteral("INSERT INTO CallHistory (IdClient, Date, CallDescr) VALUES (?, ?, ?)"),
         { contact, when, text });
    return sqlite3_last_insert_rowid(m_db);
}
