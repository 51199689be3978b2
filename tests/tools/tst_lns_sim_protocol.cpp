#include "SimTestSupport.h"
#include "common/TestRegistry.h"

#include "SimVocabulary.h"
#include "server/CMessageParser.h"
#include "server/CServerClient.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace Cmd = Protocol::Cmd;
namespace K = Protocol::Key;
namespace S = Protocol::Status;
namespace V = SimVocabulary;

namespace {
const QString serverInfo = QStringLiteral(R"({"cmd":"server_info_req"})");
const QString getAll = QStringLiteral(R"({"cmd":"get_devices_req"})");

QString devEuisOf(const QJsonObject& answer)
{
    return statuses(answer, K::devicesList, K::devEui);
}

QString counts(SimClient& client)
{
    const QJsonObject count = client.request(serverInfo).value(K::deviceCount).toObject();
    return QStringLiteral("%1/%2")
        .arg(count.value(K::deviceCountQelt).toInt(-1))
        .arg(count.value(K::deviceCountOther).toInt(-1));
}

} // namespace

// The built simulator as a process, driven over plain WebSocket connections.
class TestLnsSimProtocol : public QObject
{
    Q_OBJECT
private slots:
    void loginsAndTwoClients();
    void registrationStatus_data();
    void registrationStatus();
    void everyOtherRequest();
    void uplinksArePushed();
    void databaseSurvivesRestartAndIsNeverShared();
    void garbageFrames_data();
    void garbageFrames();
    void garbageConnections();
    void ravloLogsIn();

private:
    SimPeer m_garbage; // one simulator for every garbage frame: it must survive them all
};

void TestLnsSimProtocol::loginsAndTwoClients()
{
    SimProcess sim;
    QVERIFY(sim.start({"--user", "anna:se:cret", "--user", "boris:b"}));
    QCOMPARE(sim.url.host(), QStringLiteral("127.0.0.1"));
    SimClient first;
    SimClient second;
    QVERIFY(first.open(sim.url) && second.open(sim.url));

    // Before a login every request is refused, not served.
    const QJsonObject refused = first.request(manageRequest(R"({"devEui":"$EUI1",$OTAA})"));
    QCOMPARE(refused.value(K::errString).toString(), V::Error::notAuthorized);
    QVERIFY(!refused.contains(K::deviceAddStatus));

    // The users of the options replace the demo user; every login gets a fresh token.
    const QJsonObject wrong = first.request(R"({"cmd":"auth_req","login":"operator","password":"ravlo"})");
    QCOMPARE(wrong.value(K::status).toBool(true), false);
    QCOMPARE(wrong.value(K::errString).toString(), S::invalidLoginOrPassword);
    const QJsonObject accepted = first.request(R"({"cmd":"auth_req","login":"anna","password":"se:cret"})");
    QCOMPARE(accepted.value(K::deviceAccess).toString(), V::fullDeviceAccess);
    const QString token = first.login("anna", "se:cret");
    const QString otherToken = second.login("boris", "b");
    QCOMPARE(QSet<QString>({accepted.value(K::token).toString(), token, otherToken, QString()}).size(), 4);
    QCOMPARE(devEuisOf(first.request(getAll)), QString()); // nothing of the refused request was kept

    // "close_auth_req" ends only the login whose token it carries.
    const QString close = QStringLiteral(R"({"cmd":"close_auth_req","token":"%1"})");
    QCOMPARE(first.request(close.arg(otherToken)).value(K::errString).toString(), V::Error::invalidToken);
    QCOMPARE(first.request(close.arg(token)).value(K::cmd).toString(), Cmd::closeAuthResp);
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
    first.socket.close();
    QVERIFY(first.waitDisconnected());
    QCOMPARE(devEuisOf(second.request(getAll)), QStringLiteral("70B3D5FFFE000001 70B3D5FFFE000002"));
}

