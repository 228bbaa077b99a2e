#include "DemoData.h"

#include "Statement.h"
#include "UserError.h"

#include <QDateTime>
#include <QStringList>
#include <numeric>
#include <random>
#include <sqlite3.h>

namespace {

const char* const kFirstNames[]
    = { "Anna",  "Bruno", "Clara", "David", "Elena", "Felix", "Greta", "Hugo",  "Irene",  "Jonas", "Karla",
        "Lukas", "Maria", "Nils",  "Olga",  "Paul",  "Rosa",  "Simon", "Tanja", "Viktor", "Wanda", "Yannick",
        "Zoe",   "Marta", "Oskar", "Ida",   "Emil",  "Lena",  "Theo",  "Nora",  "Jakob",  "Mila" };
const char* const kLastNames[]
    = { "Abbot",    "Berger",  "Crabtree", "Dalton",     "Eriksen",   "Fischer", "Garcia",
        "Hoffmann", "Ivanova", "Jensen",   "Keller",     "Lindqvist", "Moreau",  "Novak",
        "Olsen",    "Petrov",  "Quinn",    "Richter",    "Schmidt",   "Tanaka",  "Urban",
        "Vogel",    "Weber",   "Young",    "Zimmermann", "Kowalski",  "Brennan", "Silva" };
const char* const kCompanies[] = { "Northwind Ltd", "Blue Harbor", "Acme Tools",      "Greenfield Farms",
                                   "Orbit Media",   "Stonebridge", "Lakeside Clinic", "Riverside Print" };
const char* const kNotes[] = { "Called about the new offer, will call back on Monday.",
                               "No answer.",
                               "Left a message on the answering machine.",
                               "Agreed to meet next week at the office.",
                               "Asked for the price list by e-mail.",
                               "Line busy, tried again later.",
                               "Confirmed the order.",
                               "Wants a call after 5 pm.",
                               "Discussed the invoice; payment is on its way.",
                               "Birthday greetings." };
const char* const kExtraTypes[]
    = { "Home phone", "Office", "Department",  "Assistant", "Skype",   "Partner",
        "Children",   "Hobby",  "Referred by", "Account",   "Region",  "Language",
        "Tax number", "Bank",   "Anniversary", "Nickname",  "Twitter", "LinkedIn",
        "Pager",      "Car",    "Room",        "Building",  "Notes 2", "Notes 3" };

template<size_t N> QString pick(std::mt19937& random, const char* const (&list)[N])
{
    return QString::fromUtf8(list[std::uniform_int_distribution<size_t>(0, N - 1)(random)]);
}

QString digits(std::mt19937& random, int count)
{
    QString text;
    text.reserve(count);
    std::uniform_int_distribution<int> digit(0, 9);
    for (int i = 0; i < count; ++i)
        text += QChar(u'0' + digit(random));
    return text;
}

void exec(sqlite3* db, const char* sql)
{
    Statement(db, QString::fromUtf8(sql)).run();
}

QString valueFor(const QString& type, const QString& first, const QString& last, std::mt19937& random)
{
    if (type == QLatin1String("E-mail"))
        return first.toLower() + QLatin1Char('.') + last.toLower() + QStringLiteral("@example.com");
    if (type == QLatin1String("Web-site"))
        return QStringLiteral("www.") + last.toLower() + QStringLiteral(".example.org");
    if (type == QLatin1String("Fax") || type == QLatin1String("Mobile")
        || type == QLatin1String("Home phone"))
        return digits(random, 10);
    if (type == QLatin1String("Company"))
        return pick(random, kCompanies);
    if (type == QLatin1String("Birthday"))
        return QDate(1950, 1, 1)
            .addDays(std::uniform_int_distribution<int>(0, 20000)(random))
            .toString(Qt::ISODate);
    if (type == QLatin1String("Address"))
        return QStringLiteral("%1 Main Street, Springfield")
            .arg(std::uniform_int_distribution<int>(1, 300)(random));
    return type + QStringLiteral(" of ") + first;
}

} // namespace

void generateDemoData(sqlite3* db, const DemoOptions& options)
{
    std::mt19937 random(options.seed);
    exec(db, "BEGIN");
    try {
        QList<qint64> typeIds;
        QStringList typeNames;
        {
            Statement types(
                db, QStringLiteral("SELECT ParamID, ParamDescr, TypeID FROM Parametrs ORDER BY TypeID"));
            int lastOrder = 0;
            while (types.step()) {
                typeIds.append(types.columnValue(0).toLongLong());
                typeNames.append(types.columnValue(1).toString());
                lastOrder = types.columnValue(2).toInt();
            }
            types.reset();
            Statement addType(db, QStringLiteral("INSERT INTO Parametrs (ParamDescr, TypeID) VALUES (?, ?)"));
            for (int i = 0; typeIds.size() < options.fieldTypes; ++i) {
                const QString name = i < int(std::size(kExtraTypes)) ? QString::fromUtf8(kExtraTypes[i])
                                                                     : QStringLiteral("Field %1").arg(i + 1);
                addType.bind(1, name);
                addType.bind(2, ++lastOrder);
                addType.run();
                typeIds.append(sqlite3_last_insert_rowid(db));
                typeNames.append(name);
            }
        }

        Statement contact(db, QStringLiteral("INSERT INTO Customers (Phone, Client) VALUES (?, ?)"));
        Statement value(
            db, QStringLiteral("INSERT INTO ClientParam (IdClient, ParamID, Value) VALUES (?, ?, ?)"));
        Statement note(
            db, QStringLiteral("INSERT INTO CallHistory (IdClient, Date, CallDescr) VALUES (?, ?, ?)"));
        std::uniform_int_distribution<int> valueCount(options.minValues,
                                                      qMax(options.minValues, options.maxValues));
        std::uniform_int_distribution<int> noteCount(options.minNotes,
                                                     qMax(options.minNotes, options.maxNotes));
        const QDateTime firstCall(QDate(2024, 1, 8), QTime(9, 0));

        for (int c = 0; c < options.contacts; ++c) {
            const QString first = pick(random, kFirstNames);
            const QString last = pick(random, kLastNames);
            contact.bind(1, digits(random, 10));
            contact.bind(2, QString(first + QLatin1Char(' ') + last));
            contact.run();
            const qint64 id = sqlite3_last_insert_rowid(db);

            // Distinct field types per contact, drawn without repetition.
            QList<int> order(typeIds.size());
            std::iota(order.begin(), order.end(), 0);
            std::shuffle(order.begin(), order.end(), random);
            const int values = qMin(valueCount(random), int(typeIds.size()));
            for (int v = 0; v < values; ++v) {
                value.bind(1, id);
                value.bind(2, typeIds[order[v]]);
                value.bind(3, valueFor(typeNames[order[v]], first, last, random));
                value.run();
            }
            const int notes = noteCount(random);
            for (int n = 0; n < notes; ++n) {
                const QDateTime when = firstCall.addSecs(
                    qint64(std::uniform_int_distribution<int>(0, 900 * 24 * 60)(random)) * 60);
                note.bind(1, id);
                note.bind(2, when);
                note.bind(3, pick(random, kNotes));
                note.run();
            }
        }
        exec(db, "COMMIT");
    } catch (...) {
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}
