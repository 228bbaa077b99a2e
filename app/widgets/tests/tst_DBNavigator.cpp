#include "DBNavigator.h"
#include "DataModuleFixture.h"
#include "Field.h"
#include "UserError.h"

#include <QHBoxLayout>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

// The record navigator on the real data module: its buttons and their
// enabled states, the order of one operation and the actions themselves.
class TestDBNavigator : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void buttonsInOrder();
    void enabledStates_data();
    void enabledStates();
    void operationOrder_data();
    void operationOrder();
    void actions_data();
    void actions();
    void buttonPressIsTheOperation();
    void losingTheSourceDisablesAll();

private:
    QString enabled() const;
    std::unique_ptr<DataModuleFixture> m_fixture;
    std::unique_ptr<DBNavigator> m_navigator;
};

void TestDBNavigator::init()
{
    m_fixture = std::make_unique<DataModuleFixture>();
    m_navigator = std::make_unique<DBNavigator>();
}

void TestDBNavigator::cleanup()
{
    m_navigator.reset();
    m_fixture.reset();
}

// One letter per visible button, First to Cancel, upper case when enabled.
QString TestDBNavigator::enabled() const
{
    QString state;
    const QString letters = QStringLiteral("fpnlidetc");
    for (int i = 0; i < letters.size(); ++i) {
        const bool on = m_navigator->button(DBNavigator::kButtons[size_t(i)])->isEnabled();
        state.append(on ? letters[i].toUpper() : letters[i]);
    }
    return state;
}

void TestDBNavigator::buttonsInOrder()
{
    const auto* layout = qobject_cast<QHBoxLayout*>(m_navigator->layout());
    QVERIFY(layout);
    QStringList names;
    QStringList hints;
    for (int i = 0; i < layout->count(); ++i) {
        auto* button = qobject_cast<QToolButton*>(layout->itemAt(i)->widget());
        QVERIFY(button);
        QCOMPARE(button->focusPolicy(), Qt::NoFocus);
        names.append(button->objectName());
        if (!button->isHidden())
            hints.append(button->toolTip());
    }
    QCOMPARE(names,
             QStringList({ "First", "Prior", "Next", "Last", "Insert", "Delete", "Edit", "Post", "Cancel",
                           "Refresh" }));
    QCOMPARE(hints,
             QStringList({ "First record", "Prior record", "Next record", "Last record", "Insert record",
                           "Delete record", "Edit record", "Post edit", "Cancel edit" }));
    QVERIFY(m_navigator->button(DBNavigator::Button::Refresh)->isHidden());
    QCOMPARE(m_navigator->findChild<QToolButton*>(QStringLiteral("Post")),
             m_navigator->button(DBNavigator::Button::Post));
}

void TestDBNavigator::enabledStates_data()
{
    QTest::addColumn<QString>("state");
    QTest::addColumn<QString>("expected");

    QTest::newRow("no data source") << "unbound"
                                    << "fpnlidetc";
    QTest::newRow("closed") << "closed"
                            << "fpnlidetc";
    QTest::newRow("first of four") << "first"
                                   << "fpNLIDEtc";
    QTest::newRow("in the middle") << "middle"
                                   << "FPNLIDEtc";
    QTest::newRow("last") << "last"
                          << "FPnlIDEtc";
    QTest::newRow("editing") << "edit"
                             << "fpNLIDeTC";
    QTest::newRow("inserting") << "insert"
                               << "fpNLIDeTC";
    // Nothing to edit: a button that could only fail stays off.
    QTest::newRow("no rows") << "empty"
                             << "fpnlIdetc";
    QTest::newRow("one row") << "single"
                             << "fpnlIDEtc";
    QTest::newRow("inserting into no rows") << "empty insert"
                                            << "fpnlIDeTC";
    QTest::newRow("read-only") << "read-only"
                               << "fpNLidetc";
    QTest::newRow("after a post") << "posted"
                                  << "FPNLIDEtc";
}

