#include "DBGrid.h"
#include "DBNavigator.h"
#include "DataModuleFixture.h"
#include "DatasetModel.h"
#include "Field.h"
#include "MaskEdit.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLineEdit>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QToolTip>
#include <QVBoxLayout>

// The data-aware grid on the real data module: current rows in step both
// ways, the grid's numbering of cells and columns, the events its owner's
// handlers need, and editing in place through the fields' rules.
class TestDBGrid : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void gridFollowsDataset_data();
    void gridFollowsDataset();
    void datasetFollowsGrid_data();
    void datasetFollowsGrid();
    void clickAfterUnchangedInsertLandsOnClickedRow();
    void cellNumbering_data();
    void cellNumbering();
    void columnLayoutSurvivesReopening_data();
    void columnLayoutSurvivesReopening();
    void titleClickAfterMove();
    void titleHookDrawsOnTheTitle();
    void mouseMovesAndHints();
    void keyDownBeforeOwnHandling_data();
    void keyDownBeforeOwnHandling();
    void typingEditsAndEnterWritesBeforeHandler();
    void maskedPhoneInPlace_data();
    void maskedPhoneInPlace();
    void lookupInPlace();
    void readOnlyColumnIsNotEdited();
    void escapeRevertsThenCancels();
    void leavingTheEditorWritesItsText();
    void refusedTextKeepsTheEditor();
    void navigatorWritesOrDropsOpenEditor_data();
    void navigatorWritesOrDropsOpenEditor();
    void enterOnlyFromOutside();
    void clicksAndDoubleClicks();
    void selectedFieldWithoutRows();
    void indicatorMarksCurrentRow();
    void fieldTextColourIsPainted();
    void otherAndLostSources();

private:
    QPoint cellCenter(int dataColumn, int row) const;
    void clickCell(int dataColumn, int row, Qt::MouseButton button = Qt::LeftButton);
    void selectCell(int dataColumn, int row);
    QWidget* openEditor(int dataColumn, int row);
    Dataset& contacts() const { return m_fixture->customers(); }
    QString dbName(qint64 id) const;

    std::unique_ptr<DataModuleFixture> m_fixture;
    std::unique_ptr<QWidget> m_window;
    DBGrid* m_grid = nullptr;
    QLineEdit* m_other = nullptr;
};

void TestDBGrid::init()
{
    m_fixture = std::make_unique<DataModuleFixture>(60);
    m_window = std::make_unique<QWidget>();
    auto* layout = new QVBoxLayout(m_window.get());
    m_grid = new DBGrid(m_window.get());
    m_other = new QLineEdit(m_window.get());
    layout->addWidget(m_grid);
    layout->addWidget(m_other);
    m_grid->setDataSource(&m_fixture->module->dsCustomers);
    m_grid->setColumnLayout({ { QStringLiteral("Client"), 189 }, { QStringLiteral("Phone"), 105 } });
    m_window->resize(420, 320);
    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    m_grid->setFocus();
    QTRY_VERIFY(m_grid->hasFocus());
}

void TestDBGrid::cleanup()
{
    m_window.reset();
    m_fixture.reset();
}

QPoint TestDBGrid::cellCenter(int dataColumn, int row) const
{
    const int column = m_grid->datasetModel()->columnOfField(m_grid->fieldAtDataColumn(dataColumn)->name());
    return m_grid->visualRect(m_grid->datasetModel()->index(row, column)).center();
}

void TestDBGrid::clickCell(int dataColumn, int row, Qt::MouseButton button)
{
    QTest::mouseClick(m_grid->viewport(), button, {}, cellCenter(dataColumn, row));
}

void TestDBGrid::selectCell(int dataColumn, int row)
{
    contacts().moveTo(row);
    m_grid->setSelectedDataColumn(dataColumn);
    QCOMPARE(m_grid->currentIndex().row(), row);
}

QWidget* TestDBGrid::openEditor(int dataColumn, int row)
{
    selectCell(dataColumn, row);
    QTest::keyClick(m_grid, Qt::Key_F2);
    return m_grid->editorWidget();
}

QString TestDBGrid::dbName(qint64 id) const
{
    return m_fixture->db.scalar(QStringLiteral("SELECT Client FROM Customers WHERE IdClient = ?"), { id })
        .toString();
}

void TestDBGrid::gridFollowsDataset_data()
{
    QTest::addColumn<QString>("operation");
    QTest::addColumn<int>("row");
    QTest::newRow("next") << "next" << 1;
    QTest::newRow("last, out of view") << "last" << 63;
    QTest::newRow("back to the first") << "first" << 0;
    QTest::newRow("a row in the middle") << "moveTo 30" << 30;
    QTest::newRow("insert") << "insert at 5" << 5;
    QTest::newRow("delete") << "delete at 7" << 7;
    QTest::newRow("filter") << "filter" << 0;
    QTest::newRow("refresh keeps the row") << "refresh at 40" << 40;
    QTest::newRow("reopen") << "reopen" << 0;
}

