#include "FakeMessages.h"
#include "FormStorage.h"
#include "SettingNames.h"
#include "SettingsHive.h"
#include "UserError.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QMainWindow>
#include <QScreen>
#include <QSplitter>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>
#include <memory>

using namespace SettingNames;

// A main window shaped like the program's: three panes in a splitter, two of
// them holding grids whose columns carry field names.
class TfrmTesmora : public QMainWindow
{
    Q_OBJECT

public:
    TfrmTesmora()
    {
        splitter = new QSplitter(Qt::Vertical, this);
        splitter->setObjectName(QStringLiteral("splitter"));
        grbClients = addPane(QStringLiteral("grbClients"), QStringLiteral("Contacts"));
        grbParams = addPane(QStringLiteral("grbParams"), QStringLiteral("Contact Info"));
        grbHistory = addPane(QStringLiteral("grbHistory"), QStringLiteral("Call history"));
        dbgClients = addGrid(grbClients, QStringLiteral("dbgClients"));
        dbgParams = addGrid(grbParams, QStringLiteral("dbgParams"));
        dbgHistory = addGrid(grbHistory, QStringLiteral("dbgHistory"));
        setCentralWidget(splitter);

        clients = new QStandardItemModel(2, 0, this);
        addColumn(clients, QStringLiteral("Id"), QStringLiteral("IdClient"));
        addColumn(clients, QStringLiteral("Phone"), QStringLiteral("Phone"));
        addColumn(clients, QStringLiteral("Name"), QStringLiteral("Client"));
        dbgClients->setModel(clients);

        // No field names here: the columns are known by their titles.
        params = new QStandardItemModel(2, 0, this);
        addColumn(params, QStringLiteral("Field"), QString());
        addColumn(params, QStringLiteral("Value"), QString());
        dbgParams->setModel(params);

        setGeometry(QRect(50, 40, 500, 420));
    }

    static void addColumn(QStandardItemModel* model, const QString& title, const QString& field)
    {
        auto* item = new QStandardItem(title);
        if (!field.isEmpty())
            item->setData(field, Qt::UserRole);
        model->setHorizontalHeaderItem(model->columnCount(), item);
    }

    QStringList visualFields(QTableView* grid) const
    {
        QStringList fields;
        const QHeaderView* header = grid->horizontalHeader();
        for (int visual = 0; visual < header->count(); ++visual) {
            const int logical = header->logicalIndex(visual);
            const QVariant field = grid->model()->headerData(logical, Qt::Horizontal, Qt::UserRole);
            fields.append(field.isValid() ? field.toString()
                                          : grid->model()->headerData(logical, Qt::Horizontal).toString());
        }
        return fields;
    }

    QList<int> widths(QTableView* grid) const
    {
        QList<int> result;
        for (int logical = 0; logical < grid->horizontalHeader()->count(); ++logical)
            result.append(grid->horizontalHeader()->sectionSize(logical));
        return result;
    }

    QSplitter* splitter;
    QGroupBox* grbClients;
    QGroupBox* grbParams;
    QGroupBox* grbHistory;
    QTableView* dbgClients;
    QTableView* dbgParams;
    QTableView* dbgHistory;
    QStandardItemModel* clients;
    QStandardItemModel* params;

private:
    QGroupBox* addPane(const QString& name, const QString& title)
    {
        auto* pane = new QGroupBox(title, splitter);
        pane->setObjectName(name);
        splitter->addWidget(pane);
        new QVBoxLayout(pane);
        return pane;
    }

    static QTableView* addGrid(QGroupBox* pane, const QString& name)
    {
        auto* grid = new QTableView(pane);
        grid->setObjectName(name);
        pane->layout()->addWidget(grid);
        return grid;
    }
};

class TestFormStorage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void savedLayoutComesBack();
    void restoreBeforeTheWindowIsShown();
    void paneWithoutStoredHeightKeepsItsShare();
    void windowStateComesBack_data();
    void windowStateComesBack();
    void storedValuesKeepTheirDefaultsAndTypes();
    void inactiveStoreRestoresAndSavesNothing();
    void columnLayoutThatNoLongerFitsIsIgnored_data();
    void columnLayoutThatNoLongerFitsIsIgnored();
    void geometryOffEveryScreenIsIgnored_data();
    void geometryOffEveryScreenIsIgnored();
    void wrongTypeIsReportedAndNothingApplied();
    void columnsArrivingLaterGetTheirLayout();
    void gridWithoutColumnsKeepsItsStoredLayout();
    void refusedSaveIsReportedAndLeavesTheStoredLayout();

