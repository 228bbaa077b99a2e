#include "AppFixture.h"
#include "DBCtrlGrid.h"
#include "DBGrid.h"
#include "DBNavigator.h"
#include "DatasetModel.h"
#include "DialRequest.h"
#include "MaskEdit.h"
#include "ModemProbe.h"
#include "TfrmDialer.h"
#include "UpperCaseEdit.h"

#include <QAction>
#include <QHeaderView>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTest>
#include <QToolButton>

namespace {

// A modem that is never there: every dial request stops at the port.
class AbsentModem final : public ModemProbe
{
public:
    ModemStatus probe(const QString& device) override
    {
        devices.append(device);
        return { ModemStatus::Failure::CannotOpen, {} };
    }
    QStringList devices;
};

} // namespace

// The three panes and the navigator, driven as the user drives them.
class TestPanes : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void contactsTitleClickSorts_data();
    void contactsTitleClickSorts();
    void fieldsTitleClickSorts_data();
    void fieldsTitleClickSorts();
    void sortGlyphGoesByPosition();
    void contactsHints_data();
    void contactsHints();
    void fieldsHints_data();
    void fieldsHints();
    void fastSearchByName_data();
    void fastSearchByName();
    void fastSearchFieldsAndButtons();
    void fastSearchOnEmptyTable();
    void doubleClickDials_data();
    void doubleClickDials();
    void popupArming_data();
    void popupArming();
    void popupActions();
    void navigatorDeleteAsks_data();
    void navigatorDeleteAsks();
    void deleteInAnEmptyPaneAsksNothing();
    void enteringAPanePostsAndBinds();
    void insertInContactInfoBelongsToContact();
    void postingNoteRefreshesContacts();
    void postingContactMovesToLast();
    void keyTable_data();
    void keyTable();
    void deleteWhileEditingCellDeletesCharacters();
    void noteKeepsItsStartTime();
    void noteLengthWarning();

private:
    QStringList names() const;
    void clickCell(DBGrid* grid, int dataColumn, int row);
    std::unique_ptr<AppFixture> m_app;
    TfrmTesmora* m_window = nullptr;
    AbsentModem* m_modem = nullptr;
    qint64 m_anna = 0;
    qint64 m_crab = 0;
};

void TestPanes::init()
{
    m_app = std::make_unique<AppFixture>();
    TestDatabase& db = m_app->db;
    m_anna = db.addContact(QStringLiteral("Anna Abbot"), QStringLiteral("5550002222"));
    m_crab = db.addContact(QStringLiteral("crab shack"), QStringLiteral("5550001111"));
    db.addContact(QStringLiteral("Zed"), QStringLiteral(""));
    db.addContact(QStringLiteral("O'Brien*"), QStringLiteral("5559990000"));
    db.addValue(m_anna, QStringLiteral("E-mail"), QStringLiteral("anna@example.com"));
    db.addValue(m_anna, QStringLiteral("Web-site"), QStringLiteral("example.org"));
    db.addValue(m_anna, QStringLiteral("Fax"), QStringLiteral(" 555-0100 "));
    db.addValue(m_anna, QStringLiteral("Company"), QStringLiteral("Fax"));
    db.addValue(m_crab, QStringLiteral("E-mail"), QStringLiteral("crab@example.com"));
    db.addNote(m_anna, QDateTime(QDate(2026, 1, 5), QTime(9, 30)), QStringLiteral("first call"));
    m_window = &m_app->start();
    auto modem = std::make_unique<AbsentModem>();
    m_modem = modem.get();
    m_window->setModemProbe(std::move(modem));
    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window));
    QVERIFY(m_app->messages.texts().isEmpty());
}

void TestPanes::cleanup()
{
    m_app.reset();
}

QStringList TestPanes::names() const
{
    QStringList result;
    const Dataset& contacts = m_app->module->taCustomers;
    for (int row = 0; row < contacts.recordCount(); ++row)
        result.append(contacts.value(row, contacts.fieldIndex(QStringLiteral("Client"))).toString());
    return result;
}

void TestPanes::clickCell(DBGrid* grid, int dataColumn, int row)
{
    const QRect rect = grid->dataCellRect(dataColumn, row);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->viewport()->mapFrom(grid, rect.center()));
}

