#include "common/LoopbackServer.h"
#include "common/TestRegistry.h"
#include "server/CMessageParser.h"
#include "server/CServerClient.h"
#include "server/Protocol.h"

#include <QSignalSpy>
#include <QtTest>

namespace {
CMessageParser* parser()
{
    return CMessageParser::instance();
}

// Records every signal of the parser.
struct ParserSpies
{
    QSignalSpy auth{parser(), &CMessageParser::authMsgResp};
    QSignalSpy device{parser(), &CMessageParser::infoDevicesResp};
    QSignalSpy info{parser(), &CMessageParser::serverInfoResp};
    QSignalSpy status{parser(), &CMessageParser::mngDevRespSignal};
    QSignalSpy statuses{parser(), &CMessageParser::mngDevsRespSignal};
    QSignalSpy list{parser(), &CMessageParser::devicesList};
    QSignalSpy removed{parser(), &CMessageParser::deviceMbRemoved};

    int total() const
    {
        return auth.count() + device.count() + info.count() + status.count() + statuses.count() +
               list.count() + removed.count();
    }
    LoRaDevice lastDevice() const { return device.last().first().value<LoRaDevice>(); }
};

QString devicesResp(const QString& devicesJson)
{
    return QStringLiteral(R"({"cmd":"get_devices_resp","devices_list":%1})").arg(devicesJson);
}
} // namespace

class TestParser : public QObject
{
    Q_OBJECT
private slots:
    void framesWithoutSignals_data();
    void framesWithoutSignals();
    void authAnswer();
    void logoutAnswer();
    void serverInfo_data();
    void serverInfo();
    void deviceFromServer();
    void deviceListGivesLastDeviceAlone();
    void emptyDeviceList_data();
    void emptyDeviceList();
    void devAddress_data();
    void devAddress();
    void frequencyPlanNaming_data();
    void frequencyPlanNaming();
    void deviceName();
    void wrongTypesReadAsEmpty();
    void registrationAnswers();
    void deleteAnswer();
    void textEntryPointsMatchDispatch();
    void followUpRequestsReachServer_data();
    void followUpRequestsReachServer();
};

void TestParser::framesWithoutSignals_data()
{
    QTest::addColumn<QString>("frame");
    QTest::newRow("not json") << QStringLiteral("hello");
    QTest::newRow("empty text") << QString();
    QTest::newRow("truncated") << QStringLiteral(R"({"cmd":"auth_resp","status":tr)");
    QTest::newRow("trailing garbage") << QStringLiteral(R"({"cmd":"auth_resp","status":true} x)");
    QTest::newRow("array") << QStringLiteral(R"([{"cmd":"auth_resp","status":true}])");
    QTest::newRow("bare value") << QStringLiteral("42");
    QTest::newRow("empty object") << QStringLiteral("{}");
    QTest::newRow("no cmd") << QStringLiteral(R"({"status":true,"token":"t"})");
    QTest::newRow("cmd a number") << QStringLiteral(R"({"cmd":5,"status":true})");
    QTest::newRow("cmd an object") << QStringLiteral(R"({"cmd":{"auth_resp":1},"status":true})");
    QTest::newRow("cmd other case") << QStringLiteral(R"({"cmd":"AUTH_RESP","status":true})");
    QTest::newRow("unknown cmd") << QStringLiteral(R"({"cmd":"hello_resp","status":true})");
    QTest::newRow("auth without status") << QStringLiteral(R"({"cmd":"auth_resp","token":"t"})");
    QTest::newRow("info without counts") << QStringLiteral(R"({"cmd":"server_info_resp","status":true})");
    QTest::newRow("registration empty") << QStringLiteral(R"({"cmd":"manage_devices_resp"})");
    QTest::newRow("delete without list") << QStringLiteral(R"({"cmd":"delete_devices_resp"})");
    QTest::newRow("rx") << QStringLiteral(R"({"cmd":"rx","type":"CONF_UP","data":"00"})");
    QTest::newRow("rx, odd type") << QStringLiteral(R"({"cmd":"rx","type":42})");
    QTest::newRow("appdata done") << QStringLiteral(R"({"cmd":"manage_device_appdata_resp","status":true,
        "update_status":[{"devEui":"01","status":true},{"devEui":"02","status":false},"x"]})");
    QTest::newRow("appdata failed") << QStringLiteral(
        R"({"cmd":"manage_device_appdata_resp","status":false,"err_string":"denied"})");
    QTest::newRow("appdata no status") << QStringLiteral(R"({"cmd":"manage_device_appdata_resp"})");
    QTest::newRow("deep nesting") << QString(2000, QLatin1Char('[')) + QString(2000, QLatin1Char(']'));
}

