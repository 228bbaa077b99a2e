#include "Schema.h"

#include "Statement.h"
#include "UserError.h"

#include <QFile>
#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

namespace {

// Sizes and required columns are checked by the engine itself, so a value
// that does not fit is refused with a named constraint and never cut.
const char* const kSchema[] = {
    R"(CREATE TABLE Customers (
        IdClient INTEGER PRIMARY KEY AUTOINCREMENT,
        Phone VARCHAR(20) CONSTRAINT "Phone holds at most 20 characters" CHECK (length(Phone) <= 20),
        Client VARCHAR(50) CONSTRAINT "Name holds at most 50 characters" CHECK (length(Client) <= 50)
    ))",
    R"(CREATE TABLE Parametrs (
        ParamID INTEGER PRIMARY KEY AUTOINCREMENT,
        ParamDescr VARCHAR(50) CONSTRAINT "Property holds at most 50 characters" CHECK (length(ParamDescr) <= 50),
        TypeID INTEGER CONSTRAINT "Order must have a value" CHECK (TypeID IS NOT NULL)
                       CONSTRAINT "Order is a whole number" CHECK (typeof(TypeID) = 'integer')
    ))",
    R"(CREATE TABLE ClientParam (
        IdClient INTEGER REFERENCES Customers (IdClient) ON DELETE CASCADE,
        ParamID INTEGER REFERENCES Parametrs (ParamID) ON DELETE CASCADE,
        Value VARCHAR(255) CONSTRAINT "Value holds at most 255 characters" CHECK (length(Value) <= 255)
    ))",
    R"(CREATE TABLE CallHistory (
        CallID INTEGER PRIMARY KEY AUTOINCREMENT,
        IdClient INTEGER REFERENCES Customers (IdClient) ON DELETE CASCADE,
        Date DATETIME,
        CallDescr VARCHAR(255) CONSTRAINT "Note holds at most 255 characters" CHECK (length(CallDescr) <= 255)
    ))",
    R"(CREATE TABLE PhoneMasks (
        KodMask INTEGER PRIMARY KEY AUTOINCREMENT,
        Descr VARCHAR(20) CONSTRAINT "Description holds at most 20 characters" CHECK (length(Descr) <= 20),
        Value VARCHAR(25) CONSTRAINT "Mask holds at most 25 characters" CHECK (length(Value) <= 25)
    ))",
    R"(CREATE TABLE ReportClients (
        IdClient INTEGER REFERENCES Customers (IdClient) ON DELETE CASCADE
    ))",
    R"(CREATE TABLE ReportParams (
        ParamID INTEGER REFERENCES Parametrs (ParamID) ON DELETE CASCADE
    ))",
    "CREATE INDEX ClientParamByClient ON ClientParam (IdClient)",
    "CREATE INDEX CallHistoryByClientDate ON CallHistory (IdClient, Date)",
    "CREATE INDEX ClientParamByParam ON ClientParam (ParamID)",
    // The picked field types, each once, in the order they were picked.
    R"(CREATE VIEW ExportParams AS
        SELECT Parametrs.ParamDescr AS ParamDescr, Parametrs.ParamID AS ParamID
        FROM (SELECT ParamID, min(rowid) AS Position FROM ReportParams GROUP BY ParamID) AS Picked
        JOIN Parametrs ON Parametrs.ParamID = Picked.ParamID
        ORDER BY Picked.Position)",
    // One row per value a picked contact holds for a picked field type; a
    // contact's rows stand together, in the order of ExportParams.
    R"(CREATE VIEW ClientParamReport AS
        SELECT Customers.Client AS Client, Customers.Phone AS Phone, Parametrs.ParamDescr AS ParamDescr,
               ClientParam.Value AS Value, Customers.IdClient AS IdClient
        FROM (SELECT DISTINCT IdClient FROM ReportClients) AS PickedClients
        JOIN Customers ON Customers.IdClient = PickedClients.IdClient
        JOIN ClientParam ON ClientParam.IdClient = Customers.IdClient
        JOIN (SELECT ParamID, min(rowid) AS Position FROM ReportParams GROUP BY ParamID) AS PickedParams
             ON PickedParams.ParamID = ClientParam.ParamID
        JOIN Parametrs ON Parametrs.ParamID = ClientParam.ParamID
        ORDER BY Customers.Client, Customers.IdClient, PickedParams.Position, ClientParam.rowid)",
};

void run(sqlite3* db, const QString& sql)
{
    Statement(db, sql).run();
}

} // namespace

namespace Schema {

void create(sqlite3* db)
{
    run(db, QStringLiteral("PRAGMA journal_mode=WAL"));
    run(db, QStringLiteral("BEGIN"));
    try {
        for (const char* sql : kSchema)
            run(db, QString::fromUtf8(sql));
        run(db, QStringLiteral("COMMIT"));
    } catch (...) {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

void addStandardRows(sqlite3* db)
{
    // The first three drive the e-mail, web and fax actions and are protected.
    static const char* const fieldTypes[]
        = { "E-mail", "Web-site", "Fax", "Mobile", "Company", "Address", "Birthday", "Position", "Comment" };
    static const std::pair<const char*, const char*> masks[] = {
        { "USA/Canada", "000-000-0000;0;_" },        { "With area code", "(000) 000-0000;0;_" },
        { "International", "+99 999 999 9999;0;_" }, { "Local 7 digits", "000-0000;0;_" },
        { "Digits only", "0000000000;0;_" },
    };
    Statement type(db, QStringLiteral("INSERT INTO Parametrs (ParamDescr, TypeID) VALUES (?, ?)"));
    int order = 1;
    for (const char* name : fieldTypes) {
        type.bind(1, QString::fromUtf8(name));
        type.bind(2, order++);
        type.run();
    }
    Statement mask(db, QStringLiteral("INSERT INTO PhoneMasks (Descr, Value) VALUES (?, ?)"));
    for (const auto& [descr, value] : masks) {
        mask.bind(1, QString::fromUtf8(descr));
        mask.bind(2, QString::fromUtf8(value));
        mask.run();
    }
}

void createFile(const QString& path)
{
    const QByteArray native = QFile::encodeName(path);
    // Claiming the name with O_EXCL means an existing file is never touched,
    // even one that appears between a check and the creation.
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) {
        if (errno == EEXIST)
            throw UserError(QStringLiteral("The file already exists: %1").arg(path));
        throw UserError(
            QStringLiteral("Cannot create %1: %2").arg(path, QString::fromLocal8Bit(strerror(errno))));
    }
    ::close(fd);

    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(native.constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    try {
        if (rc != SQLITE_OK)
            throw UserError(sqliteErrorText(db));
        create(db);
        addStandardRows(db);
    } catch (...) {
        sqlite3_close(db);
        QFile::remove(path);
        QFile::remove(path + QStringLiteral("-wal"));
        QFile::remove(path + QStringLiteral("-shm"));
        throw;
    }
    sqlite3_close(db);
}

} // namespace Schema
