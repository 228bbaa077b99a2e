#pragma once

#include <QString>

// The edit-mask operations a field needs, in one place over the mask engine.
// Typed text is the editor's text (with the blank character) or the bare value.
QString maskDisplayText(const QString& mask, const QString& storedValue);
bool maskIsComplete(const QString& mask, const QString& typedText);
QString maskStoredValue(const QString& mask, const QString& typedText);