void TestParser::framesWithoutSignals()
{
    QFETCH(QString, frame);
    ParserSpies spies;
    parser()->processReceivedMessage(frame);
    parser()->testAppdata();
    QCOMPARE(spies.total(), 0);
}

void TestParser::authAnswer()
{
    ParserSpies spies;
    parser()->processReceivedMessage(QStringLiteral(
        R"({"cmd":"auth_resp","status":true,"token":"abc","device_access":"all","err_string":""})"));
    QCOMPARE(spies.auth.count(), 1);
    AuthResponse answer = spies.auth.last().first().value<AuthResponse>();
    QVERIFY(answer.status);
    QCOMPARE(answer.token, QStringLiteral("abc"));
    QCOMPARE(answer.deviceAccess, QStringLiteral("all"));

    parser()->processReceivedMessage(
        QStringLiteral(R"({"err_string":"invalid_login_or_password","status":false,"cmd":"auth_resp"})"));
    answer = spies.auth.last().first().value<AuthResponse>();
    QVERIFY(!answer.status);
    QVERIFY(answer.token.isEmpty());
    QCOMPARE(answer.errString, QStringLiteral("invalid_login_or_password"));
}

void TestParser::logoutAnswer()
{
    ParserSpies spies;
    parser()->processReceivedMessage(
        QStringLiteral(R"({"cmd":"auth_resp","status":true,"token":"tok","device_access":"all"})"));
    parser()->processReceivedMessage(QStringLiteral(R"({"cmd":"close_auth_resp","status":true})"));
    AuthResponse answer = spies.auth.last().first().value<AuthResponse>();
    QVERIFY(!answer.status); // logged out
    QCOMPARE(answer.token, QStringLiteral("tok"));
    QCOMPARE(answer.deviceAccess, QStringLiteral("all"));

    parser()->processReceivedMessage(
        QStringLiteral(R"({"cmd":"close_auth_resp","status":false,"err_string":"busy"})"));
    answer = spies.auth.last().first().value<AuthResponse>();
    QVERIFY(answer.status); // the logout was refused: still logged in
    QCOMPARE(answer.errString, QStringLiteral("busy"));
}

void TestParser::serverInfo_data()
{
    QTest::addColumn<QString>("frame");
    QTest::addColumn<bool>("status");
    QTest::addColumn<int>("qelt");
    QTest::addColumn<int>("other");
    QTest::newRow("full")
        << QStringLiteral(
               R"({"cmd":"server_info_resp","status":true,"device_count":{"device_count_qelt":12,"device_count_other":30,"x":1}})")
        << true << 12 << 30;
    QTest::newRow("status false")
        << QStringLiteral(
               R"({"cmd":"server_info_resp","status":false,"device_count":{"device_count_qelt":1}})")
        << false << 1 << 0;
    QTest::newRow("counts missing") << QStringLiteral(R"({"cmd":"server_info_resp","device_count":{}})")
                                    << false << 0 << 0;
    QTest::newRow("wrong types")
        << QStringLiteral(
               R"({"cmd":"server_info_resp","status":"true","device_count":{"device_count_qelt":"7","device_count_other":1e12}})")
        << false << 0 << 0;
    QTest::newRow("counts not an object")
        << QStringLiteral(R"({"cmd":"server_info_resp","status":true,"device_count":[1,2]})") << true << 0
        << 0;
}

void TestParser::serverInfo()
{
    QFETCH(QString, frame);
    ParserSpies spies;
    parser()->processReceivedMessage(frame);
    QCOMPARE(spies.info.count(), 1);
    const CloraInfoResp info = spies.info.last().first().value<CloraInfoResp>();
    QTEST(info.status, "status");
    QTEST(info.deviceCountQelt, "qelt");
    QTEST(info.deviceCountOther, "other");
}

