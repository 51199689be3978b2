#include "SimTestSupport.h"
#include "common/TestRegistry.h"

#include "SimVocabulary.h"
#include "app/AppStartup.h"
#include "server/CMessageParser.h"
#include "server/CServerClient.h"

#include <QFile>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QTemporaryDir>
#include <QtTest>

namespace Cmd = Protocol::Cmd;
namespace K = Protocol::Key;
namespace S = Protocol::Status;
namespace V = SimVocabulary;

namespace {
const QString serverInfo = QStringLiteral(R"({"cmd":"server_info_req"})");
const QString getAll = QStringLiteral(R"({"cmd":"get_devices_req"})");

QString devEuisOf(const QJsonObject& getAnswer)
{
    QStringList devEuis;
    for (const QJsonValue& device : getAnswer.value(K::devicesList).toArray())
        devEuis.append(device[K::devEui].toString());
    return devEuis.join(QLatin1Char(' '));
}

QString counts(SimClient& client)
{
    const QJsonObject count = client.request(serverInfo).value(K::deviceCount).toObject();
    return QStringLiteral("%1/%2")
        .arg(count.value(K::deviceCountQelt).toInt(-1))
        .arg(count.value(K::deviceCountOther).toInt(-1));
}

// One device of a "manage_devices_req" on a server that holds `before` (each "added" first)
// and allows two devices (--max-devices 2).
struct StatusRow
{
    const char* name;
    const char* before;
    const char* device;
    QString status;
};

const QVector<StatusRow>& statusRows()
{
    // clang-format off
    static const QVector<StatusRow> rows{
        {"added, OTAA with settings", "", R"({"devEui":"$EUI1",$OTAA,$SETTINGS})", S::added},
        {"added, ABP as scanned", "", R"({"devEui":"$EUI1",$ABP,"OTAA":{"appEui":"","appKey":""}})", S::added},
        {"added, lower-case hex", "", R"({"devEui":"70b3d5fffe000001","OTAA":{"appEui":"a1a2a3a4a5a6a7a8","appKey":"f0f1f2f3f4f5f6f7f8f9fafbfcfdfeff"}})", S::added},
        {"added, devAddress top", "", R"({"devEui":"$EUI1","ABP":{"devAddress":4294967295,"appsKey":"$KEY","nwksKey":"$KEY"}})", S::added},
        {"added, power 2", "", R"({"devEui":"$EUI1",$OTAA,"preferPower":2})", S::added},
        {"devEui short", "", R"({"devEui":"70B3D5FFFE00001",$OTAA})", S::invalidDevEui},
        {"devEui not hex", "", R"({"devEui":"70B3D5FFFE00000X",$OTAA})", S::invalidDevEui},
        {"devEui full-width digit", "", R"({"devEui":"70B3D5FFFE00000１",$OTAA})", S::invalidDevEui},
        {"devEui a number", "", R"({"devEui":12345,$OTAA})", S::invalidDevEui},
        {"element a number", "", "7", S::invalidDevEui},
        {"OTAA with empty appKey", "", R"({"devEui":"$EUI1","OTAA":{"appEui":"0102030405060708","appKey":""}})", S::invalidOtaaParamList},
        {"OTAA an array", "", R"({"devEui":"$EUI1","OTAA":[]})", S::invalidOtaaParamList},
        {"appKey 31 digits", "", R"({"devEui":"$EUI1","OTAA":{"appEui":"0102030405060708","appKey":"2B7E151628AED2A6ABF7158809CF4F3"}})", S::invalidAppKeyValue},
        {"appKey not hex, before power", "", R"({"devEui":"$EUI1","OTAA":{"appEui":"0102030405060708","appKey":"2B7E151628AED2A6ABF7158809CF4F3Z"},"preferPower":20})", S::invalidAppKeyValue},
        {"ABP without nwksKey", "", R"({"devEui":"$EUI1","ABP":{"devAddress":1,"appsKey":"$KEY"}})", S::invalidAbpParamList},
        {"ABP a string", "", R"({"devEui":"$EUI1",$OTAA,"ABP":"x"})", S::invalidAbpParamList},
        {"devAddress 0", "", R"({"devEui":"$EUI1","ABP":{"devAddress":0,"appsKey":"$KEY","nwksKey":"$KEY"}})", S::invalidDevAddrValue},
        {"devAddress above 32 bits", "", R"({"devEui":"$EUI1","ABP":{"devAddress":4294967296,"appsKey":"$KEY","nwksKey":"$KEY"}})", S::invalidDevAddrValue},
        {"devAddress fraction", "", R"({"devEui":"$EUI1","ABP":{"devAddress":1.5,"appsKey":"$KEY","nwksKey":"$KEY"}})", S::invalidDevAddrValue},
        {"appsKey short", "", R"({"devEui":"$EUI1","ABP":{"devAddress":1,"appsKey":"2B7E1516","nwksKey":"$KEY"}})", S::invalidSessionKeyValue},
        {"nwksKey not hex", "", R"({"devEui":"$EUI1","ABP":{"devAddress":1,"appsKey":"$KEY","nwksKey":"2B7E151628AED2A6ABF7158809CF4F3-"}})", S::invalidSessionKeyValue},
        {"unknown without keys", "", R"({"devEui":"$EUI1","OTAA":{"appEui":"","appKey":""},"serverAdrEnable":true})", S::noRegisterKeys},
        {"known, other appKey", R"({"devEui":"$EUI1",$OTAA})", R"({"devEui":"$EUI1","OTAA":{"appEui":"0102030405060708","appKey":"F0F1F2F3F4F5F6F7F8F9FAFBFCFDFEFF"}})", S::reginfoAlreadyExist},
        {"known ABP, other appsKey", R"({"devEui":"$EUI1",$ABP})", R"({"devEui":"$EUI1","ABP":{"devAddress":637606874,"appsKey":"F0F1F2F3F4F5F6F7F8F9FAFBFCFDFEFF","nwksKey":"$KEY"}})", S::abpReginfoAlreadyExist},
        {"known OTAA, ABP keys", R"({"devEui":"$EUI1",$OTAA})", R"({"devEui":"$EUI1",$ABP})", S::abpReginfoAlreadyExist},
        {"known, same keys and settings", R"({"devEui":"$EUI1",$OTAA,$SETTINGS})", R"({"devEui":"$EUI1",$OTAA,$SETTINGS})", S::nothingToUpdate},
        {"known, same keys in lower case", R"({"devEui":"$EUI1",$OTAA})", R"({"devEui":"70b3d5fffe000001","OTAA":{"appEui":"0102030405060708","appKey":"2b7e151628aed2a6abf7158809cf4f3c"}})", S::nothingToUpdate},
        {"known, settings only, unchanged", R"({"devEui":"$EUI1",$OTAA,$SETTINGS})", R"({"devEui":"$EUI1","OTAA":{"appEui":"","appKey":""},"devName":"meter"})", S::nothingToUpdate},
        {"known ABP, its own devAddress", R"({"devEui":"$EUI1",$ABP})", R"({"devEui":"$EUI1",$ABP})", S::nothingToUpdate},
        {"known, empty frequencyPlan not kept", R"({"devEui":"$EUI1",$OTAA,"frequencyPlan":{}})", R"({"devEui":"$EUI1",$OTAA,"frequencyPlan":{}})", S::nothingToUpdate},
        {"known, other name", R"({"devEui":"$EUI1",$OTAA,$SETTINGS})", R"({"devEui":"$EUI1","devName":"meter 7"})", S::updated},
        {"known, class C without keys", R"({"devEui":"$EUI1",$OTAA,$SETTINGS})", R"({"devEui":"$EUI1","OTAA":{"appEui":"","appKey":""},"class":"CLASS_C","reactionTime":1000})", S::updated},
        {"known, position merged", R"({"devEui":"$EUI1",$OTAA,"position":{"latitude":55.75}})", R"({"devEui":"$EUI1","position":{"altitude":150}})", S::updated},
        {"known, only devEui", R"({"devEui":"$EUI1",$OTAA})", R"({"devEui":"$EUI1"})", S::emptyDataForUpdate},
        {"limit reached", R"({"devEui":"$EUI2",$OTAA},{"devEui":"$EUI3",$OTAA})", R"({"devEui":"$EUI1",$OTAA})", S::maxDevCountReached},
        {"limit, update of a known device", R"({"devEui":"$EUI1",$OTAA},{"devEui":"$EUI2",$OTAA})", R"({"devEui":"$EUI1","devName":"x"})", S::updated},
        {"devAddress of another device", R"({"devEui":"$EUI2",$ABP})", R"({"devEui":"$EUI1",$ABP})", S::repetitionDevAddr},
        {"power 15", "", R"({"devEui":"$EUI1",$OTAA,"preferPower":15})", S::invalidPower},
        {"power 1", "", R"({"devEui":"$EUI1",$OTAA,"preferPower":1})", S::invalidPower},
        {"power as text", "", R"({"devEui":"$EUI1",$OTAA,"preferPower":"14"})", S::invalidPower},
        {"channelMask of one channel", "", R"({"devEui":"$EUI1",$OTAA,"channelMask":{"channel1En":true}})", S::invalidChannelMaskParamList},
        {"channelMask an array", "", R"({"devEui":"$EUI1",$OTAA,"channelMask":[]})", S::invalidChannelMaskParamList},
        {"preferDr 8", "", R"({"devEui":"$EUI1",$OTAA,"preferDr":8})", S::invalidDataRate},
        {"drRx2 -1", "", R"({"devEui":"$EUI1",$OTAA,"drRx2":-1})", S::invalidDataRate},
        {"rxWindow 3", "", R"({"devEui":"$EUI1",$OTAA,"rxWindow":3})", S::invalidRxWindow},
        {"rxWindow 0", "", R"({"devEui":"$EUI1",$OTAA,"rxWindow":0})", S::invalidRxWindow},
        {"delayRx1 0", "", R"({"devEui":"$EUI1",$OTAA,"delayRx1":0})", S::invalidDelay},
        {"delayJoin1 16", "", R"({"devEui":"$EUI1",$OTAA,"delayJoin1":16})", S::invalidDelay},
        {"reactionTime -5", "", R"({"devEui":"$EUI1",$OTAA,"reactionTime":-5})", S::invalidDelay},
        {"class unknown", "", R"({"devEui":"$EUI1",$OTAA,"class":"CLASS_X"})", S::invalidClass},
        {"class B", "", R"({"devEui":"$EUI1",$OTAA,"class":"CLASS_B"})", S::unsupportClass},
        {"freq4 as text", "", R"({"devEui":"$EUI1",$OTAA,"frequencyPlan":{"freq4":"864100000"}})", S::invalidFrequencyPlan},
        {"devName a number", "", R"({"devEui":"$EUI1",$OTAA,"devName":5})", V::Status::invalidParamValue},
        {"latitude 91", "", R"({"devEui":"$EUI1",$OTAA,"position":{"latitude":91}})", V::Status::invalidParamValue},
    };
    // clang-format on
    return rows;
}
} // namespace

