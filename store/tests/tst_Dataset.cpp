#include "Connection.h"
#include "DataSource.h"
#include "Dataset.h"
#include "FakeMessages.h"
#include "TestDatabase.h"
#include "UserError.h"

#include <QSignalSpy>
#include <QTest>

// The dataset over real SQLite files: states, changes, refresh, filter and
// the join whose changes go to one table.
class TestDataset : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void opensWholeResultOnFirstRow();
    void navigatesWithinRows();
    void insertPostKnowsKeyAtOnce();
    void editPostWritesOnlyChangedRow();
    void cancelRestoresRowAndDropsInsert();
    void removeDeletesRowAndKeepsPosition();
    void refreshSeesOtherConnectionAndKeepsRow();
    void filter_data();
    void filter();
    void filterSurvivesStatementChange();
    void filterPostsPendingEdit();
    void joinChangesGoToUniqueTableOnly();
    void joinInsertAndDeleteTouchClientParamOnly();
    void lookupShowsAndChoosesByName();
    void overLongValueRefusedRowKeptInEditing();
    void requiredAndIntegerChecks_data();
    void requiredAndIntegerChecks();
    void maskedField_data();
    void maskedField();
    void beforeDeleteRefusalKeepsRow();
    void dataChangeFiresForEveryCause();

private:
    QStringList names(const Dataset& dataset) const;
    // Opens the contact's field values with their changes going to ClientParam.
    static void openFieldsOf(Dataset& fields, qint64 contact);
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<Connection> m_connection;
    FakeMessages m_messages;
};

static const QString kContacts
    = QStringLiteral("SELECT Customers.IdClient, Customers.Phone, Customers.Client "
                     "FROM Customers ORDER BY Customers.Client;");
static const QString kFields = QStringLiteral(
    "SELECT ClientParam.IdClient, ClientParam.ParamID, ClientParam.Value, Parametrs.ParamDescr, "
    "Parametrs.TypeID FROM Parametrs INNER JOIN ClientParam ON Parametrs.ParamID = ClientParam.ParamID "
    "WHERE (((ClientParam.IdClient)=:IdClient)) ORDER BY Parametrs.ParamDescr");

void TestDataset::init()
{
    m_db = std::make_unique<TestDatabase>();
    QVERIFY(m_db->isValid());
    m_db->addContact(QStringLiteral("Crab Cakes"), QStringLiteral("5550001111"));
    m_db->addContact(QStringLiteral("Abbot Anna"), QStringLiteral("5550002222"));
    m_db->addContact(QStringLiteral("Zeta Zoe"), QStringLiteral("5550003333"));
    m_connection = std::make_unique<Connection>();
    m_connection->setConnectionString(m_db->connectionString());
    m_connection->open();
    m_messages.clear();
}

void TestDataset::cleanup()
{
    m_connection.reset();
    m_db.reset();
}

QStringList TestDataset::names(const Dataset& dataset) const
{
    QStringList result;
    const int client = dataset.fieldIndex(QStringLiteral("Client"));
    for (int row = 0; row < dataset.recordCount(); ++row)
        result.append(dataset.value(row, client).toString());
    return result;
}

void TestDataset::openFieldsOf(Dataset& fields, qint64 contact)
{
    fields.setSql(kFields);
    fields.setParameter(QStringLiteral("IdClient"), contact);
    fields.open();
    fields.setUpdateTable(QStringLiteral("ClientParam"));
}

void TestDataset::opensWholeResultOnFirstRow()
{
    Dataset contacts(*m_connection);
    QCOMPARE(contacts.state(), Dataset::State::Inactive);
    contacts.setSql(kContacts);
    contacts.open();
    QCOMPARE(contacts.state(), Dataset::State::Browse);
    QCOMPARE(contacts.recordCount(), 3);
    QCOMPARE(contacts.currentRow(), 0);
    QCOMPARE(names(contacts), QStringList({ "Abbot Anna", "Crab Cakes", "Zeta Zoe" }));
    // Without field definitions every column is a field, typed from the table.
    QCOMPARE(contacts.fieldCount(), 3);
    QCOMPARE(contacts.fieldByName(QStringLiteral("IdClient")).type(), FieldType::AutoIncrement);
    QCOMPARE(contacts.fieldByName(QStringLiteral("Client")).size(), 50);
    QVERIFY(contacts.canModify());
    contacts.close();
    QCOMPARE(contacts.state(), Dataset::State::Inactive);
    QCOMPARE(contacts.recordCount(), 0);
    QVERIFY_THROWS_EXCEPTION(UserError, contacts.next());
}

