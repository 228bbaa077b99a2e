#include "FakeClock.h"
#include "FakeMessages.h"
#include "TdbTesmora.h"
#include "TestDatabase.h"
#include "UserError.h"

#include <QTest>

// The data module's rules on a real file: the field list follows the current
// contact, call notes are stamped and split, protected field types stay.
class TestDataModule : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void fieldListFollowsCurrentContact();
    void newContactHasNoFieldsUntilPostedAndStillNone();
    void renamingContactRequeriesFields();
    void emptyContactListQueriesKeyZero();
    void sortStatements_data();
    void sortStatements();
    void notesFollowContactAndKeepStartTime();
    void calculatedTimeAndDate_data();
    void calculatedTimeAndDate();
    void protectedTypeDelete_data();
    void protectedTypeDelete();
    void protectedTypeRename();
    void contactsOwnProtectedValueIsDeletable();
    void deletingContactCascades();
    void requeryFailureLeavesFieldsClosed();

private:
    QStringList fieldValues();
    std::unique_ptr<TestDatabase> m_db;
    std::unique_ptr<TdbTesmora> m_module;
    std::unique_ptr<FakeMessages> m_messages;
    qint64 m_anna = 0;
    qint64 m_bob = 0;
};

void TestDataModule::init()
{
    m_messages = std::make_unique<FakeMessages>();
    m_db = std::make_unique<TestDatabase>();
    m_anna = m_db->addContact(QStringLiteral("Anna"), QStringLiteral("111"));
    m_bob = m_db->addContact(QStringLiteral("Bob"), QStringLiteral("222"));
    m_db->addValue(m_anna, QStringLiteral("E-mail"), QStringLiteral("anna@example.com"));
    m_db->addValue(m_anna, QStringLiteral("Fax"), QStringLiteral("5550100"));
    m_db->addValue(m_bob, QStringLiteral("Company"), QStringLiteral("Bob & Co"));
    m_module = std::make_unique<TdbTesmora>();
    m_module->connectTo(m_db->connectionString());
    m_module->openDatasets(SortState());
}

void TestDataModule::cleanup()
{
    m_module.reset();
    m_db.reset();
    m_messages.reset();
}

QStringList TestDataModule::fieldValues()
{
    QStringList values;
    const Dataset& fields = m_module->quClientParams;
    for (int row = 0; row < fields.recordCount(); ++row)
        values.append(fields.value(row, fields.fieldIndex(QStringLiteral("Value"))).toString());
    return values;
}

void TestDataModule::fieldListFollowsCurrentContact()
{
    QCOMPARE(fieldValues(), QStringList({ "anna@example.com", "5550100" }));
    QCOMPARE(m_module->quClientParams.updateTable(), QStringLiteral("ClientParam"));
    m_module->taCustomers.next();
    QCOMPARE(fieldValues(), QStringList({ "Bob & Co" }));
    m_module->taCustomers.first();
    QCOMPARE(fieldValues(), QStringList({ "anna@example.com", "5550100" }));
    // Lookup of the name and the order number from the join.
    QCOMPARE(m_module->quClientParams.fieldByName(QStringLiteral("ParamDescr")).asString(),
             QStringLiteral("E-mail"));
    QCOMPARE(m_module->quClientParams.fieldByName(QStringLiteral("TypeID")).asInteger(), 1);
}

void TestDataModule::newContactHasNoFieldsUntilPostedAndStillNone()
{
    Dataset& contacts = m_module->taCustomers;
    contacts.insert();
    QVERIFY(fieldValues().isEmpty());
    QCOMPARE(m_module->quClientParams.parameter(QStringLiteral("IdClient")).toLongLong(), 0);
    QCOMPARE(m_module->quHistory.recordCount(), 0);
    contacts.fieldByName(QStringLiteral("Client")).setValue(QStringLiteral("Carl"));
    contacts.post();
    const qint64 key = contacts.fieldByName(QStringLiteral("IdClient")).asInteger();
    QVERIFY(key > m_bob);
    QCOMPARE(m_module->quClientParams.parameter(QStringLiteral("IdClient")).toLongLong(), key);
    QVERIFY(fieldValues().isEmpty());
    QCOMPARE(m_module->quHistory.recordCount(), 0);
}