void TestPanes::contactsTitleClickSorts_data()
{
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<bool>("byName");
    QTest::addColumn<bool>("ascending");
    QTest::addColumn<QStringList>("order");
    QTest::newRow("name flips to descending")
        << QStringList { "Client" } << true << false
        << QStringList { "crab shack", "Zed", "O'Brien*", "Anna Abbot" };
    QTest::newRow("name twice is ascending again")
        << QStringList { "Client", "Client" } << true << true
        << QStringList { "Anna Abbot", "O'Brien*", "Zed", "crab shack" };
    QTest::newRow("phone from name ascending is descending")
        << QStringList { "Phone" } << false << false
        << QStringList { "O'Brien*", "Anna Abbot", "crab shack", "Zed" };
}

void TestPanes::contactsTitleClickSorts()
{
    QFETCH(QStringList, clicks);
    QFETCH(bool, byName);
    QFETCH(bool, ascending);
    QFETCH(QStringList, order);
    Dataset& contacts = m_app->module->taCustomers;
    for (const QString& field : clicks)
        m_window->dbgClientsTitleClick(&contacts.fieldByName(field));
    QCOMPARE(m_window->sort.bSortByName, byName);
    QCOMPARE(m_window->sort.bAsc, ascending);
    QCOMPARE(contacts.sql(), SortState::contactsStatement(byName, ascending));
    QCOMPARE(names(), order);
    QCOMPARE(contacts.currentRow(), 0);
    // The contact info follows the new current contact.
    QCOMPARE(m_app->module->quClientParams.parameter(QStringLiteral("IdClient")),
             contacts.fieldByName(QStringLiteral("IdClient")).value());
}

void TestPanes::fieldsTitleClickSorts_data()
{
    QTest::addColumn<QStringList>("clicks");
    QTest::addColumn<bool>("byOrder");
    QTest::addColumn<bool>("ascending");
    QTest::newRow("property flips to descending") << QStringList { "ParamDescr" } << false << false;
    QTest::newRow("then order flips again") << QStringList { "ParamDescr", "TypeID" } << true << true;
    QTest::newRow("value changes nothing") << QStringList { "Value" } << false << true;
}

void TestPanes::fieldsTitleClickSorts()
{
    QFETCH(QStringList, clicks);
    QFETCH(bool, byOrder);
    QFETCH(bool, ascending);
    Dataset& fields = m_app->module->quClientParams;
    for (const QString& field : clicks)
        m_window->dbgParamsTitleClick(&fields.fieldByName(field));
    QCOMPARE(m_window->sort.bSortById, byOrder);
    QCOMPARE(m_window->sort.bAscField, ascending);
    QCOMPARE(fields.sql(), SortState::contactInfoStatement(byOrder, ascending));
    QCOMPARE(fields.updateTable(), QStringLiteral("ClientParam"));
    QCOMPARE(fields.recordCount(), 4);
}

void TestPanes::sortGlyphGoesByPosition()
{
    const auto glyphAt = [this](int dataColumn, bool contacts) {
        QImage image(400, 40, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        const QRect title(dataColumn * 100, 0, 100, 20);
        if (contacts)
            m_window->dbgClientsDrawColumnCell(&painter, title, dataColumn);
        else
            m_window->dbgParamsDrawColumnCell(&painter, title, dataColumn);
        painter.end();
        // Something drawn at the right end of that title, nothing at its left.
        bool right = false;
        for (int x = title.right() - 15; x <= title.right(); ++x)
            for (int y = 0; y < 16; ++y)
                right = right || qAlpha(image.pixel(x, y)) > 0;
        return right;
    };
    QVERIFY(glyphAt(0, true));
    QVERIFY(!glyphAt(1, true));
    // Fields by name: the glyph on the second data column; by order, the first.
    QVERIFY(glyphAt(1, false));
    QVERIFY(!glyphAt(0, false));
    m_window->dbgParamsTitleClick(&m_app->module->quClientParams.fieldByName(QStringLiteral("TypeID")));
    QVERIFY(glyphAt(0, false));
    QVERIFY(!glyphAt(1, false));
    m_window->dbgClientsTitleClick(&m_app->module->taCustomers.fieldByName(QStringLiteral("Phone")));
    QVERIFY(!glyphAt(0, true));
    QVERIFY(glyphAt(1, true));
    // A contact without fields shows no glyph there.
    QVERIFY(m_app->module->taCustomers.locate(QStringLiteral("Client"), QStringLiteral("Zed")));
    QVERIFY(!glyphAt(0, false));
    QVERIFY(!glyphAt(1, false));

    // After the user moves "Phone" before "Name", the first data column is
    // "Phone": sorting by name keeps the glyph on that first position.
    m_window->dbgClients->horizontalHeader()->moveSection(1, 0);
    QCOMPARE(m_window->dbgClients->fieldAtDataColumn(0)->name(), QStringLiteral("Phone"));
    m_window->dbgClientsTitleClick(&m_app->module->taCustomers.fieldByName(QStringLiteral("Client")));
    QVERIFY(glyphAt(0, true));

    // No rows, no glyph.
    m_app->db.exec(QStringLiteral("DELETE FROM Customers"));
    m_app->module->taCustomers.refresh();
    QVERIFY(!glyphAt(0, true));
    QVERIFY(!glyphAt(1, true));
}

void TestPanes::contactsHints_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("editing");
    QTest::addColumn<QString>("hint");
    const QString kept = QStringLiteral("(kept)");
    QTest::newRow("name title") << 1 << 0 << false << "Click to sort by names";
    QTest::newRow("phone title") << 2 << 0 << false << "Click to sort by phones";
    QTest::newRow("phone cell") << 2 << 1 << false << "Double click to dial the phone number";
    QTest::newRow("name cell") << 1 << 1 << false << "";
    QTest::newRow("indicator cell") << 0 << 2 << false << "";
    QTest::newRow("indicator title keeps hint") << 0 << 0 << false << kept;
    QTest::newRow("title while editing keeps hint") << 1 << 0 << true << kept;
    QTest::newRow("phone cell while editing") << 2 << 1 << true << "";
}

