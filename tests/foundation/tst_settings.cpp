#include "common/TestRegistry.h"
#include "foundation/CSettings.h"

#include <QDir>
#include <QFile>
#include <QMetaEnum>
#include <QTemporaryDir>
#include <QtTest>

#include <limits>
#include <sys/stat.h>
#include <type_traits>

namespace {

int fileMode(const QString& path)
{
    struct stat info;
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 0777) : -1;
}

void writeFile(const QString& path, const QByteArray& content, int mode)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(content) == content.size());
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
    void defaultsAndOutOfRangeMembers();
    void remembermeSurvivesNewStoreOnSameFile();
    void fileIsPrivateAfterEveryWrite_data();
    void fileIsPrivateAfterEveryWrite();
    void partlyUnreadableFileIsBackedUpBeforeFirstWrite();
    void unwritableFileIsReported();
};

void TestSettingsStore::defaultsAndOutOfRangeMembers()
{
    QCOMPARE(CSettings::readValue(CSettings::width, 640).toInt(), 640);
    QVERIFY(CSettings::readValue(CSettings::language).isNull());
    QCOMPARE(CSettings::readValue(CSettings::wsProtocol, 0).toInt(), 0);

    QVERIFY(CSettings::writeValue(CSettings::language, QStringLiteral("ru")));
    const QByteArray before = readFile(CSettings::instance()->fileName());
    static_assert(std::is_same<std::underlying_type_t<CSettings::ESettings>, int>::value,
                  "every int must be a value of ESettings");
    for (int outside : {QMetaEnum::fromType<CSettings::ESettings>().keyCount(), -1, 16, 1000,
                        std::numeric_limits<int>::max(), std::numeric_limits<int>::min()}) {
        const auto key = static_cast<CSettings::ESettings>(outside);
        QVERIFY(CSettings::readValue(key, QStringLiteral("default")).isNull());
        QVERIFY(!CSettings::writeValue(key, QStringLiteral("value")));
    }
    QCOMPARE(readFile(CSettings::instance()->fileName()), before);
}

void TestSettingsStore::remembermeSurvivesNewStoreOnSameFile()
{
    QVERIFY(CSettings::writeValue(CSettings::rememberme, true));
    QVERIFY(CSettings::writeValue(CSettings::serverLogin, QStringLiteral("оператор")));
    CSettings reopened(CSettings::instance()->fileName());
    QCOMPARE(reopened.value(QStringLiteral("rememberme")).toBool(), true);
    QCOMPARE(reopened.value(QStringLiteral("serverLogin")).toString(), QStringLiteral("оператор"));
}

void TestSettingsStore::fileIsPrivateAfterEveryWrite_data()
{
    QTest::addColumn<int>("modeBefore"); // 0: no file yet
    QTest::newRow("new file") << 0;
    QTest::newRow("existing 0644") << 0644;
    QTest::newRow("existing 0666") << 0666;
}

void TestSettingsStore::fileIsPrivateAfterEveryWrite()
{
    QFETCH(int, modeBefore);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("settings.cfg"));
    if (modeBefore)
        writeFile(path, "[General]\nlanguage=en\n", modeBefore);

    CSettings store(path);
    for (const QString& password : {QStringLiteral("s3cr#t"), QStringLiteral("n3w")}) {
        QVERIFY(store.store(CSettings::serverPassword, password));
        QCOMPARE(fileMode(path), 0600);
    }
    QCOMPARE(QSettings(path, QSettings::IniFormat).value(QStringLiteral("language")).toString(),
             modeBefore ? QStringLiteral("en") : QString());
}

void TestSettingsStore::partlyUnreadableFileIsBackedUpBeforeFirstWrite()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("settings.cfg"));
    const QString backup = CSettings::backupFilePath(path);
    const QByteArray damaged = "[General]\nserverIpPort=10.0.0.1:8002\n[broken section\n"
                               "loraPresets=\"[{\\\"preset\\\":\\\"P1\\\"}]\"\n";
    writeFile(path, damaged, 0600);

    CSettings store(path);
    QCOMPARE(store.status(), QSettings::FormatError);
    QVERIFY(!QFile::exists(backup));
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression(QStringLiteral("unreadable settings file kept as")));
    QVERIFY(store.store(CSettings::language, QStringLiteral("en")));
    QCOMPARE(readFile(backup), damaged);
    QCOMPARE(fileMode(backup), 0600);
    // Later writes keep the first copy, which still holds the lines Qt dropped.
    QVERIFY(store.store(CSettings::language, QStringLiteral("ru")));
    QCOMPARE(readFile(backup), damaged);

    writeFile(path, "[General]\nlanguage=en\n", 0600);
    QFile::remove(backup);
    CSettings readable(path);
    QVERIFY(readable.store(CSettings::language, QStringLiteral("ru")));
    QVERIFY(!QFile::exists(backup));
}

void TestSettingsStore::unwritableFileIsReported()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("settings.cfg"));
    QVERIFY(QDir().mkdir(path)); // a directory where the file should be: no write can succeed
    CSettings store(path);
    QVERIFY(!store.store(CSettings::loraPresets, QStringLiteral("[]")));
    QCOMPARE(store.value(QStringLiteral("loraPresets")).toString(),
             QStringLiteral("[]")); // kept for this run
}

RAVLO_REGISTER_TEST(TestSettingsStore)
#include "tst_settings.moc"