void TestDBGrid::gridFollowsDataset()
{
    QFETCH(QString, operation);
    QFETCH(int, row);

    Dataset& data = contacts();
    const QStringList parts = operation.split(QLatin1Char(' '));
    if (parts.size() == 3)
        data.moveTo(parts[2].toInt());
    if (operation == QLatin1String("next"))
        data.next();
    else if (operation == QLatin1String("last"))
        data.last();
    else if (operation == QLatin1String("first")) {
        data.last();
        data.first();
    } else if (parts[0] == QLatin1String("moveTo"))
        data.moveTo(parts[1].toInt());
    else if (parts[0] == QLatin1String("insert"))
        data.insert();
    else if (parts[0] == QLatin1String("delete"))
        data.remove();
    else if (operation == QLatin1String("filter")) {
        data.setFilter(QStringLiteral("Client LIKE '*extra 04*'"));
        data.setFiltered(true);
    } else if (parts[0] == QLatin1String("refresh"))
        data.refresh();
    else if (operation == QLatin1String("reopen"))
        m_fixture->module->setContactsStatement(SortState::contactsStatement(false, true));

    QCOMPARE(data.currentRow(), row);
    QCOMPARE(m_grid->currentIndex().row(), row);
    QCOMPARE(m_grid->selectedField()->name(), QStringLiteral("Phone")); // the column stays
    const QRect cell = m_grid->visualRect(m_grid->currentIndex());
    QVERIFY2(cell.top() >= 0 && cell.bottom() <= m_grid->viewport()->height(), "the current row is in view");
}

void TestDBGrid::datasetFollowsGrid_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<int>("row");
    QTest::newRow("click") << "click 3" << 3;
    QTest::newRow("down key") << "down" << 1;
    QTest::newRow("control end") << "ctrl end" << 63;
    QTest::newRow("indicator click") << "indicator 2" << 2;
}

void TestDBGrid::datasetFollowsGrid()
{
    QFETCH(QString, action);
    QFETCH(int, row);

    if (action.startsWith(QLatin1String("click")))
        clickCell(0, action.mid(6).toInt());
    else if (action == QLatin1String("down"))
        QTest::keyClick(m_grid, Qt::Key_Down);
    else if (action == QLatin1String("ctrl end"))
        QTest::keyClick(m_grid, Qt::Key_End, Qt::ControlModifier);
    else if (action.startsWith(QLatin1String("indicator"))) {
        const int target = action.mid(10).toInt();
        QHeaderView* indicator = m_grid->verticalHeader();
        QTest::mouseClick(
            indicator->viewport(), Qt::LeftButton, {},
            QPoint(indicator->width() / 2,
                   indicator->sectionViewportPosition(target) + indicator->sectionSize(target) / 2));
    }
    QCOMPARE(contacts().currentRow(), row);
    QCOMPARE(m_grid->currentIndex().row(), row);
}

void TestDBGrid::clickAfterUnchangedInsertLandsOnClickedRow()
{
    Dataset& data = contacts();
    data.moveTo(1);
    data.insert(); // rows: Anna, (new), Bob, Carl, Dora, ...
    QCOMPARE(m_grid->currentIndex().row(), 1);
    // Leaving the untouched new row drops it, which moves the rows below up.
    clickCell(0, 4);
    QCOMPARE(data.state(), Dataset::State::Browse);
    QCOMPARE(data.recordCount(), 64);
    QCOMPARE(data.fieldByName(QStringLiteral("Client")).asString(), QStringLiteral("Dora"));
    QTRY_COMPARE(m_grid->currentIndex().row(), data.currentRow());
}

void TestDBGrid::cellNumbering_data()
{
    QTest::addColumn<QString>("place");
    QTest::addColumn<bool>("moved"); // Phone moved before Name by the user
    QTest::addColumn<int>("column");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("field"); // of the data column, when a data column

    for (const bool moved : { false, true }) {
        const char* suffix = moved ? " after the move" : "";
        const QString first = moved ? QStringLiteral("Phone") : QStringLiteral("Client");
        const QString second = moved ? QStringLiteral("Client") : QStringLiteral("Phone");
        QTest::addRow("corner%s", suffix) << "corner" << moved << 0 << 0 << QString();
        QTest::addRow("first title%s", suffix) << "title 0" << moved << 1 << 0 << first;
        QTest::addRow("second title%s", suffix) << "title 1" << moved << 2 << 0 << second;
        QTest::addRow("indicator of the first row%s", suffix)
            << "indicator 0" << moved << 0 << 1 << QString();
        QTest::addRow("first cell%s", suffix) << "cell 0 0" << moved << 1 << 1 << first;
        QTest::addRow("second column, third row%s", suffix) << "cell 1 2" << moved << 2 << 3 << second;
        QTest::addRow("right of the columns%s", suffix) << "beyond" << moved << -1 << -1 << QString();
    }
}

