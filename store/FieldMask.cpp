#include "FieldMask.h"

#include "EditMask.h"

QString maskDisplayText(const QString& mask, const QString& storedValue)
{
    return EditMask(mask).format(storedValue);
}

bool maskIsComplete(const QString& mask, const QString& typedText)
{
    const EditMask editMask(mask);
    // Text typed without the blanks (a pasted number, a value set in code) is
    // first put through the mask, as the editor would show it.
    const QString editText = typedText.size() == editMask.length() ? typedText : editMask.editText(typedText);
    return editMask.isComplete(editText);
}

QString maskStoredValue(const QString& mask, const QString& typedText)
{
    const EditMask editMask(mask);
    const QString editText = typedText.size() == editMask.length() ? typedText : editMask.editText(typedText);
    return editMask.storedValue(editText);
}
