#include "Connection.h"
#include "Dataset.h"
#include "JetSql.h"
#include "Schema.h"
#include "TestDatabase.h"
#include "UserError.h"

#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// The database file: what opens and what does not, the named row sources,
// a second connection beside the program's, and the new-database tool.
class TestDatabaseFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void translatesOriginalStatements_data();
    void translatesOriginalStatements();
    void refusesFilesThatAreNotDatabases_data();
    void refusesFilesThatAreNotDatabases();
    void readOnlyFileOpensAndRefusesPosts();
    void secondConnectionWritesWorkTablesWhileFirstIsOpen();
    void reportViewsFollowPickOrder();
    void newdbCreatesFileWithStandardRows();
    void newdbRefusesToOverwrite();
    void newdbDemoIsDeterministic();

private:
    static QByteArray digest(const QString& path);
    static int runNewdb(const QStringList& arguments, QString* errorOutput = nullptr);
};

QByteArray TestDatabaseFile::digest(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

int TestDatabaseFile::runNewdb(const QStringList& arguments, QString* errorOutput)
{
    QProcess process;
    process.start(QStringLiteral(TESMORA_NEWDB), arguments);
    if (!process.waitForFinished(120000))
        return -1;
    if (errorOutput)
        *errorOutput = QString::fromLocal8Bit(process.readAllStandardError());
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

void TestDatabaseFile::translatesOriginalStatements_data()
{
    QTest::addColumn<QString>("original");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QVariantList>("values");
    QTest::newRow("delete all") << "DELETE ReportClients.*  FROM ReportClients;"
                                << "DELETE FROM ReportClients;" << QVariantList {};
    QTest::newRow("delete other table kept") << "DELETE A.* FROM B;"
                                             << "DELETE A.* FROM B;" << QVariantList {};
    QTest::newRow("quoted key") << "INSERT INTO ReportClients ( IdClient ) VALUES (\"17\")"
                                << "INSERT INTO ReportClients ( IdClient ) VALUES (?)"
                                << QVariantList { qint64(17) };
    QTest::newRow("quoted identifier kept") << "SELECT \"Client\" FROM Customers"
                                            << "SELECT \"Client\" FROM Customers" << QVariantList {};
    QTest::newRow("digits inside a literal kept") << "SELECT '\"5\"' FROM Customers"
                                                  << "SELECT '\"5\"' FROM Customers" << QVariantList {};
    QTest::newRow("plain select") << "SELECT * FROM Parametrs"
                                  << "SELECT * FROM Parametrs" << QVariantList {};
}

void TestDatabaseFile::translatesOriginalStatements()
{
    QFETCH(QString, original);
    QFETCH(QString, sql);
    QFETCH(QVariantList, values);
    const TranslatedStatement translated = translateStatement(original);
    QCOMPARE(translated.sql, sql);
    QCOMPARE(translated.values, values);
}

void TestDatabaseFile::refusesFilesThatAreNotDatabases_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("error");
    QTest::newRow("text") << QByteArray("Name;Phone\nAnna;123\n") << "file is not a database";
    QTest::newRow("empty file") << QByteArray() << "no such table: Customers";
}

void TestDatabaseFile::refusesFilesThatAreNotDatabases()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, error);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Tesmora.sdb"));
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    const QByteArray before = digest(path);
    Connection connection;
    connection.setConnectionString(Connection::connectionStringFor(path));
    QString shown;
    try {
        connection.open();
    } catch (const UserError& e) {
        shown = e.text();
    }
    QCOMPARE(shown, error);
    QVERIFY(!connection.isOpen());
    QCOMPARE(digest(path), before);
    QCOMPARE(QFileInfo(path).size(), qint64(content.size()));

    // A file that is a database but lacks a table is refused the same way.
    QTemporaryDir other;
    const QString partial = other.filePath(QStringLiteral("Tesmora.sdb"));
    Schema::createFile(partial);
    Connection drop;
    drop.setConnectionString(Connection::connectionStringFor(partial));
    drop.open();
    drop.execute(QStringLiteral("DROP VIEW ExportParams"));
    drop.close();
    try {
        drop.open();
        QFAIL("a file without ExportParams opened");
    } catch (const UserError& e) {
        QCOMPARE(e.text(), QStringLiteral("no such table: ExportParams"));
    }
}