void TestDBGrid::cellNumbering()
{
    QFETCH(QString, place);
    QFETCH(bool, moved);
    QFETCH(int, column);
    QFETCH(int, row);
    QFETCH(QString, field);

    if (moved)
        m_grid->horizontalHeader()->moveSection(1, 0);
    const QRect titles = m_grid->horizontalHeader()->geometry();
    const QRect indicator = m_grid->verticalHeader()->geometry();
    const QPoint offset = m_grid->viewport()->geometry().topLeft();
    const QStringList parts = place.split(QLatin1Char(' '));
    QPoint at;
    if (place == QLatin1String("corner"))
        at = QPoint(indicator.center().x(), titles.center().y());
    else if (parts[0] == QLatin1String("title"))
        at = QPoint(m_grid->titleCellRect(parts[1].toInt()).center().x(), titles.center().y());
    else if (parts[0] == QLatin1String("indicator"))
        at = QPoint(indicator.center().x(), offset.y() + cellCenter(0, parts[1].toInt()).y());
    else if (parts[0] == QLatin1String("cell"))
        at = offset + cellCenter(parts[1].toInt(), parts[2].toInt());
    else
        at = QPoint(m_grid->titleCellRect(1).right() + 20, offset.y() + cellCenter(0, 1).y());

    const DBGrid::Cell cell = m_grid->cellAt(at.x(), at.y());
    QCOMPARE(cell.column, column);
    QCOMPARE(cell.row, row);
    if (!field.isEmpty())
        QCOMPARE(m_grid->fieldAtDataColumn(cell.column - 1)->name(), field);
}

void TestDBGrid::columnLayoutSurvivesReopening_data()
{
    QTest::addColumn<QString>("operation");
    QTest::newRow("refresh") << "refresh";
    QTest::newRow("filter") << "filter";
    QTest::newRow("new statement") << "statement";
    QTest::newRow("close and open") << "reopen";
}

void TestDBGrid::columnLayoutSurvivesReopening()
{
    QFETCH(QString, operation);

    m_grid->horizontalHeader()->moveSection(1, 0);
    m_grid->setDataColumnWidth(1, 150);
    const QList<DBGrid::ColumnLayout> layout { { QStringLiteral("Phone"), 105 },
                                               { QStringLiteral("Client"), 150 } };
    QCOMPARE(m_grid->columnLayout(), layout);

    Dataset& data = contacts();
    if (operation == QLatin1String("refresh")) {
        data.refresh();
    } else if (operation == QLatin1String("filter")) {
        data.setFilter(QStringLiteral("Phone LIKE '*555*'"));
        data.setFiltered(true);
    } else if (operation == QLatin1String("statement")) {
        m_fixture->module->setContactsStatement(SortState::contactsStatement(true, false));
    } else {
        data.close();
        QCOMPARE(m_grid->columnLayout(), layout);
        data.open();
    }
    QCOMPARE(m_grid->columnLayout(), layout);
    QCOMPARE(m_grid->fieldAtDataColumn(0)->name(), QStringLiteral("Phone"));
    QCOMPARE(m_grid->dataColumnOfField(QStringLiteral("Client")), 1);
}

void TestDBGrid::titleClickAfterMove()
{
    QList<QPair<QString, int>> clicks;
    connect(m_grid, &DBGrid::titleClick, this, [&](Field* field, int dataColumn) {
        clicks.append({ field->name(), dataColumn });
    });
    QHeaderView* titles = m_grid->horizontalHeader();
    const auto clickTitle = [&](int dataColumn) {
        const QPoint at
            = m_grid->titleCellRect(dataColumn).center() - titles->viewport()->mapTo(m_grid, QPoint());
        QTest::mouseClick(titles->viewport(), Qt::LeftButton, {}, at);
    };
    clickTitle(0);
    titles->moveSection(1, 0);
    clickTitle(0);
    clickTitle(1);
    const QList<QPair<QString, int>> expected { { QStringLiteral("Client"), 0 },
                                                { QStringLiteral("Phone"), 0 },
                                                { QStringLiteral("Client"), 1 } };
    QCOMPARE(clicks, expected);
}

