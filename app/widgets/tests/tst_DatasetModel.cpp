#include "DataModuleFixture.h"
#include "DatasetModel.h"
#include "Field.h"

#include <QAbstractItemModelTester>
#include <QBrush>
#include <QSignalSpy>
#include <QTest>

// The table model over a dataset: columns and texts, edits through the
// fields' rules, and every kind of change in the dataset reaching the views
// in a form the model tester accepts.
class TestDatasetModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void columnsAreVisibleFieldsWithLabels();
    void followsDatasetChanges_data();
    void followsDatasetChanges();
    void cellTexts_data();
    void cellTexts();
    void editableFlags_data();
    void editableFlags();
    void setDataGoesThroughFieldRules_data();
    void setDataGoesThroughFieldRules();
    void setDataOnAnotherRowMovesThere();
    void lookupNamesFollowTheirDataset();
    void foregroundPerField();
    void datasetWithoutDefinitionsRebuildsColumns();
    void goneSourceLeavesEmptyModel();

private:
    std::unique_ptr<DataModuleFixture> m_fixture;
};

void TestDatasetModel::init()
{
    m_fixture = std::make_unique<DataModuleFixture>();
}

void TestDatasetModel::cleanup()
{
    m_fixture.reset();
}

void TestDatasetModel::columnsAreVisibleFieldsWithLabels()
{
    const DatasetModel contacts(m_fixture->module->dsCustomers);
    QCOMPARE(contacts.columnCount(), 2); // IdClient is hidden
    QCOMPARE(contacts.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Phone"));
    QCOMPARE(contacts.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Name"));
    QCOMPARE(contacts.headerData(1, Qt::Horizontal, Qt::UserRole).toString(), QStringLiteral("Client"));
    QCOMPARE(contacts.fieldAt(1)->name(), QStringLiteral("Client"));
    QCOMPARE(contacts.columnOfField(QStringLiteral("client")), 1);
    QCOMPARE(contacts.rowCount(), 4);

    const DatasetModel fields(m_fixture->module->dsClientParams);
    QStringList titles;
    for (int c = 0; c < fields.columnCount(); ++c)
        titles.append(fields.headerData(c, Qt::Horizontal).toString());
    QCOMPARE(titles, QStringList({ " ", "Property", "Value" }));
}

void TestDatasetModel::followsDatasetChanges_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<QString>("announced"); // how the change reaches the views
    QTest::addColumn<QStringList>("names"); // the Name column afterwards

    QTest::newRow("insert") << "insert"
                            << "inserted" << QStringList({ "", "Anna", "Bob", "Carl", "Dora" });
    QTest::newRow("insert in the middle") << "insert at Carl"
                                          << "inserted" << QStringList({ "Anna", "Bob", "", "Carl", "Dora" });
    QTest::newRow("append") << "append"
                            << "inserted" << QStringList({ "Anna", "Bob", "Carl", "Dora", "" });
    QTest::newRow("insert then post")
        << "insert post"
        << "inserted changed" << QStringList({ "Eve", "Anna", "Bob", "Carl", "Dora" });
    QTest::newRow("insert then cancel")
        << "insert cancel"
        << "inserted removed" << QStringList({ "Anna", "Bob", "Carl", "Dora" });
    QTest::newRow("edit then post") << "edit post"
                                    << "changed" << QStringList({ "Anna", "Bobby", "Carl", "Dora" });
    QTest::newRow("edit then cancel") << "edit cancel"
                                      << "changed" << QStringList({ "Anna", "Bob", "Carl", "Dora" });
    QTest::newRow("delete") << "delete Bob"
                            << "removed" << QStringList({ "Anna", "Carl", "Dora" });
    QTest::newRow("delete the last row") << "delete Dora"
                                         << "removed" << QStringList({ "Anna", "Bob", "Carl" });
    QTest::newRow("filter") << "filter"
                            << "reset" << QStringList({ "Carl" });
    QTest::newRow("filter off") << "filter off"
                                << "reset" << QStringList({ "Anna", "Bob", "Carl", "Dora" });
    QTest::newRow("filter matching nothing") << "filter none"
                                             << "reset" << QStringList();
    QTest::newRow("refresh") << "refresh"
                             << "reset" << QStringList({ "Anna", "Bob", "Carl", "Dora", "Zed" });
    QTest::newRow("close") << "close"
                           << "reset" << QStringList();
    QTest::newRow("reopen sorted") << "resort"
                                   << "reset" << QStringList({ "Dora", "Carl", "Bob", "Anna" });
}

void TestDatasetModel::followsDatasetChanges()
{
    QFETCH(QString, operation);
    QFETCH(QString, announced);
    QFETCH(QStringList, names);

    Dataset& contacts = m_fixture->customers();
    DatasetModel model(m_fixture->module->dsCustomers);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QStringList seen;
    connect(&model, &QAbstractItemModel::rowsInserted, this,
            [&] { seen.append(QStringLiteral("inserted")); });
    connect(&model, &QAbstractItemModel::rowsRemoved, this, [&] { seen.append(QStringLiteral("removed")); });
    connect(&model, &QAbstractItemModel::modelReset, this, [&] { seen.append(QStringLiteral("reset")); });
    connect(&model, &QAbstractItemModel::dataChanged, this, [&] {
        if (seen.isEmpty() || seen.last() != QLatin1String("changed"))
            seen.append(QStringLiteral("changed"));
    });
    Field& name = contacts.fieldByName(QStringLiteral("Client"));

    if (operation == QLatin1String("insert")) {
        contacts.insert();
    } else if (operation == QLatin1String("insert at Carl")) {
        contacts.moveTo(2);
        contacts.insert();
    } else if (operation == QLatin1String("append")) {
        contacts.append();
    } else if (operation == QLatin1String("insert post")) {
        contacts.insert();
        seen.clear();
        name.setValue(QStringLiteral("Eve"));
        contacts.post();
        seen.prepend(QStringLiteral("inserted"));
    } else if (operation == QLatin1String("insert cancel")) {
        contacts.insert();
        contacts.cancel();
    } else if (operation == QLatin1String("edit post")) {
        contacts.moveTo(1);
        name.setValue(QStringLiteral("Bobby"));
        contacts.post();
    } else if (operation == QLatin1String("edit cancel")) {
        contacts.moveTo(1);
        name.setValue(QStringLiteral("Bobby"));
        contacts.cancel();
    } else if (operation == QLatin1String("delete Bob")) {
        contacts.moveTo(1);
        contacts.remove();
    } else if (operation == QLatin1String("delete Dora")) {
        contacts.last();
        contacts.remove();
    } else if (operation == QLatin1String("filter")) {
        contacts.setFilter(QStringLiteral("Client LIKE '*ar*'"));
        contacts.setFiltered(true);
    } else if (operation == QLatin1String("filter off")) {
        contacts.setFilter(QStringLiteral("Client LIKE '*ar*'"));
        contacts.setFiltered(true);
        seen.clear();
        contacts.setFiltered(false);
    } else if (operation == QLatin1String("filter none")) {
        contacts.setFilter(QStringLiteral("Client LIKE '*zz*'"));
        contacts.setFiltered(true);
    } else if (operation == QLatin1String("refresh")) {
        m_fixture->db.addContact(QStringLiteral("Zed"), QStringLiteral("1"));
        contacts.refresh();
    } else if (operation == QLatin1String("close")) {
        contacts.close();
    } else if (operation == QLatin1String("resort")) {
        m_fixture->module->setContactsStatement(SortState::contactsStatement(true, false));
        seen.removeAll(QStringLiteral("reset"));
        seen.append(QStringLiteral("reset"));
    }

    QCOMPARE(seen.join(QLatin1Char(' ')), announced);
    QCOMPARE(model.rowCount(), contacts.isOpen() ? contacts.recordCount() : 0);
    QStringList shown;
    for (int row = 0; row < model.rowCount(); ++row)
        shown.append(model.index(row, 1).data().toString());
    QCOMPARE(shown, names);
}

void TestDatasetModel::cellTexts_data()
{
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<QString>("display");
    QTest::addColumn<QString>("edit");

    const QString phone = QStringLiteral("000-000-0000;0;_");
    QTest::newRow("full number") << phone << QVariant("5551234567") << "555-123-4567"
                                 << "555-123-4567";
    QTest::newRow("short number") << phone << QVariant("555") << "555-   -    "
                                  << "555-___-____";
    QTest::newRow("no number") << phone << QVariant() << "   -   -    "
                               << "___-___-____";
    // A value the mask cannot hold is shown and offered whole, never cut.
    QTest::newRow("too long for the mask") << phone << QVariant("5551234567890") << "5551234567890"
                                           << "5551234567890";
    QTest::newRow("no mask") << QString() << QVariant("555 12") << "555 12"
                             << "555 12";
}

void TestDatasetModel::cellTexts()
{
    QFETCH(QString, mask);
    QFETCH(QVariant, stored);
    QFETCH(QString, display);
    QFETCH(QString, edit);

    m_fixture->db.exec(QStringLiteral("UPDATE Customers SET Phone = ? WHERE IdClient = ?"),
                       { stored, m_fixture->anna });
    m_fixture->module->setPhoneMask(mask);
    m_fixture->customers().refresh();
    const DatasetModel model(m_fixture->module->dsCustomers);
    const QModelIndex anna = model.index(0, model.columnOfField(QStringLiteral("Phone")));
    QCOMPARE(anna.data(Qt::DisplayRole).toString(), display);
    QCOMPARE(anna.data(Qt::EditRole).toString(), edit);
    QCOMPARE(anna.data(DatasetModel::ValueRole), stored.isNull() ? QVariant() : stored);
}

void TestDatasetModel::editableFlags_data()
{
    QTest::addColumn<QString>("dataset");
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("readOnlyDataset");
    QTest::addColumn<bool>("editable");

    QTest::newRow("contact name") << "customers"
                                  << "Client" << false << true;
    QTest::newRow("order number of a field") << "fields"
                                             << "TypeID" << false << false;
    QTest::newRow("field name, a lookup") << "fields"
                                          << "ParamDescr" << false << true;
    QTest::newRow("field value") << "fields"
                                 << "Value" << false << true;
    QTest::newRow("calculated date of a note") << "notes"
                                               << "Date2" << false << false;
    QTest::newRow("note text") << "notes"
                               << "CallDescr" << false << true;
    QTest::newRow("read-only dataset") << "customers"
                                       << "Client" << true << false;
}

void TestDatasetModel::editableFlags()
{
    QFETCH(QString, dataset);
    QFETCH(QString, field);
    QFETCH(bool, readOnlyDataset);
    QFETCH(bool, editable);

    TdbTesmora& module = *m_fixture->module;
    DataSource& source = dataset == QLatin1String("customers") ? module.dsCustomers
        : dataset == QLatin1String("fields")                   ? module.dsClientParams
                                                               : module.dsHistory;
    source.dataset().setReadOnly(readOnlyDataset);
    const DatasetModel model(source);
    QVERIFY(model.rowCount() > 0);
    const QModelIndex index = model.index(0, model.columnOfField(field));
    QVERIFY(index.isValid());
    QCOMPARE(bool(model.flags(index) & Qt::ItemIsEditable), editable);
}

void TestDatasetModel::setDataGoesThroughFieldRules_data()
{
    QTest::addColumn<QString>("dataset");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QVariant>("value"); // the field's value afterwards
    QTest::addColumn<QStringList>("shown"); // every message shown
    QTest::addColumn<bool>("editing"); // a refused text starts no editing

    const QString invalid = QStringLiteral("Invalid input value.  Use escape key to abandon changes");
    QTest::newRow("complete phone") << "customers"
                                    << "Phone"
                                    << "555-987-6543" << true << QVariant("5559876543") << QStringList()
                                    << true;
    QTest::newRow("incomplete phone")
        << "customers"
        << "Phone"
        << "555-98_-____" << false << QVariant("5550001111") << QStringList({ invalid }) << false;
    QTest::newRow("order number that is no number")
        << "types"
        << "TypeID"
        << "abc" << false << QVariant(1)
        << QStringList({ "'abc' is not a valid integer value for field 'Order'" }) << false;
    QTest::newRow("order number") << "types"
                                  << "TypeID"
                                  << " 42 " << true << QVariant(42) << QStringList() << true;
    QTest::newRow("renaming a protected field type")
        << "types"
        << "ParamDescr"
        << "Mail" << true << QVariant("E-mail")
        << QStringList({ "It is a protected field. You must not to edit or delete this field." }) << false;
}

void TestDatasetModel::setDataGoesThroughFieldRules()
{
    QFETCH(QString, dataset);
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(bool, accepted);
    QFETCH(QVariant, value);
    QFETCH(QStringList, shown);
    QFETCH(bool, editing);

    TdbTesmora& module = *m_fixture->module;
    module.setPhoneMask(QStringLiteral("000-000-0000;0;_"));
    DataSource& source = dataset == QLatin1String("customers") ? module.dsCustomers : module.dsParams;
    Dataset& data = source.dataset();
    data.first();
    DatasetModel model(source);
    const QModelIndex index = model.index(0, model.columnOfField(field));
    QCOMPARE(model.setData(index, text), accepted);
    QCOMPARE(m_fixture->messages.texts(), shown);
    QCOMPARE(data.fieldByName(field).value().toString(), value.toString());
    QCOMPARE(data.isEditing(), editing);
}

void TestDatasetModel::setDataOnAnotherRowMovesThere()
{
    Dataset& contacts = m_fixture->customers();
    DatasetModel model(m_fixture->module->dsCustomers);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QVERIFY(model.setData(model.index(2, 1), QStringLiteral("Carla")));
    QCOMPARE(contacts.currentRow(), 2);
    QCOMPARE(contacts.state(), Dataset::State::Edit);
    QVERIFY(!changed.isEmpty());
    QCOMPARE(changed.last().at(0).value<QModelIndex>().row(), 2);
    QCOMPARE(model.index(2, 1).data().toString(), QStringLiteral("Carla"));
}

void TestDatasetModel::lookupNamesFollowTheirDataset()
{
    DatasetModel model(m_fixture->module->dsClientParams);
    const int property = model.columnOfField(QStringLiteral("ParamDescr"));
    QCOMPARE(model.index(0, property).data().toString(), QStringLiteral("E-mail"));
    QCOMPARE(model.index(0, property).data(Qt::EditRole).toString(), QStringLiteral("E-mail"));

    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    Dataset& types = m_fixture->module->taParams;
    QVERIFY(types.locate(QStringLiteral("ParamDescr"), QStringLiteral("Fax")));
    // The set-text rule protects only the names in force; the value itself may change.
    types.fieldByName(QStringLiteral("ParamDescr")).setValue(QStringLiteral("Telefax"));
    types.post();
    QVERIFY(!changed.isEmpty());
    QCOMPARE(changed.last().at(0).value<QModelIndex>().column(), property);
    QCOMPARE(model.index(1, property).data().toString(), QStringLiteral("Telefax"));
}

void TestDatasetModel::foregroundPerField()
{
    DatasetModel model(m_fixture->module->dsCustomers);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    model.setFieldForeground(QStringLiteral("Phone"), QColor(Qt::darkBlue));
    QCOMPARE(changed.size(), 1);
    QCOMPARE(model.index(1, 0).data(Qt::ForegroundRole).value<QBrush>().color(), QColor(Qt::darkBlue));
    QVERIFY(!model.index(1, 1).data(Qt::ForegroundRole).isValid());
    model.setFieldForeground(QStringLiteral("Phone"), QColor());
    QVERIFY(!model.index(1, 0).data(Qt::ForegroundRole).isValid());
}

void TestDatasetModel::datasetWithoutDefinitionsRebuildsColumns()
{
    Dataset masks(m_fixture->module->cnTesmora);
    masks.setSql(QStringLiteral("SELECT * FROM PhoneMasks"));
    masks.open();
    DataSource source(masks);
    DatasetModel model(source);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QCOMPARE(model.columnCount(), 3);
    QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Descr"));

    // Reopening makes new fields; the model must not hold on to the old ones.
    masks.close();
    masks.setSql(QStringLiteral("SELECT Value FROM PhoneMasks"));
    masks.open();
    QCOMPARE(model.columnCount(), 1);
    QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Value"));
    QCOMPARE(model.index(0, 0).data().toString(), masks.value(0, 0).toString());
}

void TestDatasetModel::goneSourceLeavesEmptyModel()
{
    DatasetModel model(m_fixture->module->dsCustomers);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    m_fixture->module.reset();
    QCOMPARE(reset.size(), 1);
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(model.columnCount(), 0);
    QVERIFY(!model.index(0, 0).data().isValid());
    QVERIFY(!model.dataset());
}

QTEST_MAIN(TestDatasetModel)
#include "tst_DatasetModel.moc"