void TestPanes::contactsHints()
{
    QFETCH(int, column);
    QFETCH(int, row);
    QFETCH(bool, editing);
    QFETCH(QString, hint);
    DBGrid* grid = m_window->dbgClients;
    if (editing)
        m_app->module->taCustomers.edit();
    grid->setHint(QStringLiteral("(kept)"));
    const QRect rect = row == 0 ? grid->titleCellRect(column - 1) : grid->dataCellRect(column - 1, row - 1);
    QPoint at = rect.center();
    if (column == 0) {
        at = QPoint(grid->verticalHeader()->width() / 2,
                    row == 0 ? grid->horizontalHeader()->height() / 2
                             : grid->dataCellRect(0, row - 1).center().y());
    }
    QCOMPARE(grid->cellAt(at.x(), at.y()), (DBGrid::Cell { column, row }));
    m_window->dbgClientsMouseMove({}, at.x(), at.y());
    QCOMPARE(grid->hint(), hint);
}

void TestPanes::fieldsHints_data()
{
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("hint");
    QTest::newRow("order title") << 1 << 0 << "Click to sort in order";
    QTest::newRow("property title") << 2 << 0 << "Click to sort by property";
    QTest::newRow("value title") << 3 << 0 << "";
    QTest::newRow("property cell") << 2 << 1 << "Click the right mouse button for pop-up menu";
    QTest::newRow("value cell") << 3 << 2 << "";
}

void TestPanes::fieldsHints()
{
    QFETCH(int, column);
    QFETCH(int, row);
    QFETCH(QString, hint);
    DBGrid* grid = m_window->dbgParams;
    grid->setHint(QStringLiteral("(kept)"));
    const QRect rect = row == 0 ? grid->titleCellRect(column - 1) : grid->dataCellRect(column - 1, row - 1);
    QCOMPARE(grid->cellAt(rect.center().x(), rect.center().y()), (DBGrid::Cell { column, row }));
    m_window->dbgParamsMouseMove({}, rect.center().x(), rect.center().y());
    QCOMPARE(grid->hint(), hint);
}

void TestPanes::fastSearchByName_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("shown");
    QTest::newRow("any case") << "ab" << QStringList { "Anna Abbot", "crab shack" };
    QTest::newRow("blanks stripped") << "  zed " << QStringList { "Zed" };
    QTest::newRow("quote") << "o'b" << QStringList { "O'Brien*" };
    QTest::newRow("asterisk literal") << "n*" << QStringList { "O'Brien*" };
    QTest::newRow("nothing") << "xyz" << QStringList {};
}