void TestDBGrid::titleHookDrawsOnTheTitle()
{
    QStringList titleFields;
    connect(m_grid, &DBGrid::drawTitleCell, this,
            [&](QPainter* painter, const QRect& rect, int dataColumn, Field* field) {
                titleFields.append(field->name());
                // A glyph at the right end of the first data column's title.
                if (dataColumn == 0)
                    painter->fillRect(QRect(rect.right() - 15, rect.top(), 16, 16), Qt::red);
            });
    int cells = 0;
    bool consistent = true;
    connect(m_grid, &DBGrid::drawColumnCell, this,
            [&](QPainter*, const QRect& rect, int dataColumn, Field* field, QStyle::State) {
                ++cells;
                consistent = consistent && m_grid->fieldAtDataColumn(dataColumn) == field
                    && m_grid->viewport()->rect().intersects(rect);
            });

    const auto redAt
        = [&](const QPoint& at) { return m_grid->grab().toImage().pixelColor(at) == QColor(Qt::red); };
    const QRect first = m_grid->titleCellRect(0);
    QVERIFY(redAt(first.topRight() + QPoint(-7, 7)));
    QVERIFY(!redAt(m_grid->titleCellRect(1).topRight() + QPoint(-7, 7)));
    QVERIFY(!redAt(first.topLeft() + QPoint(7, 7)));
    QVERIFY(cells > 0);
    QVERIFY(consistent);
    QVERIFY(titleFields.contains(QStringLiteral("Client")));

    // The glyph goes by position: after the move it lands on the Phone title.
    m_grid->horizontalHeader()->moveSection(1, 0);
    titleFields.clear();
    QVERIFY(redAt(m_grid->titleCellRect(0).topRight() + QPoint(-7, 7)));
    QCOMPARE(m_grid->fieldAtDataColumn(0)->name(), QStringLiteral("Phone"));
    QVERIFY(consistent);
}

void TestDBGrid::mouseMovesAndHints()
{
    QList<QPair<Qt::KeyboardModifiers, QPoint>> moves;
    connect(m_grid, &DBGrid::mouseMove, this, [&](Qt::KeyboardModifiers modifiers, int x, int y) {
        moves.append({ modifiers, QPoint(x, y) });
    });
    // The handler's side: the cell under the mouse decides the hint.
    connect(m_grid, &DBGrid::mouseMove, this, [&](Qt::KeyboardModifiers, int x, int y) {
        const DBGrid::Cell cell = m_grid->cellAt(x, y);
        if (cell.row >= 1)
            m_grid->setHint(cell.column == 2 ? QStringLiteral("Double click to dial the phone number")
                                             : QString());
        else if (cell.row == 0 && cell.column == 1)
            m_grid->setHint(QStringLiteral("Click to sort by names"));
    });
    const auto move = [&](QWidget* target, const QPoint& at, Qt::KeyboardModifiers modifiers) {
        QMouseEvent event(QEvent::MouseMove, at, target->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                          modifiers);
        QApplication::sendEvent(target, &event);
    };
    const auto hover = [&](QWidget* target, const QPoint& at) {
        QHelpEvent event(QEvent::ToolTip, at, target->mapToGlobal(at));
        QApplication::sendEvent(target, &event);
    };

    QWidget* cells = m_grid->viewport();
    const QPoint phoneCell = cellCenter(1, 2);
    move(cells, phoneCell, Qt::ShiftModifier);
    QCOMPARE(moves.size(), 1);
    QCOMPARE(moves[0].first, Qt::KeyboardModifiers(Qt::ShiftModifier));
    QCOMPARE(moves[0].second, cells->mapTo(m_grid, phoneCell));
    QCOMPARE(m_grid->hint(), QStringLiteral("Double click to dial the phone number"));
    hover(cells, phoneCell);
    QTRY_COMPARE(QToolTip::text(), QStringLiteral("Double click to dial the phone number"));

    // Over a name cell the hint is empty: the one on show goes, none comes.
    move(cells, cellCenter(0, 2), Qt::NoModifier);
    QTRY_VERIFY(!QToolTip::isVisible());
    hover(cells, cellCenter(0, 2));
    QTest::qWait(20);
    QVERIFY(!QToolTip::isVisible());

    // Moves over the titles come in the grid's coordinates too.
    QWidget* titles = m_grid->horizontalHeader()->viewport();
    const QPoint nameTitle = m_grid->titleCellRect(0).center() - titles->mapTo(m_grid, QPoint());
    move(titles, nameTitle, Qt::ControlModifier);
    QCOMPARE(moves.last().second, m_grid->titleCellRect(0).center());
    QCOMPARE(m_grid->cellAt(moves.last().second.x(), moves.last().second.y()), (DBGrid::Cell { 1, 0 }));
    hover(titles, nameTitle);
    QTRY_COMPARE(QToolTip::text(), QStringLiteral("Click to sort by names"));
}