void TestDBNavigator::enabledStates()
{
    QFETCH(QString, state);
    QFETCH(QString, expected);

    Dataset& contacts = m_fixture->customers();
    if (state == QLatin1String("read-only"))
        contacts.setReadOnly(true);
    if (state != QLatin1String("unbound"))
        m_navigator->setDataSource(&m_fixture->module->dsCustomers);
    // Each state is reached after binding: the buttons follow every change.
    if (state == QLatin1String("closed")) {
        contacts.close();
    } else if (state == QLatin1String("middle")) {
        contacts.moveTo(2);
    } else if (state == QLatin1String("last")) {
        contacts.last();
    } else if (state == QLatin1String("edit")) {
        contacts.edit();
    } else if (state == QLatin1String("insert")) {
        contacts.insert();
    } else if (state.startsWith(QLatin1String("empty")) || state == QLatin1String("single")) {
        contacts.setFilter(state == QLatin1String("single") ? QStringLiteral("Client LIKE '*dor*'")
                                                            : QStringLiteral("Client LIKE '*nobody*'"));
        contacts.setFiltered(true);
        if (state == QLatin1String("empty insert"))
            contacts.insert();
    } else if (state == QLatin1String("posted")) {
        contacts.moveTo(1);
        contacts.fieldByName(QStringLiteral("Client")).setValue(QStringLiteral("Bobby"));
        QCOMPARE(enabled(), QStringLiteral("FPNLIDeTC"));
        contacts.post();
    }
    QCOMPARE(enabled(), expected);
}

void TestDBNavigator::operationOrder_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("hook"); // what the before-action hook does
    QTest::addColumn<QString>("log"); // each step with the current row it saw
    QTest::addColumn<bool>("completed");
    QTest::addColumn<QStringList>("errors");

    const int next = int(DBNavigator::Button::Next);
    const int remove = int(DBNavigator::Button::Delete);
    QTest::newRow("before, action, click") << next << "pass"
                                           << "before@0 click@1" << true << QStringList();
    QTest::newRow("refused silently") << remove << "abort"
                                      << "before@0" << false << QStringList();
    QTest::newRow("refused with a message") << remove << "fail"
                                            << "before@0" << false << QStringList({ "Not now." });
    // A new field type without its order number: the post fails, the row stays.
    QTest::newRow("the action fails")
        << int(DBNavigator::Button::Post) << "pass"
        << "before@9" << false << QStringList({ "Field 'Order' must have a value" });
    QTest::newRow("closed: only the click") << next << "closed"
                                            << "click@-1" << true << QStringList();
}

void TestDBNavigator::operationOrder()
{
    QFETCH(int, button);
    QFETCH(QString, hook);
    QFETCH(QString, log);
    QFETCH(bool, completed);
    QFETCH(QStringList, errors);

    TdbTesmora& module = *m_fixture->module;
    Dataset& types = module.taParams;
    m_navigator->setDataSource(&module.dsParams);
    if (button == int(DBNavigator::Button::Post)) {
        types.append();
        types.fieldByName(QStringLiteral("ParamDescr")).setValue(QStringLiteral("Pager"));
    }
    if (hook == QLatin1String("closed"))
        types.close();
    const int rowsBefore = types.recordCount();
    QStringList steps;
    const auto where = [&] { return types.isOpen() ? types.currentRow() : -1; };
    m_navigator->setBeforeAction([&](DBNavigator::Button b) {
        QCOMPARE(int(b), button);
        steps.append(QStringLiteral("before@%1").arg(where()));
        if (hook == QLatin1String("abort"))
            throw OperationAborted();
        if (hook == QLatin1String("fail"))
            throw UserError(QStringLiteral("Not now."));
    });
    connect(m_navigator.get(), &DBNavigator::click, this, [&](DBNavigator::Button b) {
        QCOMPARE(int(b), button);
        steps.append(QStringLiteral("click@%1").arg(where()));
    });

    QCOMPARE(m_navigator->doAction(DBNavigator::Button(button)), completed);
    QCOMPARE(steps.join(QLatin1Char(' ')), log);
    QCOMPARE(m_fixture->messages.errors(), errors);
    QCOMPARE(types.recordCount(), rowsBefore); // nothing deleted
    if (button == int(DBNavigator::Button::Post))
        QCOMPARE(types.state(), Dataset::State::Insert);
}

