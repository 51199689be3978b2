#include "common/TestRegistry.h"
#include "intake/DevicesFile.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

const QByteArray appKey = "2B7E151628AED2A6ABF7158809CF4F3C";

// The fields a file line can set, or "dropped".
QString describe(bool accepted, const LoRaDevice& d)
{
    if (!accepted)
        return QStringLiteral("dropped");
    QStringList fields{d.devEui, d.appEui, d.appKey};
    if (d.devAddress != 0)
        fields << QStringLiteral("addr=") + QString::number(d.devAddress, 16).toUpper();
    if (!d.appsKey.isEmpty())
        fields << QStringLiteral("apps=") + d.appsKey;
    if (!d.nwksKey.isEmpty())
        fields << QStringLiteral("nwks=") + d.nwksKey;
    if (!d.sn.isEmpty())
        fields << QStringLiteral("sn=") + d.sn;
    return fields.join(QLatin1Char('|'));
}

QString lines(const QVector<int>& numbers)
{
    QStringList texts;
    for (int number : numbers)
        texts << QString::number(number);
    return texts.join(QLatin1Char(','));
}

} // namespace

class TestDevicesFile : public QObject
{
    Q_OBJECT
private slots:
    void parsesLines_data();
    void parsesLines();
    void otherFieldsKeepTheirDefaults();
    void parsesFiles_data();
    void parsesFiles();
    void readsFromDisk();
    void listsDroppedLines();
};

void TestDevicesFile::parsesLines_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("device");

    QTest::newRow("lower-case digits are upper-cased")
        << QByteArray("DevEUI=70b3d5e75e000001 AppEUI=0102030405060a0b AppKey=" + appKey.toLower())
        << "70B3D5E75E000001|0102030405060A0B|" + QString::fromLatin1(appKey);
    QTest::newRow("any token order") << QByteArray("AppKey=" + appKey + " DevEUI=01 AppEUI=02")
                                     << "01|02|" + QString::fromLatin1(appKey);
    QTest::newRow("two spaces give an empty token that does no harm")
        << QByteArray("DevEUI=01  AppEUI=02 AppKey=03") << "01|02|03";
    QTest::newRow("empty tokens count: two fields and an empty token")
        << QByteArray("DevEUI=01 AppEUI=02 ") << "dropped";
    QTest::newRow("fewer than three tokens") << QByteArray("DevEUI=01 AppEUI=02") << "dropped";
    QTest::newRow("only ABP fields") << QByteArray("DevEUI=01 DevAdd=26011bda AppSKey=aa NwkSKey=bb")
                                     << "dropped";
    QTest::newRow("ABP fields beside OTAA ones")
        << QByteArray("DevEUI=01 AppEUI=02 AppKey=03 DevAdd=26011bda AppSKey=aa NwkSKey=bb")
        << "01|02|03|addr=26011BDA|apps=AA|nwks=BB";
    QTest::newRow("keys in another letter case are not keys")
        << QByteArray("deveui=01 AppEUI=02 AppKey=03") << "dropped";
    QTest::newRow("serial number as written")
        << QByteArray("DevEUI=01 AppEUI=02 AppKey=03 SerNum=ab12") << "01|02|03|sn=ab12";
    QTest::newRow("serial number in Cyrillic")
        << QByteArray("DevEUI=01 AppEUI=02 AppKey=03 SerNum=Счётчик-7") << "01|02|03|sn=Счётчик-7";
    QTest::newRow("DevAdd not hexadecimal gives 0")
        << QByteArray("DevEUI=01 AppEUI=02 AppKey=03 DevAdd=zz") << "01|02|03";
    QTest::newRow("DevAdd above 32 bits gives 0")
        << QByteArray("DevEUI=01 AppEUI=02 AppKey=03 DevAdd=1FFFFFFFF") << "01|02|03";
    QTest::newRow("DevAdd of eight digits")
        << QByteArray("DevEUI=01 AppEUI=02 AppKey=03 DevAdd=FC00AC01") << "01|02|03|addr=FC00AC01";
    QTest::newRow("a value keeps everything after the first =")
        << QByteArray("DevEUI=01 AppEUI=02 AppKey=03 SerNum=a=b=c") << "01|02|03|sn=a=b=c";
    QTest::newRow("a later token overwrites an earlier one")
        << QByteArray("DevEUI=01 AppEUI=02 AppKey=03 DevEUI=04") << "04|02|03";
    QTest::newRow("an empty value empties the field")
        << QByteArray("DevEUI=01 AppEUI=02 AppKey=03 AppKey=") << "dropped";
    // A header names the keys without "=": it sets nothing and gives no device called DEVEUI.
    QTest::newRow("header line") << QByteArray("DevEUI AppEUI AppKey") << "dropped";
    QTest::newRow("header line with a serial number column")
        << QByteArray("DevEUI AppEUI AppKey SerNum") << "dropped";
    // Keys are matched whole: a value or a longer key holding a key name sets nothing else.
    QTest::newRow("a serial number that holds key names")
        << QByteArray("DevEUI=01 AppEUI=02 AppKey=03 SerNum=DevEUI=FF-AppKey")
        << "01|02|03|sn=DevEUI=FF-AppKey";
    QTest::newRow("a longer key holding a key name")
        << QByteArray("DevEUI=01 AppEUI=02 AppKey=03 OldDevEUI=FF AppKeyOld=EE") << "01|02|03";
    QTest::newRow("a key with blanks around it") << QByteArray("DevEUI=01 AppEUI=02 AppKey =03") << "dropped";
    QTest::newRow("tabs are no separators") << QByteArray("DevEUI=01\tAppEUI=02\tAppKey=03") << "dropped";
}