void TestDataModule::renamingContactRequeriesFields()
{
    m_module->quClientParams.next();
    QCOMPARE(m_module->quClientParams.currentRow(), 1);
    m_module->taCustomers.fieldByName(QStringLiteral("Client")).setValue(QStringLiteral("Anna B"));
    // Reopened on the change: back on the first field of the contact.
    QCOMPARE(m_module->quClientParams.currentRow(), 0);
    QCOMPARE(fieldValues().size(), 2);
}

void TestDataModule::emptyContactListQueriesKeyZero()
{
    m_db->exec(QStringLiteral("DELETE FROM Customers"));
    m_module->openDatasets(SortState());
    QVERIFY(m_module->quClientParams.isOpen());
    QCOMPARE(m_module->quClientParams.parameter(QStringLiteral("IdClient")).toLongLong(), 0);
    QCOMPARE(m_module->quClientParams.recordCount(), 0);
}

void TestDataModule::sortStatements_data()
{
    QTest::addColumn<bool>("byName");
    QTest::addColumn<bool>("asc");
    QTest::addColumn<bool>("byId");
    QTest::addColumn<bool>("ascField");
    QTest::addColumn<QStringList>("contacts");
    QTest::addColumn<QStringList>("fields");
    QTest::newRow("defaults") << true << true << false << true << QStringList { "Anna", "Bob", "Zed" }
                              << QStringList { "E-mail", "Fax", "Zulu" };
    QTest::newRow("name desc, field name desc")
        << true << false << false << false << QStringList { "Zed", "Bob", "Anna" }
        << QStringList { "Zulu", "Fax", "E-mail" };
    QTest::newRow("phone asc, order asc")
        << false << true << true << true << QStringList { "Zed", "Anna", "Bob" }
        << QStringList { "Zulu", "E-mail", "Fax" };
    QTest::newRow("phone desc, order desc")
        << false << false << true << false << QStringList { "Bob", "Anna", "Zed" }
        << QStringList { "Fax", "E-mail", "Zulu" };
}

void TestDataModule::sortStatements()
{
    QFETCH(bool, byName);
    QFETCH(bool, asc);
    QFETCH(bool, byId);
    QFETCH(bool, ascField);
    QFETCH(QStringList, contacts);
    QFETCH(QStringList, fields);
    const qint64 zed = m_db->addContact(QStringLiteral("Zed"), QStringLiteral("000"));
    m_db->addFieldType(QStringLiteral("Zulu"), 0);
    for (const QString& type : { QStringLiteral("Fax"), QStringLiteral("Zulu"), QStringLiteral("E-mail") })
        m_db->addValue(zed, type, type.toLower());
    m_module->taParams.refresh();
    SortState sort;
    sort.bSortByName = byName;
    sort.bAsc = asc;
    sort.bSortById = byId;
    sort.bAscField = ascField;
    m_module->openDatasets(sort);
    QStringList names;
    for (int row = 0; row < m_module->taCustomers.recordCount(); ++row)
        names.append(
            m_module->taCustomers.value(row, m_module->taCustomers.fieldIndex(QStringLiteral("Client")))
                .toString());
    QCOMPARE(names, contacts);
    m_module->taCustomers.locate(QStringLiteral("Client"), QStringLiteral("Zed"));
    QStringList types;
    for (int row = 0; row < m_module->quClientParams.recordCount(); ++row)
        types.append(m_module->quClientParams.displayText(
            row, m_module->quClientParams.fieldIndex(QStringLiteral("ParamDescr"))));
    QCOMPARE(types, fields);
}

