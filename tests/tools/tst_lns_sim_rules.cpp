#include "SimTestSupport.h"
#include "common/TestRegistry.h"

#include "RegistrationRules.h"
#include "SimConfig.h"
#include "server/Protocol.h"

#include <QtTest>

using namespace RegistrationRules;
namespace K = Protocol::Key;
namespace S = Protocol::Status;

// The simulator's registration rules and options, called directly.
class TestLnsSimRules : public QObject
{
    Q_OBJECT
private slots:
    void hexDigits_data();
    void hexDigits();
    void emptyOtaaSectionCountsAsNoKeys();
    void credentialsAreCheckedBeforeSettings();
    void newDeviceIsKeptInUpperCase();
    void updateKeepsKeysAndMergesNestedSettings();
    void emptyNestedSettingsAreNotKept();
    void limitAppliesOnlyToNewDevices();
    void devAddrOfTheSameDeviceIsNoRepetition();
    void options_data();
    void options();
    void userOptionReplacesDemoUser();
};

void TestLnsSimRules::hexDigits_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("digits");
    QTest::addColumn<bool>("valid");
    QTest::newRow("upper") << "70B3D5FFFE000001" << 16 << true;
    QTest::newRow("lower") << "70b3d5fffe000001" << 16 << true;
    QTest::newRow("short") << "70B3D5FFFE00001" << 16 << false;
    QTest::newRow("long") << "70B3D5FFFE0000011" << 16 << false;
    QTest::newRow("letter g") << "70B3D5FFFE00000G" << 16 << false;
    QTest::newRow("blank inside") << "70B3D5FF E000001" << 16 << false;
    QTest::newRow("full-width digit") << QString::fromUtf8("70B3D5FFFE00000１") << 16 << false;
    QTest::newRow("empty") << "" << 0 << true;
}

void TestLnsSimRules::hexDigits()
{
    QFETCH(QString, text);
    QFETCH(int, digits);
    QFETCH(bool, valid);
    QCOMPARE(isHex(text, digits), valid);
}

void TestLnsSimRules::emptyOtaaSectionCountsAsNoKeys()
{
    // A scanned ABP label is sent with an "OTAA" of two empty strings beside its "ABP".
    QJsonObject device = SimDevices::abp(QStringLiteral("0000000000000001"), 0x26011234);
    device.insert(K::otaa, QJsonObject{{K::appEui, QString()}, {K::appKey, QString()}});
    const DeviceRequest request = readDeviceRequest(device);
    QCOMPARE(request.rejection, QString());
    QVERIFY(request.keys.hasAbp);
    QVERIFY(!request.keys.hasOtaa);
    QCOMPARE(request.keys.devAddress, 0x26011234u);
}

void TestLnsSimRules::credentialsAreCheckedBeforeSettings()
{
    QJsonObject device =
        SimDevices::otaa(QStringLiteral("0000000000000001"), SimDevices::appEui, QStringLiteral("00"));
    device.insert(K::preferPower, 20);
    QCOMPARE(readDeviceRequest(device).rejection, S::invalidAppKeyValue);
    device = SimDevices::otaa(QStringLiteral("0000000000000001"));
    device.insert(K::preferPower, 20);
    QCOMPARE(readDeviceRequest(device).rejection, S::invalidPower);
}

void TestLnsSimRules::newDeviceIsKeptInUpperCase()
{
    const QJsonObject device = SimDevices::withSettings(SimDevices::otaa(QStringLiteral("70b3d5fffe0000aa"),
                                                                         QStringLiteral("a1a2a3a4a5a6a7a8"),
                                                                         SimDevices::otherKey.toLower()));
    const DeviceRequest request = readDeviceRequest(device);
    QCOMPARE(request.echoEui, QStringLiteral("70b3d5fffe0000aa"));
    const Decision decision = decide(request, StoreView());
    QCOMPARE(decision.status, S::added);
    QCOMPARE(decision.device.value(K::devEui).toString(), QStringLiteral("70B3D5FFFE0000AA"));
    const QJsonObject otaa = decision.device.value(K::otaa).toObject();
    QCOMPARE(otaa.value(K::appEui).toString(), QStringLiteral("A1A2A3A4A5A6A7A8"));
    QCOMPARE(otaa.value(K::appKey).toString(), SimDevices::otherKey);
    QCOMPARE(decision.device.value(K::channelMask).toObject().size(), 16);
    QVERIFY(!decision.device.contains(K::abp));
}

void TestLnsSimRules::updateKeepsKeysAndMergesNestedSettings()
{
    QJsonObject first = SimDevices::otaa(QStringLiteral("0000000000000001"));
    first.insert(K::position, QJsonObject{{K::latitude, 55.75}, {K::longitude, 37.61}});
    const Decision added = decide(readDeviceRequest(first), StoreView());
    QCOMPARE(added.status, S::added);

    // A settings update of a registered device carries no keys (Ravlo sends none then).
    const QJsonObject update{{K::devEui, QStringLiteral("0000000000000001")},
                             {K::position, QJsonObject{{K::altitude, 150}}},
                             {K::devName, QStringLiteral("meter 1")}};
    StoreView view;
    view.stored = added.device;
    const Decision updated = decide(readDeviceRequest(update), view);
    QCOMPARE(updated.status, S::updated);
    QCOMPARE(updated.device.value(K::otaa), added.device.value(K::otaa));
    const QJsonObject position = updated.device.value(K::position).toObject();
    QCOMPARE(position.value(K::latitude).toDouble(), 55.75);
    QCOMPARE(position.value(K::altitude).toInt(), 150);

    view.stored = updated.device;
    QCOMPARE(decide(readDeviceRequest(update), view).status, S::nothingToUpdate);
}

