#include "common/TestRegistry.h"
#include "registration/DeviceCompletion.h"
#include "server/Protocol.h"

#include <QtTest>

namespace {

LoRaDevice scannedDevice(const QString& devEui,
                         const QString& appKey = QStringLiteral("00112233445566778899AABBCCDDEEFF"))
{
    LoRaDevice device;
    device.devEui = devEui;
    device.appEui = QStringLiteral("0102030405060708");
    device.appKey = appKey;
    return device;
}

// Every group in use, with values unlike the record's defaults.
ChosenSettings everyGroupInUse()
{
    ChosenSettings s;
    s.expert.enabled = true;
    s.expert.adr = {true, true, 5, 14};
    s.expert.rx = {true, 3, 2, 1, 6};
    s.expert.location = {true, 150, 37.5, 55.75};
    s.optional.enabled = true;
    s.optional.device = {QStringLiteral("dev"), Protocol::DeviceClass::classC, true};
    s.optional.classC = {500, true, true};
    s.optional.freqPlan.enabled = true;
    s.optional.freqPlan.freq4 = 864100000;
    s.optional.freqPlan.freq5 = 864300000;
    s.optional.freqPlan.freq6 = 864500000;
    s.optional.freqPlan.freq7 = 864700000;
    s.optional.freqPlan.freq8 = 864900000;
    s.optional.freqPlan.freqRx2 = 869100000;
    s.optional.freqPlan.plan = QStringLiteral("RU868");
    s.optional.freqPlan.channelEn = {true, false, true, false, true, false, true, true};
    return s;
}

} // namespace

Q_DECLARE_METATYPE(ChosenSettings)

class TestCompletion : public QObject
{
    Q_OBJECT
private slots:
    void deviceName_data()
    {
        QTest::addColumn<QString>("nameTemplate");
        QTest::addColumn<bool>("withCounter");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("counterAfter");
        QTest::newRow("no placeholder") << "meter" << false << "meter" << 1;
        QTest::newRow("deveui_date") << "%deveui_%date" << false << "70B3D5000000AB01_05.03.2024" << 1;
        QTest::newRow("every one repeated") << "%sn/%sn %deveui" << false << "SN7/SN7 70B3D5000000AB01" << 1;
        QTest::newRow("counter counts") << "dev%n" << true << "dev1" << 2;
        QTest::newRow("no counter, %n stays") << "dev%n" << false << "dev%n" << 1;
        QTest::newRow("counter without %n does not grow") << "dev" << true << "dev" << 1;
    }
    void deviceName()
    {
        QFETCH(QString, nameTemplate);
        QFETCH(bool, withCounter);
        QFETCH(QString, expected);
        QFETCH(int, counterAfter);
        int counter = 1;
        const DeviceCompletion::NameValues values{QStringLiteral("70B3D5000000AB01"), QStringLiteral("SN7"),
                                                  QDate(2024, 3, 5)};
        QCOMPARE(DeviceCompletion::deviceName(nameTemplate, values, withCounter ? &counter : nullptr),
                 expected);
        QCOMPARE(counter, counterAfter);
    }

    void coordinatesAreLimited_data()
    {
        QTest::addColumn<double>("latitude");
        QTest::addColumn<double>("longitude");
        QTest::addColumn<double>("sentLatitude");
        QTest::addColumn<double>("sentLongitude");
        QTest::newRow("inside") << 55.75 << 37.5 << 55.75 << 37.5;
        QTest::newRow("latitude 95.5") << 95.5 << 10.0 << 90.0 << 10.0;
        QTest::newRow("longitude 120 stays") << 10.0 << 120.0 << 10.0 << 120.0;
        QTest::newRow("longitude 190") << 10.0 << 190.0 << 10.0 << 180.0;
        QTest::newRow("on the limits") << 90.0 << 180.0 << 90.0 << 180.0;
        QTest::newRow("below the limits") << -91.0 << -200.0 << -90.0 << -180.0;
    }
    void coordinatesAreLimited()
    {
        QFETCH(double, latitude);
        QFETCH(double, longitude);
        ChosenSettings settings = everyGroupInUse();
        settings.expert.location.latitude = latitude;
        settings.expert.location.longitude = longitude;
        QFETCH(double, sentLatitude);
        QFETCH(double, sentLongitude);
        const LoRaDevice device =
            DeviceCompletion::completed(scannedDevice(QStringLiteral("A")), settings, QString());
        QCOMPARE(device.latitude, sentLatitude);
        QCOMPARE(device.longitude, sentLongitude);
    }