// One device of a "manage_devices_req" on a server that holds `before` (each "added" first)
// and allows two devices (--max-devices 2).
void TestLnsSimProtocol::registrationStatus_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("status");
    // clang-format off
    QTest::newRow("added, OTAA with settings") << QString("") << QString(R"({"devEui":"$EUI1",$OTAA,$SETTINGS})") << QString(S::added);
    QTest::newRow("added, ABP as scanned") << QString("") << QString(R"({"devEui":"$EUI1",$ABP,"OTAA":{"appEui":"","appKey":""}})") << QString(S::added);
    QTest::newRow("devEui short") << QString("") << QString(R"({"devEui":"70B3D5FFFE00001",$OTAA})") << QString(S::invalidDevEui);
    QTest::newRow("OTAA with empty appKey") << QString("") << QString(R"({"devEui":"$EUI1","OTAA":{"appEui":"0102030405060708","appKey":""}})") << QString(S::invalidOtaaParamList);
    QTest::newRow("appKey 31 digits") << QString("") << QString(R"({"devEui":"$EUI1","OTAA":{"appEui":"0102030405060708","appKey":"2B7E151628AED2A6ABF7158809CF4F3"}})") << QString(S::invalidAppKeyValue);
    QTest::newRow("ABP without nwksKey") << QString("") << QString(R"({"devEui":"$EUI1","ABP":{"devAddress":1,"appsKey":"$KEY"}})") << QString(S::invalidAbpParamList);
    QTest::newRow("devAddress 0") << QString("") << QString(R"({"devEui":"$EUI1","ABP":{"devAddress":0,"appsKey":"$KEY","nwksKey":"$KEY"}})") << QString(S::invalidDevAddrValue);
    QTest::newRow("appsKey short") << QString("") << QString(R"({"devEui":"$EUI1","ABP":{"devAddress":1,"appsKey":"2B7E1516","nwksKey":"$KEY"}})") << QString(S::invalidSessionKeyValue);
    QTest::newRow("unknown without keys") << QString("") << QString(R"({"devEui":"$EUI1","OTAA":{"appEui":"","appKey":""},"serverAdrEnable":true})") << QString(S::noRegisterKeys);
    QTest::newRow("known, other appKey") << QString(R"({"devEui":"$EUI1",$OTAA})") << QString(R"({"devEui":"$EUI1","OTAA":{"appEui":"0102030405060708","appKey":"F0F1F2F3F4F5F6F7F8F9FAFBFCFDFEFF"}})") << QString(S::reginfoAlreadyExist);
    QTest::newRow("known ABP, other appsKey") << QString(R"({"devEui":"$EUI1",$ABP})") << QString(R"({"devEui":"$EUI1","ABP":{"devAddress":637606874,"appsKey":"F0F1F2F3F4F5F6F7F8F9FAFBFCFDFEFF","nwksKey":"$KEY"}})") << QString(S::abpReginfoAlreadyExist);
    QTest::newRow("known, same keys and settings") << QString(R"({"devEui":"$EUI1",$OTAA,$SETTINGS})") << QString(R"({"devEui":"$EUI1",$OTAA,$SETTINGS})") << QString(S::nothingToUpdate);
    QTest::newRow("known, same keys in lower case") << QString(R"({"devEui":"$EUI1",$OTAA})") << QString(R"({"devEui":"70b3d5fffe000001","OTAA":{"appEui":"0102030405060708","appKey":"2b7e151628aed2a6abf7158809cf4f3c"}})") << QString(S::nothingToUpdate);
    QTest::newRow("known, other name") << QString(R"({"devEui":"$EUI1",$OTAA,$SETTINGS})") << QString(R"({"devEui":"$EUI1","devName":"meter 7"})") << QString(S::updated);
    QTest::newRow("known, class C without keys") << QString(R"({"devEui":"$EUI1",$OTAA,$SETTINGS})") << QString(R"({"devEui":"$EUI1","OTAA":{"appEui":"","appKey":""},"class":"CLASS_C","reactionTime":1000})") << QString(S::updated);
    QTest::newRow("known, only devEui") << QString(R"({"devEui":"$EUI1",$OTAA})") << QString(R"({"devEui":"$EUI1"})") << QString(S::emptyDataForUpdate);
    QTest::newRow("limit reached") << QString(R"({"devEui":"$EUI2",$OTAA},{"devEui":"$EUI3",$OTAA})") << QString(R"({"devEui":"$EUI1",$OTAA})") << QString(S::maxDevCountReached);
    QTest::newRow("limit, update of a known device") << QString(R"({"devEui":"$EUI1",$OTAA},{"devEui":"$EUI2",$OTAA})") << QString(R"({"devEui":"$EUI1","devName":"x"})") << QString(S::updated);
    QTest::newRow("devAddress of another device") << QString(R"({"devEui":"$EUI2",$ABP})") << QString(R"({"devEui":"$EUI1",$ABP})") << QString(S::repetitionDevAddr);
    QTest::newRow("power 15") << QString("") << QString(R"({"devEui":"$EUI1",$OTAA,"preferPower":15})") << QString(S::invalidPower);
    QTest::newRow("channelMask of one channel") << QString("") << QString(R"({"devEui":"$EUI1",$OTAA,"channelMask":{"channel1En":true}})") << QString(S::invalidChannelMaskParamList);
    QTest::newRow("preferDr 8") << QString("") << QString(R"({"devEui":"$EUI1",$OTAA,"preferDr":8})") << QString(S::invalidDataRate);
    QTest::newRow("rxWindow 3") << QString("") << QString(R"({"devEui":"$EUI1",$OTAA,"rxWindow":3})") << QString(S::invalidRxWindow);
    QTest::newRow("delayRx1 0") << QString("") << QString(R"({"devEui":"$EUI1",$OTAA,"delayRx1":0})") << QString(S::invalidDelay);
    QTest::newRow("class unknown") << QString("") << QString(R"({"devEui":"$EUI1",$OTAA,"class":"CLASS_X"})") << QString(S::invalidClass);
    QTest::newRow("class B") << QString("") << QString(R"({"devEui":"$EUI1",$OTAA,"class":"CLASS_B"})") << QString(S::unsupportClass);
    QTest::newRow("freq4 as text") << QString("") << QString(R"({"devEui":"$EUI1",$OTAA,"frequencyPlan":{"freq4":"864100000"}})") << QString(S::invalidFrequencyPlan);
    QTest::newRow("devName a number") << QString("") << QString(R"({"devEui":"$EUI1",$OTAA,"devName":5})") << QString(V::Status::invalidParamValue);
    // clang-format on
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
    static QString help; // the tool's help documents every status
    if (help.isEmpty())
        QCOMPARE(runSimToExit({"--help"}, &help), 0);
    QVERIFY(help.contains(status));
}

