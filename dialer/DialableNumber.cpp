#include "DialableNumber.h"

QString dialableNumber(const QString& text)
{
    QString number;
    number.reserve(text.size());
    for (const QChar c : text) {
        // Only ASCII digits: QChar::isDigit() would also let through digits of
        // other scripts, which no modem dials.
        if ((c >= u'0' && c <= u'9') || c == u',')
            number.append(c);
    }
    return number;
}
