#include "FakeMessages.h"
#include "ProgramSettings.h"
#include "SettingNames.h"
#include "SettingsHive.h"
#include "SettingsStore.h"
#include "StartupEntry.h"
#include "StartupSettings.h"
#include "UserError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <limits>
#include <memory>

using namespace SettingNames;

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// Runs a call that must fail with a UserError and returns its text.
template<typename Call> QString errorOf(Call&& call)
{
    try {
        call();
    } catch (const UserError& error) {
        return error.text();
    }
    return {};
}

} // namespace

class TestSettingsStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void typedReads_data();
    void typedReads();
    void booleansAreStoredAsOneAndZero_data();
    void booleansAreStoredAsOneAndZero();
    void namesMatchWithoutRegardToCase();

    void keyPathsAddressOneKey_data();
    void keyPathsAddressOneKey();
    void openingForWritingCreatesTheKey();
    void deletingAKeyDeletesWhatItHolds();
    void deletingAValue();

    void refusedWriteChangesNothing_data();
    void refusedWriteChangesNothing();
    void batchLandsWholeOrNotAtAll();

    void missingHiveIsEmpty();
    void corruptHiveIsSetAside_data();
    void corruptHiveIsSetAside();
    void unreadableHiveIsSetAside();
    void earlierCopiesAreNotOverwritten();

    void storeFollowsConfigHome_data();
    void storeFollowsConfigHome();

    void programSettingsOnFirstStart();
    void programSettingsWhenKeyCannotBeOpened();
    void programSettingsRoundTrip();
    void programSettingsOfWrongType_data();
    void programSettingsOfWrongType();

    void layoutOptionsAtStart_data();
    void layoutOptionsAtStart();
    void startWithoutStoredLayoutCreatesNoFormKey();
    void trayAndMaskAtStart_data();
    void trayAndMaskAtStart();
    void wrongTypeStopsStartupReading_data();
    void wrongTypeStopsStartupReading();
    void dataPathAtStart_data();
    void dataPathAtStart();

    void startupEntryWritten_data();
    void startupEntryWritten();
    void startupEntryFollowsApply();
    void startupEntryRefused_data();
    void startupEntryRefused();

private:
    QString configHome() const { return m_dir->path(); }
    QString settingsFolder() const { return configHome() + QStringLiteral("/orvanta-light"); }
    QString userFile() const { return settingsFolder() + QStringLiteral("/user.json"); }
    // Puts a regular file where the settings folder belongs, so nothing can be
    // saved there (a permission bit would not stop a test run as root).
    void blockFolder(const QString& folder);
    void unblockFolder(const QString& folder);
    SettingsKey settingsKey(SettingsHive& hive);

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FakeMessages> m_messages;
    QString m_startDirectory;
};

void TestSettingsStore::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir->path()));
    resetSettingsStore();
    m_messages = std::make_unique<FakeMessages>();
    m_startDirectory = QDir::currentPath();
}

void TestSettingsStore::cleanup()
{
    QDir::setCurrent(m_startDirectory);
    resetSettingsStore();
    m_messages.reset();
    m_dir.reset();
}

void TestSettingsStore::blockFolder(const QString& folder)
{
    if (QFileInfo(folder).isDir())
        QVERIFY(QDir().rename(folder, folder + QStringLiteral(".away")));
    writeFile(folder, "in the way");
}

void TestSettingsStore::unblockFolder(const QString& folder)
{
    QVERIFY(QFile::remove(folder));
    if (QFileInfo(folder + QStringLiteral(".away")).isDir())
        QVERIFY(QDir().rename(folder + QStringLiteral(".away"), folder));
}

SettingsKey TestSettingsStore::settingsKey(SettingsHive& hive)
{
    std::optional<SettingsKey> key = hive.openKey(kSettingsKey, true);
    if (!key)
        qFatal("the settings key does not open");
    return *key;
}

void TestSettingsStore::typedReads_data()
{
    QTest::addColumn<QVariant>("stored"); // invalid: nothing stored
    QTest::addColumn<QString>("readAs");
    QTest::addColumn<QVariant>("expected");
    QTest::addColumn<QString>("error");

    const QString invalidType = QStringLiteral("Invalid data type for 'Setting'");
    const QString noData = QStringLiteral("Failed to get data for 'Setting'");

    QTest::newRow("missing as text") << QVariant() << "text" << QVariant(QString()) << QString();
    QTest::newRow("missing as integer") << QVariant() << "integer" << QVariant() << noData;
    QTest::newRow("missing as boolean") << QVariant() << "bool" << QVariant() << noData;

    QTest::newRow("text") << QVariant(QStringLiteral("COM2")) << "text" << QVariant(QStringLiteral("COM2"))
                          << QString();
    const QString awkward = QStringLiteral("C:\\Data\\\"Tesmora\"\nЖурнал ü 😀 ");
    QTest::newRow("awkward text") << QVariant(awkward) << "text" << QVariant(awkward) << QString();
    QTest::newRow("empty text") << QVariant(QString()) << "text" << QVariant(QString()) << QString();
    QTest::newRow("text as integer") << QVariant(QStringLiteral("1")) << "integer" << QVariant()
                                     << invalidType;
    QTest::newRow("text as boolean") << QVariant(QStringLiteral("1")) << "bool" << QVariant() << invalidType;

    QTest::newRow("integer") << QVariant(42) << "integer" << QVariant(42) << QString();
    QTest::newRow("negative integer") << QVariant(-1) << "integer" << QVariant(-1) << QString();
    QTest::newRow("largest integer") << QVariant(std::numeric_limits<qint32>::max()) << "integer"
                                     << QVariant(std::numeric_limits<qint32>::max()) << QString();
    QTest::newRow("smallest integer") << QVariant(std::numeric_limits<qint32>::min()) << "integer"
                                      << QVariant(std::numeric_limits<qint32>::min()) << QString();
    QTest::newRow("integer as text") << QVariant(0) << "text" << QVariant() << invalidType;
    QTest::newRow("zero as boolean") << QVariant(0) << "bool" << QVariant(false) << QString();
    QTest::newRow("one as boolean") << QVariant(1) << "bool" << QVariant(true) << QString();
    QTest::newRow("other integer as boolean") << QVariant(7) << "bool" << QVariant(true) << QString();
    QTest::newRow("negative as boolean") << QVariant(-1) << "bool" << QVariant(true) << QString();
}