private:
    QString hiveFile() const { return m_dir->path() + QStringLiteral("/orvanta-light/user.json"); }
    std::unique_ptr<FormStorage> makeStorage(SettingsHive& hive, bool active = true) const;
    // Saves a window with moved columns, resized panes and changed sort flags.
    void saveChangedWindow();
    QString formKey() const { return kSettingsKey + QLatin1Char('\\') + kFormKey; }
    QString clientsColumnsKey() const { return kSettingsKey + QLatin1Char('\\') + kClientsColumnsKey; }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FakeMessages> m_messages;
    QRect m_savedGeometry;
    QList<int> m_savedSizes;
    QList<int> m_savedWidths;
};

void TestFormStorage::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_messages = std::make_unique<FakeMessages>();
}

void TestFormStorage::cleanup()
{
    m_messages.reset();
    m_dir.reset();
}

std::unique_ptr<FormStorage> TestFormStorage::makeStorage(SettingsHive& hive, bool active) const
{
    auto storage = std::make_unique<FormStorage>(hive);
    storage->setObjectName(QStringLiteral("frPlaceCall"));
    storage->setRootKey(kSettingsKey);
    storage->setActive(active);
    storage->addStoredValue(kAsc, true);
    storage->addStoredValue(kSortByName, true);
    storage->addStoredValue(kAscField, true);
    storage->addStoredValue(kSortById, false);
    for (const QString& pane :
         { QStringLiteral("grbClients"), QStringLiteral("grbParams"), QStringLiteral("grbHistory") })
        storage->addStoredHeight(pane);
    storage->addStoredColumns(QStringLiteral("dbgClients"));
    storage->addStoredColumns(QStringLiteral("dbgParams"));
    return storage;
}

void TestFormStorage::saveChangedWindow()
{
    SettingsHive hive(hiveFile());
    const auto storage = makeStorage(hive);
    TfrmTesmora form;
    form.setGeometry(QRect(120, 90, 520, 430));
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.splitter->setSizes({ 60, 240, 100 });
    QHeaderView* header = form.dbgClients->horizontalHeader();
    header->moveSection(2, 0);
    header->resizeSection(1, 143);
    header->resizeSection(2, 77);
    form.dbgParams->horizontalHeader()->moveSection(1, 0);
    form.dbgParams->setFocus();
    storage->setStoredValue(kAsc, false);
    storage->setStoredValue(kSortById, true);

    QVERIFY(storage->save(&form));
    m_savedGeometry = form.geometry();
    m_savedSizes = form.splitter->sizes();
    m_savedWidths = form.widths(form.dbgClients);
    QVERIFY(m_messages->texts().isEmpty());
}

void TestFormStorage::savedLayoutComesBack()
{
    saveChangedWindow();

    SettingsHive hive(hiveFile());
    // The keys the program refers to by name.
    QVERIFY(hive.keyExists(formKey()));
    QVERIFY(hive.keyExists(clientsColumnsKey()));
    QVERIFY(hive.keyExists(kSettingsKey + QLatin1Char('\\') + kParamsColumnsKey));
    const SettingsKey key = *hive.openKey(formKey(), false);
    QCOMPARE(key.readInteger(kClientsHeight), m_savedSizes.at(0));
    QCOMPARE(key.readInteger(kParamsHeight), m_savedSizes.at(1));
    QCOMPARE(key.readInteger(kHistoryHeight), m_savedSizes.at(2));

    const auto storage = makeStorage(hive);
    TfrmTesmora form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QVERIFY(storage->restore(&form));

    QCOMPARE(form.geometry(), m_savedGeometry);
    QCOMPARE(form.splitter->sizes(), m_savedSizes);
    QCOMPARE(form.visualFields(form.dbgClients),
             (QStringList { QStringLiteral("Client"), QStringLiteral("IdClient"), QStringLiteral("Phone") }));
    QCOMPARE(form.widths(form.dbgClients), m_savedWidths);
    QCOMPARE(form.visualFields(form.dbgParams),
             (QStringList { QStringLiteral("Value"), QStringLiteral("Field") }));
    QCOMPARE(form.focusWidget(), form.dbgParams);
    QCOMPARE(storage->storedValue(kAsc), QVariant(false));
    QCOMPARE(storage->storedValue(kSortById), QVariant(true));
    QCOMPARE(storage->storedValue(kSortByName), QVariant(true));
    QCOMPARE(storage->restoredVisible(), true);
    QVERIFY(m_messages->texts().isEmpty());
}