void TestDataset::navigatesWithinRows()
{
    Dataset contacts(*m_connection);
    contacts.setSql(kContacts);
    contacts.open();
    QVERIFY(contacts.atFirst());
    QVERIFY(!contacts.atLast());
    contacts.prior();
    QCOMPARE(contacts.currentRow(), 0);
    contacts.last();
    QCOMPARE(contacts.currentRow(), 2);
    QVERIFY(contacts.atLast());
    contacts.next();
    QCOMPARE(contacts.currentRow(), 2);
    contacts.prior();
    QCOMPARE(contacts.fieldByName(QStringLiteral("Client")).asString(), QStringLiteral("Crab Cakes"));
    QVERIFY(contacts.locate(QStringLiteral("Client"), QStringLiteral("Zeta Zoe")));
    QCOMPARE(contacts.currentRow(), 2);
    QVERIFY(!contacts.locate(QStringLiteral("Client"), QStringLiteral("Nobody")));
}

void TestDataset::insertPostKnowsKeyAtOnce()
{
    Dataset contacts(*m_connection);
    contacts.setSql(kContacts);
    contacts.open();
    contacts.next();
    contacts.insert();
    QCOMPARE(contacts.state(), Dataset::State::Insert);
    QCOMPARE(contacts.recordCount(), 4);
    QCOMPARE(contacts.currentRow(), 1); // before the row that was current
    QVERIFY(contacts.fieldByName(QStringLiteral("IdClient")).isNull());
    contacts.fieldByName(QStringLiteral("Client")).setValue(QStringLiteral("New Person"));
    contacts.post();
    QCOMPARE(contacts.state(), Dataset::State::Browse);
    const qint64 key = contacts.fieldByName(QStringLiteral("IdClient")).asInteger();
    QVERIFY(key > 0);
    QCOMPARE(
        m_db->scalar(QStringLiteral("SELECT Client FROM Customers WHERE IdClient = ?"), { key }).toString(),
        QStringLiteral("New Person"));

    // Keys are never reused, even after the last row is deleted.
    contacts.remove();
    contacts.append();
    contacts.fieldByName(QStringLiteral("Client")).setValue(QStringLiteral("After"));
    contacts.post();
    QVERIFY(contacts.fieldByName(QStringLiteral("IdClient")).asInteger() > key);
}

void TestDataset::editPostWritesOnlyChangedRow()
{
    Dataset contacts(*m_connection);
    contacts.setSql(kContacts);
    contacts.open();
    Field& phone = contacts.fieldByName(QStringLiteral("Phone"));
    phone.setValue(QStringLiteral("1234567890")); // starts editing by itself
    QCOMPARE(contacts.state(), Dataset::State::Edit);
    QVERIFY(contacts.isModified());
    QCOMPARE(phone.asString(), QStringLiteral("1234567890"));
    contacts.post();
    QCOMPARE(m_db->rows(QStringLiteral("SELECT Client, Phone FROM Customers ORDER BY IdClient")),
             QList<QVariantList>({ { QStringLiteral("Crab Cakes"), QStringLiteral("5550001111") },
                                   { QStringLiteral("Abbot Anna"), QStringLiteral("1234567890") },
                                   { QStringLiteral("Zeta Zoe"), QStringLiteral("5550003333") } }));
}