void TestSettingsStore::typedReads()
{
    QFETCH(QVariant, stored);
    QFETCH(QString, readAs);
    QFETCH(QVariant, expected);
    QFETCH(QString, error);

    const QString name = QStringLiteral("Setting");
    {
        SettingsHive hive(userFile());
        SettingsKey key = settingsKey(hive);
        if (stored.typeId() == QMetaType::QString)
            key.writeString(name, stored.toString());
        else if (stored.isValid())
            key.writeInteger(name, stored.toInt());
    }
    // Read from a hive loaded afresh, so the value has been through the file.
    SettingsHive hive(userFile());
    const SettingsKey key = settingsKey(hive);
    QCOMPARE(key.valueExists(name), stored.isValid());
    const SettingsValueType type = !stored.isValid() ? SettingsValueType::None
        : stored.typeId() == QMetaType::QString      ? SettingsValueType::Text
                                                     : SettingsValueType::Integer;
    QCOMPARE(key.valueType(name), type);

    QVariant result;
    const QString failure = errorOf([&] {
        if (readAs == QLatin1String("text"))
            result = key.readString(name);
        else if (readAs == QLatin1String("integer"))
            result = key.readInteger(name);
        else
            result = key.readBool(name);
    });
    QCOMPARE(failure, error);
    if (error.isEmpty())
        QCOMPARE(result, expected);
    QVERIFY(m_messages->texts().isEmpty());
}

void TestSettingsStore::booleansAreStoredAsOneAndZero_data()
{
    QTest::addColumn<bool>("value");
    QTest::addColumn<qint32>("stored");
    QTest::newRow("true") << true << 1;
    QTest::newRow("false") << false << 0;
}

void TestSettingsStore::booleansAreStoredAsOneAndZero()
{
    QFETCH(bool, value);
    QFETCH(qint32, stored);
    {
        SettingsHive hive(userFile());
        settingsKey(hive).writeBool(kSystemTray, value);
    }
    SettingsHive hive(userFile());
    const SettingsKey key = settingsKey(hive);
    QCOMPARE(key.valueType(kSystemTray), SettingsValueType::Integer);
    QCOMPARE(key.readInteger(kSystemTray), stored);
    QCOMPARE(key.readBool(kSystemTray), value);
}

void TestSettingsStore::namesMatchWithoutRegardToCase()
{
    SettingsHive hive(userFile());
    SettingsKey key = settingsKey(hive);
    key.writeString(QStringLiteral("CallMask"), QStringLiteral("first"));
    key.writeString(QStringLiteral("callmask"), QStringLiteral("second"));
    QCOMPARE(key.valueNames(), QStringList { QStringLiteral("CallMask") });
    QCOMPARE(key.readString(QStringLiteral("CALLMASK")), QStringLiteral("second"));
    QVERIFY(key.deleteValue(QStringLiteral("cAlLmAsK")));
    QVERIFY(key.valueNames().isEmpty());
}

void TestSettingsStore::keyPathsAddressOneKey_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("as written") << QStringLiteral("\\Software\\Nuvek\\Orvanta Light");
    QTest::newRow("without leading separator") << QStringLiteral("Software\\Nuvek\\Orvanta Light");
    QTest::newRow("trailing separator") << QStringLiteral("\\Software\\Nuvek\\Orvanta Light\\");
    QTest::newRow("doubled separators") << QStringLiteral("\\\\Software\\\\Nuvek\\Orvanta Light");
    QTest::newRow("other case") << QStringLiteral("\\SOFTWARE\\nuvek\\orvanta LIGHT");
}

void TestSettingsStore::keyPathsAddressOneKey()
{
    QFETCH(QString, path);
    SettingsHive hive(userFile());
    settingsKey(hive).writeString(kPort, QStringLiteral("COM2"));

    QVERIFY(hive.keyExists(path));
    const std::optional<SettingsKey> key = hive.openKey(path, false);
    QVERIFY(key);
    QCOMPARE(key->readString(kPort), QStringLiteral("COM2"));
    QCOMPARE(key->path(), kSettingsKey);
    QCOMPARE(key->name(), QStringLiteral("Orvanta Light"));
    QCOMPARE(hive.openKey(QStringLiteral("\\Software"), false)->subkeyNames(),
             QStringList { QStringLiteral("Nuvek") });
}