void TestPanes::fastSearchByName()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, shown);
    m_window->meName->setFocus();
    QTest::keyClicks(m_window->meName, typed);
    QCOMPARE(m_window->meName->text(), typed.toUpper());
    QCOMPARE(names(), shown);
    QCOMPARE(m_app->module->taCustomers.currentRow(), shown.isEmpty() ? -1 : 0);
    QTest::keyClick(m_window->meName, Qt::Key_Escape);
    QCOMPARE(m_window->meName->text(), QString());
    QCOMPARE(names().size(), 4);
}

void TestPanes::fastSearchFieldsAndButtons()
{
    UpperCaseEdit* name = m_window->meName;
    MaskEdit* phone = m_window->mePhone;
    QVERIFY(m_window->NameBtn->isChecked());
    name->setFocus();
    QTest::keyClicks(name, QStringLiteral("crab"));
    QCOMPARE(names(), QStringList { "crab shack" });

    // Into the phone field: the name is emptied, the whole list is back.
    phone->setFocus();
    QVERIFY(m_window->PhoneBtn->isChecked());
    QCOMPARE(name->text(), QString());
    QCOMPARE(names().size(), 4);
    QTest::keyClicks(phone, QStringLiteral("0001"));
    QCOMPARE(names(), QStringList { "crab shack" });
    QCOMPARE(m_app->module->taCustomers.filter(), QStringLiteral("Phone LIKE '*0001*'"));

    // Leaving a half-filled phone field is refused with the exact message.
    m_app->messages.clear();
    QVERIFY(phone->hasFocus());
    name->setFocus();
    QTRY_VERIFY(phone->hasFocus());
    // The refused leave did not enter the name field: the phone text stays.
    QCOMPARE(phone->value(), QStringLiteral("0001"));
    QVERIFY(m_app->messages.texts().contains(
        QStringLiteral("Invalid input value.  Use escape key to abandon changes")));
    // Esc empties it, and then it can be left.
    QTest::keyClick(phone, Qt::Key_Escape);
    QCOMPARE(phone->value(), QString());
    QCOMPARE(names().size(), 4);
    m_window->NameBtnClick();
    QTRY_VERIFY(name->hasFocus());

    // A title click while searching re-sorts only the matching rows.
    QTest::keyClicks(name, QStringLiteral("a"));
    const QStringList matching = names();
    m_window->dbgClientsTitleClick(&m_app->module->taCustomers.fieldByName(QStringLiteral("Client")));
    QStringList reversed = matching;
    std::reverse(reversed.begin(), reversed.end());
    QCOMPARE(names(), reversed);

    // "Remove filter" empties both fields.
    m_window->FilterBtnClick();
    QCOMPARE(name->text(), QString());
    QCOMPARE(names().size(), 4);
    QVERIFY(!m_app->module->taCustomers.isFiltered());
}

void TestPanes::fastSearchOnEmptyTable()
{
    m_app->db.exec(QStringLiteral("DELETE FROM Customers"));
    m_app->module->taCustomers.refresh();
    m_window->meName->setFocus();
    QTest::keyClicks(m_window->meName, QStringLiteral("a'*%"));
    QVERIFY(names().isEmpty());
    QVERIFY(m_app->messages.texts().isEmpty());
    QCOMPARE(m_app->module->quClientParams.parameter(QStringLiteral("IdClient")).toLongLong(), 0);
}

void TestPanes::doubleClickDials_data()
{
    QTest::addColumn<QString>("contact");
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("editing");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("number");
    QTest::newRow("phone dials") << "crab shack"
                                 << "Phone" << false << "Unable to open COM1"
                                 << "5550001111";
    QTest::newRow("name does nothing") << "crab shack"
                                       << "Client" << false << ""
                                       << "";
    QTest::newRow("empty phone") << "Zed"
                                 << "Phone" << false << "Field is empty!"
                                 << "";
    QTest::newRow("while editing nothing") << "crab shack"
                                           << "Phone" << true << ""
                                           << "";
}

void TestPanes::doubleClickDials()
{
    QFETCH(QString, contact);
    QFETCH(QString, field);
    QFETCH(bool, editing);
    QFETCH(QString, message);
    QFETCH(QString, number);
    Dataset& contacts = m_app->module->taCustomers;
    QVERIFY(contacts.locate(QStringLiteral("Client"), contact));
    m_window->dbgClients->setSelectedDataColumn(m_window->dbgClients->dataColumnOfField(field));
    if (editing)
        contacts.edit();
    m_window->dbgClientsDblClick();
    QCOMPARE(m_app->messages.texts(), message.isEmpty() ? QStringList {} : QStringList { message });
    QCOMPARE(m_window->dialRequest().phoneToDial(), number);
}