void TestDBNavigator::actions_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("row"); // current row afterwards
    QTest::addColumn<QString>("state");
    QTest::addColumn<QStringList>("names"); // the contacts in the file afterwards

    const QStringList all { "Anna", "Bob", "Carl", "Dora" };
    QTest::newRow("first") << int(DBNavigator::Button::First) << 0 << "browse" << all;
    QTest::newRow("prior") << int(DBNavigator::Button::Prior) << 1 << "browse" << all;
    QTest::newRow("next") << int(DBNavigator::Button::Next) << 3 << "browse" << all;
    QTest::newRow("last") << int(DBNavigator::Button::Last) << 3 << "browse" << all;
    QTest::newRow("insert") << int(DBNavigator::Button::Insert) << 2 << "insert" << all;
    QTest::newRow("delete, without asking")
        << int(DBNavigator::Button::Delete) << 2 << "browse" << QStringList({ "Anna", "Bob", "Dora" });
    QTest::newRow("edit") << int(DBNavigator::Button::Edit) << 2 << "edit" << all;
    QTest::newRow("post") << int(DBNavigator::Button::Post) << 2 << "browse"
                          << QStringList({ "Anna", "Bob", "Carla", "Dora" });
    QTest::newRow("cancel") << int(DBNavigator::Button::Cancel) << 2 << "browse" << all;
    QTest::newRow("refresh") << int(DBNavigator::Button::Refresh) << 2 << "browse" << all;
}

void TestDBNavigator::actions()
{
    QFETCH(int, button);
    QFETCH(int, row);
    QFETCH(QString, state);
    QFETCH(QStringList, names);

    Dataset& contacts = m_fixture->customers();
    m_navigator->setDataSource(&m_fixture->module->dsCustomers);
    contacts.moveTo(2);
    const auto b = DBNavigator::Button(button);
    if (b == DBNavigator::Button::Post || b == DBNavigator::Button::Cancel)
        contacts.fieldByName(QStringLiteral("Client")).setValue(QStringLiteral("Carla"));
    if (b == DBNavigator::Button::Refresh)
        m_fixture->db.exec(QStringLiteral("UPDATE Customers SET Phone = '1' WHERE Client = 'Carl'"));

    QVERIFY(m_navigator->doAction(b));
    QCOMPARE(contacts.currentRow(), row);
    const QString now = contacts.state() == Dataset::State::Insert ? QStringLiteral("insert")
        : contacts.state() == Dataset::State::Edit                 ? QStringLiteral("edit")
                                                                   : QStringLiteral("browse");
    QCOMPARE(now, state);
    QStringList inFile;
    for (const QVariantList& r :
         m_fixture->db.rows(QStringLiteral("SELECT Client FROM Customers ORDER BY Client")))
        inFile.append(r.at(0).toString());
    QCOMPARE(inFile, names);
    QVERIFY(m_fixture->messages.texts().isEmpty());
    if (b == DBNavigator::Button::Refresh)
        QCOMPARE(contacts.fieldByName(QStringLiteral("Phone")).asString(), QStringLiteral("1"));
    if (b == DBNavigator::Button::Cancel)
        QCOMPARE(contacts.fieldByName(QStringLiteral("Client")).asString(), QStringLiteral("Carl"));
}

void TestDBNavigator::buttonPressIsTheOperation()
{
    m_navigator->setDataSource(&m_fixture->module->dsCustomers);
    QStringList steps;
    m_navigator->setBeforeAction([&](DBNavigator::Button) { steps.append(QStringLiteral("before")); });
    connect(m_navigator.get(), &DBNavigator::click, this, [&] { steps.append(QStringLiteral("click")); });
    m_navigator->show();
    QTest::mouseClick(m_navigator->button(DBNavigator::Button::Last), Qt::LeftButton);
    QCOMPARE(steps, QStringList({ "before", "click" }));
    QCOMPARE(m_fixture->customers().currentRow(), 3);
    // A disabled button does nothing.
    QTest::mouseClick(m_navigator->button(DBNavigator::Button::Next), Qt::LeftButton);
    QCOMPARE(steps.size(), 2);
}

void TestDBNavigator::losingTheSourceDisablesAll()
{
    m_navigator->setDataSource(&m_fixture->module->dsCustomers);
    QCOMPARE(enabled(), QStringLiteral("fpNLIDEtc"));
    m_fixture->module.reset();
    QVERIFY(!m_navigator->dataSource());
    QCOMPARE(enabled(), QStringLiteral("fpnlidetc"));
    QSignalSpy clicks(m_navigator.get(), &DBNavigator::click);
    QVERIFY(m_navigator->doAction(DBNavigator::Button::Post)); // nothing bound: only the click
    QCOMPARE(clicks.size(), 1);
}

QTEST_MAIN(TestDBNavigator)
#include "tst_DBNavigator.moc"