void TestSettingsStore::openingForWritingCreatesTheKey()
{
    const QString path = QStringLiteral("\\Software\\Nuvek\\Orvanta Light\\TfrmTesmora");
    {
        SettingsHive hive(userFile());
        QVERIFY(!hive.keyExists(path));
        QVERIFY(!hive.openKey(path, false));
        QVERIFY(!hive.keyExists(path));
        // Opening to read never writes a file.
        QVERIFY(!QFileInfo::exists(userFile()));

        const std::optional<SettingsKey> key = hive.openKey(path, true);
        QVERIFY(key);
        QVERIFY(key->exists());
        QVERIFY(key->valueNames().isEmpty());
        QVERIFY(hive.keyExists(QStringLiteral("\\Software\\Nuvek")));
    }
    SettingsHive hive(userFile());
    QVERIFY(hive.keyExists(path));
    QCOMPARE(hive.openKey(kSettingsKey, false)->subkeyNames(), QStringList { QStringLiteral("TfrmTesmora") });
}

void TestSettingsStore::deletingAKeyDeletesWhatItHolds()
{
    SettingsHive hive(userFile());
    SettingsKey top = *hive.openKey(QStringLiteral("\\A"), true);
    SettingsKey middle = *hive.openKey(QStringLiteral("\\A\\B"), true);
    SettingsKey bottom = *hive.openKey(QStringLiteral("\\A\\B\\C"), true);
    top.writeInteger(QStringLiteral("top"), 1);
    middle.writeInteger(QStringLiteral("middle"), 2);
    bottom.writeString(QStringLiteral("bottom"), QStringLiteral("3"));
    *hive.openKey(QStringLiteral("\\A\\Sibling"), true);

    QVERIFY(hive.deleteKey(QStringLiteral("\\a\\b")));
    QVERIFY(!hive.keyExists(QStringLiteral("\\A\\B")));
    QVERIFY(!hive.keyExists(QStringLiteral("\\A\\B\\C")));
    QCOMPARE(top.readInteger(QStringLiteral("top")), 1);
    QCOMPARE(top.subkeyNames(), QStringList { QStringLiteral("Sibling") });
    QVERIFY(!hive.deleteKey(QStringLiteral("\\A\\B")));
    QVERIFY(!hive.deleteKey(QStringLiteral("\\")));

    // A handle on the deleted key finds nothing and writes nothing back.
    QVERIFY(!bottom.exists());
    QVERIFY(!bottom.valueExists(QStringLiteral("bottom")));
    QCOMPARE(bottom.readString(QStringLiteral("bottom")), QString());
    QCOMPARE(errorOf([&] { bottom.readInteger(QStringLiteral("bottom")); }),
             QStringLiteral("Failed to get data for 'bottom'"));
    QCOMPARE(errorOf([&] { middle.writeInteger(QStringLiteral("middle"), 5); }),
             QStringLiteral("Failed to set data for 'middle'"));
    QVERIFY(!hive.keyExists(QStringLiteral("\\A\\B")));

    SettingsHive reloaded(userFile());
    QVERIFY(reloaded.keyExists(QStringLiteral("\\A\\Sibling")));
    QVERIFY(!reloaded.keyExists(QStringLiteral("\\A\\B")));
    QCOMPARE(reloaded.openKey(QStringLiteral("\\A"), false)->readInteger(QStringLiteral("top")), 1);
}

void TestSettingsStore::deletingAValue()
{
    {
        SettingsHive hive(userFile());
        SettingsKey key = settingsKey(hive);
        key.writeInteger(kDialMode, 1);
        key.writeString(kPort, QStringLiteral("COM2"));
        QVERIFY(key.deleteValue(kDialMode));
        QVERIFY(!key.deleteValue(kDialMode));
        QVERIFY(!key.valueExists(kDialMode));
    }
    SettingsHive hive(userFile());
    QCOMPARE(settingsKey(hive).valueNames(), QStringList { kPort });
}

void TestSettingsStore::refusedWriteChangesNothing_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("error");
    QTest::newRow("new value") << "new value" << QStringLiteral("Failed to set data for 'Port'");
    QTest::newRow("value of other type") << "retype" << QStringLiteral("Failed to set data for 'DialMode'");
    QTest::newRow("deleted value") << "delete value" << QStringLiteral("Failed to set data for 'DialMode'");
    QTest::newRow("deleted key") << "delete key" << QStringLiteral("Failed to set data for 'TfrmTesmora'");
    QTest::newRow("created key") << "create key" << QString();
}