// The built simulator as a process, driven over plain WebSocket connections.
class TestLnsSimProtocol : public QObject
{
    Q_OBJECT
private slots:
    void loginsTwoClientsAndTheFrameLog();
    void registrationStatus_data();
    void registrationStatus();
    void helpNamesEveryRegistrationStatus();
    void everyOtherRequest();
    void uplinksArePushed();
    void databaseSurvivesRestartAndIsNeverShared();
    void garbageFrames_data();
    void garbageFrames();
    void garbageConnections();
    void secureWebSocket();
    void ravloLogsIn();

private:
    SimPeer m_garbage; // one simulator for every garbage frame: it must survive them all
};

void TestLnsSimProtocol::loginsTwoClientsAndTheFrameLog()
{
    SimProcess sim;
    QVERIFY(sim.start({"--user", "anna:se:cret", "--user", "boris:b"}));
    QCOMPARE(sim.url().toString(), QStringLiteral("ws://127.0.0.1:%1").arg(sim.url().port()));
    SimClient first;
    SimClient second;
    QVERIFY(first.open(sim.url()) && second.open(sim.url()));

    // Before a login every request is refused, not served.
    const QJsonObject refused = first.request(serverInfo);
    QCOMPARE(refused.value(K::cmd).toString(), Cmd::serverInfoResp);
    QCOMPARE(refused.value(K::status).toBool(true), false);
    QCOMPARE(refused.value(K::errString).toString(), V::Error::notAuthorized);
    QVERIFY(!refused.contains(K::deviceCount));
    QCOMPARE(first.request(manageRequest(R"({"devEui":"$EUI1",$OTAA})"))[K::errString].toString(),
             V::Error::notAuthorized);

    // The users of the options replace the demo user.
    const QJsonObject wrong = first.request(R"({"cmd":"auth_req","login":"operator","password":"ravlo"})");
    QCOMPARE(wrong.value(K::status).toBool(true), false);
    QCOMPARE(wrong.value(K::errString).toString(), S::invalidLoginOrPassword);
    QCOMPARE(first.login("boris", "B"), QString());

    // Every login gets a fresh token.
    const QJsonObject accepted = first.request(R"({"cmd":"auth_req","login":"anna","password":"se:cret"})");
    QCOMPARE(accepted.value(K::status).toBool(), true);
    QCOMPARE(accepted.value(K::deviceAccess).toString(), V::fullDeviceAccess);
    const QString firstToken = accepted.value(K::token).toString();
    const QString token = first.login("anna", "se:cret");
    const QString otherToken = second.login("boris", "b");
    QVERIFY(!token.isEmpty() && token != firstToken && otherToken != firstToken && otherToken != token);
    QCOMPARE(devEuisOf(first.request(getAll)), QString()); // nothing of the refused request was kept

    // "close_auth_req" ends only the login whose token it carries.
    const QString close = QStringLiteral(R"({"cmd":"close_auth_req","token":"%1"})");
    const QJsonObject foreign = first.request(close.arg(otherToken));
    QCOMPARE(foreign.value(K::cmd).toString(), Cmd::closeAuthResp);
    QCOMPARE(foreign.value(K::errString).toString(), V::Error::invalidToken);
    QCOMPARE(first.request(serverInfo).value(K::status).toBool(), true);
    QCOMPARE(first.request(close.arg(token)).value(K::status).toBool(), true);
    QCOMPARE(first.request(serverInfo).value(K::errString).toString(), V::Error::notAuthorized);
    QCOMPARE(second.request(serverInfo).value(K::status).toBool(), true);
    QVERIFY(!first.login("anna", "se:cret").isEmpty()); // the socket stays open for a new login

    // Both send before either reads: each gets its own answers, in its own order.
    first.sendText(manageRequest(R"({"devEui":"$EUI1",$OTAA})"));
    second.sendText(manageRequest(R"({"devEui":"$EUI2",$OTAA})"));
    first.sendText(getAll);
    QCOMPARE(statuses(first.next()), S::added);
    QCOMPARE(statuses(second.next()), S::added);
    QCOMPARE(first.next().value(K::cmd).toString(), Cmd::getDevicesResp);
    // The device of the other client is known.
    QCOMPARE(statuses(second.request(manageRequest(
                 R"({"devEui":"$EUI1","OTAA":{"appEui":"A1A2A3A4A5A6A7A8","appKey":"$KEY"}})"))),
             S::reginfoAlreadyExist);
    first.socket.close();
    QVERIFY(first.waitDisconnected());
    QCOMPARE(devEuisOf(second.request(getAll)), QStringLiteral("70B3D5FFFE000001 70B3D5FFFE000002"));

    // One line per frame in and out, flushed at once, and one for each connection's end.
    QVERIFY(
        sim.waitForLine(R"(^in  \d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}\S* client=1 cmd=auth_req size=\d+$)"));
    QVERIFY(sim.waitForLine(R"(^out \S+ client=2 cmd=auth_resp size=\d+$)"));
    QVERIFY(sim.waitForLine("client=1 disconnected"));
}