void TestFormStorage::restoreBeforeTheWindowIsShown()
{
    saveChangedWindow();
    SettingsHive hive(hiveFile());
    const auto storage = makeStorage(hive);
    TfrmTesmora form;
    QVERIFY(storage->restore(&form));
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(form.geometry(), m_savedGeometry);
    QCOMPARE(form.splitter->sizes(), m_savedSizes);
    QCOMPARE(form.widths(form.dbgClients), m_savedWidths);
}

void TestFormStorage::paneWithoutStoredHeightKeepsItsShare()
{
    saveChangedWindow();
    SettingsHive hive(hiveFile());
    hive.openKey(formKey(), false)->deleteValue(kHistoryHeight);
    const auto storage = makeStorage(hive);
    TfrmTesmora form;
    QVERIFY(storage->restore(&form));
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    // Restored before the splitter was first laid out, the pane still gets
    // room of its own rather than none.
    QVERIFY(form.splitter->sizes().at(2) >= form.grbHistory->minimumSizeHint().height());
    QCOMPARE(form.splitter->sizes().at(0), m_savedSizes.at(0));
}

void TestFormStorage::windowStateComesBack_data()
{
    QTest::addColumn<Qt::WindowState>("state");
    QTest::newRow("normal") << Qt::WindowNoState;
    QTest::newRow("maximised") << Qt::WindowMaximized;
    QTest::newRow("minimised") << Qt::WindowMinimized;
}

void TestFormStorage::windowStateComesBack()
{
    QFETCH(Qt::WindowState, state);
    const QRect normal(70, 60, 430, 400);
    {
        SettingsHive hive(hiveFile());
        const auto storage = makeStorage(hive);
        TfrmTesmora form;
        form.setGeometry(normal);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.setWindowState(state);
        QTRY_COMPARE(form.windowState(), Qt::WindowStates(state));
        QVERIFY(storage->save(&form));
    }
    SettingsHive hive(hiveFile());
    const auto storage = makeStorage(hive);
    TfrmTesmora form;
    QVERIFY(storage->restore(&form));
    QCOMPARE(form.windowState(), Qt::WindowStates(state));
    // The size to go back to when the window leaves that state.
    QCOMPARE(form.normalGeometry(), normal);
}

void TestFormStorage::storedValuesKeepTheirDefaultsAndTypes()
{
    {
        SettingsHive hive(hiveFile());
        const auto storage = makeStorage(hive);
        storage->addStoredValue(QStringLiteral("Count"), 3);
        storage->addStoredValue(QStringLiteral("Title"), QStringLiteral("none"));
        QCOMPARE(storage->storedValue(kSortByName), QVariant(true));
        QCOMPARE(storage->storedValue(kSortById), QVariant(false));
        storage->setStoredValue(kSortByName, false);
        storage->setStoredValue(QStringLiteral("Count"), 12);
        storage->setStoredValue(QStringLiteral("Title"), QStringLiteral("Mine"));
        TfrmTesmora form;
        QVERIFY(storage->save(&form));
    }
    SettingsHive hive(hiveFile());
    const SettingsKey key = *hive.openKey(formKey(), false);
    QCOMPARE(key.valueType(kSortByName), SettingsValueType::Integer);
    QCOMPARE(key.readInteger(kSortByName), 0);
    QCOMPARE(key.readInteger(kAsc), 1);
    QCOMPARE(key.readInteger(QStringLiteral("Count")), 12);
    QCOMPARE(key.readString(QStringLiteral("Title")), QStringLiteral("Mine"));

    const auto storage = makeStorage(hive);
    storage->addStoredValue(QStringLiteral("Count"), 3);
    storage->addStoredValue(QStringLiteral("Title"), QStringLiteral("none"));
    storage->addStoredValue(QStringLiteral("Never saved"), true);
    TfrmTesmora form;
    QVERIFY(storage->restore(&form));
    QCOMPARE(storage->storedValue(kSortByName), QVariant(false));
    QCOMPARE(storage->storedValue(QStringLiteral("Count")), QVariant(12));
    QCOMPARE(storage->storedValue(QStringLiteral("Title")), QVariant(QStringLiteral("Mine")));
    QCOMPARE(storage->storedValue(QStringLiteral("Never saved")), QVariant(true));
}