void TestParser::deviceFromServer()
{
    ParserSpies spies;
    parser()->processReceivedMessage(devicesResp(QStringLiteral(R"([{
        "devEui":"70b3d5e75e001234","devName":"Meter 7","class":"CLASS_C","reactionTime":30,
        "useDownlinkQueueClassC":true,"freqRx2":869100000,"preferDr":5,"preferPower":14,"rxWindow":2,
        "delayRx1":1,"drRx2":0,"delayJoin1":5,"serverAdrEnable":true,
        "frequencyPlan":{"freq4":864100000,"freq5":864300000,"freq6":864500000,"freq7":864700000,"freq8":864900000},
        "channelMask":{"channel1En":true},
        "position":{"longitude":37.61,"latitude":55.75,"altitude":150},
        "ABP":{"devAddress":16777217,"appsKey":"aa11","nwksKey":"bb22"},
        "OTAA":{"appEui":"cc33","appKey":"dd44"}}])")));
    QCOMPARE(spies.list.count(), 1);
    QCOMPARE(spies.device.count(), 1);
    const LoRaDevice d = spies.lastDevice();
    QCOMPARE(d.devEui, QStringLiteral("70B3D5E75E001234"));
    QCOMPARE(d.devName, QStringLiteral("Meter 7"));
    QCOMPARE(d.devClass, QStringLiteral("CLASS_C"));
    QCOMPARE(d.reactionTime, 30);
    QCOMPARE(d.freqRx2, 869100000);
    QCOMPARE(d.preferDr, 5);
    QCOMPARE(d.preferPower, 14);
    QCOMPARE(d.rxWindow, 2);
    QCOMPARE(d.delayRx1, 1);
    QCOMPARE(d.drRx2, 0);
    QCOMPARE(d.delayJoin1, 5);
    QVERIFY(d.serverAdrEnable);
    QCOMPARE(d.freq4, 864100000);
    QCOMPARE(d.freq8, 864900000);
    QCOMPARE(d.freqPlanName, QStringLiteral("RU868"));
    QCOMPARE(d.longitude, 37.61);
    QCOMPARE(d.latitude, 55.75);
    QCOMPARE(d.altitude, 150);
    QCOMPARE(d.devAddress, 16777217u);
    QCOMPARE(d.appsKey, QStringLiteral("AA11"));
    QCOMPARE(d.nwksKey, QStringLiteral("BB22"));
    QCOMPARE(d.appEui, QStringLiteral("CC33"));
    QCOMPARE(d.appKey, QStringLiteral("DD44"));
    QVERIFY(d.existABP() && d.existOTAA());
    QCOMPARE(d.classCGate, 1);
    // Not read from the server.
    QVERIFY(!d.useDownlinkQueueClassC);
    QVERIFY(!d.channelEn[0]);
    QCOMPARE(spies.list.last()
                 .first()
                 .value<QJsonDocument>()
                 .object()
                 .value(Protocol::Key::devicesList)
                 .toArray()
                 .size(),
             1);
}

