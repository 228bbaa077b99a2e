#include "DBCtrlGrid.h"
#include "DataModuleFixture.h"
#include "Field.h"
#include "UserError.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

// The control grid of the call notes on the real data module: the panels'
// geometry and painting, moving the current note, the memo over the note's
// text, and which keys reach the owner.
class TestDBCtrlGrid : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void panelGeometry();
    void panelsGrowWithTheGrid();
    void captionsInTheCaptionColour();
    void clickMovesTheCurrentNote();
    void keysMoveAndReachOwnerOnlyFromTheGrid_data();
    void keysMoveAndReachOwnerOnlyFromTheGrid();
    void scrollingKeepsTheCurrentNoteInView();
    void typingGoesIntoTheField();
    void overLongTextIsKeptWhenThePostFails();
    void memoShowsEachNoteAndWhatCancelRestores();
    void noNotesNoMemo();
    void enterOnlyFromOutside();

private:
    void focusGrid();
    Dataset& notes() const { return m_fixture->notes(); }
    std::unique_ptr<DataModuleFixture> m_fixture;
    std::unique_ptr<QWidget> m_window;
    DBCtrlGrid* m_grid = nullptr;
    QLineEdit* m_other = nullptr;
};

void TestDBCtrlGrid::init()
{
    m_fixture = std::make_unique<DataModuleFixture>();
    m_window = std::make_unique<QWidget>();
    auto* layout = new QVBoxLayout(m_window.get());
    layout->setContentsMargins(0, 0, 0, 0);
    m_grid = new DBCtrlGrid(m_window.get());
    m_other = new QLineEdit(m_window.get());
    layout->addWidget(m_grid);
    layout->addWidget(m_other);
    layout->addStretch();
    m_grid->setDataSource(&m_fixture->module->dsHistory);
    m_window->resize(360, 320);
    m_window->show();
    m_window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QCOMPARE(notes().recordCount(), 6); // Anna's notes, newest first
}

void TestDBCtrlGrid::cleanup()
{
    m_window.reset();
    m_fixture.reset();
}

void TestDBCtrlGrid::focusGrid()
{
    m_grid->setFocus(Qt::OtherFocusReason);
    QTRY_VERIFY(m_grid->hasFocus());
}

void TestDBCtrlGrid::panelGeometry()
{
    QCOMPARE(m_grid->height(), m_grid->sizeHint().height());
    QCOMPARE(m_grid->panelHeight(), 46);
    for (int panel = 0; panel < DBCtrlGrid::kVisiblePanels; ++panel) {
        QCOMPARE(m_grid->rowAtPanel(panel), panel);
        QCOMPARE(m_grid->captionRect(panel), QRect(0, 46 * panel, 68, 46));
        QCOMPARE(m_grid->textRect(panel).left(), 68);
        QCOMPARE(m_grid->textRect(panel).right(), m_grid->viewport()->width() - 1);
    }
    QCOMPARE(m_grid->panelAt(QPoint(10, 46 * 3 + 5)), 3);
    // The memo sits on the current note's panel, beside the date and time.
    QPlainTextEdit* memo = m_grid->memo();
    QCOMPARE(memo->objectName(), QStringLiteral("dbmHistory"));
    QCOMPARE(m_window->findChild<QPlainTextEdit*>(QStringLiteral("dbmHistory")), memo);
    QVERIFY(memo->isVisible());
    QCOMPARE(memo->geometry(), m_grid->textRect(0));
    QCOMPARE(memo->geometry().height(), 46);
}

void TestDBCtrlGrid::panelsGrowWithTheGrid()
{
    m_grid->setFixedHeight(4 * 60 + 2 * m_grid->frameWidth());
    QTRY_COMPARE(m_grid->panelHeight(), 60);
    QCOMPARE(m_grid->rowAtPanel(3), 3);
    QCOMPARE(m_grid->rowAtPanel(4), -1); // four panels, whatever the height
    QCOMPARE(m_grid->memo()->geometry(), QRect(68, 0, m_grid->viewport()->width() - 68, 60));
}

