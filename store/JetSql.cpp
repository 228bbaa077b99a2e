#include "JetSql.h"

#include <QRegularExpression>

namespace {

QString translateDeleteAll(const QString& sql)
{
    static const QRegularExpression deleteAll(
        QStringLiteral(
            R"(^\s*DELETE\s+([A-Za-z_][A-Za-z0-9_]*)\.\*\s+FROM\s+([A-Za-z_][A-Za-z0-9_]*)\s*(;?)\s*$)"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = deleteAll.match(sql);
    if (!match.hasMatch() || match.captured(1).compare(match.captured(2), Qt::CaseInsensitive) != 0)
        return sql;
    return QStringLiteral("DELETE FROM ") + match.captured(2) + match.captured(3);
}

bool isDigits(QStringView text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

} // namespace

TranslatedStatement translateStatement(const QString& sql)
{
    TranslatedStatement result;
    const QString text = translateDeleteAll(sql);
    result.sql.reserve(text.size());

    // Walk the text once, keeping single-quoted literals whole, and lift each
    // double-quoted run of digits out as an integer value.
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\'')) {
            qsizetype end = i + 1;
            while (end < text.size()) {
                if (text.at(end) == QLatin1Char('\'')) {
                    if (end + 1 < text.size() && text.at(end + 1) == QLatin1Char('\''))
                        end += 2; // a doubled quote inside the literal
                    else
                        break;
                } else {
                    ++end;
                }
            }
            const qsizetype stop = qMin(end + 1, text.size());
            result.sql += QStringView(text).mid(i, stop - i);
            i = stop;
            continue;
        }
        if (c == QLatin1Char('"')) {
            const qsizetype end = text.indexOf(QLatin1Char('"'), i + 1);
            if (end > i) {
                const QStringView inner = QStringView(text).mid(i + 1, end - i - 1);
                bool ok = false;
                const qint64 key = isDigits(inner) ? inner.toLongLong(&ok) : 0;
                if (ok) {
                    result.sql += QLatin1Char('?');
                    result.values.append(key);
                    i = end + 1;
                    continue;
                }
            }
        }
        result.sql += c;
        ++i;
    }
    return result;
}
