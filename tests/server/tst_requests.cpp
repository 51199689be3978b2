#include "common/LoopbackServer.h"
#include "common/TestRegistry.h"
#include "server/CMessageParser.h"
#include "server/CServerClient.h"
#include "server/Protocol.h"

#include <QtTest>

namespace {
// A device whose every field holds a chosen (sent) value.
LoRaDevice chosenDevice()
{
    LoRaDevice d;
    d.devEui = QStringLiteral("70B3D5E75E001234");
    d.appEui = QStringLiteral("0000000000000001");
    d.appKey = QStringLiteral("00112233445566778899AABBCCDDEEFF");
    d.devAddress = 0x01020304u;
    d.appsKey = QStringLiteral("A1A1");
    d.nwksKey = QStringLiteral("B2B2");
    d.devName = QStringLiteral("Счётчик 7");
    d.devClass = Protocol::DeviceClass::classC;
    d.freq4 = 864100000;
    d.freq5 = 864300000;
    d.freq6 = 864500000;
    d.freq7 = 864700000;
    d.freq8 = 864900000;
    d.freqRx2 = 869100000;
    d.rxWindow = 2;
    d.delayRx1 = 1;
    d.delayJoin1 = 5;
    d.reactionTime = 30;
    d.altitude = 150;
    d.longitude = 37.61;
    d.latitude = 55.75;
    d.preferDr = 5;
    d.preferPower = 14;
    d.drRx2 = 0;
    d.classCGate = 1;
    d.useDownlinkQueueClassC = true;
    d.serverAdrEnable = true;
    d.channelEn[0] = d.channelEn[15] = true;
    return d;
}

// A device that chose nothing: every number unset.
LoRaDevice unsetDevice()
{
    LoRaDevice d;
    d.devEui = QStringLiteral("70B3D5E75E001234");
    for (int channel = 4; channel <= 8; ++channel)
        d.setFreq(channel, -1);
    d.freqRx2 = d.rxWindow = d.delayRx1 = d.delayJoin1 = d.reactionTime = d.altitude = -1;
    d.preferDr = d.preferPower = d.drRx2 = -1;
    d.longitude = d.latitude = -1.0;
    d.classCGate = -1;
    return d;
}

QJsonObject channelMask(const LoRaDevice& d)
{
    QJsonObject mask;
    for (int i = 0; i < 16; ++i)
        mask.insert(Protocol::Key::channelEn(i + 1), d.channelEn[size_t(i)]);
    return mask;
}

// The identity and radio keys of chosenDevice().
QJsonObject chosenRadioKeys()
{
    return QJsonObject{
        {"devEui", "70B3D5E75E001234"},
        {"devName", QStringLiteral("Счётчик 7")},
        {"class", "CLASS_C"},
        {"frequencyPlan", QJsonObject{{"freq4", 864100000},
                                      {"freq5", 864300000},
                                      {"freq6", 864500000},
                                      {"freq7", 864700000},
                                      {"freq8", 864900000}}},
        {"freqRx2", 869100000},
        {"preferDr", 5},
        {"preferPower", 14},
        {"rxWindow", 2},
        {"delayRx1", 1},
        {"drRx2", 0},
        {"delayJoin1", 5},
        {"position", QJsonObject{{"longitude", 37.61}, {"latitude", 55.75}, {"altitude", 150}}},
        {"serverAdrEnable", true}};
}

QJsonObject with(QJsonObject object, const QJsonObject& more)
{
    for (auto it = more.begin(); it != more.end(); ++it)
        object.insert(it.key(), it.value());
    return object;
}

// The first difference between two objects, by key path; empty when they are equal.
QString difference(const QJsonObject& actual, const QJsonObject& expected, const QString& path = QString())
{
    QStringList keys = actual.keys() + expected.keys();
    keys.removeDuplicates();
    for (const QString& key : keys) {
        const QString where = path + QLatin1Char('/') + key;
        if (!actual.contains(key))
            return QStringLiteral("missing key ") + where;
        if (!expected.contains(key))
            return QStringLiteral("unexpected key ") + where;
        const QJsonValue a = actual.value(key);
        const QJsonValue e = expected.value(key);
        if (a.isObject() && e.isObject()) {
            const QString inner = difference(a.toObject(), e.toObject(), where);
            if (!inner.isEmpty())
                return inner;
        } else if (a != e) {
            return QStringLiteral("%1: %2 instead of %3")
                .arg(where, QString::fromUtf8(QJsonDocument(QJsonArray{a}).toJson(QJsonDocument::Compact)),
                     QString::fromUtf8(QJsonDocument(QJsonArray{e}).toJson(QJsonDocument::Compact)));
        }
    }
    return QString();
}

// The device object as the server reads it from the request text.
QJsonObject sentObject(const LoRaDevice& device)
{
    QJsonArray out;
    CMessageParser::formDeviceJson(device, out);
    return QJsonDocument::fromJson(QJsonDocument(out).toJson(QJsonDocument::Compact))
        .array()
        .first()
        .toObject();
}
} // namespace

