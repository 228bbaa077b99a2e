#include "Statement.h"

#include "UserError.h"

#include <QDateTime>
#include <sqlite3.h>
#include <utility>

QString sqliteErrorText(sqlite3* db)
{
    return QString::fromUtf8(db ? sqlite3_errmsg(db) : "out of memory");
}

Statement::Statement(sqlite3* db, const QString& sql)
    : m_db(db)
{
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(db, text.constData(), int(text.size()), &m_stmt, nullptr) != SQLITE_OK) {
        const QString error = sqliteErrorText(db);
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        throw UserError(error);
    }
    if (!m_stmt) // only white space or a comment
        throw UserError(QStringLiteral("The statement is empty."));
}

Statement::~Statement()
{
    sqlite3_finalize(m_stmt);
}

Statement::Statement(Statement&& other) noexcept
    : m_db(std::exchange(other.m_db, nullptr))
    , m_stmt(std::exchange(other.m_stmt, nullptr))
{ }

Statement& Statement::operator=(Statement&& other) noexcept
{
    if (this != &other) {
        sqlite3_finalize(m_stmt);
        m_db = std::exchange(other.m_db, nullptr);
        m_stmt = std::exchange(other.m_stmt, nullptr);
    }
    return *this;
}

void Statement::fail() const
{
    throw UserError(sqliteErrorText(m_db));
}

void Statement::bind(int position, const QVariant& value)
{
    int rc = SQLITE_OK;
    if (value.isNull()) {
        rc = sqlite3_bind_null(m_stmt, position);
    } else {
        switch (value.typeId()) {
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::UInt:
        case QMetaType::Short:
        case QMetaType::Bool:
            rc = sqlite3_bind_int64(m_stmt, position, value.toLongLong());
            break;
        case QMetaType::Double:
            rc = sqlite3_bind_double(m_stmt, position, value.toDouble());
            break;
        case QMetaType::QDateTime: {
            // Local date and time in ISO 8601, the form every reader of the file expects.
            const QByteArray text = value.toDateTime().toString(Qt::ISODate).left(19).toUtf8();
            rc = sqlite3_bind_text(m_stmt, position, text.constData(), int(text.size()), SQLITE_TRANSIENT);
            break;
        }
        default: {
            const QByteArray text = value.toString().toUtf8();
            rc = sqlite3_bind_text(m_stmt, position, text.constData(), int(text.size()), SQLITE_TRANSIENT);
            break;
        }
        }
    }
    if (rc != SQLITE_OK)
        fail();
}

bool Statement::bind(const QString& name, const QVariant& value)
{
    const QByteArray key = (QLatin1Char(':') + name).toUtf8();
    const int position = sqlite3_bind_parameter_index(m_stmt, key.constData());
    if (position == 0)
        return false;
    bind(position, value);
    return true;
}

int Statement::parameterCount() const
{
    return sqlite3_bind_parameter_count(m_stmt);
}

QString Statement::parameterName(int position) const
{
    const char* name = sqlite3_bind_parameter_name(m_stmt, position);
    return name ? QString::fromUtf8(name + 1) : QString();
}

bool Statement::step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    // A failed statement is left ready for its next use, values cleared.
    const QString error = sqliteErrorText(m_db);
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
    throw UserError(error);
}

void Statement::run()
{
    while (step()) { }
    reset();
}

void Statement::reset()
{
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

int Statement::columnCount() const
{
    return sqlite3_column_count(m_stmt);
}

QString Statement::columnName(int column) const
{
    return QString::fromUtf8(sqlite3_column_name(m_stmt, column));
}

QVariant Statement::columnValue(int column) const
{
    switch (sqlite3_column_type(m_stmt, column)) {
    case SQLITE_INTEGER:
        return QVariant(qint64(sqlite3_column_int64(m_stmt, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(m_stmt, column));
    case SQLITE_NULL:
        return QVariant();
    default: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
        return QVariant(QString::fromUtf8(text, sqlite3_column_bytes(m_stmt, column)));
    }
    }
}

QString Statement::columnTable(int column) const
{
    return QString::fromUtf8(sqlite3_column_table_name(m_stmt, column));
}

QString Statement::columnOrigin(int column) const
{
    return QString::fromUtf8(sqlite3_column_origin_name(m_stmt, column));
}

QString Statement::columnDeclaredType(int column) const
{
    return QString::fromUtf8(sqlite3_column_decltype(m_stmt, column));
}