void TestDataset::cancelRestoresRowAndDropsInsert()
{
    Dataset contacts(*m_connection);
    contacts.setSql(kContacts);
    contacts.open();
    contacts.edit();
    contacts.fieldByName(QStringLiteral("Client")).setValue(QStringLiteral("Changed"));
    contacts.cancel();
    QCOMPARE(contacts.fieldByName(QStringLiteral("Client")).asString(), QStringLiteral("Abbot Anna"));
    contacts.last();
    contacts.insert();
    contacts.cancel();
    QCOMPARE(contacts.recordCount(), 3);
    QCOMPARE(contacts.fieldByName(QStringLiteral("Client")).asString(), QStringLiteral("Zeta Zoe"));
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM Customers")).toInt(), 3);
}

void TestDataset::removeDeletesRowAndKeepsPosition()
{
    Dataset contacts(*m_connection);
    contacts.setSql(kContacts);
    contacts.open();
    contacts.next();
    contacts.remove();
    QCOMPARE(names(contacts), QStringList({ "Abbot Anna", "Zeta Zoe" }));
    QCOMPARE(contacts.currentRow(), 1);
    contacts.remove();
    QCOMPARE(contacts.currentRow(), 0);
    contacts.remove();
    QVERIFY(contacts.isEmpty());
    QCOMPARE(contacts.currentRow(), -1);
    QVERIFY_THROWS_EXCEPTION(UserError, contacts.remove());
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM Customers")).toInt(), 0);
}

void TestDataset::refreshSeesOtherConnectionAndKeepsRow()
{
    Dataset contacts(*m_connection);
    contacts.setSql(kContacts);
    contacts.open();
    contacts.locate(QStringLiteral("Client"), QStringLiteral("Crab Cakes"));
    m_db->addContact(QStringLiteral("Aaron First"), QStringLiteral("1"));
    m_db->exec(QStringLiteral("UPDATE Customers SET Phone = '999' WHERE Client = 'Crab Cakes'"));
    contacts.refresh();
    QCOMPARE(contacts.recordCount(), 4);
    QCOMPARE(contacts.fieldByName(QStringLiteral("Client")).asString(), QStringLiteral("Crab Cakes"));
    QCOMPARE(contacts.fieldByName(QStringLiteral("Phone")).asString(), QStringLiteral("999"));
    QCOMPARE(contacts.currentRow(), 2);
}

void TestDataset::filter_data()
{
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("contains any case")
        << "Client LIKE '*AB*'" << QStringList { "Abbot Anna", "Crab Cakes", "ÉLODIE ab" };
    QTest::newRow("unicode case") << "Client LIKE '*élo*'" << QStringList { "ÉLODIE ab" };
    QTest::newRow("no match") << "Client LIKE '*xyz*'" << QStringList {};
    QTest::newRow("quote literal") << "Client LIKE '*O'BR*'" << QStringList { "o'brien" };
    QTest::newRow("percent literal") << "Client LIKE '*100%*'" << QStringList { "100% Pure" };
    QTest::newRow("underscore literal") << "Client LIKE '*a_b*'" << QStringList { "a_b corp" };
    QTest::newRow("asterisk literal") << "Client LIKE '*r*s*'" << QStringList { "Star*s" };
    QTest::newRow("phone digits") << "Phone LIKE '*0002*'" << QStringList { "Abbot Anna" };
    QTest::newRow("empty text matches all")
        << "Client LIKE '**'" << QStringList { "100% Pure", "Abbot Anna", "Crab Cakes", "Star*s",
                                               "Zeta Zoe",  "a_b corp",   "o'brien",    "ÉLODIE ab" };
}

void TestDataset::filter()
{
    QFETCH(QString, expression);
    QFETCH(QStringList, expected);
    for (const char* name : { "ÉLODIE ab", "o'brien", "100% Pure", "a_b corp", "Star*s", "arbs" })
        m_db->addContact(QString::fromUtf8(name), QStringLiteral("1"));
    m_db->exec(QStringLiteral("DELETE FROM Customers WHERE Client = 'arbs'"));
    Dataset contacts(*m_connection);
    contacts.setSql(kContacts);
    contacts.open();
    contacts.last();
    contacts.setFilter(expression);
    contacts.setFiltered(true);
    QCOMPARE(names(contacts), expected);
    QCOMPARE(contacts.currentRow(), expected.isEmpty() ? -1 : 0);
    contacts.setFiltered(false);
    QCOMPARE(contacts.recordCount(), 8);
    QCOMPARE(contacts.currentRow(), 0);
}