void TestDBGrid::keyDownBeforeOwnHandling_data()
{
    QTest::addColumn<bool>("inEditor");
    QTest::addColumn<int>("rows"); // after Delete
    QTest::addColumn<QString>("name"); // of row 1 afterwards
    QTest::newRow("in the grid the handler deletes the row") << false << 63 << "Carl";
    // The editor puts the dataset into editing first; Delete then deletes a character.
    QTest::newRow("in the editor it deletes a character") << true << 64 << "ob";
}

void TestDBGrid::keyDownBeforeOwnHandling()
{
    QFETCH(bool, inEditor);
    QFETCH(int, rows);
    QFETCH(QString, name);

    Dataset& data = contacts();
    QStringList seen;
    // What the main window does with Delete and Enter.
    connect(m_grid, &DBGrid::keyDown, this, [&](int key, Qt::KeyboardModifiers) {
        seen.append(QStringLiteral("%1 row %2 %3")
                        .arg(key == Qt::Key_Delete     ? "Delete"
                                 : key == Qt::Key_Down ? "Down"
                                                       : "Enter")
                        .arg(data.currentRow())
                        .arg(data.isEditing() ? "editing" : "browsing"));
        if (key == Qt::Key_Delete && !data.isEditing())
            data.remove();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && data.isEditing())
            data.post();
    });

    QTest::keyClick(m_grid, Qt::Key_Down);
    QCOMPARE(seen, QStringList({ "Down row 0 browsing" }));
    QCOMPARE(data.currentRow(), 1);
    seen.clear();
    m_grid->setSelectedDataColumn(0);
    if (inEditor) {
        QTest::keyClick(m_grid, Qt::Key_F2);
        auto* editor = qobject_cast<QLineEdit*>(m_grid->editorWidget());
        QVERIFY(editor);
        QVERIFY(!data.isEditing());
        seen.clear();
        editor->setCursorPosition(0);
        QTest::keyClick(editor, Qt::Key_Delete);
        QCOMPARE(editor->text(), name);
        QTest::keyClick(editor, Qt::Key_Return);
        QCOMPARE(seen, QStringList({ "Delete row 1 editing", "Enter row 1 editing" }));
        QCOMPARE(dbName(data.fieldByName(QStringLiteral("IdClient")).asInteger()), name);
    } else {
        QTest::keyClick(m_grid, Qt::Key_Delete);
        QCOMPARE(seen, QStringList({ "Delete row 1 browsing" }));
    }
    QCOMPARE(data.recordCount(), rows);
    QCOMPARE(data.value(1, data.fieldIndex(QStringLiteral("Client"))).toString(), name);
}

void TestDBGrid::typingEditsAndEnterWritesBeforeHandler()
{
    Dataset& data = contacts();
    selectCell(0, 2);
    const qint64 carl = data.fieldByName(QStringLiteral("IdClient")).asInteger();
    QString valueSeenByHandler;
    int zKeys = 0;
    connect(m_grid, &DBGrid::keyDown, this, [&](int key, Qt::KeyboardModifiers) {
        zKeys += key == Qt::Key_Z ? 1 : 0;
        if (key == Qt::Key_Return) {
            valueSeenByHandler = data.fieldByName(QStringLiteral("Client")).asString();
            data.post();
        }
    });
    // The first key opens the editor, which has the focus for the next.
    QTest::keyClick(m_grid, 'Z');
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("o"));
    auto* editor = qobject_cast<QLineEdit*>(m_grid->editorWidget());
    QVERIFY(editor);
    QCOMPARE(editor->text(), QStringLiteral("Zo"));
    QCOMPARE(zKeys, 1); // the key that opened the editor is announced once
    QVERIFY(data.isEditing());
    QTest::keyClick(editor, Qt::Key_Return);
    QCOMPARE(valueSeenByHandler, QStringLiteral("Zo"));
    QCOMPARE(dbName(carl), QStringLiteral("Zo"));
    QVERIFY(!m_grid->isEditorOpen());
    QCOMPARE(data.state(), Dataset::State::Browse);
}

void TestDBGrid::maskedPhoneInPlace_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("ten digits") << "5559876543" << true;
    QTest::newRow("too few digits") << "5559" << false;
}

