#include "UserError.h"

UserError::UserError(const QString& text)
    : std::runtime_error(text.toStdString())
    , m_text(text)
{ }
