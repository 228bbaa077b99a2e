#pragma once

#include <QString>

struct sqlite3;

// The tables, indexes and named row sources of a contacts database file.
// Only the new-database tool and the tests create a file; the program opens
// existing ones.
namespace Schema {

// Creates every table, index and view in an empty database, in one
// transaction, and switches the file to the WAL journal. Throws UserError.
void create(sqlite3* db);

// Adds the field types and phone masks a new file starts with.
void addStandardRows(sqlite3* db);

// Creates a new database file at path: refuses (UserError) when anything
// exists there, and leaves nothing behind when it fails.
void createFile(const QString& path);

} // namespace Schema