void TestDatabaseFile::readOnlyFileOpensAndRefusesPosts()
{
    TestDatabase db;
    db.addContact(QStringLiteral("Anna"), QStringLiteral("111"));
    QFile::setPermissions(db.path(),
                          QFileDevice::ReadOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther);
    Connection connection;
    connection.setConnectionString(db.connectionString());
    connection.open();
    QVERIFY(connection.isReadOnly());
    Dataset contacts(connection);
    contacts.setTableName(QStringLiteral("Customers"));
    contacts.open();
    QCOMPARE(contacts.recordCount(), 1);
    contacts.fieldByName(QStringLiteral("Client")).setValue(QStringLiteral("Changed"));
    QVERIFY_THROWS_EXCEPTION(UserError, contacts.post());
    QCOMPARE(contacts.state(), Dataset::State::Edit);
    QCOMPARE(contacts.fieldByName(QStringLiteral("Client")).asString(), QStringLiteral("Changed"));
    contacts.cancel();
    contacts.append();
    contacts.fieldByName(QStringLiteral("Client")).setValue(QStringLiteral("New"));
    QVERIFY_THROWS_EXCEPTION(UserError, contacts.post());
    QCOMPARE(contacts.state(), Dataset::State::Insert);
    contacts.cancel();
    contacts.first();
    QVERIFY_THROWS_EXCEPTION(UserError, contacts.remove());
    QCOMPARE(contacts.recordCount(), 1);
    QCOMPARE(db.scalar(QStringLiteral("SELECT Client FROM Customers")).toString(), QStringLiteral("Anna"));
    QFile::setPermissions(db.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

void TestDatabaseFile::secondConnectionWritesWorkTablesWhileFirstIsOpen()
{
    TestDatabase db;
    const qint64 anna = db.addContact(QStringLiteral("Anna"), QStringLiteral("111"));
    db.addContact(QStringLiteral("Bob"), QStringLiteral("222"));
    Connection program;
    program.setConnectionString(db.connectionString());
    program.open();
    Dataset contacts(program);
    contacts.setTableName(QStringLiteral("Customers"));
    contacts.open();
    contacts.fieldByName(QStringLiteral("Client")).setValue(QStringLiteral("Anna B"));
    contacts.post();

    // The plug-in's connection, opened from the program's connection string.
    Connection plugin;
    plugin.setConnectionString(program.connectionString());
    plugin.open();
    plugin.execute(QStringLiteral("DELETE ReportClients.*  FROM ReportClients;"));
    plugin.execute(
        QStringLiteral("INSERT INTO ReportClients ( IdClient ) SELECT Customers.IdClient FROM Customers;"));
    QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM ReportClients")).toInt(), 2);
    plugin.execute(QStringLiteral("DELETE ReportClients.*  FROM ReportClients;"));
    plugin.execute(QStringLiteral("INSERT INTO ReportClients ( IdClient ) VALUES (\"%1\")").arg(anna));
    plugin.execute(
        QStringLiteral("INSERT INTO ReportParams ( ParamID ) SELECT Parametrs.ParamID FROM Parametrs;"));
    QCOMPARE(db.rows(QStringLiteral("SELECT IdClient, typeof(IdClient) FROM ReportClients")),
             QList<QVariantList>({ { anna, QStringLiteral("integer") } }));

    // Meanwhile the program goes on writing through its own connection.
    contacts.append();
    contacts.fieldByName(QStringLiteral("Client")).setValue(QStringLiteral("Carl"));
    contacts.post();
    QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM Customers")).toInt(), 3);
    // A value that should never become statement text is refused as a key.
    QVERIFY_THROWS_EXCEPTION(
        UserError,
        plugin.execute(QStringLiteral("INSERT INTO ReportClients ( IdClient ) VALUES (\"1); DROP TABLE "
                                      "Customers; --\")")));
    QCOMPARE(db.scalar(QStringLiteral("SELECT count(*) FROM Customers")).toInt(), 3);
}

void TestDatabaseFile::reportViewsFollowPickOrder()
{
    TestDatabase db;
    const qint64 zed = db.addContact(QStringLiteral("Zed"), QStringLiteral("3"));
    const qint64 anna1 = db.addContact(QStringLiteral("Anna"), QStringLiteral("1"));
    const qint64 anna2 = db.addContact(QStringLiteral("Anna"), QStringLiteral("2"));
    const qint64 none = db.addContact(QStringLiteral("Nobody"), QStringLiteral("4"));
    for (const qint64 id : { zed, anna1, anna2 }) {
        db.addValue(id, QStringLiteral("E-mail"), QStringLiteral("mail%1").arg(id));
        db.addValue(id, QStringLiteral("Fax"), QStringLiteral("fax%1").arg(id));
        db.addValue(id, QStringLiteral("Mobile"), QStringLiteral("mob%1").arg(id));
    }
    for (const qint64 id : { zed, anna2, anna1, none })
        db.exec(QStringLiteral("INSERT INTO ReportClients (IdClient) VALUES (?)"), { id });
    // Picked in the order Fax, E-mail; picked twice stays once.
    for (const char* type : { "Fax", "E-mail", "Fax" })
        db.exec(QStringLiteral("INSERT INTO ReportParams (ParamID) VALUES (?)"),
                { db.paramId(QString::fromUtf8(type)) });

    QCOMPARE(db.rows(QStringLiteral("SELECT ParamDescr FROM ExportParams")),
             QList<QVariantList>({ { QStringLiteral("Fax") }, { QStringLiteral("E-mail") } }));
    const QList<QVariantList> report = db.rows(QStringLiteral("SELECT * FROM ClientParamReport"));
    QList<QVariantList> expected;
    for (const qint64 id : { anna1, anna2, zed }) {
        const QString name = id == zed ? QStringLiteral("Zed") : QStringLiteral("Anna");
        const QString phone = id == zed ? QStringLiteral("3")
            : id == anna1               ? QStringLiteral("1")
                                        : QStringLiteral("2");
        expected.append({ name, phone, QStringLiteral("Fax"), QStringLiteral("fax%1").arg(id), id });
        expected.append({ name, phone, QStringLiteral("E-mail"), QStringLiteral("mail%1").arg(id), id });
    }
    QCOMPARE(report, expected);
}

void TestDatabaseFile::newdbCreatesFileWithStandardRows()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Tesmora.sdb"));
    QCOMPARE(runNewdb({ path }), 0);
    Connection connection;
    connection.setConnectionString(Connection::connectionStringFor(path));
    connection.open();
    Dataset types(connection);
    types.setSql(QStringLiteral("SELECT ParamDescr, TypeID FROM Parametrs ORDER BY TypeID"));
    types.open();
    QVERIFY(types.recordCount() > 3);
    QCOMPARE(types.value(0, 0).toString(), QStringLiteral("E-mail"));
    QCOMPARE(types.value(1, 0).toString(), QStringLiteral("Web-site"));
    QCOMPARE(types.value(2, 0).toString(), QStringLiteral("Fax"));
    QCOMPARE(types.value(2, 1).toInt(), 3);
    Dataset masks(connection);
    masks.setSql(QStringLiteral("SELECT Value FROM PhoneMasks WHERE Value = '000-000-0000;0;_'"));
    masks.open();
    QCOMPARE(masks.recordCount(), 1);
    Dataset contacts(connection);
    contacts.setTableName(QStringLiteral("Customers"));
    contacts.open();
    QCOMPARE(contacts.recordCount(), 0);
}

void TestDatabaseFile::newdbRefusesToOverwrite()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Tesmora.sdb"));
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("precious");
    }
    QString error;
    QCOMPARE(runNewdb({ path, QStringLiteral("--demo") }, &error), 1);
    QVERIFY2(error.contains(QLatin1String("already exists")), qPrintable(error));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("precious"));
    QCOMPARE(runNewdb({ dir.filePath(QStringLiteral("x.sdb")), QStringLiteral("--contacts"),
                        QStringLiteral("many") },
                      &error),
             1);
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("x.sdb"))));
}

