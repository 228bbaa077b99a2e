#include "Connection.h"

#include "JetSql.h"
#include "UserError.h"

#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <sqlite3.h>

namespace {

const QString kConnectionPrefix = QStringLiteral("Provider=SQLite;Persist Security Info=False;Data Source=");
constexpr int kBusyTimeoutMs = 5000;

int g_connectionCounter = 0;

// The mode bits, not access(2): the file's read-only mark holds for an
// administrator too, as the user expects of a file marked so.
bool hasAnyWriteBit(const QFileInfo& info)
{
    return info.permissions() & (QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther);
}

} // namespace

Connection::Connection(QObject* parent)
    : QObject(parent)
    , m_qtName(QStringLiteral("orvanta-%1").arg(++g_connectionCounter))
{ }

Connection::~Connection()
{
    close();
}

QString Connection::connectionStringFor(const QString& databasePath)
{
    return kConnectionPrefix + databasePath;
}

QString Connection::dataSourceOf(const QString& connectionString)
{
    static const QString key = QStringLiteral("Data Source=");
    const qsizetype at = connectionString.indexOf(key, 0, Qt::CaseInsensitive);
    if (at < 0)
        return {};
    // The path is the rest of the string: a path may itself hold ';'.
    return connectionString.mid(at + key.size()).trimmed();
}

void Connection::setConnectionString(const QString& connectionString)
{
    m_connectionString = connectionString;
}

void Connection::open()
{
    close();
    const QString path = dataSourceOf(m_connectionString);
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        throw UserError(QStringLiteral("unable to open database file: %1").arg(path));
    if (!info.isFile())
        throw UserError(QStringLiteral("unable to open database file: %1 is not a file").arg(path));

    m_readOnly = !hasAnyWriteBit(info);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_qtName);
        db.setDatabaseName(path);
        QString options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs);
        if (m_readOnly)
            options += QStringLiteral(";QSQLITE_OPEN_READONLY");
        db.setConnectOptions(options);
        if (!db.open()) {
            const QString error
                = db.lastError().driverText() + QLatin1Char(' ') + db.lastError().databaseText();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(m_qtName);
            throw UserError(error.trimmed());
        }
        const QVariant handle = db.driver()->handle();
        if (handle.isValid() && qstrcmp(handle.typeName(), "sqlite3*") == 0)
            m_db = *static_cast<sqlite3* const*>(handle.constData());
    }
    if (!m_db) {
        close();
        throw UserError(QStringLiteral("The SQLite driver gave no connection handle."));
    }
    try {
        checkSchema();
        applyConnectionSettings();
    } catch (...) {
        close();
        throw;
    }
    Q_EMIT opened();
}

void Connection::checkSchema()
{
    // Reading the schema is what tells a database from any other file; each
    // table is then touched once so a missing one is named by the engine.
    static const char* const tables[]
        = { "Customers",     "Parametrs",    "ClientParam",       "CallHistory", "PhoneMasks",
            "ReportClients", "ReportParams", "ClientParamReport", "ExportParams" };
    Statement(m_db, QStringLiteral("SELECT count(*) FROM sqlite_master")).run();
    for (const char* table : tables)
        Statement(m_db, QStringLiteral("SELECT * FROM %1 LIMIT 0").arg(QLatin1String(table))).run();
}

void Connection::applyConnectionSettings()
{
    Statement(m_db, QStringLiteral("PRAGMA foreign_keys=ON")).run();
    if (!m_readOnly) {
        // WAL lets the plug-in's connection read and write while this one stays open.
        Statement journal(m_db, QStringLiteral("PRAGMA journal_mode=WAL"));
        while (journal.step()) { }
    }
}

void Connection::close()
{
    if (!m_db && !QSqlDatabase::contains(m_qtName))
        return;
    if (m_db)
        Q_EMIT aboutToClose();
    // Statements must be finalized before SQLite lets the connection go.
    m_statements.clear();
    m_db = nullptr;
    {
        QSqlDatabase db = QSqlDatabase::database(m_qtName, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_qtName);
    m_readOnly = false;
}

Statement& Connection::cachedStatement(const QString& sql)
{
    if (!m_db)
        throw UserError(QStringLiteral("The database is not connected."));
    auto found = m_statements.find(sql);
    if (found == m_statements.end())
        found = m_statements.emplace(sql, std::make_unique<Statement>(m_db, sql)).first;
    return *found->second;
}

int Connection::execute(const QString& sql, const QVariantList& values)
{
    if (!m_db)
        throw UserError(QStringLiteral("The database is not connected."));
    const TranslatedStatement translated = translateStatement(sql);
    Statement statement(m_db, translated.sql);
    int position = 1;
    for (const QVariant& value : values + translated.values)
        statement.bind(position++, value);
    statement.run();
    return sqlite3_changes(m_db);
}

qint64 Connection::lastInsertRowId() const
{
    return m_db ? sqlite3_last_insert_rowid(m_db) : 0;
}