void TestParser::deviceListGivesLastDeviceAlone()
{
    // Only the first device has ABP keys and a name: none of it may reach the record of the second.
    ParserSpies spies;
    parser()->processReceivedMessage(devicesResp(QStringLiteral(
        R"([{"devEui":"0000000000000001","devName":"first","ABP":{"devAddress":5,"appsKey":"AA","nwksKey":"BB"},"rxWindow":2},
            {"devEui":"0000000000000002"}, 17])")));
    const LoRaDevice d = spies.lastDevice();
    QCOMPARE(d.devEui, QStringLiteral("0000000000000002"));
    QVERIFY(!d.existABP());
    QCOMPARE(d.devAddress, 0u);
    QVERIFY(d.appsKey.isEmpty());
    QVERIFY(d.devName.isEmpty());
    QCOMPARE(d.rxWindow, 0);
    QCOMPARE(spies.list.count(), 1);

    // An empty last entry is still the last device: nothing of the one before it is taken.
    parser()->processReceivedMessage(devicesResp(QStringLiteral(R"([{"devEui":"0000000000000001"},{}])")));
    QVERIFY(spies.lastDevice().devEui.isEmpty());
    QCOMPARE(spies.lastDevice().classCGate, 1);
}

void TestParser::emptyDeviceList_data()
{
    QTest::addColumn<QString>("frame");
    QTest::newRow("empty") << devicesResp(QStringLiteral("[]"));
    QTest::newRow("missing") << QStringLiteral(R"({"cmd":"get_devices_resp"})");
    QTest::newRow("not an array") << devicesResp(QStringLiteral(R"({"devEui":"01"})"));
    QTest::newRow("no objects") << devicesResp(QStringLiteral(R"(["01", 2, null])"));
}

void TestParser::emptyDeviceList()
{
    QFETCH(QString, frame);
    ParserSpies spies;
    parser()->processReceivedMessage(frame);
    QCOMPARE(spies.device.count(), 1);
    QCOMPARE(spies.lastDevice(), LoRaDevice());
    QCOMPARE(spies.list.count(), 0);
}

void TestParser::devAddress_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<uint>("address");
    QTest::newRow("top bit set") << QStringLiteral("4227902465") << 0xFC00AC01u;
    QTest::newRow("largest") << QStringLiteral("4294967295") << 0xFFFFFFFFu;
    QTest::newRow("small") << QStringLiteral("1") << 1u;
    QTest::newRow("signed form") << QStringLiteral("-67064831") << 0xFC00AC01u;
    QTest::newRow("too large") << QStringLiteral("4294967296") << 0u;
    QTest::newRow("fraction") << QStringLiteral("12.5") << 0u;
    QTest::newRow("text") << QStringLiteral(R"("FC00AC01")") << 0u;
}

void TestParser::devAddress()
{
    QFETCH(QString, value);
    ParserSpies spies;
    parser()->processReceivedMessage(
        devicesResp(QStringLiteral(R"([{"devEui":"01","ABP":{"devAddress":%1}}])").arg(value)));
    QTEST(uint(spies.lastDevice().devAddress), "address");
}

void TestParser::frequencyPlanNaming_data()
{
    QTest::addColumn<QString>("plan");
    QTest::addColumn<QString>("freqRx2");
    QTest::addColumn<QString>("name");
    const QString ru = QStringLiteral(
        R"({"freq4":864100000,"freq5":864300000,"freq6":864500000,"freq7":864700000,"freq8":864900000})");
    const QString eu = QStringLiteral(
        R"({"freq4":867100000,"freq5":867300000,"freq6":867500000,"freq7":867700000,"freq8":867900000})");
    QTest::newRow("RU868") << ru << QStringLiteral(R"(,"freqRx2":869100000)") << QStringLiteral("RU868");
    QTest::newRow("EU868") << eu << QStringLiteral(R"(,"freqRx2":869525000)") << QStringLiteral("EU868");
    QTest::newRow("RU freqs, EU rx2")
        << ru << QStringLiteral(R"(,"freqRx2":869525000)") << QStringLiteral("custom");
    QTest::newRow("RU freqs, no rx2") << ru << QString() << QStringLiteral("custom");
    QTest::newRow("one channel off")
        << QStringLiteral(
               R"({"freq4":864100000,"freq5":864300000,"freq6":864500000,"freq7":864700000,"freq8":1})")
        << QStringLiteral(R"(,"freqRx2":869100000)") << QStringLiteral("custom");
    QTest::newRow("empty plan") << QStringLiteral("{}") << QStringLiteral(R"(,"freqRx2":869100000)")
                                << QString();
}

void TestParser::frequencyPlanNaming()
{
    QFETCH(QString, plan);
    QFETCH(QString, freqRx2);
    ParserSpies spies;
    parser()->processReceivedMessage(
        devicesResp(QStringLiteral(R"([{"devEui":"01","frequencyPlan":%1%2}])").arg(plan, freqRx2)));
    QTEST(spies.lastDevice().freqPlanName, "name");
}

void TestParser::deviceName()
{
    ParserSpies spies;
    parser()->processReceivedMessage(devicesResp(QStringLiteral(R"([{"devEui":"01","devName":""}])")));
    QCOMPARE(spies.lastDevice().devName, QStringLiteral("Имя не установлено"));
    parser()->processReceivedMessage(devicesResp(QStringLiteral(R"([{"devEui":"01"}])")));
    QVERIFY(spies.lastDevice().devName.isEmpty());
}