void TestSettingsStore::refusedWriteChangesNothing()
{
    QFETCH(QString, change);
    QFETCH(QString, error);
    const QString formKey = kSettingsKey + QStringLiteral("\\TfrmTesmora");
    const QString newKey = kSettingsKey + QStringLiteral("\\New");

    SettingsHive hive(userFile());
    SettingsKey key = settingsKey(hive);
    key.writeInteger(kDialMode, 1);
    hive.openKey(formKey, true)->writeInteger(QStringLiteral("Left"), 10);
    const QByteArray before = readFile(userFile());

    blockFolder(settingsFolder());
    const QString failure = errorOf([&] {
        if (change == QLatin1String("new value"))
            key.writeString(kPort, QStringLiteral("COM2"));
        else if (change == QLatin1String("retype"))
            key.writeString(kDialMode, QStringLiteral("tone"));
        else if (change == QLatin1String("delete value"))
            key.deleteValue(kDialMode);
        else if (change == QLatin1String("delete key"))
            hive.deleteKey(formKey);
        else
            QVERIFY(!hive.openKey(newKey, true));
    });
    QCOMPARE(failure, error);

    // Memory agrees with the file that could not be replaced.
    QVERIFY(!key.valueExists(kPort));
    QCOMPARE(key.readInteger(kDialMode), 1);
    QVERIFY(hive.keyExists(formKey));
    QVERIFY(!hive.keyExists(newKey));

    unblockFolder(settingsFolder());
    QCOMPARE(readFile(userFile()), before);
    // Once the folder takes writes again, the same hive writes on.
    key.writeString(kPort, QStringLiteral("COM3"));
    SettingsHive reloaded(userFile());
    QCOMPARE(settingsKey(reloaded).readString(kPort), QStringLiteral("COM3"));
    QCOMPARE(settingsKey(reloaded).readInteger(kDialMode), 1);
}

void TestSettingsStore::batchLandsWholeOrNotAtAll()
{
    SettingsHive hive(userFile());
    SettingsKey key = settingsKey(hive);
    key.writeInteger(kDialMode, 0);

    blockFolder(settingsFolder());
    {
        SettingsHive::Batch batch(hive);
        key.writeInteger(kDialMode, 1);
        key.writeString(kPort, QStringLiteral("COM2"));
        // Inside the batch the changes are seen before they are saved.
        QCOMPARE(key.readInteger(kDialMode), 1);
        QCOMPARE(errorOf([&] { batch.commit(); }), QStringLiteral("Failed to set data for 'DialMode'"));
    }
    QCOMPARE(key.readInteger(kDialMode), 0);
    QVERIFY(!key.valueExists(kPort));
    unblockFolder(settingsFolder());

    // A batch abandoned by an error puts everything back.
    QCOMPARE(errorOf([&] {
                 SettingsHive::Batch batch(hive);
                 key.writeInteger(kDialMode, 1);
                 throw UserError(QStringLiteral("stop"));
             }),
             QStringLiteral("stop"));
    QCOMPARE(key.readInteger(kDialMode), 0);

    {
        SettingsHive::Batch batch(hive);
        key.writeInteger(kDialMode, 1);
        key.writeString(kPort, QStringLiteral("COM2"));
        batch.commit();
    }
    SettingsHive reloaded(userFile());
    QCOMPARE(settingsKey(reloaded).readInteger(kDialMode), 1);
    QCOMPARE(settingsKey(reloaded).readString(kPort), QStringLiteral("COM2"));
}

void TestSettingsStore::missingHiveIsEmpty()
{
    SettingsHive hive(userFile());
    QVERIFY(!hive.keyExists(QStringLiteral("\\Software")));
    QVERIFY(hive.isWritable());
    QVERIFY(m_messages->texts().isEmpty());
    QVERIFY(!QFileInfo::exists(userFile()));
}

void TestSettingsStore::corruptHiveIsSetAside_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("cut short") << QByteArray(R"({"version": 1, "root": {"keys": {"Software": {)");
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("binary") << QByteArray("\x00\xff\xfe\x01 garbage", 12);
    QTest::newRow("other shape") << QByteArray("[1, 2, 3]");
    QTest::newRow("other version") << QByteArray(R"({"version": 2, "root": {}})");
    QTest::newRow("unknown field") << QByteArray(R"({"version": 1, "root": {"vals": {}}})");
    QTest::newRow("fraction") << QByteArray(R"({"version": 1, "root": {"values": {"DialMode": 1.5}}})");
    QTest::newRow("beyond 32 bits") << QByteArray(
        R"({"version": 1, "root": {"values": {"DialMode": 4294967296}}})");
    QTest::newRow("boolean") << QByteArray(R"({"version": 1, "root": {"values": {"SystemTray": true}}})");
    QTest::newRow("key names differing in case")
        << QByteArray(R"({"version": 1, "root": {"keys": {"Software": {}, "SOFTWARE": {}}}})");
    QTest::newRow("value names differing in case")
        << QByteArray(R"({"version": 1, "root": {"values": {"Port": "COM1", "PORT": "COM2"}}})");
    QTest::newRow("separator in a key name")
        << QByteArray(R"({"version": 1, "root": {"keys": {"Software\\Nuvek": {}}}})");
}

void TestSettingsStore::corruptHiveIsSetAside()
{
    QFETCH(QByteArray, content);
    writeFile(userFile(), content);
    const QString copy = userFile() + QStringLiteral(".bad");

    SettingsHive hive(userFile());
    QCOMPARE(m_messages->shown().size(), 1);
    QCOMPARE(m_messages->shown().first().kind, QStringLiteral("message"));
    const QString text = m_messages->shown().first().text;
    QVERIFY2(text.contains(userFile() + QLatin1Char(' ')), qPrintable(text));
    QVERIFY2(text.contains(copy), qPrintable(text));
    QVERIFY(!QFileInfo::exists(userFile()));
    QCOMPARE(readFile(copy), content);

    // The program goes on with an empty hive that saves to a new file.
    QVERIFY(!hive.keyExists(QStringLiteral("\\Software")));
    settingsKey(hive).writeInteger(kDialMode, 1);
    QCOMPARE(settingsKey(hive).readInteger(kDialMode), 1);
    QCOMPARE(readFile(copy), content);
    QCOMPARE(m_messages->shown().size(), 1);

    SettingsHive reloaded(userFile());
    QCOMPARE(settingsKey(reloaded).readInteger(kDialMode), 1);
    QCOMPARE(m_messages->shown().size(), 1);
}