void TestDataModule::notesFollowContactAndKeepStartTime()
{
    FakeClock clock(QDateTime(QDate(2026, 3, 2), QTime(10, 15)));
    m_db->addNote(m_bob, QDateTime(QDate(2026, 1, 1), QTime(9, 0)), QStringLiteral("older"));
    m_db->addNote(m_bob, QDateTime(QDate(2026, 2, 1), QTime(9, 0)), QStringLiteral("newer"));
    Dataset& notes = m_module->quHistory;
    QCOMPARE(notes.recordCount(), 0);
    m_module->taCustomers.next();
    QCOMPARE(notes.recordCount(), 2);
    QCOMPARE(notes.fieldByName(QStringLiteral("CallDescr")).asString(), QStringLiteral("newer"));

    notes.insert();
    QCOMPARE(notes.fieldByName(QStringLiteral("IdClient")).asInteger(), m_bob);
    clock.set(QDateTime(QDate(2026, 3, 2), QTime(10, 20)));
    notes.fieldByName(QStringLiteral("CallDescr")).setValue(QStringLiteral("Called back"));
    notes.post();
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT Date FROM CallHistory WHERE CallDescr = 'Called back'"))
                 .toString(),
             QStringLiteral("2026-03-02T10:15:00"));
    QCOMPARE(notes.fieldByName(QStringLiteral("Time")).value().toTime(), QTime(10, 15));
    QCOMPARE(notes.fieldByName(QStringLiteral("CallID")).asInteger() > 0, true);

    // Editing later does not touch the stamp.
    clock.advance(3600);
    notes.fieldByName(QStringLiteral("CallDescr")).setValue(QStringLiteral("Called back twice"));
    notes.post();
    QCOMPARE(
        m_db->scalar(QStringLiteral("SELECT Date FROM CallHistory WHERE CallDescr = 'Called back twice'"))
            .toString(),
        QStringLiteral("2026-03-02T10:15:00"));
}

void TestDataModule::calculatedTimeAndDate_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<QTime>("time");
    QTest::addColumn<QDate>("date");
    QTest::newRow("stamp") << QVariant(QStringLiteral("2025-12-24T18:30:05")) << QTime(18, 30, 5)
                           << QDate(2025, 12, 24);
    QTest::newRow("no date") << QVariant() << QTime(0, 0) << QDate(1899, 12, 30);
}

void TestDataModule::calculatedTimeAndDate()
{
    QFETCH(QVariant, stored);
    QFETCH(QTime, time);
    QFETCH(QDate, date);
    m_db->exec(QStringLiteral("INSERT INTO CallHistory (IdClient, Date, CallDescr) VALUES (?, ?, 'x')"),
               { m_anna, stored });
    m_module->quHistory.refresh();
    QCOMPARE(m_module->quHistory.fieldByName(QStringLiteral("Time")).value().toTime(), time);
    QCOMPARE(m_module->quHistory.fieldByName(QStringLiteral("Date2")).value().toDate(), date);
}

void TestDataModule::protectedTypeDelete_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("refused");
    QTest::newRow("Fax") << "Fax" << true;
    QTest::newRow("E-mail") << "E-mail" << true;
    QTest::newRow("Web-site") << "Web-site" << true;
    QTest::newRow("fax lower case") << "fax" << false;
    QTest::newRow("ordinary") << "Company" << false;
}

void TestDataModule::protectedTypeDelete()
{
    QFETCH(QString, name);
    QFETCH(bool, refused);
    if (name == QLatin1String("fax"))
        m_db->addFieldType(name, 99);
    Dataset& types = m_module->taParams;
    types.refresh();
    QVERIFY(types.locate(QStringLiteral("ParamDescr"), name));
    m_messages->clear();
    bool aborted = false;
    try {
        types.remove();
    } catch (const OperationAborted&) {
        aborted = true;
    }
    QCOMPARE(aborted, refused);
    QCOMPARE(m_messages->texts(),
             refused ? QStringList { TdbTesmora::kProtectedFieldMessage } : QStringList {});
    QCOMPARE(
        m_db->scalar(QStringLiteral("SELECT count(*) FROM Parametrs WHERE ParamDescr = ?"), { name }).toInt(),
        refused ? 1 : 0);
}