void TestLnsSimProtocol::registrationStatus_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("status");
    for (const StatusRow& row : statusRows())
        QTest::newRow(row.name) << QString(row.before) << QString(row.device) << row.status;
}

void TestLnsSimProtocol::registrationStatus()
{
    QFETCH(QString, before);
    QFETCH(QString, device);
    QFETCH(QString, status);
    SimPeer peer;
    QVERIFY(peer.start({"--max-devices", "2"}));
    if (!before.isEmpty())
        QCOMPARE(statuses(peer.client.request(manageRequest(before))).split(' ').count(S::added),
                 before.count("devEui"));
    const QJsonObject held = peer.client.request(getAll);

    const QJsonObject answer = peer.client.request(manageRequest(device));
    QCOMPARE(statuses(answer), status);
    // The DevEUI comes back as it was sent, so that a client can match it.
    const QJsonValue sent = QJsonDocument::fromJson(expandDevices("[" + device + "]").toUtf8()).array()[0];
    QCOMPARE(answer[K::deviceAddStatus][0][K::devEui], QJsonValue(sent[K::devEui].toString()));
    // Only "added" and "updated" change what the server holds.
    QCOMPARE(peer.client.request(getAll) != held, status == S::added || status == S::updated);
}

void TestLnsSimProtocol::helpNamesEveryRegistrationStatus()
{
    QString help;
    QCOMPARE(runSimToExit({"--help"}, &help), 0);
    for (const StatusRow& row : statusRows())
        QVERIFY2(help.contains(row.status), qPrintable(row.status));
}

