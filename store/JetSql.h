#pragma once

#include <QString>
#include <QVariantList>

// Statements written for the original engine that SQLite does not take as
// they stand, translated in this one place. Everything SQLite accepts passes
// through unchanged.
struct TranslatedStatement
{
    QString sql;
    // Values lifted out of the text, to be bound in order to the "?" marks.
    QVariantList values;
};

// "DELETE t.*  FROM t;" becomes "DELETE FROM t;", and a key written as
// decimal digits in double quotes ("123") becomes a bound integer, so that a
// value never becomes part of the statement text.
TranslatedStatement translateStatement(const QString& sql);
