#pragma once

#include <QString>

// The part of a phone field's text a modem can dial: its digits and commas
// (a comma makes the modem pause), in the order they stand. Everything else,
// blanks, "+", "-", brackets and letters, is dropped.
QString dialableNumber(const QString& text);