void TestLnsSimProtocol::everyOtherRequest()
{
    SimPeer peer;
    QVERIFY(peer.start({"--qelt-prefix", "70b3d5"}));
    SimClient& client = peer.client;
    QCOMPARE(
        statuses(client.request(manageRequest(
            R"({"devEui":"70b3d5fffe000002","OTAA":{"appEui":"0102030405060708","appKey":"2b7e151628aed2a6abf7158809cf4f3c"},)"
            R"("position":{"latitude":55.75},"unknownKey":1},{"devEui":"$EUI1",$ABP},{"devEui":"0011223344556677",$OTAA})"))),
        QStringLiteral("added added added"));
    QCOMPARE(counts(client), QStringLiteral("2/1"));
    QCOMPARE(statuses(client.request(manageRequest(R"({"devEui":"$EUI2","position":{"altitude":150}})"))),
             S::updated);

    // All devices in DevEUI order, or those of the selection as asked (upper case, once each).
    QCOMPARE(devEuisOf(client.request(getAll)),
             QStringLiteral("0011223344556677 70B3D5FFFE000001 70B3D5FFFE000002"));
    const QString select = QStringLiteral(R"({"cmd":"get_devices_req","select":{"devEui_list":[%1]}})");
    const QJsonObject some = client.request(
        select.arg(R"("70b3d5fffe000002","FFFFFFFFFFFFFFFF","70B3D5FFFE000001","70B3D5FFFE000002")"));
    QCOMPARE(devEuisOf(some), QStringLiteral("70B3D5FFFE000002 70B3D5FFFE000001"));
    const QJsonValue kept = some[K::devicesList][0];
    QCOMPARE(kept[K::otaa][K::appKey].toString(), QStringLiteral("2B7E151628AED2A6ABF7158809CF4F3C"));
    QCOMPARE(kept[K::position].toObject(), (QJsonObject{{K::latitude, 55.75}, {K::altitude, 150}}));
    QVERIFY(!kept.toObject().contains(QStringLiteral("unknownKey")));
    QCOMPARE(some[K::devicesList][1][K::abp][K::devAddress].toDouble(), 637606874.0);
    // After a refused registration Ravlo asks with an empty list: nothing, not everything.
    QCOMPARE(devEuisOf(client.request(select.arg(QString()))), QString());
    QCOMPARE(client.request(R"({"cmd":"get_devices_req","select":"all"})")[K::errString].toString(),
             V::Error::invalidRequest);

    const QJsonObject deleted = client.request(
        R"({"cmd":"delete_devices_req","devices_list":["70b3d5fffe000001","FFFFFFFFFFFFFFFF","xyz",5,"70B3D5FFFE000001"]})");
    QCOMPARE(statuses(deleted, K::deviceDeleteStatus),
             QStringLiteral("deleted notFound invalidDevEui invalidDevEui notFound"));
    QCOMPARE(deleted[K::deviceDeleteStatus][0][K::devEui].toString(), QStringLiteral("70b3d5fffe000001"));
    QCOMPARE(devEuisOf(client.request(getAll)), QStringLiteral("0011223344556677 70B3D5FFFE000002"));
    QCOMPARE(statuses(client.request(manageRequest(R"({"devEui":"$EUI1",$OTAA})"))),
             S::added); // gone for good

    const QJsonObject appData = client.request(
        R"({"cmd":"manage_device_appdata_req","data_list":[{"devEui":"70B3D5FFFE000002","sn":"1","other_info_1":"{\"kt\":1}"},)"
        R"({"devEui":"FFFFFFFFFFFFFFFF"},{"devEui":"70B3D5FFFE000002","other_info_1":"not json"},3]})");
    QCOMPARE(statuses(appData, K::updateStatus), QStringLiteral("true false false false"));

    const QString sendData = QStringLiteral(R"({"cmd":"send_data_req","data_list":[%1]})");
    const QJsonObject sent = client.request(sendData.arg(
        R"({"devEui":"70B3D5FFFE000002","port":2,"data":"0a0b","ack":true},{"devEui":"70B3D5FFFE000002","port":"02","data":"FF"},)"
        R"({"devEui":"FFFFFFFFFFFFFFFF","port":2,"data":"00"},{"devEui":"12","port":2,"data":"00"},)"
        R"({"devEui":"70B3D5FFFE000002","port":0,"data":"00"},{"devEui":"70B3D5FFFE000002","port":"x","data":"00"},)"
        R"({"devEui":"70B3D5FFFE000002","port":2,"data":"ABC"},{"devEui":"70B3D5FFFE000002","port":2,"data":"hello"})"));
    QCOMPARE(statuses(sent, V::Key::sendStatus),
             QStringLiteral(
                 "queued queued notFound invalidDevEui invalidPort invalidPort invalidData invalidData"));
    QVERIFY(peer.sim.waitForLine("downlink queued devEui=70B3D5FFFE000002 port=2 ack=true data=0A0B$"));
    // Two wait already; the queue of one device holds 32.
    const QString one = QStringLiteral(R"({"devEui":"70B3D5FFFE000002","port":2,"data":"00"})");
    QCOMPARE(statuses(client.request(sendData.arg((one + ',').repeated(31).chopped(1))), V::Key::sendStatus),
             QStringLiteral("queued ").repeated(30) + V::Status::queueFull);
}