void TestParser::wrongTypesReadAsEmpty()
{
    ParserSpies spies;
    parser()->processReceivedMessage(devicesResp(QStringLiteral(R"([{
        "devEui":12,"devName":[],"class":{},"reactionTime":"30","freqRx2":true,"preferDr":null,
        "rxWindow":1.5,"serverAdrEnable":"true","frequencyPlan":[864100000],"position":"here",
        "ABP":"keys","OTAA":[1]}])")));
    const LoRaDevice d = spies.lastDevice();
    QVERIFY(d.devEui.isEmpty());
    QCOMPARE(d.devName, QStringLiteral("Имя не установлено"));
    QVERIFY(d.devClass.isEmpty());
    QCOMPARE(d.reactionTime, 0);
    QCOMPARE(d.freqRx2, 0);
    QCOMPARE(d.rxWindow, 0);
    QVERIFY(!d.serverAdrEnable);
    QVERIFY(d.freqPlanName.isEmpty());
    QVERIFY(!d.existABP() && !d.existOTAA());
    QCOMPARE(d.classCGate, 1);

    parser()->processReceivedMessage(
        QStringLiteral(R"({"cmd":"auth_resp","status":"yes","token":5,"device_access":[],"err_string":{}})"));
    const AuthResponse answer = spies.auth.last().first().value<AuthResponse>();
    QVERIFY(!answer.status);
    QVERIFY(answer.token.isEmpty() && answer.deviceAccess.isEmpty() && answer.errString.isEmpty());

    parser()->processReceivedMessage(
        QStringLiteral(R"({"cmd":"manage_devices_resp","device_add_status":[{"devEui":1,"status":2}, 7]})"));
    QCOMPARE(spies.statuses.count(), 1);
    const auto pairs = spies.statuses.last().first().value<QVector<QPair<QString, QString>>>();
    QCOMPARE(pairs, (QVector<QPair<QString, QString>>{{QString(), QString()}}));
}

void TestParser::registrationAnswers()
{
    ParserSpies spies;
    parser()->processReceivedMessage(QStringLiteral(
        R"({"cmd":"manage_devices_resp","device_add_status":[{"devEui":"01","status":"reginfoAlreadyExist"}]})"));
    QCOMPARE(spies.status.count(), 1);
    QCOMPARE(spies.status.last().first().toString(), QStringLiteral("reginfoAlreadyExist"));
    QCOMPARE(spies.statuses.count(), 0);

    parser()->processReceivedMessage(QStringLiteral(R"({"cmd":"manage_devices_resp","device_add_status":[
        {"devEui":"01","status":"added"},{"devEui":"02"},{"devEui":"03","status":"invalidDevEui"},
        {"status":"updated","devEui":"04"}]})"));
    QCOMPARE(spies.status.count(), 1);
    QCOMPARE(spies.statuses.count(), 1);
    const auto pairs = spies.statuses.last().first().value<QVector<QPair<QString, QString>>>();
    const QVector<QPair<QString, QString>> expected{{QStringLiteral("01"), QStringLiteral("added")},
                                                    {QStringLiteral("03"), QStringLiteral("invalidDevEui")},
                                                    {QStringLiteral("04"), QStringLiteral("updated")}};
    QCOMPARE(pairs, expected);

    parser()->processReceivedMessage(
        QStringLiteral(R"({"cmd":"manage_devices_resp","device_add_status":[]})"));
    QCOMPARE(spies.total(), 2);
}

void TestParser::deleteAnswer()
{
    ParserSpies spies;
    parser()->processReceivedMessage(QStringLiteral(R"({"cmd":"delete_devices_resp","device_delete_status":[
        {"devEui":"01","status":"deleted"},{"devEui":"02","status":"notFound"},{"devEui":"03"}]})"));
    QCOMPARE(spies.removed.count(), 1);
    QCOMPARE(spies.removed.last().first().toString(), QStringLiteral("notFound"));
    parser()->processReceivedMessage(
        QStringLiteral(R"({"cmd":"delete_devices_resp","device_delete_status":[]})"));
    QCOMPARE(spies.removed.last().first().toString(), QString());
}