void TestSettingsStore::unreadableHiveIsSetAside()
{
    QVERIFY(QDir().mkpath(userFile()));
    writeFile(userFile() + QStringLiteral("/inside"), "kept");

    SettingsHive hive(userFile());
    QCOMPARE(m_messages->texts().size(), 1);
    QVERIFY(m_messages->texts().first().contains(userFile() + QStringLiteral(".bad")));
    QCOMPARE(readFile(userFile() + QStringLiteral(".bad/inside")), QByteArray("kept"));
    settingsKey(hive).writeInteger(kDialMode, 1);
    QVERIFY(QFileInfo(userFile()).isFile());
}

void TestSettingsStore::earlierCopiesAreNotOverwritten()
{
    writeFile(userFile() + QStringLiteral(".bad"), "first");
    writeFile(userFile() + QStringLiteral(".bad.1"), "second");
    writeFile(userFile(), "third {");

    SettingsHive hive(userFile());
    QCOMPARE(readFile(userFile() + QStringLiteral(".bad")), QByteArray("first"));
    QCOMPARE(readFile(userFile() + QStringLiteral(".bad.1")), QByteArray("second"));
    QCOMPARE(readFile(userFile() + QStringLiteral(".bad.2")), QByteArray("third {"));
    QCOMPARE(m_messages->texts().size(), 1);
    QVERIFY(m_messages->texts().first().contains(userFile() + QStringLiteral(".bad.2")));
}

void TestSettingsStore::storeFollowsConfigHome_data()
{
    QTest::addColumn<QString>("configured"); // "<temp>" stands for the temporary folder
    QTest::addColumn<QString>("expected");
    const QString home = QDir::homePath() + QStringLiteral("/.config");
    QTest::newRow("set") << "<temp>"
                         << "<temp>";
    QTest::newRow("unset") << QString() << home;
    QTest::newRow("relative") << "relative/config" << home;
}

void TestSettingsStore::storeFollowsConfigHome()
{
    QFETCH(QString, configured);
    QFETCH(QString, expected);
    configured.replace(QStringLiteral("<temp>"), configHome());
    expected.replace(QStringLiteral("<temp>"), configHome());
    if (configured.isEmpty())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(configured));
    resetSettingsStore();

    QCOMPARE(settingsStore().configHome(), expected);
    QCOMPARE(settingsStore().user().filePath(), expected + QStringLiteral("/orvanta-light/user.json"));
    QCOMPARE(settingsStore().machine().filePath(), expected + QStringLiteral("/orvanta-light/machine.json"));
    QCOMPARE(settingsStore().startupEntry().filePath(),
             expected + QStringLiteral("/autostart/orvanta-light.desktop"));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome()));
}

void TestSettingsStore::programSettingsOnFirstStart()
{
    SettingsHive hive(userFile());
    const ProgramSettings settings(hive);
    QCOMPARE(settings.port(), QStringLiteral("COM1"));
    QCOMPARE(settings.dialMode(), 0);
    QCOMPARE(settings.callMask(), std::nullopt);
    QCOMPARE(settings.pluginCallMask(), QStringLiteral("000-000-0000;0;_"));
    QCOMPARE(settings.path(), QString());
    QVERIFY(!settings.systemTray());
    QVERIFY(!settings.screenLayout());
    QVERIFY(!settings.mainLayout());
    QVERIFY(!settings.startUp());
    // Reading opened the key for writing, so it is there now, empty.
    SettingsHive reloaded(userFile());
    QVERIFY(reloaded.keyExists(kSettingsKey));
    QVERIFY(settingsKey(reloaded).valueNames().isEmpty());
}

void TestSettingsStore::programSettingsWhenKeyCannotBeOpened()
{
    blockFolder(settingsFolder());
    SettingsHive hive(userFile());
    ProgramSettings settings(hive);
    QVERIFY(!settings.openKey());
    QCOMPARE(settings.port(), QStringLiteral("COM1"));
    QCOMPARE(settings.dialMode(), 0);
    QCOMPARE(settings.pluginCallMask(), QString());
    QCOMPARE(settings.callMask(), std::nullopt);
    QVERIFY(!settings.systemTray());
    QCOMPARE(errorOf([&] { settings.setScreenLayout(false); }),
             QStringLiteral("Failed to set data for 'ScreenLayout'"));
    QCOMPARE(errorOf([&] { settings.setPort(QStringLiteral("COM1")); }),
             QStringLiteral("Failed to set data for 'Port'"));
}

