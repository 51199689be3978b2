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
    void serializedValuesAreDroppedBeforeQtReadsThem_data();
    void serializedValuesAreDroppedBeforeQtReadsThem();
    void fileThatCannotBeMendedIsLeftAsItIs();
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

// A list of 0x7fffffff elements: Qt would try to reserve room for all of them.
#define HUGE_LIST "@Variant(\\0\\0\\0\\t\\x7f\\xff\\xff\\xff)"

void TestSettingsStore::serializedValuesAreDroppedBeforeQtReadsThem_data()
{
    QTest::addColumn<QByteArray>("lines");   // written after two ordinary keys
    QTest::addColumn<QString>("droppedKey"); // empty: the line is kept
    QTest::addColumn<QString>("keptValue");  // the value Qt reads from a kept line

    QTest::newRow("list with a huge count") << QByteArray("k=" HUGE_LIST) << "k" << QString();
    QTest::newRow("date and time") << QByteArray("k=@DateTime(\\0\\0\\0\\x10\\x7f\\xff)") << "k" << QString();
    QTest::newRow("hex-escaped at sign")
        << QByteArray("k=\\x40Variant(\\0\\0\\0\\t\\x7f\\xff\\xff\\xff)") << "k" << QString();
    QTest::newRow("octal-escaped at sign")
        << QByteArray("k=\\100Variant(\\0\\0\\0\\t\\x7f\\xff\\xff\\xff)") << "k" << QString();
    QTest::newRow("hex escape past 16 bits")
        << QByteArray("k=\\x10040Variant(\\0\\0\\0\\t\\x7f\\xff\\xff\\xff)") << "k" << QString();
    QTest::newRow("quoted") << QByteArray("k=\"" HUGE_LIST "\"") << "k" << QString();
    QTest::newRow("after an empty quote") << QByteArray("k=\"\" " HUGE_LIST) << "k" << QString();
    QTest::newRow("second list element") << QByteArray("k=a, " HUGE_LIST) << "k" << QString();
    QTest::newRow("after an escaped line end") << QByteArray("k=\\\n" HUGE_LIST) << "k" << QString();
    QTest::newRow("in another section") << QByteArray("[other]\nk=" HUGE_LIST) << "other/k" << QString();
    QTest::newRow("key spelt with blanks") << QByteArray("  k  =  " HUGE_LIST "  ") << "k" << QString();

    QTest::newRow("byte array") << QByteArray("k=@ByteArray(abc)") << QString() << "abc";
    QTest::newRow("escaped at sign of a text") << QByteArray("k=@@Variant(x)") << QString() << "@Variant(x)";
    QTest::newRow("Cyrillic file name")
        << QByteArray("k=\\x444\\x430\\x439\\x43b.txt") << QString() << QStringLiteral("файл.txt");
    QTest::newRow("not at the start") << QByteArray("k=x@Variant(1)") << QString() << "x@Variant(1)";
    QTest::newRow("comment line") << QByteArray(";k=" HUGE_LIST "\nk=1") << QString() << "1";
}

void TestSettingsStore::serializedValuesAreDroppedBeforeQtReadsThem()
{
    QFETCH(QByteArray, lines);
    QFETCH(QString, droppedKey);
    QFETCH(QString, keptValue);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("settings.cfg"));
    const QString backup = CSettings::backupFilePath(path);
    const QByteArray original = "[General]\nlanguage=ru\nheight=700\n" + lines + "\n";
    writeFile(path, original, 0644);

    if (!droppedKey.isEmpty())
        QTest::ignoreMessage(QtCriticalMsg, QRegularExpression(QStringLiteral("dropped: .*k")));
    CSettings store(path);
    QCOMPARE(store.value(QStringLiteral("language")).toString(), QStringLiteral("ru"));
    QCOMPARE(store.value(QStringLiteral("height")).toInt(), 700);
    if (droppedKey.isEmpty()) {
        QCOMPARE(store.value(QStringLiteral("k")).toString(), keptValue);
        QCOMPARE(readFile(path), original);
        QVERIFY(!QFile::exists(backup));
        return;
    }
    QVERIFY(!store.allKeys().contains(droppedKey));
    QCOMPARE(readFile(backup), original);
    QCOMPARE(fileMode(backup), 0600);
    QCOMPARE(fileMode(path), 0600);
    const QByteArray value = lines.mid(lines.lastIndexOf('=') + 1).trimmed();
    QVERIFY(!readFile(path).contains(value));
    QVERIFY(store.store(CSettings::width, 1280));
    QCOMPARE(CSettings(path).value(QStringLiteral("width")).toInt(), 1280);
    QCOMPARE(readFile(backup), original); // the first copy stays
}

void TestSettingsStore::fileThatCannotBeMendedIsLeftAsItIs()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("settings.cfg"));
    const QByteArray original = "[General]\nlanguage=ru\nwidth=" HUGE_LIST "\n";
    writeFile(path, original, 0600);
    // A folder where the backup should go: no copy of the original can be kept, so the file is
    // not rewritten either.
    QVERIFY(QDir().mkpath(CSettings::backupFilePath(path) + QStringLiteral("/inside")));

    QTest::ignoreMessage(QtCriticalMsg, QRegularExpression(QStringLiteral("dropped: width")));
    CSettings store(path);
    QCOMPARE(store.filePath(), path);
    QCOMPARE(store.value(QStringLiteral("language")).toString(), QStringLiteral("ru"));
    QVERIFY(!store.contains(QStringLiteral("width")));
    QVERIFY(!store.store(CSettings::language, QStringLiteral("en")));
    QCOMPARE(store.value(QStringLiteral("language")).toString(), QStringLiteral("en")); // kept for this run
    QCOMPARE(readFile(path), original);
}

RAVLO_REGISTER_TEST(TestSettingsStore)
#include "tst_settings.moc"