class TestRequests : public QObject
{
    Q_OBJECT
private slots:
    void deviceObject_data();
    void deviceObject();
    void numbersTravelAsIntegers();
    void requestsReachServer();
    void requestsDroppedUntilReady();
};

void TestRequests::deviceObject_data()
{
    QTest::addColumn<LoRaDevice>("device");
    QTest::addColumn<QJsonObject>("expected");

    const QJsonObject otaa{{"appEui", "0000000000000001"}, {"appKey", "00112233445566778899AABBCCDDEEFF"}};
    const QJsonObject abp{{"devAddress", 0x01020304}, {"appsKey", "A1A1"}, {"nwksKey", "B2B2"}};
    LoRaDevice d = chosenDevice();
    const QJsonObject classC{
        {"reactionTime", 30}, {"useDownlinkQueueClassC", true}, {"channelMask", channelMask(d)}};

    d.hasOtaa = true;
    QTest::newRow("otaa only") << d << with(chosenRadioKeys(), {{"OTAA", otaa}});
    d.appEui.clear();
    d.appKey.clear();
    QTest::newRow("otaa only, empty keys")
        << d << with(chosenRadioKeys(), {{"OTAA", QJsonObject{{"appEui", ""}, {"appKey", ""}}}});

    d = chosenDevice();
    d.hasAbp = true;
    QTest::newRow("abp only") << d << with(chosenRadioKeys(), {{"ABP", abp}});
    d.devAddress = 0xFC00AC01u;
    d.appsKey.clear();
    QTest::newRow("abp only, top bit")
        << d
        << with(chosenRadioKeys(), {{"ABP", QJsonObject{{"devAddress", 4227902465.0}, {"nwksKey", "B2B2"}}}});
    d.devAddress = 0;
    d.nwksKey.clear();
    QTest::newRow("abp only, nothing set") << d << chosenRadioKeys();

    d = chosenDevice();
    d.hasAbp = d.hasOtaa = true;
    QTest::newRow("both") << d << with(chosenRadioKeys(), classC);
    d.classCGate = -1;
    d.reactionTime = -1;
    QTest::newRow("both, not class C") << d << with(chosenRadioKeys(), {{"channelMask", channelMask(d)}});

    d = chosenDevice();
    QTest::newRow("neither") << d << with(with(chosenRadioKeys(), classC), {{"OTAA", otaa}, {"ABP", abp}});

    d = unsetDevice();
    QTest::newRow("neither, all unset") << d
                                        << QJsonObject{{"devEui", "70B3D5E75E001234"},
                                                       {"devName", ""},
                                                       {"frequencyPlan", QJsonObject()},
                                                       {"channelMask", channelMask(d)},
                                                       {"OTAA", QJsonObject{{"appEui", ""}, {"appKey", ""}}},
                                                       {"serverAdrEnable", false}};
    d.hasOtaa = true;
    d.longitude = -1.0 + 1e-13;
    d.latitude = 55.75;
    QTest::newRow("coordinate within tolerance")
        << d
        << QJsonObject{{"devEui", "70B3D5E75E001234"},
                       {"position", QJsonObject{{"latitude", 55.75}}},
                       {"OTAA", QJsonObject{{"appEui", ""}, {"appKey", ""}}},
                       {"serverAdrEnable", false}};
    d.longitude = -1.000001;
    d.latitude = 0.0;
    d.altitude = 0;
    d.freq4 = d.freqRx2 = d.rxWindow = d.delayRx1 = d.delayJoin1 = d.drRx2 = d.preferDr = d.preferPower = 0;
    d.preferDr = -5;
    d.rxWindow = -2; // only -1 means unset
    QTest::newRow("zeros are values")
        << d
        << QJsonObject{
               {"devEui", "70B3D5E75E001234"},
               {"frequencyPlan", QJsonObject{{"freq4", 0}}},
               {"freqRx2", 0},
               {"preferPower", 0},
               {"rxWindow", -2},
               {"delayRx1", 0},
               {"drRx2", 0},
               {"delayJoin1", 0},
               {"position", QJsonObject{{"longitude", -1.000001}, {"latitude", 0.0}, {"altitude", 0}}},
               {"OTAA", QJsonObject{{"appEui", ""}, {"appKey", ""}}},
               {"serverAdrEnable", false}};
}