void TestDBCtrlGrid::captionsInTheCaptionColour()
{
    QPalette palette = m_grid->palette();
    palette.setColor(QPalette::Highlight, QColor(200, 0, 0));
    m_grid->setPalette(palette);
    QCOMPARE(m_grid->captionColor(), QColor(200, 0, 0));
    // Two notes leave two panels empty.
    m_fixture->db.exec(QStringLiteral("DELETE FROM CallHistory WHERE CallDescr NOT IN ('Note 0', 'Note 1')"));
    notes().refresh();
    QCOMPARE(notes().recordCount(), 2);

    const QImage image = m_grid->viewport()->grab().toImage();
    const auto reddish = [&](const QRect& area) {
        int count = 0;
        for (int y = area.top(); y <= area.bottom(); ++y) {
            for (int x = area.left(); x <= area.right(); ++x) {
                const QColor c = image.pixelColor(x, y);
                count += c.red() > 120 && c.green() < 90 && c.blue() < 90 ? 1 : 0;
            }
        }
        return count;
    };
    QVERIFY(reddish(m_grid->captionRect(0).adjusted(0, 0, 0, -23)) > 5); // the date
    QVERIFY(reddish(m_grid->captionRect(0).adjusted(0, 23, 0, 0)) > 5); // the time
    QVERIFY(reddish(m_grid->captionRect(1)) > 10);
    QCOMPARE(reddish(m_grid->captionRect(2)), 0);
    QCOMPARE(reddish(m_grid->textRect(1)), 0);
}

void TestDBCtrlGrid::clickMovesTheCurrentNote()
{
    QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, {}, m_grid->textRect(2).center());
    QCOMPARE(notes().currentRow(), 2);
    QCOMPARE(m_grid->memo()->geometry(), m_grid->textRect(2));
    QCOMPARE(m_grid->memo()->toPlainText(), notes().fieldByName(QStringLiteral("CallDescr")).asString());
    QCOMPARE(m_grid->memo()->toPlainText(), QStringLiteral("Note 3")); // newest first: 5, 4, 3, ...
    QTest::mouseClick(m_grid->viewport(), Qt::LeftButton, {}, m_grid->captionRect(1).center());
    QCOMPARE(notes().currentRow(), 1);
}

void TestDBCtrlGrid::keysMoveAndReachOwnerOnlyFromTheGrid_data()
{
    QTest::addColumn<bool>("inMemo");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("row"); // current note afterwards, from the third
    QTest::newRow("down") << false << int(Qt::Key_Down) << 3;
    QTest::newRow("up") << false << int(Qt::Key_Up) << 1;
    QTest::newRow("page down stops at the last") << false << int(Qt::Key_PageDown) << 5;
    QTest::newRow("home") << false << int(Qt::Key_Home) << 0;
    QTest::newRow("end") << false << int(Qt::Key_End) << 5;
    QTest::newRow("insert adds no note itself") << false << int(Qt::Key_Insert) << 2;
    QTest::newRow("delete removes no note itself") << false << int(Qt::Key_Delete) << 2;
    QTest::newRow("down in the memo") << true << int(Qt::Key_Down) << 2;
    QTest::newRow("escape in the memo") << true << int(Qt::Key_Escape) << 2;
    QTest::newRow("insert in the memo") << true << int(Qt::Key_Insert) << 2;
}

void TestDBCtrlGrid::keysMoveAndReachOwnerOnlyFromTheGrid()
{
    QFETCH(bool, inMemo);
    QFETCH(int, key);
    QFETCH(int, row);

    notes().moveTo(2);
    QList<int> keys;
    int rowsAtKey = -1;
    connect(m_grid, &DBCtrlGrid::keyDown, this, [&](int k, Qt::KeyboardModifiers) {
        keys.append(k);
        rowsAtKey = notes().currentRow(); // before the grid's own move
    });
    QWidget* target = m_grid;
    if (inMemo) {
        m_grid->memo()->setFocus();
        QTRY_VERIFY(m_grid->memo()->hasFocus());
        target = m_grid->memo();
    } else {
        focusGrid();
    }
    QTest::keyClick(target, Qt::Key(key));
    QCOMPARE(keys, inMemo ? QList<int>() : QList<int>({ key }));
    if (!inMemo)
        QCOMPARE(rowsAtKey, 2);
    QCOMPARE(notes().currentRow(), row);
    QCOMPARE(notes().recordCount(), 6);
    QVERIFY(!notes().isEditing());
}