void TestDevicesFile::parsesLines()
{
    QFETCH(QByteArray, line);
    LoRaDevice device;
    const bool accepted = DevicesFile::parseLine(line, &device);
    QTEST(describe(accepted, device), "device");
}

void TestDevicesFile::otherFieldsKeepTheirDefaults()
{
    LoRaDevice device;
    device.devName = QStringLiteral("left over");
    QVERIFY(DevicesFile::parseLine("DevEUI=01 AppEUI=02 AppKey=03", &device));
    LoRaDevice expected;
    expected.devEui = QStringLiteral("01");
    expected.appEui = QStringLiteral("02");
    expected.appKey = QStringLiteral("03");
    QVERIFY(device == expected);
    QVERIFY(!device.existOTAA() && !device.existABP());
}

void TestDevicesFile::parsesFiles_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QStringList>("devEuis");
    QTest::addColumn<QString>("dropped");

    const QByteArray a = "DevEUI=0A AppEUI=02 AppKey=03";
    const QByteArray b = "DevEUI=0B AppEUI=02 AppKey=03";
    QTest::newRow("LF") << QByteArray(a + '\n' + b + '\n') << QStringList{"0A", "0B"} << "";
    QTest::newRow("CR LF, no line end at the end")
        << QByteArray(a + "\r\n" + b) << QStringList{"0A", "0B"} << "";
    QTest::newRow("header, blank lines and junk are listed by number, blank ones not")
        << QByteArray("DevEUI AppEUI AppKey\r\n" + a + "\r\n\r\n   \r\nrubbish\r\n" + b +
                      "\r\nDevEUI=0C AppEUI=02\r\n")
        << QStringList{"0A", "0B"} << "1,5,7";
    QTest::newRow("byte order mark") << QByteArray("\xEF\xBB\xBF" + a + '\n') << QStringList{"0A"} << "";
    QTest::newRow("the same DevEUI twice stays twice")
        << QByteArray(a + '\n' + a + '\n') << QStringList{"0A", "0A"} << "";
    QTest::newRow("a line missing its AppKey")
        << QByteArray(a + "\nDevEUI=0D AppEUI=02 SerNum=7\n" + b) << QStringList{"0A", "0B"} << "2";
    QTest::newRow("empty file") << QByteArray() << QStringList() << "";
    QTest::newRow("a lone CR is part of the line")
        << QByteArray(a + "\r" + b + "\n") << QStringList{"0A"} << "";
}

void TestDevicesFile::parsesFiles()
{
    QFETCH(QByteArray, text);
    const DevicesFile::Content content = DevicesFile::parse(text);
    QStringList devEuis;
    for (const LoRaDevice& device : content.devices)
        devEuis << device.devEui;
    QTEST(devEuis, "devEuis");
    QTEST(lines(content.droppedLines), "dropped");
}

void TestDevicesFile::readsFromDisk()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("devices.csv"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("DevEUI=0a AppEUI=02 AppKey=03 SerNum=x1\n");
    file.close();
    DevicesFile::Content content;
    QString error;
    QVERIFY(DevicesFile::read(path, &content, &error));
    QCOMPARE(content.devices.size(), 1);
    QCOMPARE(content.devices.first().sn, QStringLiteral("x1"));
    QVERIFY(!DevicesFile::read(dir.filePath(QStringLiteral("missing.csv")), &content, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!DevicesFile::read(dir.path(), &content, &error)); // a directory is no file
}

void TestDevicesFile::listsDroppedLines()
{
    QCOMPARE(DevicesFile::lineList({1, 5, 7}), QStringLiteral("1, 5, 7"));
    QCOMPARE(DevicesFile::lineList({1, 2, 3, 4}, 2), QStringLiteral("1, 2, …"));
    QCOMPARE(DevicesFile::lineList({}), QString());
}

RAVLO_REGISTER_TEST(TestDevicesFile)
#include "tst_devicesfile.moc"
