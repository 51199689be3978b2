#include "common/TestRegistry.h"
#include "intake/KeyFile.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString appKey = QStringLiteral("2B7E151628AED2A6ABF7158809CF4F3C");
const QString appsKey = QStringLiteral("0A0B0C0D0E0F10111213141516171819");
const QString nwksKey = QStringLiteral("F0E0D0C0B0A090807060504030201000");

QString describe(const KeyFile::Entry* e)
{
    if (!e)
        return QStringLiteral("none");
    return QStringList{e->devEui,  e->appEui, e->appKey, QString::number(e->devAddress, 16),
                       e->appsKey, e->nwksKey}
        .join(QLatin1Char('|'));
}

QString describe(const LoRaDevice& d)
{
    return QStringList{d.devEui, d.appEui, d.appKey, QString::number(d.devAddress, 16), d.appsKey, d.nwksKey}
        .join(QLatin1Char('|'));
}

bool writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

// Two devices of the maker: one OTAA, one ABP.
KeyFile makersFile()
{
    KeyFile keys;
    keys.loadText(QStringLiteral("DevEUI=70b3d57ed0001234 AppEUI=70b3d57ed0000001 AppKey=%1\n"
                                 "DevEUI=70B3D57ED0005678 DevAdd=26011bda AppSKey=%2 NwkSKey=%3\n")
                      .arg(appKey.toLower(), appsKey, nwksKey));
    return keys;
}

} // namespace

class TestKeyFile : public QObject
{
    Q_OBJECT
private slots:
    void readsLines_data();
    void readsLines();
    void failedLoadKeepsTheKeysHeld();
    void completesScannedDevices_data();
    void completesScannedDevices();
};

void TestKeyFile::readsLines_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("lookup");   // DevEUI looked up after loading
    QTest::addColumn<QString>("expected"); // the entry found, or "none"
    QTest::addColumn<int>("entries");
    QTest::addColumn<int>("skipped");
    const QString k = appKey;
    const auto row = [](const char* name, const QString& text, const QString& lookup, const QString& expected,
                        int entries, int skipped) {
        QTest::newRow(name) << text << lookup << expected << entries << skipped;
    };
    row("OTAA, any order, upper-cased", "AppKey=" + k.toLower() + " DevEUI=70b3", "70B3",
        "70B3||" + k + "|0||", 1, 0);
    row("looked up in any case", "DevEUI=70B3 AppKey=" + k, "70b3", "70B3||" + k + "|0||", 1, 0);
    row("ABP with both session keys", "DevEUI=A1 DevAdd=26011bda AppSKey=" + appsKey + " NwkSKey=" + nwksKey,
        "A1", "A1|||26011bda|" + appsKey + "|" + nwksKey, 1, 0);
    row("ABP with one session key only", "DevEUI=A1 AppSKey=" + appsKey + "\nDevEUI=B2 AppKey=" + k, "A1",
        "none", 1, 1);
    row("no DevEUI", "AppEUI=01 AppKey=" + k + "\nDevEUI=B2 AppKey=" + k, "B2", "B2||" + k + "|0||", 1, 1);
    row("token without = sets nothing", "DevEUI AppKey=" + k + "\nDevEUI=B2 AppKey=" + k, "B2",
        "B2||" + k + "|0||", 1, 1);
    row("key matched exactly, not as a part", "xDevEUI=A1 AppKey=" + k + "\nDevEUI=B2 AppKey=" + k, "A1",
        "none", 1, 1);
    row("key matched in its own case only", "deveui=A1 AppKey=" + k + "\nDevEUI=B2 AppKey=" + k, "A1", "none",
        1, 1);
    row("value keeps a second =", "DevEUI=A1 AppKey=ab=cd", "A1", "A1||AB=CD|0||", 1, 0);
    row("CR LF, double blanks, empty lines",
        "DevEUI=A1  AppKey=" + k + "\r\n\r\n  \r\nDevEUI=B2 AppKey=" + k + "\r\n", "A1", "A1||" + k + "|0||",
        2, 0);
    row("a later line for the same DevEUI wins", "DevEUI=A1 AppKey=11\nDevEUI=a1 AppKey=22", "A1",
        "A1||22|0||", 1, 0);
    row("SerNum and unknown keys carry nothing", "DevEUI=A1 SerNum=x AppKey=" + k + " Model=z", "A1",
        "A1||" + k + "|0||", 1, 0);
}