void TestDatabaseFile::newdbDemoIsDeterministic()
{
    QTemporaryDir dir;
    const auto dump = [](const QString& path) {
        Connection connection;
        connection.setConnectionString(Connection::connectionStringFor(path));
        connection.open();
        QStringList lines;
        for (const char* sql :
             { "SELECT * FROM Customers", "SELECT * FROM ClientParam", "SELECT * FROM CallHistory" }) {
            Dataset rows(connection);
            rows.setSql(QString::fromUtf8(sql));
            rows.open();
            for (int r = 0; r < rows.recordCount(); ++r) {
                QStringList cells;
                for (int f = 0; f < rows.fieldCount(); ++f)
                    cells.append(rows.value(r, f).toString());
                lines.append(cells.join(QLatin1Char('|')));
            }
        }
        return lines;
    };
    const QString a = dir.filePath(QStringLiteral("a.sdb"));
    const QString b = dir.filePath(QStringLiteral("b.sdb"));
    const QString c = dir.filePath(QStringLiteral("c.sdb"));
    QCOMPARE(runNewdb({ a, QStringLiteral("--demo"), QStringLiteral("--seed"), QStringLiteral("7") }), 0);
    QCOMPARE(runNewdb({ b, QStringLiteral("--demo"), QStringLiteral("--seed"), QStringLiteral("7") }), 0);
    QCOMPARE(runNewdb({ c, QStringLiteral("--contacts"), QStringLiteral("120"), QStringLiteral("--seed"),
                        QStringLiteral("8") }),
             0);
    const QStringList first = dump(a);
    QCOMPARE(dump(b), first);
    QVERIFY(first.size() > 50);
    QVERIFY(dump(c) != first);
    Connection connection;
    connection.setConnectionString(Connection::connectionStringFor(c));
    connection.open();
    Dataset count(connection);
    count.setSql(QStringLiteral("SELECT count(*) AS n FROM Customers"));
    count.open();
    QCOMPARE(count.value(0, 0).toInt(), 120);
}

QTEST_GUILESS_MAIN(TestDatabaseFile)
#include "tst_Database.moc"