void TestPanes::popupArming_data()
{
    QTest::addColumn<QString>("property"); // the name cell clicked; "" clicks a value cell
    QTest::addColumn<QString>("armed");
    QTest::newRow("e-mail") << "E-mail"
                            << "imnEmail";
    QTest::newRow("web-site") << "Web-site"
                              << "imnBrowser";
    QTest::newRow("fax") << "Fax"
                         << "imnFax";
    QTest::newRow("ordinary name") << "Company"
                                   << "";
    QTest::newRow("value reading Fax") << ""
                                       << "";
}

void TestPanes::popupArming()
{
    QFETCH(QString, property);
    QFETCH(QString, armed);
    Dataset& fields = m_app->module->quClientParams;
    DBGrid* grid = m_window->dbgParams;
    const int nameColumn = grid->dataColumnOfField(QStringLiteral("ParamDescr"));
    const int valueColumn = grid->dataColumnOfField(QStringLiteral("Value"));
    if (property.isEmpty()) {
        QVERIFY(fields.locate(QStringLiteral("Value"), QStringLiteral("Fax")));
        clickCell(grid, valueColumn, fields.currentRow());
    } else {
        int row = -1;
        for (int r = 0; r < fields.recordCount(); ++r) {
            if (fields.displayText(r, fields.fieldIndex(QStringLiteral("ParamDescr"))) == property)
                row = r;
        }
        QVERIFY(row >= 0);
        clickCell(grid, nameColumn, row);
    }
    for (QAction* item : { m_window->imnEmail, m_window->imnBrowser, m_window->imnFax })
        QCOMPARE(item->isEnabled(), item->objectName() == armed);
}

void TestPanes::popupActions()
{
    Dataset& fields = m_app->module->quClientParams;
    DBGrid* grid = m_window->dbgParams;
    const int nameColumn = grid->dataColumnOfField(QStringLiteral("ParamDescr"));
    const auto clickName = [&](const QString& property) {
        for (int r = 0; r < fields.recordCount(); ++r) {
            if (fields.displayText(r, fields.fieldIndex(QStringLiteral("ParamDescr"))) == property)
                clickCell(grid, nameColumn, r);
        }
    };
    clickName(QStringLiteral("E-mail"));
    QCOMPARE(m_window->actionValue(), QStringLiteral("anna@example.com"));
    // A move to another contact keeps the armed item and its value.
    m_app->module->taCustomers.next();
    QVERIFY(m_window->imnEmail->isEnabled());
    m_window->imnEmail->trigger();
    QCOMPARE(m_app->shell.opened,
             QStringList { QStringLiteral("mailto:anna@example.com?BODY=Dear ")
                           + m_app->module->taCustomers.fieldByName(QStringLiteral("Client")).asString()
                           + QStringLiteral(",") });

    m_app->module->taCustomers.first();
    clickName(QStringLiteral("Web-site"));
    m_window->imnBrowser->trigger();
    QCOMPARE(m_app->shell.opened.last(), QStringLiteral("http://example.org"));
    m_window->imnBrowser->trigger(); // "http://" is in it now
    QCOMPARE(m_app->shell.opened.last(), QStringLiteral("http://example.org"));

    clickName(QStringLiteral("Fax"));
    m_window->imnFax->trigger();
    QCOMPARE(m_window->dialRequest().phoneToDial(), QStringLiteral("5550100"));

    // An empty armed value is reported, nothing is opened.
    m_app->db.exec(QStringLiteral("UPDATE ClientParam SET Value = '' WHERE Value = 'example.org'"));
    m_app->module->RequeryContactFields();
    clickName(QStringLiteral("Web-site"));
    m_app->messages.clear();
    const int opened = m_app->shell.opened.size();
    m_window->imnBrowser->trigger();
    QCOMPARE(m_app->messages.texts(), QStringList { QStringLiteral("Field is empty!") });
    QCOMPARE(m_app->shell.opened.size(), opened);
}

void TestPanes::navigatorDeleteAsks_data()
{
    QTest::addColumn<QString>("pane");
    QTest::addColumn<bool>("yes");
    for (const char* pane : { "contacts", "fields", "notes" }) {
        QTest::addRow("%s yes", pane) << QString::fromLatin1(pane) << true;
        QTest::addRow("%s no", pane) << QString::fromLatin1(pane) << false;
    }
}