void TestRequests::deviceObject()
{
    QFETCH(LoRaDevice, device);
    QFETCH(QJsonObject, expected);
    QJsonArray out{QStringLiteral("kept")};
    QVERIFY(CMessageParser::formDeviceJson(device, out));
    QCOMPARE(out.size(), 2); // exactly one object appended
    const QString diff = difference(sentObject(device), expected);
    QVERIFY2(diff.isEmpty(), qPrintable(diff));
}

void TestRequests::numbersTravelAsIntegers()
{
    LoRaDevice d = chosenDevice();
    d.hasAbp = true;
    d.devAddress = 0xFFFFFFFFu;
    QJsonArray out;
    CMessageParser::formDeviceJson(d, out);
    const QString text = QString::fromUtf8(QJsonDocument(out).toJson(QJsonDocument::Compact));
    QVERIFY2(text.contains(QStringLiteral("\"devAddress\":4294967295")), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("\"freq4\":864100000")));
    QVERIFY(text.contains(QStringLiteral("\"preferPower\":14")));
    QCOMPARE(CMessageParser::deviceFromServerObject(sentObject(d)).devAddress, 0xFFFFFFFFu);
}

void TestRequests::requestsReachServer()
{
    LoopbackServer server;
    QVERIFY(loginToLoopbackServer(server));
    server.clearReceived();
    CMessageParser* parser = CMessageParser::instance();
    LoRaDevice first = chosenDevice();
    LoRaDevice second = unsetDevice();
    second.devEui = QStringLiteral("0000000000000002");

    parser->mngDevReq(first);
    parser->mngDevsReq({first, second});
    parser->mngDevsReq({});
    parser->getDevReq(first);
    const QJsonDocument data1(QJsonObject{{"devEui", "01"}, {"object", "Дом 1"}});
    const QJsonDocument data2(QJsonObject{{"devEui", "02"}});
    parser->manageAppdataReq({data1, data2});
    parser->manageAppdataReq({});
    QTRY_COMPARE(server.receivedFrames().size(), 6);

    const QList<QJsonObject> frames = server.receivedObjects();
    QCOMPARE(frames[0],
             (QJsonObject{{"cmd", "manage_devices_req"}, {"devices_list", QJsonArray{sentObject(first)}}}));
    QCOMPARE(frames[1], (QJsonObject{{"cmd", "manage_devices_req"},
                                     {"devices_list", QJsonArray{sentObject(first), sentObject(second)}}}));
    QCOMPARE(frames[2], (QJsonObject{{"cmd", "manage_devices_req"}}));
    QCOMPARE(frames[3], (QJsonObject{{"cmd", "get_devices_req"},
                                     {"select", QJsonObject{{"devEui_list", QJsonArray{first.devEui}}}}}));
    QCOMPARE(frames[4], (QJsonObject{{"cmd", "manage_device_appdata_req"},
                                     {"data_list", QJsonArray{data1.object(), data2.object()}}}));
    QCOMPARE(frames[5], (QJsonObject{{"cmd", "manage_device_appdata_req"}, {"data_list", QJsonArray()}}));
    // Requests go out compact.
    QVERIFY(!server.receivedFrames().first().contains(QLatin1Char('\n')));
    QVERIFY(endLoopbackSession(server));
}

void TestRequests::requestsDroppedUntilReady()
{
    QVERIFY(CServerClient::instance()->clientState() != EClientStates::ready);
    CMessageParser::instance()->mngDevReq(chosenDevice());
    CMessageParser::instance()->mngDevsReq({chosenDevice()});
    CMessageParser::instance()->getDevReq(chosenDevice());
    CMessageParser::instance()->manageAppdataReq({});
    LoopbackServer server;
    QVERIFY(loginToLoopbackServer(server));
    QVERIFY(endLoopbackSession(server));
    QCOMPARE(server.receivedCommands(), (QStringList{Protocol::Cmd::authReq, Protocol::Cmd::serverInfoReq}));
}

RAVLO_REGISTER_TEST(TestRequests)
#include "tst_requests.moc"
