#include "FieldMask.h"

// Interim pass-through until the mask engine is linked.
QString maskDisplayText(const QString&, const QString& storedValue)
{
    return storedValue;
}

bool maskIsComplete(const QString&, const QString&)
{
    return true;
}

QString maskStoredValue(const QString&, const QString& typedText)
{
    return typedText;
}