void TestLnsSimProtocol::everyOtherRequest()
{
    SimPeer peer;
    QVERIFY(peer.start({"--qelt-prefix", "70b3d5"}));
    SimClient& client = peer.client;
    QCOMPARE(statuses(client.request(
                 manageRequest(R"({"devEui":"$EUI2",$OTAA,"position":{"latitude":55.75},"colour":"red"},)"
                               R"({"devEui":"$EUI1",$ABP},{"devEui":"0011223344556677",$OTAA})"))),
             QStringLiteral("added added added"));
    QCOMPARE(counts(client), QStringLiteral("2/1"));
    QCOMPARE(statuses(client.request(manageRequest(R"({"devEui":"$EUI2","position":{"altitude":150}})"))),
             S::updated);

    // The devices of the selection as asked (upper case, once each); all of them in DevEUI order below.
    const QString select = QStringLiteral(R"({"cmd":"get_devices_req","select":{"devEui_list":[%1]}})");
    const QJsonObject some = client.request(
        select.arg(R"("70b3d5fffe000002","FFFFFFFFFFFFFFFF","70B3D5FFFE000001","70B3D5FFFE000002")"));
    QCOMPARE(devEuisOf(some), QStringLiteral("70B3D5FFFE000002 70B3D5FFFE000001"));
    const QJsonValue kept = some[K::devicesList][0];
    QCOMPARE(kept[K::otaa][K::appKey].toString(), QStringLiteral("2B7E151628AED2A6ABF7158809CF4F3C"));
    QCOMPARE(kept[K::position].toObject(), (QJsonObject{{K::latitude, 55.75}, {K::altitude, 150}}));
    QVERIFY(!kept.toObject().contains("colour")); // unknown keys are not kept
    // After a refused registration Ravlo asks with an empty list: nothing, not everything.
    QCOMPARE(devEuisOf(client.request(select.arg(QString()))), QString());

    const QJsonObject deleted = client.request(
        R"({"cmd":"delete_devices_req","devices_list":["70b3d5fffe000001","FFFFFFFFFFFFFFFF","xyz","70B3D5FFFE000001"]})");
    QCOMPARE(statuses(deleted, K::deviceDeleteStatus),
             QStringLiteral("deleted notFound invalidDevEui notFound"));
    QCOMPARE(devEuisOf(client.request(getAll)), QStringLiteral("0011223344556677 70B3D5FFFE000002"));

    const QJsonObject appData = client.request(
        R"({"cmd":"manage_device_appdata_req","data_list":[{"devEui":"70B3D5FFFE000002","sn":"1","other_info_1":"{\"kt\":1}"},)"
        R"({"devEui":"FFFFFFFFFFFFFFFF"},{"devEui":"70B3D5FFFE000002","other_info_1":"not json"},3]})");
    QCOMPARE(statuses(appData, K::updateStatus), QStringLiteral("true false false false"));

    const QJsonObject sent = client.request(
        R"({"cmd":"send_data_req","data_list":[{"devEui":"70B3D5FFFE000002","port":2,"data":"0a0b","ack":true},)"
        R"({"devEui":"FFFFFFFFFFFFFFFF","port":2,"data":"00"},{"devEui":"70B3D5FFFE000002","port":0,"data":"00"},)"
        R"({"devEui":"70B3D5FFFE000002","port":2,"data":"ABC"}]})");
    QCOMPARE(statuses(sent, V::Key::sendStatus), QStringLiteral("queued notFound invalidPort invalidData"));
    QVERIFY(peer.sim.waitForLine("downlink queued devEui=70B3D5FFFE000002 port=2 ack=true data=0A0B$"));
}