void TestDataset::filterSurvivesStatementChange()
{
    Dataset contacts(*m_connection);
    contacts.setSql(kContacts);
    contacts.open();
    contacts.setFilter(QStringLiteral("Client LIKE '*a*'"));
    contacts.setFiltered(true);
    contacts.close();
    contacts.setSql(
        QStringLiteral("SELECT Customers.IdClient, Customers.Phone, Customers.Client FROM Customers "
                       "ORDER BY Customers.Client Desc"));
    contacts.open();
    QCOMPARE(names(contacts), QStringList({ "Zeta Zoe", "Crab Cakes", "Abbot Anna" }));
    contacts.setFilter(QStringLiteral("Client LIKE '*zo*'"));
    QCOMPARE(names(contacts), QStringList({ "Zeta Zoe" }));
}

void TestDataset::filterPostsPendingEdit()
{
    Dataset contacts(*m_connection);
    contacts.setSql(kContacts);
    contacts.open();
    contacts.fieldByName(QStringLiteral("Client")).setValue(QStringLiteral("Abbot Changed"));
    contacts.setFilter(QStringLiteral("Client LIKE '*zoe*'"));
    contacts.setFiltered(true);
    QCOMPARE(contacts.state(), Dataset::State::Browse);
    QCOMPARE(
        m_db->scalar(QStringLiteral("SELECT count(*) FROM Customers WHERE Client = 'Abbot Changed'")).toInt(),
        1);
}

void TestDataset::joinChangesGoToUniqueTableOnly()
{
    const qint64 crab = 1;
    m_db->addValue(crab, QStringLiteral("E-mail"), QStringLiteral("crab@example.com"));
    m_db->addValue(crab, QStringLiteral("Fax"), QStringLiteral("5551234"));
    Dataset fields(*m_connection);
    openFieldsOf(fields, crab);
    QCOMPARE(fields.recordCount(), 2);
    QCOMPARE(fields.fieldByName(QStringLiteral("ParamDescr")).asString(), QStringLiteral("E-mail"));
    fields.fieldByName(QStringLiteral("Value")).setValue(QStringLiteral("new@example.com"));
    fields.fieldByName(QStringLiteral("ParamDescr")).setValue(QStringLiteral("Changed name"));
    fields.post();
    QCOMPARE(m_db->rows(QStringLiteral("SELECT Value FROM ClientParam ORDER BY rowid")),
             QList<QVariantList>({ { QStringLiteral("new@example.com") }, { QStringLiteral("5551234") } }));
    QCOMPARE(
        m_db->scalar(QStringLiteral("SELECT count(*) FROM Parametrs WHERE ParamDescr = 'E-mail'")).toInt(),
        1);
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM Parametrs WHERE ParamDescr = 'Changed name'"))
                 .toInt(),
             0);

    // Without a receiving table a join has no single table to change.
    Dataset unnamed(*m_connection);
    unnamed.setSql(kFields);
    unnamed.setParameter(QStringLiteral("IdClient"), crab);
    unnamed.open();
    QVERIFY(!unnamed.canModify());
    QVERIFY_THROWS_EXCEPTION(UserError, unnamed.edit());
}

void TestDataset::joinInsertAndDeleteTouchClientParamOnly()
{
    const qint64 crab = 1;
    m_db->addValue(crab, QStringLiteral("Fax"), QStringLiteral("5551234"));
    Dataset fields(*m_connection);
    openFieldsOf(fields, crab);
    fields.append();
    fields.fieldByName(QStringLiteral("IdClient")).setValue(crab);
    fields.fieldByName(QStringLiteral("ParamID")).setValue(m_db->paramId(QStringLiteral("Web-site")));
    fields.fieldByName(QStringLiteral("Value")).setValue(QStringLiteral("example.org"));
    fields.post();
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM ClientParam")).toInt(), 2);
    fields.first();
    fields.remove();
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM ClientParam")).toInt(), 1);
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM Parametrs WHERE ParamDescr = 'Fax'")).toInt(),
             1);
}