void TestLnsSimProtocol::uplinksArePushed()
{
    SimPeer peer;
    QVERIFY(peer.start({"--rx-interval", "1"}));
    SimClient anonymous;
    QVERIFY(anonymous.open(peer.sim.url()));
    peer.client.sendText(manageRequest(R"({"devEui":"$EUI1",$OTAA})"));
    peer.client.sendText(
        R"({"cmd":"send_data_req","data_list":[{"devEui":"70B3D5FFFE000001","port":3,"data":"01"}]})");
    // The answers come first; an uplink may come between them.
    QJsonObject rx;
    for (int frame = 0; frame < 4 && rx.value(K::cmd).toString() != Cmd::rx; ++frame)
        rx = peer.client.next();
    QCOMPARE(rx.value(K::cmd).toString(), Cmd::rx);
    QCOMPARE(rx.value(K::type).toString(), Protocol::UplinkType::unconfirmed);
    QCOMPARE(rx.value(K::devEui).toString(), QStringLiteral("70B3D5FFFE000001"));
    // The queued downlink goes out with the device's next uplink.
    QVERIFY(peer.sim.waitForLine("downlink sent devEui=70B3D5FFFE000001 port=3 data=01"));
    // Connections without a login get no uplinks.
    QCOMPARE(peer.client.next().value(K::cmd).toString(), Cmd::rx);
    QVERIFY(anonymous.next(200).isEmpty());
}