void TestLnsSimProtocol::uplinksArePushed()
{
    SimPeer peer;
    QVERIFY(peer.start({"--rx-interval", "1"}));
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
    const QJsonObject all = peer.client.request(getAll);
    QCOMPARE(devEuisOf(all), QStringLiteral("70B3D5FFFE000001 70B3D5FFFE000002"));
    QCOMPARE(all[K::devicesList][0][K::devName].toString(), QStringLiteral("renamed"));
    // The keys are remembered too.
    QCOMPARE(
        statuses(peer.client.request(manageRequest(R"({"devEui":"$EUI1",$OTAA},{"devEui":"$EUI2",$ABP})"))),
        QStringLiteral("nothingToUpdate nothingToUpdate"));

    // A file in use by another simulator, a file that is no database and a folder that does not
    // exist each stop the start; the files are left alone and the first simulator goes on serving.
    QFile notSqlite(dir.filePath(QStringLiteral("notes.txt")));
    QVERIFY(notSqlite.open(QIODevice::WriteOnly) && notSqlite.write(QByteArray(4096, 'x')) == 4096);
    notSqlite.close();
    for (const QString& path :
         {database, notSqlite.fileName(), dir.filePath(QStringLiteral("missing/x.db"))}) {
        QString output;
        QCOMPARE(runSimToExit({"--port", "0", "--database", path}, &output), 1);
        QVERIFY2(output.contains(QStringLiteral("cannot open the database")), qPrintable(output));
    }
    QCOMPARE(QFile(notSqlite.fileName()).size(), qint64(4096));
    QCOMPARE(counts(peer.client), QStringLiteral("2/0"));
}

