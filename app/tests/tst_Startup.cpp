#include "AppFixture.h"
#include "DBGrid.h"
#include "FormStorage.h"
#include "SettingsKey.h"
#include "SingleInstance.h"

#include <QHeaderView>
#include <QLocalSocket>
#include <QProcess>
#include <QSplitter>
#include <QTest>

// The main window's creation, first show and close on real files.
class TestStartup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void opensDatabaseInStoredSortOrder();
    void missingDatabaseIsReported();
    void fileThatIsNotADatabaseIsReported();
    void emptyContactListOpensFieldsWithKeyZero();
    void pathSetting_data();
    void pathSetting();
    void wrongTypeStopsTheReading();
    void closeAnsweredNoChangesNothing();
    void closeStoresSortOnlyWhileLayoutStoreActive_data();
    void closeStoresSortOnlyWhileLayoutStoreActive();
    void layoutOptionsAtStart_data();
    void layoutOptionsAtStart();
    void callMaskBecomesPhoneMask();
    void secondCopyBringsFirstForward();
};

void TestStartup::opensDatabaseInStoredSortOrder()
{
    AppFixture app;
    const qint64 zoe = app.db.addContact(QStringLiteral("Zoe"), QStringLiteral("100"));
    const qint64 adam = app.db.addContact(QStringLiteral("Adam"), QStringLiteral("900"));
    app.db.addValue(adam, QStringLiteral("Fax"), QStringLiteral("fax of adam"));
    app.db.addValue(zoe, QStringLiteral("Fax"), QStringLiteral("fax of zoe"));
    TfrmTesmora& window = app.show();
    QCOMPARE(window.windowTitle(), QStringLiteral("Orvanta Light"));
    QVERIFY(!(window.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(app.messages.texts().isEmpty());
    QCOMPARE(window.sDbPath, QDir::currentPath() + QStringLiteral("/Tesmora.sdb"));
    QCOMPARE(window.sConnectionString,
             QStringLiteral("Provider=SQLite;Persist Security Info=False;Data Source=") + window.sDbPath);
    QVERIFY(QFileInfo(window.sExeName).isAbsolute());
    Dataset& contacts = app.module->taCustomers;
    QCOMPARE(contacts.sql(), SortState().contactsStatement());
    QCOMPARE(contacts.fieldByName(QStringLiteral("Client")).asString(), QStringLiteral("Adam"));
    QCOMPARE(app.module->quClientParams.fieldByName(QStringLiteral("Value")).asString(),
             QStringLiteral("fax of adam"));
    QCOMPARE(app.module->quClientParams.sql(), SortState().contactInfoStatement());
    QVERIFY(app.module->quMasks.isOpen());
    QVERIFY(app.module->taParams.isOpen());
    QVERIFY(app.module->quHistory.isOpen());
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(window.dbgClients));
}

void TestStartup::missingDatabaseIsReported()
{
    AppFixture app;
    QFile::remove(app.db.path());
    app.show();
    QCOMPARE(app.messages.texts(),
             QStringList { QStringLiteral("The database file is not found: Tesmora.sdb.") });
    QCOMPARE(app.messages.shown().front().kind, QStringLiteral("error"));
    QVERIFY(!app.module->cnTesmora.isOpen());
    QVERIFY(!app.module->taCustomers.isOpen());
    QVERIFY(!QFile::exists(app.db.path())); // never created
}

void TestStartup::fileThatIsNotADatabaseIsReported()
{
    AppFixture app;
    QFile::remove(app.db.path());
    {
        QFile file(app.db.path());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("This is a letter, not a database.\n");
    }
    app.show();
    QCOMPARE(app.messages.texts(),
             QStringList({ QStringLiteral("The database connection error."),
                           QStringLiteral("file is not a database") }));
    QCOMPARE(app.messages.shown().at(0).kind, QStringLiteral("message"));
    QCOMPARE(app.messages.shown().at(1).kind, QStringLiteral("errorbox"));
    QVERIFY(!app.module->taCustomers.isOpen());
}

void TestStartup::emptyContactListOpensFieldsWithKeyZero()
{
    AppFixture app;
    app.show();
    QVERIFY(app.messages.texts().isEmpty());
    QVERIFY(app.module->quClientParams.isOpen());
    QCOMPARE(app.module->quClientParams.parameter(QStringLiteral("IdClient")).toLongLong(), 0);
    QCOMPARE(app.module->quClientParams.recordCount(), 0);
}

void TestStartup::pathSetting_data()
{
    QTest::addColumn<QString>("path"); // relative to a fresh temporary folder; "" for none
    QTest::addColumn<bool>("found");
    QTest::newRow("no path: the working directory") << QString() << true;
    QTest::newRow("folder without the database") << QStringLiteral("empty") << false;
    QTest::newRow("folder that does not exist") << QStringLiteral("missing/deeper") << true;
}

void TestStartup::pathSetting()
{
    QFETCH(QString, path);
    QFETCH(bool, found);
    AppFixture app;
    QTemporaryDir elsewhere;
    QDir(elsewhere.path()).mkdir(QStringLiteral("empty"));
    if (!path.isEmpty())
        app.settingsKey().writeString(QStringLiteral("Path"), elsewhere.filePath(path));
    app.show();
    QCOMPARE(app.module->cnTesmora.isOpen(), found);
    QCOMPARE(app.messages.texts().contains(QStringLiteral("The database file is not found: Tesmora.sdb.")),
             !found);
    QCOMPARE(QDir::currentPath(), found ? app.db.folder() : elsewhere.filePath(path));
}

void TestStartup::wrongTypeStopsTheReading()
{
    AppFixture app;
    SettingsKey key = app.settingsKey();
    key.writeString(QStringLiteral("ScreenLayout"), QStringLiteral("yes"));
    key.writeString(QStringLiteral("CallMask"), QStringLiteral("000-000-0000;0;_"));
    TfrmTesmora& window = app.start();
    QCOMPARE(app.messages.errors(), QStringList { QStringLiteral("Invalid data type for 'ScreenLayout'") });
    // What was read before the faulty value applies; the layout store stays off.
    QCOMPARE(window.sCallMask, QStringLiteral("000-000-0000;0;_"));
    QVERIFY(!window.frPlaceCall().isActive());
    app.show();
    QVERIFY(app.module->taCustomers.isOpen()); // shown all the same
}

void TestStartup::closeAnsweredNoChangesNothing()
{
    AppFixture app;
    app.settingsKey().writeBool(QStringLiteral("MainLayout"), true);
    app.db.addContact(QStringLiteral("Anna"), QStringLiteral("1"));
    TfrmTesmora& window = app.show();
    window.sort.bAsc = false;
    QFile hive(app.userHive().filePath());
    QVERIFY(hive.open(QIODevice::ReadOnly));
    const QByteArray before = hive.readAll();
    hive.close();
    QVERIFY(!app.close(false));
    QCOMPARE(app.messages.texts().last(), QStringLiteral("Do you really wish to close the application?"));
    QVERIFY(window.isVisible());
    QVERIFY(app.module->taCustomers.isOpen());
    QVERIFY(hive.open(QIODevice::ReadOnly));
    QCOMPARE(hive.readAll(), before);
}

void TestStartup::closeStoresSortOnlyWhileLayoutStoreActive_data()
{
    QTest::addColumn<bool>("screenLayout");
    QTest::addColumn<bool>("mainLayout");
    QTest::newRow("both off") << false << false;
    QTest::newRow("screen layout") << true << false;
    QTest::newRow("main layout") << false << true;
}

void TestStartup::closeStoresSortOnlyWhileLayoutStoreActive()
{
    QFETCH(bool, screenLayout);
    QFETCH(bool, mainLayout);
    const bool active = screenLayout || mainLayout;
    AppFixture app;
    app.settingsKey().writeBool(QStringLiteral("ScreenLayout"), screenLayout);
    app.settingsKey().writeBool(QStringLiteral("MainLayout"), mainLayout);
    TfrmTesmora& window = app.show();
    window.sort.bSortByName = false;
    window.sort.bAsc = false;
    window.sort.bSortById = true;
    window.sort.bAscField = false;
    QVERIFY(app.close(true));
    const std::optional<SettingsKey> form
        = app.userHive().openKey(QStringLiteral("\\Software\\Nuvek\\Orvanta Light\\TfrmTesmora"), false);
    QCOMPARE(bool(form), active);
    if (active) {
        QCOMPARE(form->readBool(QStringLiteral("bSortByName")), false);
        QCOMPARE(form->readBool(QStringLiteral("bAsc")), false);
        QCOMPARE(form->readBool(QStringLiteral("bSortById")), true);
        QCOMPARE(form->readBool(QStringLiteral("bAscField")), false);
    }
}

void TestStartup::layoutOptionsAtStart_data()
{
    QTest::addColumn<bool>("screenLayout");
    QTest::addColumn<bool>("mainLayout");
    QTest::newRow("both off: defaults") << false << false;
    QTest::newRow("screen only: placement and sort kept, columns and panes dropped") << true << false;
    QTest::newRow("main only: everything kept") << false << true;
    QTest::newRow("both: everything kept") << true << true;
}

void TestStartup::layoutOptionsAtStart()
{
    QFETCH(bool, screenLayout);
    QFETCH(bool, mainLayout);
    AppFixture app;
    app.db.addContact(QStringLiteral("Anna"), QStringLiteral("1"));
    app.db.addContact(QStringLiteral("Bob"), QStringLiteral("2"));
    // A first run with everything kept, closed with a changed layout.
    app.settingsKey().writeBool(QStringLiteral("MainLayout"), true);
    {
        TfrmTesmora& first = app.show();
        first.setGeometry(40, 50, 500, 600);
        first.dbgClients->horizontalHeader()->moveSection(1, 0);
        first.dbgClients->horizontalHeader()->resizeSection(0, 77);
        first.findChild<QSplitter*>(QStringLiteral("RxSplitter1"))->setSizes({ 300, 100, 150 });
        first.sort.bSortByName = false;
        first.sort.bAsc = false;
        QVERIFY(app.close(true));
        app.window.reset();
        app.module.reset();
    }
    app.settingsKey().writeBool(QStringLiteral("ScreenLayout"), screenLayout);
    app.settingsKey().writeBool(QStringLiteral("MainLayout"), mainLayout);

    TfrmTesmora& second = app.show();
    const bool active = screenLayout || mainLayout;
    QCOMPARE(second.frPlaceCall().isActive(), active);
    const std::optional<SettingsKey> columns = app.userHive().openKey(
        QStringLiteral("\\Software\\Nuvek\\Orvanta Light\\TfrmTesmora.dbgClients_Columns"), false);
    QCOMPARE(bool(columns), mainLayout);
    const std::optional<SettingsKey> form
        = app.userHive().openKey(QStringLiteral("\\Software\\Nuvek\\Orvanta Light\\TfrmTesmora"), false);
    QVERIFY(form);
    QCOMPARE(form->valueExists(QStringLiteral("grbClients_Height")), mainLayout);
    // The sort order persists whenever the store is active.
    QCOMPARE(app.module->taCustomers.sql(),
             active ? SortState::contactsStatement(false, false) : SortState().contactsStatement());
    QCOMPARE(second.dbgClients->fieldAtDataColumn(0)->name(),
             mainLayout ? QStringLiteral("Phone") : QStringLiteral("Client"));
    if (active)
        QCOMPARE(second.geometry().topLeft(), QPoint(40, 50));
}

void TestStartup::callMaskBecomesPhoneMask()
{
    AppFixture app;
    app.settingsKey().writeString(QStringLiteral("CallMask"), QStringLiteral("000-000-0000;0;_"));
    app.db.addContact(QStringLiteral("Anna"), QStringLiteral("5550001111"));
    TfrmTesmora& window = app.show();
    QCOMPARE(window.sCallMask, QStringLiteral("000-000-0000;0;_"));
    const Field& phone = app.module->taCustomers.fieldByName(QStringLiteral("Phone"));
    QCOMPARE(phone.editMask(), QStringLiteral("000-000-0000;0;_"));
    QCOMPARE(phone.displayText(), QStringLiteral("555-000-1111"));
}

void TestStartup::secondCopyBringsFirstForward()
{
    QTemporaryDir config;
    TestDatabase db;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    const auto program = [&](QProcess& process) {
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(db.folder());
        process.start(QStringLiteral(TESMORA_PROGRAM), {});
        QVERIFY(process.waitForStarted());
    };
    QProcess first;
    program(first);
    // The first copy is up once its name answers.
    const QString name
        = SingleInstance::defaultName(QDir(config.path()).filePath(QStringLiteral("orvanta-light")));
    QTRY_VERIFY_WITH_TIMEOUT(
        [&] {
            QLocalSocket socket;
            socket.connectToServer(name);
            return socket.waitForConnected(200);
        }(),
        60000);

    QProcess second;
    program(second);
    QVERIFY(second.waitForFinished(20000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QCOMPARE(first.state(), QProcess::Running);

    // A name left behind by a copy that was killed does not keep the next one out.
    first.kill();
    first.waitForFinished();
    QProcess third;
    program(third);
    QVERIFY(!third.waitForFinished(3000));
    QCOMPARE(third.state(), QProcess::Running);
    third.kill();
    third.waitForFinished();
}

QTEST_MAIN(TestStartup)
#include "tst_Startup.moc"