void TestPanes::navigatorDeleteAsks()
{
    QFETCH(QString, pane);
    QFETCH(bool, yes);
    const auto count = [this](const char* table) {
        return m_app->db.scalar(QStringLiteral("SELECT count(*) FROM %1").arg(QLatin1String(table))).toInt();
    };
    const char* table = pane == QLatin1String("contacts") ? "Customers"
        : pane == QLatin1String("fields")                 ? "ClientParam"
                                                          : "CallHistory";
    if (pane == QLatin1String("fields"))
        m_window->dbgParams->setFocus();
    else if (pane == QLatin1String("notes"))
        m_window->dbgHistory->setFocus();
    else
        m_window->dbgClients->setFocus();
    QTRY_VERIFY(QApplication::focusWidget());
    const int before = count(table);
    const int customers = count("Customers");
    m_app->messages.setNextAnswers({ yes });
    m_window->dbnCall->doAction(DBNavigator::Button::Delete);
    QCOMPARE(m_app->messages.texts(),
             QStringList { QStringLiteral("Are you about to delete the current record? ") });
    QCOMPARE(count(table), yes ? before - 1 : before);
    if (pane != QLatin1String("contacts"))
        QCOMPARE(count("Customers"), customers);
}

void TestPanes::deleteInAnEmptyPaneAsksNothing()
{
    QVERIFY(m_app->module->taCustomers.locate(QStringLiteral("Client"), QStringLiteral("Zed")));
    m_window->dbgParams->setFocus();
    QTRY_COMPARE(m_window->dbnCall->dataSource(), &m_app->module->dsClientParams);
    QVERIFY(m_app->module->quClientParams.isEmpty());
    m_app->messages.setNextAnswers({ true });
    QTest::keyClick(m_window->dbgParams, Qt::Key_Delete);
    QVERIFY(m_app->messages.texts().isEmpty());
}

void TestPanes::enteringAPanePostsAndBinds()
{
    Dataset& contacts = m_app->module->taCustomers;
    m_window->dbgClients->setFocus();
    QTRY_COMPARE(m_window->dbnCall->dataSource(), &m_app->module->dsCustomers);
    contacts.fieldByName(QStringLiteral("Client")).setValue(QStringLiteral("Anna Changed"));
    m_window->dbgParams->setFocus();
    QTRY_COMPARE(m_window->dbnCall->dataSource(), &m_app->module->dsClientParams);
    QCOMPARE(contacts.state(), Dataset::State::Browse);
    QCOMPARE(m_app->db.scalar(QStringLiteral("SELECT Client FROM Customers WHERE IdClient = ?"), { m_anna })
                 .toString(),
             QStringLiteral("Anna Changed"));
    // The post's after-step: the list stands on its last row.
    QCOMPARE(contacts.currentRow(), contacts.recordCount() - 1);
    m_window->dbgHistory->setFocus();
    QTRY_COMPARE(m_window->dbnCall->dataSource(), &m_app->module->dsHistory);
}

void TestPanes::insertInContactInfoBelongsToContact()
{
    m_window->dbgParams->setFocus();
    QTRY_COMPARE(m_window->dbnCall->dataSource(), &m_app->module->dsClientParams);
    Dataset& fields = m_app->module->quClientParams;
    QVERIFY(m_window->dbnCall->doAction(DBNavigator::Button::Insert));
    QCOMPARE(fields.state(), Dataset::State::Insert);
    QCOMPARE(fields.fieldByName(QStringLiteral("IdClient")).asInteger(), m_anna);
    QCOMPARE(m_window->dbgParams->selectedDataColumn(), 1);
    QCOMPARE(m_window->dbgParams->selectedField()->name(), QStringLiteral("ParamDescr"));
    fields.fieldByName(QStringLiteral("ParamDescr")).setValue(QStringLiteral("Mobile"));
    fields.fieldByName(QStringLiteral("Value")).setValue(QStringLiteral("0170"));
    QVERIFY(m_window->dbnCall->doAction(DBNavigator::Button::Post));
    // Re-queried: the new row comes back with its order number.
    QCOMPARE(fields.recordCount(), 5);
    QVERIFY(fields.locate(QStringLiteral("Value"), QStringLiteral("0170")));
    QCOMPARE(fields.fieldByName(QStringLiteral("TypeID")).asInteger(), 4);
    QCOMPARE(m_app->db.scalar(QStringLiteral("SELECT IdClient FROM ClientParam WHERE Value = '0170'"))
                 .toLongLong(),
             m_anna);

    // Cancel drops a new row.
    QVERIFY(m_window->dbnCall->doAction(DBNavigator::Button::Insert));
    QVERIFY(m_window->dbnCall->doAction(DBNavigator::Button::Cancel));
    QCOMPARE(fields.recordCount(), 5);
}