void TestLnsSimProtocol::garbageFrames_data()
{
    QTest::addColumn<QString>("frame");
    QTest::addColumn<QString>("replyCmd");
    QTest::addColumn<QString>("errString");
    const QString deep = QString(5000, '[') + QString(5000, ']');
    // clang-format off
    QTest::newRow("not JSON") << "hello" << V::Cmd::error << V::Error::invalidJson;
    QTest::newRow("array") << "[1,2,3]" << V::Cmd::error << V::Error::invalidJson;
    QTest::newRow("deeply nested") << deep << V::Cmd::error << V::Error::invalidJson;
    QTest::newRow("repeated cmd") << R"({"cmd":"server_info_req","cmd":"server_info_req"})" << V::Cmd::error << V::Error::invalidJson;
    QTest::newRow("repeated key, escaped") << R"({"cmd":"auth_req","login":"a","l\u006fgin":"b","password":"p"})" << V::Cmd::error << V::Error::invalidJson;
    QTest::newRow("repeated non-empty lists") << R"({"cmd":"manage_devices_req","devices_list":[{"devEui":"01"}],"devices_list":[{"devEui":"02"}]})" << V::Cmd::error << V::Error::invalidJson;
    QTest::newRow("repeated inside a device") << R"({"cmd":"manage_devices_req","devices_list":[{"devEui":"01","OTAA":{"appKey":"a","appKey":"b"}}]})" << V::Cmd::error << V::Error::invalidJson;
    QTest::newRow("no cmd") << R"({"login":"operator"})" << V::Cmd::error << V::Error::missingCmd;
    QTest::newRow("cmd a number") << R"({"cmd":5})" << V::Cmd::error << V::Error::missingCmd;
    QTest::newRow("unknown cmd") << R"({"cmd":"reboot_req"})" << V::Cmd::error << V::Error::unknownCmd;
    QTest::newRow("devices_list a string") << R"({"cmd":"manage_devices_req","devices_list":"x"})" << Cmd::manageDevicesResp << V::Error::invalidRequest;
    QTest::newRow("devices of wrong types") << R"({"cmd":"manage_devices_req","devices_list":[null,true,[],"x",{"devEui":[]}]})"
                                            << Cmd::manageDevicesResp << QString();
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
    // Still serving, on the same connection.
    QCOMPARE(client.request(serverInfo).value(K::status).toBool(), true);
}

void TestLnsSimProtocol::garbageConnections()
{
    SimPeer peer;
    QVERIFY(peer.start({"--max-message-size", "65536"}));
    // A frame above the limit closes that connection only; the others are served.
    SimClient big;
    QVERIFY(big.open(peer.sim.url));
    big.sendText(R"({"cmd":"auth_req","login":")" + QString(100000, 'a') + "\"}");
    QVERIFY(big.waitDisconnected());
    QCOMPARE(big.socket.closeCode(), QWebSocketProtocol::CloseCodeTooMuchData);
    // Binary frames are answered, not served.
    peer.client.socket.sendBinaryMessage(QByteArray("\x00\x01", 2));
    QCOMPARE(peer.client.next().value(K::errString).toString(), V::Error::binaryFrame);
    QCOMPARE(peer.client.request(serverInfo).value(K::status).toBool(), true);
}

void TestLnsSimProtocol::ravloLogsIn()
{
    // What the README tells a new user: the demo login over "ws" (here on a free port).
    SimPeer peer;
    QVERIFY(peer.start());
    peer.client.request(manageRequest(R"({"devEui":"$EUI1",$OTAA},{"devEui":"0011223344556677",$OTAA})"));

    CMessageParser::connectClientToParser();
    QSignalSpy info(CMessageParser::instance(), &CMessageParser::serverInfoResp);
    CServerClient* ravlo = CServerClient::instance();
    CLoraAuthReq request;
    request.protocol = 0;
    request.address = QStringLiteral("127.0.0.1:%1").arg(peer.sim.url.port());
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
