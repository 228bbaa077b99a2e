#include "UpperCaseEdit.h"

#include <QValidator>

namespace {

// QLineEdit takes over whatever the validator makes of the text, on every
// change, so this one place covers typing, pasting, dropping and setText.
class UpperCaseValidator final : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString& input, int& position) const override
    {
        const QString upper = input.toUpper();
        if (upper.size() != input.size())
            position = int(upper.size()) - int(input.size() - position);
        input = upper;
        return Acceptable;
    }
};

} // namespace

UpperCaseEdit::UpperCaseEdit(QWidget* parent)
    : LineEdit(parent)
{
    setValidator(new UpperCaseValidator(this));
}