void TestDBGrid::maskedPhoneInPlace()
{
    QFETCH(QString, typed);
    QFETCH(bool, accepted);

    m_fixture->module->setPhoneMask(QStringLiteral("000-000-0000;0;_"));
    Dataset& data = contacts();
    QStringList keys;
    connect(m_grid, &DBGrid::keyDown, this, [&](int key, Qt::KeyboardModifiers) {
        keys.append(QString::number(key));
        if (key == Qt::Key_Return && data.isEditing())
            data.post();
    });
    auto* editor = qobject_cast<MaskEdit*>(openEditor(1, 0));
    QVERIFY(editor);
    QCOMPARE(editor->editMask(), QStringLiteral("000-000-0000;0;_"));
    QCOMPARE(editor->text(), QStringLiteral("555-000-1111"));
    QVERIFY(editor->hasSelectedText());
    QTest::keyClicks(editor, typed);
    keys.clear();
    QTest::keyClick(editor, Qt::Key_Return);

    const QVariant stored = m_fixture->db.scalar(
        QStringLiteral("SELECT Phone FROM Customers WHERE IdClient = ?"), { m_fixture->anna });
    if (accepted) {
        QCOMPARE(stored.toString(), typed);
        QCOMPARE(keys, QStringList({ QString::number(Qt::Key_Return) }));
        QVERIFY(!m_grid->isEditorOpen());
        QVERIFY(m_fixture->messages.texts().isEmpty());
    } else {
        QCOMPARE(stored.toString(), QStringLiteral("5550001111"));
        QCOMPARE(m_fixture->messages.errors(),
                 QStringList({ QStringLiteral("Invalid input value.  Use escape key to abandon changes") }));
        QCOMPARE(m_fixture->messages.beeps(), 1);
        QVERIFY(keys.isEmpty()); // refused before any handler could post
        QCOMPARE(m_grid->editorWidget(), editor);
        QCOMPARE(editor->text(), QStringLiteral("555-9__-____"));
        QVERIFY(data.isEditing());
    }
}

void TestDBGrid::lookupInPlace()
{
    TdbTesmora& module = *m_fixture->module;
    m_grid->setDataSource(&module.dsClientParams);
    Dataset& fields = module.quClientParams;
    QCOMPARE(DataModuleFixture::column(fields, QStringLiteral("ParamDescr")),
             QStringList({ "E-mail", "Fax" }));
    fields.first();
    m_grid->setSelectedDataColumn(m_grid->dataColumnOfField(QStringLiteral("ParamDescr")));
    QTest::keyClick(m_grid, Qt::Key_F2);
    auto* list = qobject_cast<QComboBox*>(m_grid->editorWidget());
    QVERIFY(list);
    QStringList choices;
    for (int i = 0; i < list->count(); ++i)
        choices.append(list->itemText(i));
    QCOMPARE(choices, DataModuleFixture::column(module.taParams, QStringLiteral("ParamDescr")));
    QCOMPARE(list->currentText(), QStringLiteral("E-mail"));

    // Choosing a name sets the key at once.
    const int company = list->findText(QStringLiteral("Company"));
    list->setCurrentIndex(company);
    Q_EMIT list->activated(company);
    QCOMPARE(fields.fieldByName(QStringLiteral("ParamID")).asInteger(),
             m_fixture->db.paramId(QStringLiteral("Company")));
    QVERIFY(fields.isEditing());
    fields.post();
    QCOMPARE(m_fixture->db
                 .scalar(QStringLiteral("SELECT ParamID FROM ClientParam WHERE Value = 'anna@example.com'"))
                 .toLongLong(),
             m_fixture->db.paramId(QStringLiteral("Company")));
}

void TestDBGrid::readOnlyColumnIsNotEdited()
{
    TdbTesmora& module = *m_fixture->module;
    m_grid->setDataSource(&module.dsClientParams);
    Dataset& fields = module.quClientParams;
    fields.first();
    m_grid->setSelectedDataColumn(m_grid->dataColumnOfField(QStringLiteral("TypeID")));
    QTest::keyClick(m_grid, Qt::Key_F2);
    QTest::keyClicks(m_grid, QStringLiteral("7f"));
    QVERIFY(!m_grid->isEditorOpen());
    QVERIFY(!fields.isEditing());
    QCOMPARE(fields.currentRow(), 0); // typing never searches for another row
    QCOMPARE(m_grid->selectedField()->name(), QStringLiteral("TypeID"));
}

void TestDBGrid::escapeRevertsThenCancels()
{
    Dataset& data = contacts();
    selectCell(0, 1);
    QTest::keyClicks(m_grid, QStringLiteral("Q"));
    auto* editor = qobject_cast<QLineEdit*>(m_grid->editorWidget());
    QVERIFY(editor);
    QVERIFY(data.isEditing());
    QTest::keyClick(editor, Qt::Key_Escape);
    QCOMPARE(m_grid->editorWidget(), editor);
    QCOMPARE(editor->text(), QStringLiteral("Bob"));
    QVERIFY(data.isEditing());
    QTest::keyClick(editor, Qt::Key_Escape);
    QVERIFY(!m_grid->isEditorOpen());
    QCOMPARE(data.state(), Dataset::State::Browse);
    QCOMPARE(data.fieldByName(QStringLiteral("Client")).asString(), QStringLiteral("Bob"));
}