void TestSettingsStore::programSettingsRoundTrip()
{
    {
        SettingsHive hive(userFile());
        ProgramSettings settings(hive);
        settings.setSystemTray(true);
        settings.setScreenLayout(true);
        settings.setMainLayout(false);
        settings.setStartUp(true);
        settings.setCallMask(QStringLiteral("(000) 000-0000;1;_"));
        settings.setDialMode(-1);
        settings.setPort(QStringLiteral("/dev/ttyUSB0"));
        settingsKey(hive).writeString(kPath, QStringLiteral("/srv/tesmora"));
    }
    SettingsHive hive(userFile());
    const ProgramSettings settings(hive);
    QVERIFY(settings.systemTray());
    QVERIFY(settings.screenLayout());
    QVERIFY(!settings.mainLayout());
    QVERIFY(settings.startUp());
    QCOMPARE(settings.callMask(), QStringLiteral("(000) 000-0000;1;_"));
    QCOMPARE(settings.pluginCallMask(), QStringLiteral("(000) 000-0000;1;_"));
    QCOMPARE(settings.dialMode(), -1);
    QCOMPARE(settings.port(), QStringLiteral("/dev/ttyUSB0"));
    QCOMPARE(settings.path(), QStringLiteral("/srv/tesmora"));
    const SettingsKey key = settingsKey(hive);
    QCOMPARE(key.readInteger(kMainLayout), 0);
    QCOMPARE(key.readInteger(kScreenLayout), 1);
}

void TestSettingsStore::programSettingsOfWrongType_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QVariant>("stored");
    QTest::newRow("Port") << kPort << QVariant(1);
    QTest::newRow("DialMode") << kDialMode << QVariant(QStringLiteral("1"));
    QTest::newRow("SystemTray") << kSystemTray << QVariant(QStringLiteral("on"));
    QTest::newRow("CallMask") << kCallMask << QVariant(0);
    QTest::newRow("Path") << kPath << QVariant(0);
}

void TestSettingsStore::programSettingsOfWrongType()
{
    QFETCH(QString, name);
    QFETCH(QVariant, stored);
    SettingsHive hive(userFile());
    SettingsKey key = settingsKey(hive);
    if (stored.typeId() == QMetaType::QString)
        key.writeString(name, stored.toString());
    else
        key.writeInteger(name, stored.toInt());

    const ProgramSettings settings(hive);
    const QString expected = QStringLiteral("Invalid data type for '%1'").arg(name);
    QCOMPARE(errorOf([&] {
                 if (name == kPort)
                     settings.port();
                 else if (name == kDialMode)
                     settings.dialMode();
                 else if (name == kSystemTray)
                     settings.systemTray();
                 else if (name == kCallMask)
                     settings.callMask();
                 else
                     settings.path();
             }),
             expected);
    if (name == kCallMask)
        QCOMPARE(errorOf([&] { settings.pluginCallMask(); }), expected);
}

namespace {

// A main window layout as the layout store leaves it: placement, pane
// heights, sort flags and both grids' columns.
void storeMainWindowLayout(SettingsHive& hive)
{
    const QString prefix = kSettingsKey + QLatin1Char('\\');
    SettingsKey form = *hive.openKey(prefix + kFormKey, true);
    form.writeInteger(QStringLiteral("Left"), 40);
    form.writeBool(kSortByName, false);
    for (const QString& height : { kClientsHeight, kParamsHeight, kHistoryHeight })
        form.writeInteger(height, 120);
    for (const QString& columns : { kClientsColumnsKey, kParamsColumnsKey })
        hive.openKey(prefix + columns, true)->writeInteger(QStringLiteral("Count"), 3);
}

} // namespace

void TestSettingsStore::layoutOptionsAtStart_data()
{
    QTest::addColumn<QVariant>("screenLayout"); // invalid: not stored
    QTest::addColumn<QVariant>("mainLayout");
    QTest::addColumn<bool>("controlsKept");
    QTest::addColumn<bool>("active");

    QTest::newRow("neither stored") << QVariant() << QVariant() << false << false;
    QTest::newRow("both off") << QVariant(false) << QVariant(false) << false << false;
    QTest::newRow("window only") << QVariant(true) << QVariant(false) << false << true;
    QTest::newRow("controls only") << QVariant(false) << QVariant(true) << true << true;
    QTest::newRow("both on") << QVariant(true) << QVariant(true) << true << true;
}

void TestSettingsStore::layoutOptionsAtStart()
{
    QFETCH(QVariant, screenLayout);
    QFETCH(QVariant, mainLayout);
    QFETCH(bool, controlsKept);
    QFETCH(bool, active);
    {
        SettingsHive hive(userFile());
        storeMainWindowLayout(hive);
        SettingsKey key = settingsKey(hive);
        if (screenLayout.isValid())
            key.writeBool(kScreenLayout, screenLayout.toBool());
        if (mainLayout.isValid())
            key.writeBool(kMainLayout, mainLayout.toBool());
    }
    {
        SettingsHive hive(userFile());
        const StartupSettings read = readStartupSettings(hive);
        QCOMPARE(read.screenLayout, screenLayout.toBool());
        QCOMPARE(read.mainLayout, mainLayout.toBool());
        QCOMPARE(read.layoutStoreActive, active);
    }
    // What was dropped is gone from the file, not only from memory.
    SettingsHive hive(userFile());
    const QString prefix = kSettingsKey + QLatin1Char('\\');
    QCOMPARE(hive.keyExists(prefix + kClientsColumnsKey), controlsKept);
    QCOMPARE(hive.keyExists(prefix + kParamsColumnsKey), controlsKept);
    const SettingsKey form = *hive.openKey(prefix + kFormKey, false);
    for (const QString& height : { kClientsHeight, kParamsHeight, kHistoryHeight })
        QCOMPARE(form.valueExists(height), controlsKept);
    // The window's placement and the sort state are not the controls' layout.
    QCOMPARE(form.readInteger(QStringLiteral("Left")), 40);
    QCOMPARE(form.readBool(kSortByName), false);
}

