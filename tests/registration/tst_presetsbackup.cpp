#include "common/TestRegistry.h"
#include "registration/LoRaPresetJson.h"
#include "registration/PresetsBackup.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

// Stored presets that cannot be read are told apart from readable ones, and are copied aside,
// never over an earlier copy, before anything replaces them.
class TestPresetsBackup : public QObject
{
    Q_OBJECT
private slots:
    void storedTextIsChecked_data();
    void storedTextIsChecked();
    void copiesNeverOverwriteEachOther();
    void unwritableFolderGivesNoPath();
};

void TestPresetsBackup::storedTextIsChecked_data()
{
    using Problem = LoRaPresetJson::Stored::Problem;
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("problem");
    QTest::addColumn<QString>("repeatedKey");
    QTest::addColumn<int>("presets");
    QTest::newRow("nothing stored") << QString() << int(Problem::none) << QString() << 0;
    QTest::newRow("empty list") << "[]" << int(Problem::none) << QString() << 0;
    QTest::newRow("two presets, same keys in each")
        << R"([{"preset":"A","settings":{}},{"preset":"B","settings":{}}])" << int(Problem::none) << QString()
        << 2;
    QTest::newRow("repeated key") << R"([{"preset":"A","preset":"B"}])" << int(Problem::repeatedKey)
                                  << "preset" << 0;
    QTest::newRow("repeated non-empty objects")
        << R"([{"preset":"A","settings":{"device":{}},"settings":{"device":{}}}])"
        << int(Problem::repeatedKey) << "settings" << 0;
    QTest::newRow("long repeated key, shortened")
        << QString(R"([{"%1":1,"%1":2}])").arg(QString(100, 'k')) << int(Problem::repeatedKey)
        << QString(40, 'k') + "..." << 0;
    QTest::newRow("an object") << R"({"preset":"A"})" << int(Problem::notArray) << QString() << 0;
    QTest::newRow("not JSON") << "presets" << int(Problem::notJson) << QString() << 0;
    QTest::newRow("blanks") << "  " << int(Problem::notJson) << QString() << 0;
}

void TestPresetsBackup::storedTextIsChecked()
{
    QFETCH(QString, text);
    const LoRaPresetJson::Stored stored = LoRaPresetJson::checkStored(text);
    QTEST(int(stored.problem), "problem");
    QTEST(stored.repeatedKey, "repeatedKey");
    QTEST(int(stored.presets.size()), "presets");
    QCOMPARE(LoRaPresetJson::readStored(text), stored.presets);
}

void TestPresetsBackup::copiesNeverOverwriteEachOther()
{
    QTemporaryDir dir;
    const QString settings = dir.filePath("settings.cfg");
    const QDateTime now(QDate(2026, 3, 14), QTime(9, 26, 53));
    const QString first = PresetsBackup::keep(QStringLiteral(R"([{"a":1,"a":2}])"), settings, now);
    const QString second = PresetsBackup::keep(QStringLiteral("Пресеты"), settings, now);
    const QString third = PresetsBackup::keep(QStringLiteral("{}"), settings, now);
    QCOMPARE(first, dir.filePath("settings.cfg.presets-20260314-092653.bak"));
    QCOMPARE(second, dir.filePath("settings.cfg.presets-20260314-092653-2.bak"));
    QCOMPARE(third, dir.filePath("settings.cfg.presets-20260314-092653-3.bak"));
    for (const auto& [path, text] : {std::pair<QString, QByteArray>{first, R"([{"a":1,"a":2}])"},
                                     {second, QStringLiteral("Пресеты").toUtf8()},
                                     {third, "{}"}}) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), text);
        QCOMPARE(file.permissions() & (QFileDevice::ReadOther | QFileDevice::WriteOther),
                 QFileDevice::Permissions());
    }
}

void TestPresetsBackup::unwritableFolderGivesNoPath()
{
    QTemporaryDir dir;
    QCOMPARE(PresetsBackup::keep(QStringLiteral("x"), dir.filePath("missing/settings.cfg")), QString());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList());
}

RAVLO_REGISTER_TEST(TestPresetsBackup)
#include "tst_presetsbackup.moc"