void TestDataset::lookupShowsAndChoosesByName()
{
    m_db->addValue(1, QStringLiteral("Fax"), QStringLiteral("5551234"));
    Dataset types(*m_connection);
    types.setTableName(QStringLiteral("Parametrs"));
    types.open();
    Dataset fields(*m_connection);
    fields.setSql(kFields);
    fields.addDataField(QStringLiteral("TypeID"), FieldType::Integer).setReadOnly(true);
    fields.addDataField(QStringLiteral("IdClient"), FieldType::Integer);
    fields.addDataField(QStringLiteral("ParamID"), FieldType::Integer);
    Field& name = fields.addLookupField(
        QStringLiteral("ParamDescr"),
        { QStringLiteral("ParamID"), &types, QStringLiteral("ParamID"), QStringLiteral("ParamDescr") }, 50);
    fields.addDataField(QStringLiteral("Value"), FieldType::Text, 255);
    fields.setParameter(QStringLiteral("IdClient"), 1);
    fields.open();
    fields.setUpdateTable(QStringLiteral("ClientParam"));
    QCOMPARE(name.asString(), QStringLiteral("Fax"));
    QVERIFY(name.lookupChoices().contains(QStringLiteral("E-mail")));
    name.setValue(QStringLiteral("Mobile"));
    QCOMPARE(fields.fieldByName(QStringLiteral("ParamID")).asInteger(),
             m_db->paramId(QStringLiteral("Mobile")));
    QVERIFY_THROWS_EXCEPTION(UserError, name.setValue(QStringLiteral("No such type")));
    QVERIFY_THROWS_EXCEPTION(UserError, fields.fieldByName(QStringLiteral("TypeID")).setValue(7));
    fields.post();
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT ParamID FROM ClientParam")).toLongLong(),
             m_db->paramId(QStringLiteral("Mobile")));
}

void TestDataset::overLongValueRefusedRowKeptInEditing()
{
    Dataset contacts(*m_connection);
    contacts.setSql(kContacts);
    contacts.open();
    const QString tooLong(51, QLatin1Char('x'));
    contacts.fieldByName(QStringLiteral("Client")).setValue(tooLong);
    try {
        contacts.post();
        QFAIL("an over-long name was stored");
    } catch (const UserError& error) {
        QVERIFY2(error.text().contains(QLatin1String("Name holds at most 50 characters")),
                 qPrintable(error.text()));
    }
    QCOMPARE(contacts.state(), Dataset::State::Edit);
    QCOMPARE(contacts.fieldByName(QStringLiteral("Client")).asString(), tooLong);
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT max(length(Client)) FROM Customers")).toInt(), 10);
    contacts.fieldByName(QStringLiteral("Client")).setValue(QString(50, QLatin1Char('y')));
    contacts.post();
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT max(length(Client)) FROM Customers")).toInt(), 50);
}

void TestDataset::requiredAndIntegerChecks_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("error");
    QTest::newRow("missing") << ""
                             << "Field 'Order' must have a value";
    QTest::newRow("text") << "abc"
                          << "'abc' is not a valid integer value for field 'Order'";
    QTest::newRow("fraction") << "1.5"
                              << "'1.5' is not a valid integer value for field 'Order'";
    QTest::newRow("beyond 32 bits") << "4294967296"
                                    << "'4294967296' is not a valid integer value for field 'Order'";
    QTest::newRow("valid") << " 12 "
                           << "";
}

void TestDataset::requiredAndIntegerChecks()
{
    QFETCH(QString, typed);
    QFETCH(QString, error);
    Dataset types(*m_connection);
    types.setTableName(QStringLiteral("Parametrs"));
    types.addDataField(QStringLiteral("ParamID"), FieldType::AutoIncrement);
    types.addDataField(QStringLiteral("ParamDescr"), FieldType::Text, 50)
        .setLabel(QStringLiteral("Property"));
    types.addDataField(QStringLiteral("TypeID"), FieldType::Integer)
        .setLabel(QStringLiteral("Order"))
        .setRequired(true);
    types.open();
    const int before = m_db->scalar(QStringLiteral("SELECT count(*) FROM Parametrs")).toInt();
    types.append();
    types.fieldByName(QStringLiteral("ParamDescr")).setText(QStringLiteral("Pager"));
    QString shown;
    try {
        types.fieldByName(QStringLiteral("TypeID")).setText(typed);
        types.post();
    } catch (const UserError& e) {
        shown = e.text();
    }
    QCOMPARE(shown, error);
    QCOMPARE(types.state(), error.isEmpty() ? Dataset::State::Browse : Dataset::State::Insert);
    QCOMPARE(types.fieldByName(QStringLiteral("ParamDescr")).asString(), QStringLiteral("Pager"));
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM Parametrs")).toInt(),
             before + (error.isEmpty() ? 1 : 0));
}