void TestDBGrid::leavingTheEditorWritesItsText()
{
    Dataset& data = contacts();
    selectCell(0, 1);
    QTest::keyClick(m_grid, 'B');
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("ea"));
    QVERIFY(m_grid->isEditorOpen());
    m_other->setFocus(Qt::MouseFocusReason);
    QVERIFY(!m_grid->isEditorOpen());
    QCOMPARE(data.fieldByName(QStringLiteral("Client")).asString(), QStringLiteral("Bea"));
    QVERIFY(data.isModified());
    QVERIFY(m_other->hasFocus());
}

void TestDBGrid::refusedTextKeepsTheEditor()
{
    m_fixture->module->setPhoneMask(QStringLiteral("000-000-0000;0;_"));
    QSignalSpy entered(m_grid, &DBGrid::enter);
    auto* editor = qobject_cast<MaskEdit*>(openEditor(1, 1));
    QVERIFY(editor);
    QTest::keyClicks(editor, QStringLiteral("55"));
    m_other->setFocus(Qt::MouseFocusReason);
    QTRY_VERIFY(editor->hasFocus());
    QCOMPARE(m_grid->editorWidget(), editor);
    QCOMPARE(editor->text(), QStringLiteral("55_-___-____"));
    QCOMPARE(m_fixture->messages.errors().size(), 1);
    QVERIFY(contacts().isEditing());
    QCOMPARE(entered.size(), 0); // taking the focus back is no entry
}

void TestDBGrid::navigatorWritesOrDropsOpenEditor_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("button");
    QTest::addColumn<bool>("completed");
    QTest::addColumn<QString>("stored"); // Bob's name or phone in the file afterwards

    QTest::newRow("post writes the typed name") << "Client"
                                                << "Bert" << int(DBNavigator::Button::Post) << true << "Bert";
    QTest::newRow("next writes it, then moves on")
        << "Client"
        << "Bert" << int(DBNavigator::Button::Next) << true << "Bert";
    QTest::newRow("cancel drops it") << "Client"
                                     << "Bert" << int(DBNavigator::Button::Cancel) << true << "Bob";
    QTest::newRow("a refused phone stops the post")
        << "Phone"
        << "55" << int(DBNavigator::Button::Post) << false << "5550002222";
}

void TestDBGrid::navigatorWritesOrDropsOpenEditor()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(int, button);
    QFETCH(bool, completed);
    QFETCH(QString, stored);

    m_fixture->module->setPhoneMask(QStringLiteral("000-000-0000;0;_"));
    DBNavigator navigator;
    navigator.setDataSource(&m_fixture->module->dsCustomers);
    QSignalSpy clicks(&navigator, &DBNavigator::click);
    QWidget* editor = openEditor(m_grid->dataColumnOfField(field), 1);
    QVERIFY(editor);
    QTest::keyClicks(editor, typed);

    QCOMPARE(navigator.doAction(DBNavigator::Button(button)), completed);
    QCOMPARE(clicks.size(), completed ? 1 : 0);
    const QVariant inFile = m_fixture->db.scalar(
        QStringLiteral("SELECT %1 FROM Customers WHERE IdClient = ?").arg(field), { m_fixture->bob });
    QCOMPARE(inFile.toString(), stored);
    QCOMPARE(m_grid->isEditorOpen(), !completed);
    QCOMPARE(contacts().isEditing(), !completed);
    QCOMPARE(m_fixture->messages.errors().size(), completed ? 0 : 1);
}

void TestDBGrid::enterOnlyFromOutside()
{
    QSignalSpy entered(m_grid, &DBGrid::enter);
    m_other->setFocus();
    m_grid->setFocus();
    QCOMPARE(entered.size(), 1);
    selectCell(0, 1);
    QTest::keyClick(m_grid, Qt::Key_F2);
    QVERIFY(m_grid->editorWidget()->hasFocus());
    QTest::keyClick(m_grid->editorWidget(), Qt::Key_Escape);
    QVERIFY(!m_grid->isEditorOpen());
    QVERIFY(m_grid->hasFocus());
    QCOMPARE(entered.size(), 1);
    m_other->setFocus();
    clickCell(0, 3);
    QCOMPARE(entered.size(), 2);

    // Another window holding the focus for a while (a message box, another
    // program) is no leaving: getting it back is no entry.
    letAnotherWindowHoldTheFocus(*m_window);
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QTRY_VERIFY(m_grid->hasFocus());
    QCOMPARE(entered.size(), 2);
}