void TestLnsSimProtocol::databaseSurvivesRestartAndIsNeverShared()
{
    QTemporaryDir dir;
    const QString database = dir.filePath(QStringLiteral("devices.db"));
    {
        SimPeer peer;
        QVERIFY(peer.start({"--database", database}));
        QCOMPARE(
            statuses(peer.client.request(manageRequest(
                R"({"devEui":"$EUI1",$OTAA,$SETTINGS},{"devEui":"$EUI2",$ABP},{"devEui":"$EUI3",$OTAA})"))),
            QStringLiteral("added added added"));
        QCOMPARE(statuses(peer.client.request(
                              R"({"cmd":"delete_devices_req","devices_list":["70B3D5FFFE000003"]})"),
                          K::deviceDeleteStatus),
                 S::deleted);
        QCOMPARE(statuses(peer.client.request(manageRequest(R"({"devEui":"$EUI1","devName":"renamed"})"))),
                 S::updated);
    }
    SimPeer peer;
    QVERIFY(peer.start({"--database", database}));
    QVERIFY(peer.sim.waitForLine(R"(^database .*devices.db", 2 devices)"));
    const QJsonObject all = peer.client.request(getAll);
    QCOMPARE(devEuisOf(all), QStringLiteral("70B3D5FFFE000001 70B3D5FFFE000002"));
    QCOMPARE(all[K::devicesList][0][K::devName].toString(), QStringLiteral("renamed"));
    QCOMPARE(all[K::devicesList][0][K::channelMask].toObject().size(), 16);
    // The keys are remembered too.
    QCOMPARE(
        statuses(peer.client.request(manageRequest(R"({"devEui":"$EUI1",$OTAA},{"devEui":"$EUI2",$ABP})"))),
        QStringLiteral("nothingToUpdate nothingToUpdate"));

    // A second simulator on the same (existing) file is refused; the first goes on serving.
    QString output;
    QCOMPARE(runSimToExit({"--port", "0", "--database", database}, &output), 1);
    QVERIFY2(output.contains(QStringLiteral("cannot open the database")), qPrintable(output));
    QCOMPARE(counts(peer.client), QStringLiteral("2/0"));

    // A file that is no database, or a folder that does not exist, stops the start; the file is left alone.
    QFile notSqlite(dir.filePath(QStringLiteral("notes.txt")));
    QVERIFY(notSqlite.open(QIODevice::WriteOnly) && notSqlite.write(QByteArray(4096, 'x')) == 4096);
    notSqlite.close();
    for (const QString& path : {notSqlite.fileName(), dir.filePath(QStringLiteral("missing/devices.db"))}) {
        QCOMPARE(runSimToExit({"--port", "0", "--database", path}, &output), 1);
        QVERIFY2(output.contains(QStringLiteral("cannot open the database")), qPrintable(output));
        QVERIFY(!output.contains(QStringLiteral("listening")));
    }
    QCOMPARE(QFile(notSqlite.fileName()).size(), qint64(4096));
}

void TestLnsSimProtocol::garbageFrames_data()
{
    QTest::addColumn<QString>("frame");
    QTest::addColumn<QString>("replyCmd");
    QTest::addColumn<QString>("errString");
    const QString deep = QString(5000, '[') + QString(5000, ']');
    // clang-format off
    QTest::newRow("not JSON") << "hello" << V::Cmd::error << V::Error::invalidJson;
    QTest::newRow("empty") << "" << V::Cmd::error << V::Error::invalidJson;
    QTest::newRow("truncated") << R"({"cmd":"server_info_req")" << V::Cmd::error << V::Error::invalidJson;
    QTest::newRow("array") << "[1,2,3]" << V::Cmd::error << V::Error::invalidJson;
    QTest::newRow("deeply nested") << deep << V::Cmd::error << V::Error::invalidJson;
    QTest::newRow("deeply nested list") << R"({"cmd":"manage_devices_req","devices_list":)" + deep + "}" << V::Cmd::error << V::Error::invalidJson;
    QTest::newRow("huge number") << R"({"cmd":"manage_devices_req","devices_list":[{"devEui":"70B3D5FFFE000001","preferPower":1e400}]})"
                                 << V::Cmd::error << V::Error::invalidJson;
    QTest::newRow("no cmd") << R"({"login":"operator"})" << V::Cmd::error << V::Error::missingCmd;
    QTest::newRow("cmd a number") << R"({"cmd":5})" << V::Cmd::error << V::Error::missingCmd;
    QTest::newRow("cmd with line break") << R"({"cmd":"x\nout 1 forged"})" << V::Cmd::error << V::Error::unknownCmd;
    QTest::newRow("unknown cmd") << R"({"cmd":"reboot_req"})" << V::Cmd::error << V::Error::unknownCmd;
    QTest::newRow("response as request") << R"({"cmd":"auth_resp","status":true})" << V::Cmd::error << V::Error::unknownCmd;
    QTest::newRow("devices_list a string") << R"({"cmd":"manage_devices_req","devices_list":"x"})" << Cmd::manageDevicesResp << V::Error::invalidRequest;
    QTest::newRow("devices of wrong types") << R"({"cmd":"manage_devices_req","devices_list":[null,true,[],"x",{"devEui":[]}]})"
                                            << Cmd::manageDevicesResp << QString();
    QTest::newRow("select a number") << R"({"cmd":"get_devices_req","select":1})" << Cmd::getDevicesResp << V::Error::invalidRequest;
    QTest::newRow("devEui_list of objects") << R"({"cmd":"get_devices_req","select":{"devEui_list":[{},null,1e308]}})"
                                            << Cmd::getDevicesResp << QString();
    QTest::newRow("delete list a string") << R"({"cmd":"delete_devices_req","devices_list":"x"})" << Cmd::deleteDevicesResp << V::Error::invalidRequest;
    QTest::newRow("appdata list an object") << R"({"cmd":"manage_device_appdata_req","data_list":{}})" << Cmd::manageDeviceAppdataResp << V::Error::invalidRequest;
    QTest::newRow("data_list null") << R"({"cmd":"send_data_req","data_list":null})" << V::Cmd::sendDataResp << V::Error::invalidRequest;
    QTest::newRow("login a number") << R"({"cmd":"auth_req","login":1,"password":2})" << Cmd::authResp << S::invalidLoginOrPassword;
    QTest::newRow("nul and lone surrogate") << R"({"cmd":"auth_req","login":"\u0000\ud800","password":""})"
                                            << Cmd::authResp << S::invalidLoginOrPassword;
    QTest::newRow("huge string") << R"({"cmd":"manage_devices_req","devices_list":[{"devEui":")" + QString(1 << 20, 'A') + "\"}]}"
                                 << Cmd::manageDevicesResp << QString();
    // clang-format on
}