void TestDataModule::protectedTypeRename()
{
    Dataset& types = m_module->taParams;
    Field& name = types.fieldByName(QStringLiteral("ParamDescr"));
    QVERIFY(types.locate(QStringLiteral("ParamDescr"), QStringLiteral("E-mail")));
    types.edit();
    types.fieldByName(QStringLiteral("TypeID")).setText(QStringLiteral("42"));
    name.setText(QStringLiteral("Mail"));
    QCOMPARE(m_messages->texts(), QStringList { TdbTesmora::kProtectedFieldMessage });
    QCOMPARE(name.asString(), QStringLiteral("E-mail"));
    QCOMPARE(types.state(), Dataset::State::Edit); // the other change stays
    types.post();
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT TypeID FROM Parametrs WHERE ParamDescr = 'E-mail'")).toInt(),
             42);

    // An ordinary type may take a protected name, and is protected from then on.
    m_messages->clear();
    QVERIFY(types.locate(QStringLiteral("ParamDescr"), QStringLiteral("Company")));
    name.setText(QStringLiteral("Web-site"));
    types.post();
    QVERIFY(m_messages->texts().isEmpty());
    name.setText(QStringLiteral("Company again"));
    QCOMPARE(m_messages->texts(), QStringList { TdbTesmora::kProtectedFieldMessage });
    QVERIFY_THROWS_EXCEPTION(OperationAborted, types.remove());
    QCOMPARE(
        m_db->scalar(QStringLiteral("SELECT count(*) FROM Parametrs WHERE ParamDescr = 'Web-site'")).toInt(),
        2);

    // A new field type may be given a protected name.
    types.append();
    name.setText(QStringLiteral("Fax"));
    types.fieldByName(QStringLiteral("TypeID")).setText(QStringLiteral("50"));
    types.post();
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM Parametrs WHERE ParamDescr = 'Fax'")).toInt(),
             2);
}

void TestDataModule::contactsOwnProtectedValueIsDeletable()
{
    Dataset& fields = m_module->quClientParams;
    QCOMPARE(fields.fieldByName(QStringLiteral("ParamDescr")).asString(), QStringLiteral("E-mail"));
    fields.remove();
    QCOMPARE(fieldValues(), QStringList({ "5550100" }));
    QVERIFY(m_messages->texts().isEmpty());
    QCOMPARE(
        m_db->scalar(QStringLiteral("SELECT count(*) FROM Parametrs WHERE ParamDescr = 'E-mail'")).toInt(),
        1);
}

void TestDataModule::deletingContactCascades()
{
    m_db->addNote(m_anna, QDateTime::currentDateTime(), QStringLiteral("note"));
    m_module->taCustomers.remove();
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM ClientParam WHERE IdClient = ?"), { m_anna })
                 .toInt(),
             0);
    QCOMPARE(m_db->scalar(QStringLiteral("SELECT count(*) FROM CallHistory WHERE IdClient = ?"), { m_anna })
                 .toInt(),
             0);
    QCOMPARE(fieldValues(), QStringList({ "Bob & Co" }));
}

void TestDataModule::requeryFailureLeavesFieldsClosed()
{
    m_module->quClientParams.close();
    m_module->quClientParams.setSql(QStringLiteral("SELECT * FROM NoSuchTable WHERE IdClient = :IdClient"));
    m_module->taCustomers.next();
    QVERIFY(!m_module->quClientParams.isOpen());
    QCOMPARE(m_messages->errors(), QStringList { QStringLiteral("no such table: NoSuchTable") });
}

QTEST_GUILESS_MAIN(TestDataModule)
#include "tst_DataModule.moc"