void TestFormStorage::inactiveStoreRestoresAndSavesNothing()
{
    {
        SettingsHive hive(hiveFile());
        const auto storage = makeStorage(hive, false);
        TfrmTesmora form;
        form.dbgClients->horizontalHeader()->moveSection(2, 0);
        storage->setStoredValue(kAsc, false);
        QVERIFY(storage->save(&form));
        QVERIFY(!QFileInfo::exists(hiveFile()));
    }
    saveChangedWindow();

    SettingsHive hive(hiveFile());
    const auto storage = makeStorage(hive, false);
    TfrmTesmora form;
    const QRect designed = form.geometry();
    const QList<int> widths = form.widths(form.dbgClients);
    QVERIFY(storage->restore(&form));
    QCOMPARE(form.geometry(), designed);
    QCOMPARE(form.widths(form.dbgClients), widths);
    QCOMPARE(form.visualFields(form.dbgClients),
             (QStringList { QStringLiteral("IdClient"), QStringLiteral("Phone"), QStringLiteral("Client") }));
    // The sort flags are the defaults when the store is inactive.
    QCOMPARE(storage->storedValue(kAsc), QVariant(true));
    QCOMPARE(storage->storedValue(kSortById), QVariant(false));
}

void TestFormStorage::columnLayoutThatNoLongerFitsIsIgnored_data()
{
    QTest::addColumn<QString>("change");
    QTest::newRow("unknown column stored") << "rename stored";
    QTest::newRow("column left out of the layout") << "shorten stored";
    QTest::newRow("same column twice") << "duplicate stored";
    QTest::newRow("negative width") << "negative width";
    QTest::newRow("grid lost a column") << "grid loses";
    QTest::newRow("grid gained a column") << "grid gains";
    QTest::newRow("grid has two columns of one name") << "grid duplicates";
}

void TestFormStorage::columnLayoutThatNoLongerFitsIsIgnored()
{
    QFETCH(QString, change);
    saveChangedWindow();
    SettingsHive hive(hiveFile());
    SettingsKey columns = *hive.openKey(clientsColumnsKey(), false);
    if (change == QLatin1String("rename stored"))
        columns.writeString(QStringLiteral("Column1"), QStringLiteral("Fax"));
    else if (change == QLatin1String("shorten stored"))
        columns.writeInteger(QStringLiteral("Count"), 2);
    else if (change == QLatin1String("duplicate stored"))
        columns.writeString(QStringLiteral("Column2"), columns.readString(QStringLiteral("Column0")));
    else if (change == QLatin1String("negative width"))
        columns.writeInteger(QStringLiteral("Width2"), -5);

    const auto storage = makeStorage(hive);
    TfrmTesmora form;
    if (change == QLatin1String("grid loses"))
        form.clients->removeColumn(1);
    else if (change == QLatin1String("grid gains"))
        TfrmTesmora::addColumn(form.clients, QStringLiteral("Note"), QStringLiteral("Note"));
    else if (change == QLatin1String("grid duplicates"))
        form.clients->horizontalHeaderItem(1)->setData(QStringLiteral("Client"), Qt::UserRole);
    const QStringList designedOrder = form.visualFields(form.dbgClients);
    const QList<int> designedWidths = form.widths(form.dbgClients);

    QVERIFY(storage->restore(&form));
    QCOMPARE(form.visualFields(form.dbgClients), designedOrder);
    QCOMPARE(form.widths(form.dbgClients), designedWidths);
    // The rest of the layout still fits and comes back.
    QCOMPARE(form.geometry(), m_savedGeometry);
    QCOMPARE(form.visualFields(form.dbgParams),
             (QStringList { QStringLiteral("Value"), QStringLiteral("Field") }));
    QVERIFY(m_messages->texts().isEmpty());
}

void TestFormStorage::geometryOffEveryScreenIsIgnored_data()
{
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QTest::addColumn<QRect>("stored");
    QTest::addColumn<bool>("applied");
    QTest::newRow("beyond the right edge") << QRect(screen.right() + 10, 100, 400, 300) << false;
    QTest::newRow("above the top") << QRect(100, screen.top() - 400, 400, 300) << false;
    QTest::newRow("no width") << QRect(100, 100, 0, 300) << false;
    QTest::newRow("partly on screen") << QRect(screen.right() - 50, 100, 400, 300) << true;
}

void TestFormStorage::geometryOffEveryScreenIsIgnored()
{
    QFETCH(QRect, stored);
    QFETCH(bool, applied);
    saveChangedWindow();
    SettingsHive hive(hiveFile());
    SettingsKey key = *hive.openKey(formKey(), false);
    key.writeInteger(QStringLiteral("Left"), stored.x());
    key.writeInteger(QStringLiteral("Top"), stored.y());
    key.writeInteger(QStringLiteral("Width"), stored.width());
    key.writeInteger(QStringLiteral("Height"), stored.height());

    const auto storage = makeStorage(hive);
    TfrmTesmora form;
    const QRect designed = form.geometry();
    QVERIFY(storage->restore(&form));
    QCOMPARE(form.geometry(), applied ? stored : designed);
    QCOMPARE(form.visualFields(form.dbgClients).first(), QStringLiteral("Client"));
}