void TestDBGrid::clicksAndDoubleClicks()
{
    QList<QPair<int, QString>> clicks;
    connect(m_grid, &DBGrid::cellClick, this, [&](int dataColumn, Field* field, Qt::MouseButton button) {
        QCOMPARE(button, Qt::LeftButton);
        // The click has made the cell the current one already.
        QCOMPARE(m_grid->selectedField(), field);
        clicks.append({ dataColumn, field->name() });
    });
    QSignalSpy doubleClicks(m_grid, &DBGrid::dblClick);

    clickCell(1, 3);
    QCOMPARE(contacts().currentRow(), 3);
    clickCell(0, 2, Qt::RightButton);
    const QList<QPair<int, QString>> expected { { 1, QStringLiteral("Phone") } };
    QCOMPARE(clicks, expected);

    // A double click on the current cell starts no editing: it is the owner's event.
    QTest::mouseDClick(m_grid->viewport(), Qt::LeftButton, {}, cellCenter(1, 3));
    QCOMPARE(doubleClicks.size(), 1);
    QTest::qWait(QApplication::doubleClickInterval() + 50);
    QVERIFY(!m_grid->isEditorOpen());
    QVERIFY(!contacts().isEditing());
}

void TestDBGrid::selectedFieldWithoutRows()
{
    m_grid->setSelectedDataColumn(1);
    Dataset& data = contacts();
    data.setFilter(QStringLiteral("Client LIKE '*nobody*'"));
    data.setFiltered(true);
    QVERIFY(data.isEmpty());
    QCOMPARE(m_grid->selectedField()->name(), QStringLiteral("Phone"));
    QCOMPARE(m_grid->selectedDataColumn(), 1);
    m_grid->setSelectedDataColumn(0);
    QCOMPARE(m_grid->selectedField()->name(), QStringLiteral("Client"));
    data.setFiltered(false);
    QCOMPARE(m_grid->currentIndex().row(), 0);
    QCOMPARE(m_grid->selectedField()->name(), QStringLiteral("Client"));
}

void TestDBGrid::indicatorMarksCurrentRow()
{
    QHeaderView* indicator = m_grid->verticalHeader();
    const auto marked = [&](int row) {
        const QImage image = indicator->grab().toImage();
        const QColor mark = indicator->palette().color(QPalette::ButtonText);
        const int top = indicator->sectionViewportPosition(row);
        int dark = 0;
        for (int y = top; y < top + indicator->sectionSize(row); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                dark += std::abs(c.red() - mark.red()) + std::abs(c.green() - mark.green()) < 60 ? 1 : 0;
            }
        }
        return dark > 3;
    };
    QVERIFY(marked(0));
    QVERIFY(!marked(1));
    contacts().next();
    QVERIFY(!marked(0));
    QVERIFY(marked(1));
    contacts().insert();
    QVERIFY(marked(1));
    QVERIFY(!marked(2));
}

void TestDBGrid::fieldTextColourIsPainted()
{
    m_grid->setFieldTextColor(QStringLiteral("Phone"), QColor(0, 0, 230));
    const QImage image = m_grid->viewport()->grab().toImage();
    const auto bluish = [&](int dataColumn, int row) {
        const int column
            = m_grid->datasetModel()->columnOfField(m_grid->fieldAtDataColumn(dataColumn)->name());
        const QRect cell = m_grid->visualRect(m_grid->datasetModel()->index(row, column));
        int count = 0;
        for (int y = cell.top(); y <= cell.bottom(); ++y) {
            for (int x = cell.left(); x <= cell.right(); ++x) {
                const QColor c = image.pixelColor(x, y);
                count += c.blue() > 150 && c.red() < 90 && c.green() < 90 ? 1 : 0;
            }
        }
        return count;
    };
    QVERIFY(bluish(1, 2) > 5); // row 2 is not the current one
    QCOMPARE(bluish(0, 2), 0);
}

void TestDBGrid::otherAndLostSources()
{
    m_grid->setDataSource(&m_fixture->module->dsClientParams);
    QCOMPARE(m_grid->dataColumnCount(), 3);
    QCOMPARE(m_grid->fieldAtDataColumn(1)->name(), QStringLiteral("ParamDescr"));
    QCOMPARE(m_grid->currentIndex().row(), 0);
    m_fixture->module.reset();
    QCOMPARE(m_grid->dataColumnCount(), 0);
    QVERIFY(!m_grid->dataset());
    QVERIFY(!m_grid->selectedField());
    QCOMPARE(m_grid->cellAt(5, 5), DBGrid::Cell());
    m_grid->grab(); // paints without a source
}

QTEST_MAIN(TestDBGrid)
#include "tst_DBGrid.moc"