void TestDataset::maskedField_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("storedAfter");
    QTest::newRow("ten digits") << "5550001111"
                                << "555-000-1111"
                                << "123-456-7890"
                                << "1234567890";
    QTest::newRow("fewer digits shown with blanks") << "55500"
                                                    << "555-00 -    "
                                                    << "9876543210"
                                                    << "9876543210";
    QTest::newRow("half filled refused") << "5550001111"
                                         << "555-000-1111"
                                         << "555-00_-____"
                                         << "";
}

void TestDataset::maskedField()
{
    QFETCH(QString, stored);
    QFETCH(QString, shown);
    QFETCH(QString, typed);
    QFETCH(QString, storedAfter);
    m_db->exec(QStringLiteral("UPDATE Customers SET Phone = ? WHERE Client = 'Abbot Anna'"), { stored });
    Dataset contacts(*m_connection);
    contacts.setSql(kContacts);
    contacts.open();
    Field& phone = contacts.fieldByName(QStringLiteral("Phone"));
    phone.setEditMask(QStringLiteral("000-000-0000;0;_"));
    QCOMPARE(phone.displayText(), shown);
    QString error;
    try {
        phone.setText(typed);
        contacts.post();
    } catch (const UserError& e) {
        error = e.text();
    }
    if (storedAfter.isEmpty()) {
        QCOMPARE(error, QStringLiteral("Invalid input value.  Use escape key to abandon changes"));
        QCOMPARE(m_db->scalar(QStringLiteral("SELECT Phone FROM Customers WHERE Client = 'Abbot Anna'"))
                     .toString(),
                 stored);
    } else {
        QCOMPARE(error, QString());
        QCOMPARE(m_db->scalar(QStringLiteral("SELECT Phone FROM Customers WHERE Client = 'Abbot Anna'"))
                     .toString(),
                 storedAfter);
    }
}

void TestDataset::beforeDeleteRefusalKeepsRow()
{
    Dataset contacts(*m_connection);
    contacts.setSql(kContacts);
    contacts.events().beforeDelete = [](Dataset&) { throw OperationAborted(); };
    contacts.open();
    QVERIFY_THROWS_EXCEPTION(OperationAborted, contacts.remove());
    QCOMPARE(contacts.recordCount(), 3);
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM Customers")).toInt(), 3);
}

void TestDataset::dataChangeFiresForEveryCause()
{
    Dataset contacts(*m_connection);
    DataSource source(contacts);
    contacts.setSql(kContacts);
    QSignalSpy spy(&source, &DataSource::dataChange);
    const auto fired = [&spy] {
        const bool any = !spy.isEmpty();
        spy.clear();
        return any;
    };
    contacts.open();
    QVERIFY(fired());
    contacts.next();
    QVERIFY(fired());
    contacts.fieldByName(QStringLiteral("Client")).setValue(QStringLiteral("X"));
    QVERIFY(fired());
    contacts.post();
    QVERIFY(fired());
    contacts.insert();
    QVERIFY(fired());
    contacts.cancel();
    QVERIFY(fired());
    contacts.refresh();
    QVERIFY(fired());
    contacts.setFilter(QStringLiteral("Client LIKE '*a*'"));
    contacts.setFiltered(true);
    QVERIFY(fired());
    contacts.setFiltered(false);
    QVERIFY(fired());
}

QTEST_GUILESS_MAIN(TestDataset)
#include "tst_Dataset.moc"
