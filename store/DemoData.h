#pragma once

#include <cstdint>

struct sqlite3;

// Plausible contacts with field values and call notes, the same for the same
// seed, for the demo database and the benchmark.
struct DemoOptions
{
    int contacts = 50;
    int fieldTypes = 0; // at least this many field types in all (0: the standard ones)
    int minValues = 2; // field values per contact
    int maxValues = 5;
    int minNotes = 0; // call notes per contact
    int maxNotes = 4;
    std::uint32_t seed = 1;
};

// Adds the rows in one transaction; throws UserError.
void generateDemoData(sqlite3* db, const DemoOptions& options);