void TestLnsSimRules::emptyNestedSettingsAreNotKept()
{
    // Ravlo's "neither keys" case always sends "frequencyPlan", even empty.
    QJsonObject device = SimDevices::otaa(QStringLiteral("0000000000000001"));
    device.insert(K::frequencyPlan, QJsonObject());
    const Decision added = decide(readDeviceRequest(device), StoreView());
    QVERIFY(!added.device.contains(K::frequencyPlan));
    StoreView view;
    view.stored = added.device;
    QCOMPARE(decide(readDeviceRequest(device), view).status, S::nothingToUpdate);
}

void TestLnsSimRules::limitAppliesOnlyToNewDevices()
{
    StoreView full;
    full.deviceCount = 5;
    full.maxDevices = 5;
    const QJsonObject device = SimDevices::otaa(QStringLiteral("0000000000000001"));
    QCOMPARE(decide(readDeviceRequest(device), full).status, S::maxDevCountReached);
    full.stored = decide(readDeviceRequest(device), StoreView()).device;
    QJsonObject renamed = device;
    renamed.insert(K::devName, QStringLiteral("renamed"));
    QCOMPARE(decide(readDeviceRequest(renamed), full).status, S::updated);
    full.maxDevices = 0; // no limit
    full.stored.reset();
    QCOMPARE(decide(readDeviceRequest(device), full).status, S::added);
}

void TestLnsSimRules::devAddrOfTheSameDeviceIsNoRepetition()
{
    const QJsonObject device = SimDevices::abp(QStringLiteral("0000000000000001"), 0x01020304);
    StoreView view;
    view.devAddrOwner = QStringLiteral("0000000000000002");
    QCOMPARE(decide(readDeviceRequest(device), view).status, S::repetitionDevAddr);
    view.stored = decide(readDeviceRequest(device), StoreView()).device;
    view.devAddrOwner = QStringLiteral("0000000000000001");
    QCOMPARE(decide(readDeviceRequest(device), view).status, S::nothingToUpdate);
}

void TestLnsSimRules::options_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("run");
    QTest::addColumn<int>("exitCode");
    QTest::newRow("defaults") << QStringList() << true << 0;
    QTest::newRow("run script") << QStringList{"--port", "8002", "--database", "ravlo-lns-sim.db"} << true
                                << 0;
    QTest::newRow("help") << QStringList{"--help"} << false << 0;
    QTest::newRow("port text") << QStringList{"--port", "x"} << false << 1;
    QTest::newRow("port too big") << QStringList{"--port", "65536"} << false << 1;
    QTest::newRow("address") << QStringList{"--address", "localhost:1"} << false << 1;
    QTest::newRow("user without colon") << QStringList{"--user", "operator"} << false << 1;
    QTest::newRow("user without name") << QStringList{"--user", ":secret"} << false << 1;
    QTest::newRow("prefix not hex") << QStringList{"--qelt-prefix", "70B3DZ"} << false << 1;
    QTest::newRow("empty prefix") << QStringList{"--qelt-prefix", ""} << true << 0;
    QTest::newRow("negative limit") << QStringList{"--max-devices", "-1"} << false << 1;
    QTest::newRow("rx interval") << QStringList{"--rx-interval", "5"} << true << 0;
    QTest::newRow("rx interval text") << QStringList{"--rx-interval", "often"} << false << 1;
    QTest::newRow("cert without key") << QStringList{"--cert", "c.pem"} << false << 1;
    QTest::newRow("tiny message limit") << QStringList{"--max-message-size", "10"} << false << 1;
    QTest::newRow("unknown option") << QStringList{"--colour"} << false << 1;
    QTest::newRow("stray argument") << QStringList{"extra"} << false << 1;
}

void TestLnsSimRules::options()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, run);
    QFETCH(int, exitCode);
    SimConfig config;
    const SimOptionsResult result = parseSimOptions(QStringList{"ravlo-lns-sim"} + arguments, config);
    QCOMPARE(result.run, run);
    QCOMPARE(result.exitCode, exitCode);
    if (!run)
        QVERIFY(!result.output.isEmpty());
}

void TestLnsSimRules::userOptionReplacesDemoUser()
{
    SimConfig config;
    QCOMPARE(config.users.value(QStringLiteral("operator")), QStringLiteral("ravlo"));
    QCOMPARE(config.port, quint16(8002));
    QVERIFY(config.databasePath.isEmpty());
    const SimOptionsResult result = parseSimOptions(
        {"ravlo-lns-sim", "--user", "anna:pass:word", "--user", "boris:", "--qelt-prefix", "ab"}, config);
    QVERIFY(result.run);
    QCOMPARE(config.users.size(), 2);
    QCOMPARE(config.users.value(QStringLiteral("anna")), QStringLiteral("pass:word"));
    QVERIFY(config.users.contains(QStringLiteral("boris")));
    QCOMPARE(config.qeltPrefix, QStringLiteral("AB"));
}

RAVLO_REGISTER_TEST(TestLnsSimRules)
#include "tst_lns_sim_rules.moc"
