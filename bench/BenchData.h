#pragma once

#include <QString>

// The benchmark database: 100,000 contacts, 20 field types, 10 values and 5
// call notes per contact. Made once and reused while it has that shape.
QString ensureBenchDatabase(const QString& path, int contacts);