void TestSettingsStore::startWithoutStoredLayoutCreatesNoFormKey()
{
    SettingsHive hive(userFile());
    const StartupSettings read = readStartupSettings(hive);
    QVERIFY(!read.layoutStoreActive);
    QVERIFY(!read.systemTray);
    QCOMPARE(read.callMask, std::nullopt);
    QVERIFY(!read.pathApplied);
    QCOMPARE(QDir::currentPath(), m_startDirectory);
    QVERIFY(hive.keyExists(kSettingsKey));
    QCOMPARE(settingsKey(hive).subkeyNames(), QStringList());
}

void TestSettingsStore::trayAndMaskAtStart_data()
{
    QTest::addColumn<QVariant>("systemTray");
    QTest::addColumn<QVariant>("callMask");
    QTest::addColumn<bool>("tray");
    QTest::newRow("nothing stored") << QVariant() << QVariant() << false;
    QTest::newRow("tray off") << QVariant(0) << QVariant() << false;
    QTest::newRow("tray on") << QVariant(1) << QVariant() << true;
    QTest::newRow("tray by any non-zero") << QVariant(2) << QVariant() << true;
    QTest::newRow("mask") << QVariant() << QVariant(QStringLiteral("000-000-0000;0;_")) << false;
    QTest::newRow("empty mask") << QVariant(1) << QVariant(QString()) << true;
}

void TestSettingsStore::trayAndMaskAtStart()
{
    QFETCH(QVariant, systemTray);
    QFETCH(QVariant, callMask);
    QFETCH(bool, tray);
    SettingsHive hive(userFile());
    SettingsKey key = settingsKey(hive);
    if (systemTray.isValid())
        key.writeInteger(kSystemTray, systemTray.toInt());
    if (callMask.isValid())
        key.writeString(kCallMask, callMask.toString());

    const StartupSettings read = readStartupSettings(hive);
    QCOMPARE(read.systemTray, tray);
    QCOMPARE(read.callMask.has_value(), callMask.isValid());
    if (callMask.isValid())
        QCOMPARE(*read.callMask, callMask.toString());
}

void TestSettingsStore::wrongTypeStopsStartupReading_data()
{
    QTest::addColumn<QString>("wrong");
    QTest::addColumn<bool>("pathApplied");
    QTest::addColumn<bool>("tray");
    QTest::addColumn<bool>("mask");
    QTest::addColumn<bool>("screenLayout");

    QTest::newRow("Path") << kPath << false << false << false << false;
    QTest::newRow("SystemTray") << kSystemTray << true << false << false << false;
    QTest::newRow("CallMask") << kCallMask << true << true << false << false;
    QTest::newRow("ScreenLayout") << kScreenLayout << true << true << true << false;
    QTest::newRow("MainLayout") << kMainLayout << true << true << true << true;
}

void TestSettingsStore::wrongTypeStopsStartupReading()
{
    QFETCH(QString, wrong);
    QFETCH(bool, pathApplied);
    QFETCH(bool, tray);
    QFETCH(bool, mask);
    QFETCH(bool, screenLayout);

    const QTemporaryDir dataFolder;
    SettingsHive hive(userFile());
    storeMainWindowLayout(hive);
    SettingsKey key = settingsKey(hive);
    key.writeString(kPath, dataFolder.path());
    key.writeBool(kSystemTray, true);
    key.writeString(kCallMask, QStringLiteral("000-000-0000;0;_"));
    key.writeBool(kScreenLayout, true);
    key.writeBool(kMainLayout, false);
    if (wrong == kPath || wrong == kCallMask)
        key.writeInteger(wrong, 1);
    else
        key.writeString(wrong, QStringLiteral("1"));

    StartupSettings read;
    QCOMPARE(errorOf([&] { readStartupSettings(hive, read); }),
             QStringLiteral("Invalid data type for '%1'").arg(wrong));
    QCOMPARE(read.pathApplied, pathApplied);
    QCOMPARE(QDir::currentPath() == QDir(dataFolder.path()).canonicalPath(), pathApplied);
    QCOMPARE(read.systemTray, tray);
    QCOMPARE(read.callMask.has_value(), mask);
    QCOMPARE(read.screenLayout, screenLayout);
    QVERIFY(!read.layoutStoreActive);
    // The reading stopped before it dropped anything.
    QVERIFY(hive.keyExists(kSettingsKey + QLatin1Char('\\') + kClientsColumnsKey));
}

void TestSettingsStore::dataPathAtStart_data()
{
    QTest::addColumn<QString>("path"); // "<data>" stands for a folder without a database
    QTest::addColumn<bool>("applied");
    QTest::newRow("folder without database") << "<data>" << true;
    QTest::newRow("folder that does not exist") << "<data>/missing" << false;
    QTest::newRow("a file") << "<data>/Tesmora.txt" << false;
    QTest::newRow("empty") << QString() << false;
}