void TestLnsSimProtocol::garbageFrames()
{
    QFETCH(QString, frame);
    QFETCH(QString, replyCmd);
    QFETCH(QString, errString);
    if (!m_garbage.sim.isRunning())
        QVERIFY(m_garbage.start());
    SimClient& client = m_garbage.client;
    client.sendText(frame);
    const QJsonObject answer = client.next();
    QCOMPARE(answer.value(K::cmd).toString(), replyCmd);
    QCOMPARE(answer.value(K::errString).toString(), errString);
    QCOMPARE(answer.value(K::status).toBool(), errString.isEmpty());
    if (replyCmd == Cmd::authResp) // a refused login ends the connection's login
        QVERIFY(!client.login().isEmpty());
    // Still serving, on the same connection; and a line break inside "cmd" made no line of its own.
    QCOMPARE(client.request(serverInfo).value(K::status).toBool(), true);
    QCOMPARE(m_garbage.sim.lines().filter(QRegularExpression("^out 1 forged")), QStringList());
}

void TestLnsSimProtocol::garbageConnections()
{
    SimPeer peer;
    QVERIFY(peer.start({"--max-message-size", "65536"}));
    // A frame above the limit closes that connection only; the others and new ones are served.
    SimClient big;
    QVERIFY(big.open(peer.sim.url()));
    big.sendText(R"({"cmd":"auth_req","login":")" + QString(100000, 'a') + "\"}");
    QVERIFY(big.waitDisconnected());
    QCOMPARE(big.socket.closeCode(), QWebSocketProtocol::CloseCodeTooMuchData);
    // Binary frames are answered, not served.
    peer.client.socket.sendBinaryMessage(QByteArray("\x00\x01", 2));
    QCOMPARE(peer.client.next().value(K::errString).toString(), V::Error::binaryFrame);
    QCOMPARE(peer.client.request(serverInfo).value(K::status).toBool(), true);
    SimClient later;
    QVERIFY(later.open(peer.sim.url()));
    QVERIFY(!later.login().isEmpty());
}

