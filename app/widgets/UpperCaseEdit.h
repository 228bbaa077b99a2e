#pragma once

#include "LineEdit.h"

// A one-line edit whose letters are shown and kept in upper case, whether
// typed, pasted, dropped or set by the program. UI thread only.
class UpperCaseEdit : public LineEdit
{
    Q_OBJECT

public:
    explicit UpperCaseEdit(QWidget* parent = nullptr);
};