void TestSettingsStore::dataPathAtStart()
{
    QFETCH(QString, path);
    QFETCH(bool, applied);
    const QTemporaryDir dataFolder;
    writeFile(dataFolder.path() + QStringLiteral("/Tesmora.txt"), "not a folder");
    path.replace(QStringLiteral("<data>"), dataFolder.path());

    SettingsHive hive(userFile());
    settingsKey(hive).writeString(kPath, path);
    const StartupSettings read = readStartupSettings(hive);
    QCOMPARE(read.path, path);
    QCOMPARE(read.pathApplied, applied);
    QCOMPARE(QDir::currentPath(), applied ? QDir(dataFolder.path()).canonicalPath() : m_startDirectory);
    // The main window then looks for its database here, and misses it.
    if (applied)
        QVERIFY(!QFileInfo::exists(QStringLiteral("Tesmora.sdb")));
}

void TestSettingsStore::startupEntryWritten_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("exec");
    QTest::newRow("plain path") << "/usr/bin/Tesmora"
                                << "/usr/bin/Tesmora";
    QTest::newRow("blank in path") << "/opt/Orvanta Light/Tesmora"
                                   << "\"/opt/Orvanta Light/Tesmora\"";
    QTest::newRow("quote in path") << "/home/jo/jo's/Tesmora"
                                   << "\"/home/jo/jo's/Tesmora\"";
    // Quoting escapes " ` $ and \ with a backslash; the key file then doubles
    // every backslash once more.
    QTest::newRow("escaped characters") << R"(/opt/a"b$c`d\e/Tesmora)"
                                        << R"("/opt/a\\"b\\$c\\`d\\\\e/Tesmora")";
    QTest::newRow("percent sign") << "/opt/100%/Tesmora"
                                  << "/opt/100%%/Tesmora";
    QTest::newRow("percent and blank") << "/opt/100 %/Tesmora"
                                       << "\"/opt/100 %%/Tesmora\"";
}

void TestSettingsStore::startupEntryWritten()
{
    QFETCH(QString, program);
    QFETCH(QString, exec);
    const StartupEntry entry = settingsStore().startupEntry();
    QVERIFY(!entry.exists());
    entry.write(program);
    QVERIFY(entry.exists());
    QCOMPARE(entry.filePath(), configHome() + QStringLiteral("/autostart/orvanta-light.desktop"));
    const QStringList lines
        = QString::fromUtf8(readFile(entry.filePath())).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines,
             (QStringList { QStringLiteral("[Desktop Entry]"), QStringLiteral("Type=Application"),
                            QStringLiteral("Name=Orvanta Light"), QStringLiteral("Exec=") + exec }));
    QCOMPARE(entry.program(), program);
}

void TestSettingsStore::startupEntryFollowsApply()
{
    const StartupEntry entry = settingsStore().startupEntry();
    entry.apply(false, QStringLiteral("/usr/bin/Tesmora"));
    QVERIFY(!entry.exists());
    entry.apply(true, QStringLiteral("/usr/bin/Tesmora"));
    QVERIFY(entry.exists());
    // Each Apply while checked writes the program's current path.
    entry.apply(true, QStringLiteral("/opt/new/Tesmora"));
    QCOMPARE(entry.program(), QStringLiteral("/opt/new/Tesmora"));
    entry.apply(false, QStringLiteral("/opt/new/Tesmora"));
    QVERIFY(!entry.exists());
    QVERIFY(QDir(configHome() + QStringLiteral("/autostart")).isEmpty());
}

void TestSettingsStore::startupEntryRefused_data()
{
    QTest::addColumn<QString>("blocked");
    QTest::addColumn<bool>("checked");
    QTest::newRow("autostart folder is a file, writing") << "folder" << true;
    QTest::newRow("entry is a folder, writing") << "entry" << true;
    QTest::newRow("entry is a folder, removing") << "entry" << false;
}

void TestSettingsStore::startupEntryRefused()
{
    QFETCH(QString, blocked);
    QFETCH(bool, checked);
    const StartupEntry entry = settingsStore().startupEntry();
    if (blocked == QLatin1String("folder"))
        writeFile(configHome() + QStringLiteral("/autostart"), "in the way");
    else
        writeFile(entry.filePath() + QStringLiteral("/inside"), "in the way");

    QCOMPARE(errorOf([&] { entry.apply(checked, QStringLiteral("/usr/bin/Tesmora")); }),
             QStringLiteral("Failed to set data for 'Orvanta Light'"));
    QCOMPARE(readFile(blocked == QLatin1String("folder") ? configHome() + QStringLiteral("/autostart")
                                                         : entry.filePath() + QStringLiteral("/inside")),
             QByteArray("in the way"));
    // The user's settings stay where they are and still take writes.
    ProgramSettings settings(settingsStore().user());
    settings.setStartUp(checked);
    QCOMPARE(ProgramSettings(settingsStore().user()).startUp(), checked);
    SettingsHive reloaded(userFile());
    QCOMPARE(settingsKey(reloaded).readBool(kStartUp), checked);
}

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_SettingsStore.moc"