void TestLnsSimProtocol::secureWebSocket()
{
    if (!QSslSocket::supportsSsl())
        QSKIP("no TLS support in this Qt");
    QTemporaryDir dir;
    const QString cert = dir.filePath(QStringLiteral("cert.pem"));
    const QString key = dir.filePath(QStringLiteral("key.pem"));
    QProcess openssl;
    openssl.start(QStringLiteral("openssl"),
                  {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", cert, "-days",
                   "2", "-subj", "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1"});
    if (!openssl.waitForStarted(10000))
        QSKIP("openssl is not installed; cannot make a test certificate");
    QVERIFY(openssl.waitForFinished(60000) && openssl.exitCode() == 0);

    SimPeer peer;
    QSslConfiguration ssl = QSslConfiguration::defaultConfiguration();
    ssl.setCaCertificates(QSslCertificate::fromPath(cert)); // trust exactly this certificate
    peer.client.socket.setSslConfiguration(ssl);
    QVERIFY(peer.start({"--cert", cert, "--key", key}));
    QCOMPARE(peer.sim.url().scheme(), QStringLiteral("wss"));
    QCOMPARE(statuses(peer.client.request(manageRequest(R"({"devEui":"$EUI1",$OTAA})"))), S::added);
}

void TestLnsSimProtocol::ravloLogsIn()
{
    // What the README tells a new user: the demo login over "ws" (here on a free port).
    SimPeer peer;
    QVERIFY(peer.start());
    peer.client.request(manageRequest(R"({"devEui":"$EUI1",$OTAA},{"devEui":"0011223344556677",$OTAA})"));

    AppStartup::connectClientToParser();
    QSignalSpy info(CMessageParser::instance(), &CMessageParser::serverInfoResp);
    CServerClient* ravlo = CServerClient::instance();
    CLoraAuthReq request;
    request.protocol = 0;
    request.address = QStringLiteral("127.0.0.1:%1").arg(peer.sim.url().port());
    request.login = QStringLiteral("operator");
    request.password = QStringLiteral("ravlo");
    ravlo->openWebSoket(request);
    QTRY_COMPARE_WITH_TIMEOUT(ravlo->clientState(), EClientStates::ready, 15000);
    QTRY_VERIFY(!info.isEmpty());
    const CloraInfoResp counters = info.last().first().value<CloraInfoResp>();
    QCOMPARE(counters.deviceCountQelt, 1);
    QCOMPARE(counters.deviceCountOther, 1);
    ravlo->abort();
}

RAVLO_REGISTER_TEST(TestLnsSimProtocol)
#include "tst_lns_sim_protocol.moc"