void TestDBCtrlGrid::scrollingKeepsTheCurrentNoteInView()
{
    QScrollBar* bar = m_grid->verticalScrollBar();
    QCOMPARE(bar->maximum(), 5);
    notes().last();
    QCOMPARE(m_grid->topRow(), 2);
    QCOMPARE(m_grid->memo()->geometry(), m_grid->textRect(3));
    QCOMPARE(bar->value(), 5);
    bar->setValue(1);
    QCOMPARE(notes().currentRow(), 1);
    QCOMPARE(m_grid->topRow(), 1);
    QCOMPARE(m_grid->memo()->geometry(), m_grid->textRect(0));
    // The wheel moves from note to note, and never past the last.
    focusGrid();
    QWheelEvent wheel(QPointF(80, 20), m_grid->viewport()->mapToGlobal(QPointF(80, 20)), QPoint(),
                      QPoint(0, -120 * 9), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(m_grid->viewport(), &wheel);
    QCOMPARE(notes().currentRow(), 5);
    QCOMPARE(notes().recordCount(), 6);
}

void TestDBCtrlGrid::typingGoesIntoTheField()
{
    notes().moveTo(1);
    QSignalSpy changes(m_grid, &DBCtrlGrid::memoTextChanged);
    QPlainTextEdit* memo = m_grid->memo();
    memo->setFocus();
    QTRY_VERIFY(memo->hasFocus());
    memo->moveCursor(QTextCursor::End);
    QTest::keyClicks(memo, QStringLiteral(", called back"));
    QCOMPARE(notes().state(), Dataset::State::Edit);
    QCOMPARE(notes().fieldByName(QStringLiteral("CallDescr")).asString(),
             QStringLiteral("Note 4, called back"));
    QCOMPARE(changes.size(), 13);
    notes().post();
    QCOMPARE(m_fixture->db
                 .scalar(QStringLiteral("SELECT COUNT(*) FROM CallHistory WHERE CallDescr = ?"),
                         { QStringLiteral("Note 4, called back") })
                 .toInt(),
             1);
    QCOMPARE(memo->toPlainText(), QStringLiteral("Note 4, called back"));
}

void TestDBCtrlGrid::overLongTextIsKeptWhenThePostFails()
{
    QPlainTextEdit* memo = m_grid->memo();
    memo->setFocus();
    QTRY_VERIFY(memo->hasFocus());
    memo->selectAll();
    const QString text(256, QLatin1Char('x'));
    QTest::keyClicks(memo, text);
    QCOMPARE(memo->toPlainText(), text);
    QVERIFY_THROWS_EXCEPTION(UserError, notes().post());
    QCOMPARE(notes().state(), Dataset::State::Edit);
    QCOMPARE(notes().fieldByName(QStringLiteral("CallDescr")).asString(), text);
    QCOMPARE(memo->toPlainText(), text);
    // One character less and the note goes in.
    QTest::keyClick(memo, Qt::Key_Backspace);
    notes().post();
    QCOMPARE(
        m_fixture->db
            .scalar(QStringLiteral("SELECT length(CallDescr) FROM CallHistory WHERE CallDescr LIKE 'xx%'"))
            .toInt(),
        255);
}

void TestDBCtrlGrid::memoShowsEachNoteAndWhatCancelRestores()
{
    QPlainTextEdit* memo = m_grid->memo();
    QCOMPARE(memo->toPlainText(), QStringLiteral("Note 5"));
    notes().next();
    QCOMPARE(memo->toPlainText(), QStringLiteral("Note 4"));
    memo->setFocus();
    QTRY_VERIFY(memo->hasFocus());
    QTest::keyClicks(memo, QStringLiteral("!"));
    QVERIFY(notes().isModified());
    notes().cancel();
    QCOMPARE(memo->toPlainText(), QStringLiteral("Note 4"));
    // A note inserted through the dataset shows at once, empty.
    notes().insert();
    QCOMPARE(memo->toPlainText(), QString());
    QVERIFY(memo->isVisible());
    QCOMPARE(notes().recordCount(), 7);
}

void TestDBCtrlGrid::noNotesNoMemo()
{
    Dataset& contacts = m_fixture->customers();
    contacts.moveTo(1); // Bob has no notes
    QCOMPARE(notes().recordCount(), 0);
    QVERIFY(!m_grid->memo()->isVisible());
    QCOMPARE(m_grid->rowAtPanel(0), -1);
    QCOMPARE(m_grid->verticalScrollBar()->maximum(), 0);
    m_grid->grab();
    notes().insert();
    QVERIFY(m_grid->memo()->isVisible());
    QCOMPARE(m_grid->memo()->geometry(), m_grid->textRect(0));
    QCOMPARE(notes().fieldByName(QStringLiteral("IdClient")).asInteger(), m_fixture->bob);
}

void TestDBCtrlGrid::enterOnlyFromOutside()
{
    QSignalSpy entered(m_grid, &DBCtrlGrid::enter);
    m_other->setFocus();
    focusGrid();
    QCOMPARE(entered.size(), 1);
    m_grid->memo()->setFocus();
    QTRY_VERIFY(m_grid->memo()->hasFocus());
    QCOMPARE(entered.size(), 1);
    m_other->setFocus();
    m_grid->memo()->setFocus();
    QCOMPARE(entered.size(), 2);

    letAnotherWindowHoldTheFocus(*m_window);
    QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    QTRY_VERIFY(m_grid->memo()->hasFocus());
    QCOMPARE(entered.size(), 2);
}

QTEST_MAIN(TestDBCtrlGrid)
#include "tst_DBCtrlGrid.moc"