void TestKeyFile::readsLines()
{
    QFETCH(QString, text);
    QFETCH(QString, lookup);
    QFETCH(QString, expected);
    QFETCH(int, entries);
    QFETCH(int, skipped);
    KeyFile keys;
    const KeyFile::LoadResult result = keys.loadText(text);
    QVERIFY2(result.ok(), qPrintable(result.error));
    QCOMPARE(result.entries, entries);
    QCOMPARE(result.skippedLines, skipped);
    QCOMPARE(keys.size(), entries);
    QCOMPARE(describe(keys.find(lookup)), expected);
}

void TestKeyFile::failedLoadKeepsTheKeysHeld()
{
    QTemporaryDir dir;
    KeyFile keys;
    const QString good = dir.filePath(QStringLiteral("keys.csv"));
    QVERIFY(writeFile(good, "DevEUI=A1 AppKey=11\nDevEUI=B2 AppKey=22\n"));
    QVERIFY(keys.load(good).ok());
    QCOMPARE(keys.size(), 2);

    const QString withoutKeys = dir.filePath(QStringLiteral("devices.csv"));
    QVERIFY(writeFile(withoutKeys, "DevEUI=C3 SerNum=1\nheader line\n"));
    const KeyFile::LoadResult noKeys = keys.load(withoutKeys);
    QVERIFY(noKeys.opened && !noKeys.ok() && !noKeys.error.isEmpty());
    QCOMPARE(noKeys.skippedLines, 2);

    const KeyFile::LoadResult missing = keys.load(dir.filePath(QStringLiteral("missing.csv")));
    QVERIFY(!missing.opened && !missing.error.isEmpty());

    QVERIFY(!keys.load(dir.path()).ok()); // a directory
    QCOMPARE(keys.size(), 2);
    QVERIFY(keys.find(QStringLiteral("b2")));
}

void TestKeyFile::completesScannedDevices_data()
{
    QTest::addColumn<LoRaDevice>("scanned");
    QTest::addColumn<bool>("withKeyFile");
    QTest::addColumn<int>("completion"); // KeyFile::Completion
    QTest::addColumn<QString>("expected");
    const auto scan = [](const QString& devEui, const QString& appEui = QString(),
                         const QString& key = QString()) {
        LoRaDevice d;
        d.devEui = devEui;
        d.appEui = appEui;
        d.appKey = key;
        return d;
    };
    const int notApplied = int(KeyFile::Completion::notApplied);
    const int fromKeyFile = int(KeyFile::Completion::fromKeyFile);
    const int noEntry = int(KeyFile::Completion::noEntry);
    QTest::newRow("OTAA keys, AppEUI of the file") << scan("70B3D57ED0001234") << true << fromKeyFile
                                                   << "70B3D57ED0001234|70B3D57ED0000001|" + appKey + "|0||";
    QTest::newRow("scanned AppEUI kept") << scan("70b3d57ed0001234", "0102") << true << fromKeyFile
                                         << "70b3d57ed0001234|0102|" + appKey + "|0||";
    QTest::newRow("ABP keys and DevAddr") << scan("70B3D57ED0005678", "0102") << true << fromKeyFile
                                          << "70B3D57ED0005678|0102||26011bda|" + appsKey + "|" + nwksKey;
    QTest::newRow("scan with its own AppKey")
        << scan("70B3D57ED0001234", "", "AA") << true << notApplied << "70B3D57ED0001234||AA|0||";
    LoRaDevice abp = scan("70B3D57ED0001234");
    abp.appsKey = "S1";
    abp.nwksKey = "S2";
    QTest::newRow("scan with its own session keys")
        << abp << true << notApplied << "70B3D57ED0001234|||0|S1|S2";
    QTest::newRow("unknown DevEUI") << scan("70B3D57ED0009999") << true << noEntry
                                    << "70B3D57ED0009999|||0||";
    QTest::newRow("no DevEUI") << scan("") << true << notApplied << "|||0||";
    QTest::newRow("no key file") << scan("70B3D57ED0001234") << false << notApplied
                                 << "70B3D57ED0001234|||0||";
}

void TestKeyFile::completesScannedDevices()
{
    QFETCH(LoRaDevice, scanned);
    QFETCH(bool, withKeyFile);
    QFETCH(int, completion);
    QFETCH(QString, expected);
    const KeyFile keys = withKeyFile ? makersFile() : KeyFile();
    LoRaDevice device = scanned;
    const KeyFile::Completion done = keys.complete(device);
    QCOMPARE(int(done), completion);
    QCOMPARE(describe(device), expected);
    QCOMPARE(KeyFile::completionText(done).isEmpty(), done == KeyFile::Completion::notApplied);
}

RAVLO_REGISTER_TEST(TestKeyFile)
#include "tst_keyfile.moc"