void TestFormStorage::wrongTypeIsReportedAndNothingApplied()
{
    saveChangedWindow();
    SettingsHive hive(hiveFile());
    hive.openKey(formKey(), false)->writeString(kParamsHeight, QStringLiteral("tall"));

    const auto storage = makeStorage(hive);
    TfrmTesmora form;
    const QRect designed = form.geometry();
    const QList<int> widths = form.widths(form.dbgClients);
    QVERIFY(!storage->restore(&form));
    QCOMPARE(m_messages->errors(),
             QStringList { QStringLiteral("Invalid data type for 'grbParams_Height'") });
    QCOMPARE(form.geometry(), designed);
    QCOMPARE(form.widths(form.dbgClients), widths);
    QCOMPARE(storage->storedValue(kAsc), QVariant(true));
    // The window is shown all the same.
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
}

void TestFormStorage::columnsArrivingLaterGetTheirLayout()
{
    saveChangedWindow();
    SettingsHive hive(hiveFile());
    const auto storage = makeStorage(hive);
    TfrmTesmora form;
    // The dataset is not open yet when the window is shown.
    QStandardItemModel closed;
    form.dbgClients->setModel(&closed);
    QVERIFY(storage->restore(&form));

    form.dbgClients->setModel(form.clients);
    QTRY_COMPARE(
        form.visualFields(form.dbgClients),
        (QStringList { QStringLiteral("Client"), QStringLiteral("IdClient"), QStringLiteral("Phone") }));
    QCOMPARE(form.widths(form.dbgClients), m_savedWidths);

    // Taken once: columns that come again later keep the order they come in.
    QStandardItemModel other;
    form.dbgClients->setModel(&other);
    form.dbgClients->setModel(form.clients);
    QCoreApplication::processEvents();
    QCOMPARE(form.visualFields(form.dbgClients),
             (QStringList { QStringLiteral("IdClient"), QStringLiteral("Phone"), QStringLiteral("Client") }));
    form.dbgClients->setModel(nullptr);
}

void TestFormStorage::gridWithoutColumnsKeepsItsStoredLayout()
{
    saveChangedWindow();
    SettingsHive hive(hiveFile());
    const QStringList storedNames = hive.openKey(clientsColumnsKey(), false)->valueNames();
    const QString firstColumn
        = hive.openKey(clientsColumnsKey(), false)->readString(QStringLiteral("Column0"));
    {
        const auto storage = makeStorage(hive);
        TfrmTesmora form;
        QStandardItemModel closed;
        form.dbgClients->setModel(&closed);
        QVERIFY(storage->restore(&form));
        QVERIFY(storage->save(&form));
        form.dbgClients->setModel(nullptr);
    }
    SettingsHive reloaded(hiveFile());
    const SettingsKey columns = *reloaded.openKey(clientsColumnsKey(), false);
    QCOMPARE(columns.valueNames(), storedNames);
    QCOMPARE(columns.readString(QStringLiteral("Column0")), firstColumn);
}

void TestFormStorage::refusedSaveIsReportedAndLeavesTheStoredLayout()
{
    saveChangedWindow();
    const QString folder = QFileInfo(hiveFile()).absolutePath();
    QFile original(hiveFile());
    QVERIFY(original.open(QIODevice::ReadOnly));
    const QByteArray before = original.readAll();
    original.close();

    SettingsHive hive(hiveFile());
    const auto storage = makeStorage(hive);
    TfrmTesmora form;
    form.setGeometry(QRect(10, 10, 300, 300));
    form.dbgClients->horizontalHeader()->resizeSection(0, 200);
    QVERIFY(QDir().rename(folder, folder + QStringLiteral(".away")));
    {
        QFile blocker(folder);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
    }
    QVERIFY(!storage->save(&form));
    QCOMPARE(m_messages->errors(), QStringList { QStringLiteral("Failed to set data for 'WindowState'") });
    // Nothing of the failed save is left in memory either.
    QCOMPARE(hive.openKey(formKey(), false)->readInteger(QStringLiteral("Width")), m_savedGeometry.width());

    QVERIFY(QFile::remove(folder));
    QVERIFY(QDir().rename(folder + QStringLiteral(".away"), folder));
    QFile after(hiveFile());
    QVERIFY(after.open(QIODevice::ReadOnly));
    QCOMPARE(after.readAll(), before);
}

QTEST_MAIN(TestFormStorage)
#include "tst_FormStorage.moc"