    // Each group in use takes its values; out of use, its numbers become -1 (-1.0).
    void groupsInAndOutOfUse_data()
    {
        QTest::addColumn<ChosenSettings>("settings");
        QTest::addColumn<LoRaDevice>("expected");

        const LoRaDevice scan = scannedDevice(QStringLiteral("70B3D5000000AB01"));
        const ChosenSettings all = everyGroupInUse();
        LoRaDevice full = scan;
        full.devName = QStringLiteral("name");
        full.devClass = Protocol::DeviceClass::classC;
        full.reactionTime = 500;
        full.useDownlinkQueueClassC = true;
        full.classCGate = 1;
        full.channelEn = {true, false, true, false, true, false, true, true};
        full.freq4 = 864100000;
        full.freq5 = 864300000;
        full.freq6 = 864500000;
        full.freq7 = 864700000;
        full.freq8 = 864900000;
        full.freqRx2 = 869100000;
        full.serverAdrEnable = true;
        full.preferDr = 5;
        full.preferPower = 14;
        full.rxWindow = 2;
        full.delayRx1 = 3;
        full.drRx2 = 1;
        full.delayJoin1 = 6;
        full.latitude = 55.75;
        full.longitude = 37.5;
        full.altitude = 150;
        QTest::newRow("every group in use") << all << full;

        ChosenSettings classA = all;
        classA.optional.device.devClass = Protocol::DeviceClass::classA;
        LoRaDevice classADevice = full;
        classADevice.devClass = Protocol::DeviceClass::classA;
        classADevice.reactionTime = -1;
        classADevice.classCGate = -1;
        classADevice.useDownlinkQueueClassC = false;
        QTest::newRow("class A: no class C values") << classA << classADevice;

        ChosenSettings classCOff = all;
        classCOff.optional.classC.enabled = false;
        LoRaDevice classCOffDevice = full;
        classCOffDevice.reactionTime = -1;
        classCOffDevice.classCGate = -1;
        classCOffDevice.useDownlinkQueueClassC = false;
        QTest::newRow("class C group not in use") << classCOff << classCOffDevice;

        ChosenSettings noClass = classA;
        noClass.optional.device.devClass.clear();
        LoRaDevice noClassDevice = classADevice;
        noClassDevice.devClass.clear();
        QTest::newRow("no class chosen keeps the record's") << noClass << noClassDevice;

        ChosenSettings adrOff = all;
        adrOff.expert.adr.enabled = false;
        adrOff.expert.adr.serverAdrEnable = false;
        LoRaDevice adrOffDevice = full;
        adrOffDevice.serverAdrEnable = false; // the scan's own value, left unchanged
        adrOffDevice.preferDr = -1;
        adrOffDevice.preferPower = -1;
        QTest::newRow("ADR not in use") << adrOff << adrOffDevice;

        ChosenSettings rxOff = all;
        rxOff.expert.rx.enabled = false;
        LoRaDevice rxOffDevice = full;
        rxOffDevice.rxWindow = rxOffDevice.delayRx1 = rxOffDevice.drRx2 = rxOffDevice.delayJoin1 = -1;
        QTest::newRow("RX not in use") << rxOff << rxOffDevice;

        ChosenSettings locationOff = all;
        locationOff.expert.location.enabled = false;
        LoRaDevice locationOffDevice = full;
        locationOffDevice.altitude = -1;
        locationOffDevice.latitude = locationOffDevice.longitude = -1.0;
        QTest::newRow("location not in use") << locationOff << locationOffDevice;

        ChosenSettings expertOff = all;
        expertOff.expert = ExpertSettings();
        LoRaDevice expertOffDevice = adrOffDevice;
        expertOffDevice.rxWindow = expertOffDevice.delayRx1 = expertOffDevice.drRx2 =
            expertOffDevice.delayJoin1 = -1;
        expertOffDevice.altitude = -1;
        expertOffDevice.latitude = expertOffDevice.longitude = -1.0;
        QTest::newRow("no expert group in use") << expertOff << expertOffDevice;
    }
    void groupsInAndOutOfUse()
    {
        QFETCH(ChosenSettings, settings);
        QFETCH(LoRaDevice, expected);
        const LoRaDevice scan = scannedDevice(QStringLiteral("70B3D5000000AB01"));
        QCOMPARE(DeviceCompletion::completed(scan, settings, QStringLiteral("name")), expected);
    }

    // Channels 9 to 16 are always off, whatever the record held.
    void channelsNineToSixteenOff()
    {
        LoRaDevice scan = scannedDevice(QStringLiteral("A"));
        scan.channelEn.fill(true);
        const LoRaDevice device = DeviceCompletion::completed(scan, everyGroupInUse(), QString());
        for (size_t i = 8; i < device.channelEn.size(); ++i)
            QVERIFY(!device.channelEn[i]);
        QVERIFY(device.channelEn[0]);
    }

    // A list: "%n" counts the completed devices only; a device without its AppKey goes as it came.
    void listCountsCompletedDevices()
    {
        ChosenSettings settings = everyGroupInUse();
        settings.optional.device.nameTemplate = QStringLiteral("dev%n %sn %deveui");
        LoRaDevice first = scannedDevice(QStringLiteral("AA01"));
        first.sn = QStringLiteral("S1");
        const LoRaDevice second = scannedDevice(QStringLiteral("AA02"), QString());
        LoRaDevice third = scannedDevice(QStringLiteral("AA03"));
        third.sn = QStringLiteral("S3");
        const QVector<LoRaDevice> list =
            DeviceCompletion::completedList({first, second, third}, settings, QDate(2024, 3, 5));
        QCOMPARE(list.size(), 3);
        QCOMPARE(list[0].devName, QStringLiteral("dev1 S1 AA01"));
        QCOMPARE(list[1], second);
        QCOMPARE(list[2].devName, QStringLiteral("dev2 S3 AA03"));
        QCOMPARE(list[2].preferPower, 14);
    }
};

RAVLO_REGISTER_TEST(TestCompletion)
#include "tst_completion.moc"