void TestPanes::postingNoteRefreshesContacts()
{
    m_window->dbgHistory->setFocus();
    QTRY_COMPARE(m_window->dbnCall->dataSource(), &m_app->module->dsHistory);
    Dataset& contacts = m_app->module->taCustomers;
    contacts.locate(QStringLiteral("Client"), QStringLiteral("crab shack"));
    m_app->db.exec(QStringLiteral("UPDATE Customers SET Phone = '111' WHERE IdClient = ?"), { m_crab });
    QVERIFY(m_window->dbnCall->doAction(DBNavigator::Button::Insert));
    m_app->module->quHistory.fieldByName(QStringLiteral("CallDescr")).setValue(QStringLiteral("note"));
    QVERIFY(m_window->dbnCall->doAction(DBNavigator::Button::Post));
    QCOMPARE(contacts.fieldByName(QStringLiteral("Client")).asString(), QStringLiteral("crab shack"));
    QCOMPARE(contacts.fieldByName(QStringLiteral("Phone")).asString(), QStringLiteral("111"));
    QCOMPARE(m_app->module->quHistory.fieldByName(QStringLiteral("IdClient")).asInteger(), m_crab);
}

void TestPanes::postingContactMovesToLast()
{
    m_window->dbgClients->setFocus();
    Dataset& contacts = m_app->module->taCustomers;
    QVERIFY(m_window->dbnCall->doAction(DBNavigator::Button::Insert));
    QCOMPARE(m_app->module->quClientParams.recordCount(), 0);
    contacts.fieldByName(QStringLiteral("Client")).setValue(QStringLiteral("Aaron"));
    QTest::keyClick(m_window->dbgClients, Qt::Key_Return);
    QCOMPARE(contacts.state(), Dataset::State::Browse);
    QCOMPARE(contacts.currentRow(), contacts.recordCount() - 1);
    QCOMPARE(
        m_app->db.scalar(QStringLiteral("SELECT count(*) FROM Customers WHERE Client = 'Aaron'")).toInt(), 1);
}

void TestPanes::keyTable_data()
{
    QTest::addColumn<QString>("pane");
    QTest::addColumn<int>("key");
    QTest::addColumn<bool>("editing");
    QTest::addColumn<QString>("effect"); // "asks", "posts", "inserts", "none"
    QTest::newRow("contacts delete") << "contacts" << int(Qt::Key_Delete) << false << "asks";
    QTest::newRow("contacts delete editing") << "contacts" << int(Qt::Key_Delete) << true << "none";
    QTest::newRow("contacts enter editing") << "contacts" << int(Qt::Key_Return) << true << "posts";
    QTest::newRow("contacts insert") << "contacts" << int(Qt::Key_Insert) << false << "none";
    QTest::newRow("fields delete") << "fields" << int(Qt::Key_Delete) << false << "asks";
    QTest::newRow("fields enter editing") << "fields" << int(Qt::Key_Enter) << true << "posts";
    QTest::newRow("notes insert") << "notes" << int(Qt::Key_Insert) << false << "inserts";
    QTest::newRow("notes delete") << "notes" << int(Qt::Key_Delete) << false << "asks";
    QTest::newRow("notes enter editing") << "notes" << int(Qt::Key_Return) << true << "posts";
}

