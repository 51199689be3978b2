#include "app/CSettings.h"
#include "common/TestRegistry.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

namespace {

int fileMode(const QString& path)
{
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return -1;
    return int(info.st_mode & 0777);
}

void writeFile(const QString& path, const QByteArray& content, int mode)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(content);
    file.close();
    QVERIFY(::chmod(QFile::encodeName(path).constData(), mode_t(mode)) == 0);
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestSettingsStore : public QObject
{
    Q_OBJECT
private slots:
    void readsDefaultsForReservedAndAbsentKeys();
    void outOfRangeMemberReadsNullAndWritesNothing();
    void remembermeSurvivesNewStoreOnSameFile();
    void seedingAddsOnlyMissingKeys();
    void fileIsPrivateAfterEveryWrite_data();
    void fileIsPrivateAfterEveryWrite();
    void partlyUnreadableFileIsBackedUpBeforeFirstWrite();
    void readableFileGetsNoBackup();
};

void TestSettingsStore::readsDefaultsForReservedAndAbsentKeys()
{
    QCOMPARE(CSettings::readValue(CSettings::width, 640).toInt(), 640);
    QCOMPARE(CSettings::readValue(CSettings::height, QStringLiteral("h")).toString(), QStringLiteral("h"));
    QVERIFY(CSettings::readValue(CSettings::language).isNull());
    QCOMPARE(CSettings::readValue(CSettings::rememberme, false).toBool(), false);
    QCOMPARE(CSettings::readValue(CSettings::wsProtocol, 0).toInt(), 0);
    QCOMPARE(CSettings::keyName(CSettings::wsProtocol), QStringLiteral("wsProtocol"));
    QCOMPARE(CSettings::keyName(CSettings::serverIpPort), QStringLiteral("serverIpPort"));
}

void TestSettingsStore::outOfRangeMemberReadsNullAndWritesNothing()
{
    CSettings::instance();
    const QString path = CSettings::instance()->fileName();
    CSettings::writeValue(CSettings::language, QStringLiteral("ru"));
    const QByteArray before = readFile(path);

    const auto outOfRange = static_cast<CSettings::ESettings>(13);
    QVERIFY(CSettings::readValue(outOfRange, QStringLiteral("default")).isNull());
    QVERIFY(!CSettings::writeValue(outOfRange, QStringLiteral("value")));
    QVERIFY(!CSettings::writeValue(static_cast<CSettings::ESettings>(-1), QStringLiteral("value")));
    QCOMPARE(readFile(path), before);
}

void TestSettingsStore::remembermeSurvivesNewStoreOnSameFile()
{
    QVERIFY(CSettings::writeValue(CSettings::rememberme, true));
    QVERIFY(CSettings::writeValue(CSettings::serverLogin, QStringLiteral("оператор")));

    CSettings reopened(CSettings::instance()->fileName());
    QCOMPARE(reopened.value(QStringLiteral("rememberme")).toBool(), true);
    QCOMPARE(reopened.value(QStringLiteral("serverLogin")).toString(), QStringLiteral("оператор"));
}

void TestSettingsStore::seedingAddsOnlyMissingKeys()
{
    CSettings* store = CSettings::instance();
    for (const char* key : {"devicesFileName", "requestsFileName", "responsesFileName", "lastSendEui"})
        store->remove(QLatin1String(key));
    QVERIFY(CSettings::writeValue(CSettings::devicesFileName, QStringLiteral("Custom.txt")));
    QVERIFY(CSettings::writeValue(CSettings::lastSendEui, QString()));

    CSettings::seedFileNameKeys();

    QSettings onDisk(store->fileName(), QSettings::IniFormat);
    QCOMPARE(onDisk.value(QStringLiteral("devicesFileName")).toString(), QStringLiteral("Custom.txt"));
    QCOMPARE(onDisk.value(QStringLiteral("requestsFileName")).toString(), QStringLiteral("Zapros.txt"));
    QCOMPARE(onDisk.value(QStringLiteral("responsesFileName")).toString(), QStringLiteral("Otvet.txt"));
    QVERIFY(onDisk.contains(QStringLiteral("lastSendEui")));
    QCOMPARE(onDisk.value(QStringLiteral("lastSendEui")).toString(), QString());
}

void TestSettingsStore::fileIsPrivateAfterEveryWrite_data()
{
    QTest::addColumn<bool>("existsBefore");
    QTest::addColumn<int>("modeBefore");
    QTest::newRow("new file") << false << 0;
    QTest::newRow("existing 0644") << true << 0644;
    QTest::newRow("existing 0666") << true << 0666;
}

void TestSettingsStore::fileIsPrivateAfterEveryWrite()
{
    QFETCH(bool, existsBefore);
    QFETCH(int, modeBefore);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("settings.cfg"));
    if (existsBefore)
        writeFile(path, "[General]\nlanguage=en\n", modeBefore);

    CSettings store(path);
    QVERIFY(store.store(CSettings::serverPassword, QStringLiteral("s3cr#t")));
    QCOMPARE(fileMode(path), 0600);
    QVERIFY(store.store(CSettings::serverLogin, QStringLiteral("admin")));
    QCOMPARE(fileMode(path), 0600);
    if (existsBefore)
        QCOMPARE(QSettings(path, QSettings::IniFormat).value(QStringLiteral("language")).toString(),
                 QStringLiteral("en"));
}

void TestSettingsStore::partlyUnreadableFileIsBackedUpBeforeFirstWrite()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("settings.cfg"));
    const QByteArray damaged = "[General]\nserverIpPort=10.0.0.1:8002\n[broken section\n"
                               "loraPresets=\"[{\\\"preset\\\":\\\"P1\\\"}]\"\n";
    writeFile(path, damaged, 0600);

    CSettings store(path);
    QCOMPARE(store.status(), QSettings::FormatError);
    QVERIFY(!QFile::exists(CSettings::backupFilePath(path)));

    QTest::ignoreMessage(QtDebugMsg, QRegularExpression(QStringLiteral("unreadable settings file kept as")));
    QVERIFY(store.store(CSettings::language, QStringLiteral("en")));
    QCOMPARE(readFile(CSettings::backupFilePath(path)), damaged);
    QCOMPARE(fileMode(CSettings::backupFilePath(path)), 0600);

    // A second write keeps the first copy: it still holds the original lines.
    QVERIFY(store.store(CSettings::language, QStringLiteral("ru")));
    QCOMPARE(readFile(CSettings::backupFilePath(path)), damaged);
}

void TestSettingsStore::readableFileGetsNoBackup()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("settings.cfg"));
    writeFile(path, "[General]\nlanguage=en\n", 0600);
    CSettings store(path);
    QCOMPARE(store.status(), QSettings::NoError);
    QVERIFY(store.store(CSettings::language, QStringLiteral("ru")));
    QVERIFY(!QFile::exists(CSettings::backupFilePath(path)));
}

RAVLO_REGISTER_TEST(TestSettingsStore)
#include "tst_settings.moc"
