#include "ScanCases.h"

namespace {

const QByteArray devEui = "70B3D57ED0001234";
const QByteArray appEui = "0000000000000001";
const QByteArray appKey = "2B7E151628AED2A6ABF7158809CF4F3C";
const QByteArray appSKey = "A1B2C3D4E5F60718293A4B5C6D7E8F90";
const QByteArray nwkSKey = "0F1E2D3C4B5A69788796A5B4C3D2E1F0";

LoRaDevice otaa(const QString& eui = QString::fromLatin1(devEui))
{
    LoRaDevice device;
    device.devEui = eui;
    device.appEui = QString::fromLatin1(appEui);
    device.appKey = QString::fromLatin1(appKey);
    return device;
}

LoRaDevice only(void (*fill)(LoRaDevice&))
{
    LoRaDevice device;
    fill(device);
    return device;
}

void barcode(const char* name, const QByteArray& scan, const QString& serialNumber)
{
    QTest::newRow(name) << scan << true << serialNumber << LoRaDevice();
}

void qr(const char* name, const QByteArray& scan, const LoRaDevice& device)
{
    QTest::newRow(name) << scan << false << QString() << device;
}

} // namespace

void addScanColumns()
{
    QTest::addColumn<QByteArray>("scan");
    QTest::addColumn<bool>("isSerialNumber");
    QTest::addColumn<QString>("serialNumber");
    QTest::addColumn<LoRaDevice>("device");
}

void addScanRows()
{
    barcode("barcode", "SN0042", QStringLiteral("SN0042"));
    barcode("barcode, CR", "SN0042\r", QStringLiteral("SN0042"));
    barcode("barcode, every CR removed", "SN\r00\r42\r", QStringLiteral("SN0042"));
    barcode("barcode, blanks kept", " SN 42 ", QStringLiteral(" SN 42 "));
    barcode("barcode, ends at NUL", QByteArray("SN12\0tail\n", 10), QStringLiteral("SN12"));
    barcode("barcode, UTF-8", "Счётчик-7", QStringLiteral("Счётчик-7"));

    qr("QR, key=value", "DevEUI=" + devEui + "\nAppEUI=" + appEui + "\nAppKey=" + appKey + "\n", otaa());
    qr("QR, key: value, no final LF", "DevEUI: " + devEui + "\nAppEui: " + appEui + "\nAppKey: " + appKey,
       otaa());
    qr("QR, CR LF line ends",
       "DevEUI=" + devEui + "\r\nAppEUI=" + appEui + "\r\nAppKey=" + appKey + "\r\nDevAddress: 26011BDA\r\n",
       [] {
           LoRaDevice device = otaa();
           device.devAddress = 0x26011BDA;
           return device;
       }());
    qr("QR, CR inside a line is kept", "DevEUI=70B3\r1234\r\n",
       only([](LoRaDevice& d) { d.devEui = QStringLiteral("70B3\r1234"); }));
    qr("blank on both sides of =", "DevEUI = " + devEui + "\n",
       only([](LoRaDevice& d) { d.devEui = QStringLiteral(" 70B3D57ED0001234"); }));
    qr("two blanks after the key", "DevEUI:  " + devEui + "\n", LoRaDevice());
    qr("lower-case keys and values",
       "deveui=70b3d57ed0001234\nappeui=0000000000000001\nappkey=2b7e151628aed2a6abf7158809cf4f3c\n", otaa());
    qr("upper-case key", "NWKSKEY=0f1e2d3c4b5a69788796a5b4c3d2e1f0\n",
       only([](LoRaDevice& d) { d.nwksKey = QString::fromLatin1(nwkSKey); }));
    qr("AppSKey is not AppKey", "AppSKey=" + appSKey + "\n",
       only([](LoRaDevice& d) { d.appsKey = QString::fromLatin1(appSKey); }));
    qr("ABP label", "DevAddress: 26011bda\nAppSKey: " + appSKey + "\nNwkSKey: " + nwkSKey + "\n",
       only([](LoRaDevice& d) {
           d.devAddress = 0x26011BDA;
           d.appsKey = QString::fromLatin1(appSKey);
           d.nwksKey = QString::fromLatin1(nwkSKey);
       }));
    qr("DevAddr, largest", "DevAdd=FFFFFFFF\n", only([](LoRaDevice& d) { d.devAddress = 0xFFFFFFFF; }));
    qr("DevAddr, not hexadecimal", "DevAddress: 26011BDZ\n", LoRaDevice());
    qr("DevAddr, over 32 bits", "DevAdd=126011BDA\n", LoRaDevice());
    qr("DevAddr, empty", "DevAdd=\n", LoRaDevice());
    qr("line without = or blank skipped", "DevEUI:" + devEui + "\nNotes\n", LoRaDevice());
    qr("no known key", "Model: QR-7\nbatch=12\n", LoRaDevice());
    qr("only a line feed", "\n", LoRaDevice());
    qr("empty lines skipped", "\n\nDevEUI=" + devEui + "\n\n\n",
       only([](LoRaDevice& d) { d.devEui = QString::fromLatin1(devEui); }));
    qr("later line wins", "DevEUI=1111\nDevEUI=2222\n", only([](LoRaDevice& d) { d.devEui = "2222"; }));
    qr("one line, two keys", "DevEUI AppEUI=ab12\n", only([](LoRaDevice& d) {
           d.devEui = QStringLiteral("AB12");
           d.appEui = QStringLiteral("AB12");
       }));
    qr("value with a second =", "AppKey=ab=cd\n", LoRaDevice());
    qr("value after the first blank only", "AppEUI: 0000 0001\n",
       only([](LoRaDevice& d) { d.appEui = QStringLiteral("0000"); }));
}

void compareCredentials(const LoRaDevice& actual, const LoRaDevice& expected)
{
    QCOMPARE(actual.devEui, expected.devEui);
    QCOMPARE(actual.appEui, expected.appEui);
    QCOMPARE(actual.appKey, expected.appKey);
    QCOMPARE(QString::number(actual.devAddress, 16), QString::number(expected.devAddress, 16));
    QCOMPARE(actual.appsKey, expected.appsKey);
    QCOMPARE(actual.nwksKey, expected.nwksKey);
    // Nothing else of the record is touched by a scan.
    LoRaDevice rest = actual;
    rest.devEui = rest.appEui = rest.appKey = rest.appsKey = rest.nwksKey = QString();
    rest.devAddress = 0;
    QVERIFY(rest == LoRaDevice());
}