void TestPanes::keyTable()
{
    QFETCH(QString, pane);
    QFETCH(int, key);
    QFETCH(bool, editing);
    QFETCH(QString, effect);
    QWidget* grid = pane == QLatin1String("contacts") ? static_cast<QWidget*>(m_window->dbgClients)
        : pane == QLatin1String("fields")             ? static_cast<QWidget*>(m_window->dbgParams)
                                                      : static_cast<QWidget*>(m_window->dbgHistory);
    grid->setFocus();
    QTRY_VERIFY(grid->hasFocus());
    Dataset& dataset = m_window->dbnCall->dataSource()->dataset();
    const QString textField = pane == QLatin1String("contacts") ? QStringLiteral("Client")
        : pane == QLatin1String("fields")                       ? QStringLiteral("Value")
                                                                : QStringLiteral("CallDescr");
    if (editing)
        dataset.fieldByName(textField).setValue(QStringLiteral("typed"));
    const int rows = dataset.recordCount();
    m_app->messages.setNextAnswers({ false });
    QTest::keyClick(grid, Qt::Key(key));
    const bool asked
        = m_app->messages.texts().contains(QStringLiteral("Are you about to delete the current record? "));
    QCOMPARE(asked, effect == QLatin1String("asks"));
    if (effect == QLatin1String("posts"))
        QCOMPARE(dataset.state(), Dataset::State::Browse);
    else if (editing)
        QVERIFY(dataset.isEditing());
    if (effect == QLatin1String("inserts")) {
        QCOMPARE(dataset.state(), Dataset::State::Insert);
        QCOMPARE(dataset.recordCount(), rows + 1);
    } else if (effect == QLatin1String("none") && !editing) {
        QCOMPARE(dataset.state(), Dataset::State::Browse);
    }
}

void TestPanes::deleteWhileEditingCellDeletesCharacters()
{
    DBGrid* grid = m_window->dbgClients;
    Dataset& contacts = m_app->module->taCustomers;
    grid->setFocus();
    grid->setSelectedDataColumn(grid->dataColumnOfField(QStringLiteral("Client")));
    QTest::keyClick(grid, Qt::Key_F2);
    QTRY_VERIFY(grid->isEditorOpen());
    QTest::keyClick(grid->editorWidget(), Qt::Key_Home);
    m_app->messages.setNextAnswers({ true });
    QTest::keyClick(grid->editorWidget(), Qt::Key_Delete);
    QVERIFY(m_app->messages.texts().isEmpty());
    QCOMPARE(contacts.recordCount(), 4);
    QVERIFY(contacts.isEditing());
}

void TestPanes::noteKeepsItsStartTime()
{
    m_app->clock.set(QDateTime(QDate(2026, 3, 2), QTime(10, 15)));
    m_window->dbgHistory->setFocus();
    QTRY_COMPARE(m_window->dbnCall->dataSource(), &m_app->module->dsHistory);
    QTest::keyClick(m_window->dbgHistory, Qt::Key_Insert);
    Dataset& notes = m_app->module->quHistory;
    QCOMPARE(notes.state(), Dataset::State::Insert);
    m_app->clock.set(QDateTime(QDate(2026, 3, 2), QTime(10, 20)));
    m_window->dbgHistory->memo()->setPlainText(QStringLiteral("Spoke with Anna"));
    QVERIFY(m_window->dbnCall->doAction(DBNavigator::Button::Post));
    QCOMPARE(
        m_app->db.scalar(QStringLiteral("SELECT Date FROM CallHistory WHERE CallDescr = 'Spoke with Anna'"))
            .toString(),
        QStringLiteral("2026-03-02T10:15:00"));
}

void TestPanes::noteLengthWarning()
{
    QPlainTextEdit* memo = m_window->dbgHistory->memo();
    const QColor normal = memo->palette().color(QPalette::Base);
    memo->setPlainText(QString(256, QLatin1Char('n')));
    QCOMPARE(memo->toolTip(), QStringLiteral("Text limit is 255 chars."));
    QVERIFY(memo->palette().color(QPalette::Base) != normal);
    memo->setPlainText(QString(255, QLatin1Char('n')));
    QCOMPARE(memo->toolTip(), QString());
    QCOMPARE(memo->palette().color(QPalette::Base), normal);

    // Posting the over-long note is refused, the text stays.
    memo->setPlainText(QString(300, QLatin1Char('x')));
    Dataset& notes = m_app->module->quHistory;
    m_window->dbgHistory->setFocus();
    QTRY_COMPARE(m_window->dbnCall->dataSource(), &m_app->module->dsHistory);
    m_app->messages.clear();
    QVERIFY(!m_window->dbnCall->doAction(DBNavigator::Button::Post));
    QCOMPARE(m_app->messages.errors().size(), 1);
    QVERIFY(notes.isEditing());
    QCOMPARE(notes.fieldByName(QStringLiteral("CallDescr")).asString().size(), 300);
}

QTEST_MAIN(TestPanes)
#include "tst_Panes.moc"
