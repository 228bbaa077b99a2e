#include "BenchData.h"

#include "DemoData.h"
#include "Schema.h"
#include "Statement.h"

#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <sqlite3.h>

namespace {

qint64 count(sqlite3* db, const char* sql)
{
    Statement statement(db, QString::fromUtf8(sql));
    return statement.step() ? statement.columnValue(0).toLongLong() : 0;
}

bool hasShape(const QString& path, int contacts)
{
    if (!QFileInfo::exists(path))
        return false;
    sqlite3* db = nullptr;
    bool ok = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr)
        == SQLITE_OK;
    try {
        ok = ok && count(db, "SELECT count(*) FROM Customers") == contacts
            && count(db, "SELECT count(*) FROM Parametrs") == 20
            && count(db, "SELECT count(*) FROM ClientParam") == qint64(contacts) * 10
            && count(db, "SELECT count(*) FROM CallHistory") == qint64(contacts) * 5;
    } catch (...) {
        ok = false;
    }
    sqlite3_close(db);
    return ok;
}

} // namespace

QString ensureBenchDatabase(const QString& path, int contacts)
{
    if (hasShape(path, contacts))
        return path;
    QFile::remove(path);
    QFile::remove(path + QStringLiteral("-wal"));
    QFile::remove(path + QStringLiteral("-shm"));
    std::fprintf(stderr, "Generating %s with %d contacts...\n", qPrintable(path), contacts);
    Schema::createFile(path);
    sqlite3* db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    DemoOptions options;
    options.contacts = contacts;
    options.fieldTypes = 20;
    options.minValues = options.maxValues = 10;
    options.minNotes = options.maxNotes = 5;
    options.seed = 2026;
    generateDemoData(db, options);
    sqlite3_exec(db, "ANALYZE", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return path;
}