void TestParser::textEntryPointsMatchDispatch()
{
    const QString frame = devicesResp(QStringLiteral(R"([{"devEui":"ab","ABP":{"devAddress":4227902465}}])"));
    ParserSpies spies;
    parser()->processReceivedMessage(frame);
    parser()->getDevResp(frame);
    QCOMPARE(spies.device.count(), 2);
    QCOMPARE(spies.device.at(0).first().value<LoRaDevice>(), spies.device.at(1).first().value<LoRaDevice>());
    QCOMPARE(spies.lastDevice().devAddress, 0xFC00AC01u);

    parser()->srvInfoResp(QStringLiteral(R"({"device_count":{"device_count_qelt":3}})"));
    QCOMPARE(spies.info.last().first().value<CloraInfoResp>().deviceCountQelt, 3);
    // A text that is no JSON object is dropped by every entry point.
    const QString garbage = QStringLiteral("[1,2");
    parser()->authResp(garbage);
    parser()->srvInfoResp(garbage);
    parser()->closeAuthResp(garbage);
    parser()->getDevResp(QStringLiteral("[]"));
    parser()->mngDevResp(garbage);
    parser()->deleteDeviceResp(garbage);
    parser()->manageAppdataResp(garbage);
    QCOMPARE(spies.total(), 5); // two devices, two lists, one counter
}

void TestParser::followUpRequestsReachServer_data()
{
    QTest::addColumn<QString>("statuses");
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<QStringList>("queried");
    const QStringList single{Protocol::Cmd::getDevicesReq, Protocol::Cmd::serverInfoReq};
    QTest::newRow("added") << QStringLiteral(R"([{"devEui":"70B3D5E75E001234","status":"added"}])") << single
                           << QStringList{QStringLiteral("70B3D5E75E001234")};
    QTest::newRow("updated") << QStringLiteral(R"([{"devEui":"01","status":"updated"}])") << single
                             << QStringList{QStringLiteral("01")};
    QTest::newRow("refused") << QStringLiteral(R"([{"devEui":"01","status":"reginfoAlreadyExist"}])")
                             << single << QStringList();
    QTest::newRow("three")
        << QStringLiteral(
               R"([{"devEui":"01","status":"added"},{"devEui":"02","status":"added"},{"devEui":"03","status":"updated"}])")
        << QStringList{Protocol::Cmd::serverInfoReq} << QStringList();
    QTest::newRow("empty") << QStringLiteral("[]") << QStringList() << QStringList();
}

void TestParser::followUpRequestsReachServer()
{
    QFETCH(QString, statuses);
    QFETCH(QStringList, commands);
    QFETCH(QStringList, queried);
    LoopbackServer server;
    QVERIFY(loginToLoopbackServer(server));
    server.clearReceived();
    // Frames are handled in order: once the later delete answer is out, the registration answer
    // has been handled; a marker request sent then arrives after everything it caused.
    QSignalSpy handled(parser(), &CMessageParser::deviceMbRemoved);
    server.sendToClient(
        QStringLiteral(R"({"cmd":"manage_devices_resp","device_add_status":%1})").arg(statuses));
    server.sendToClient(QStringLiteral(R"({"cmd":"delete_devices_resp","device_delete_status":[]})"));
    QTRY_COMPARE(handled.count(), 1);
    const QString marker = QStringLiteral("marker");
    QVERIFY(!CServerClient::instance()->sendMessage(QStringLiteral(R"({"cmd":"marker"})")));
    QTRY_VERIFY(server.receivedCommands().contains(marker));
    QStringList received = server.receivedCommands();
    received.removeAll(marker);
    QCOMPARE(received, commands);
    if (commands.contains(Protocol::Cmd::getDevicesReq)) {
        const QJsonObject request = server.receivedObjects(Protocol::Cmd::getDevicesReq).first();
        const QJsonArray list =
            request.value(Protocol::Key::select).toObject().value(Protocol::Key::devEuiList).toArray();
        QCOMPARE(list.toVariantList(), QVariant(queried).toList());
        QVERIFY(list.isEmpty() || list.first().isString());
    }
    QVERIFY(endLoopbackSession(server));
}

RAVLO_REGISTER_TEST(TestParser)
#include "tst_parser.moc"
