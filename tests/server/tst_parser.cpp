#include "common/LoopbackServer.h"
#include "common/ProcessMemory.h"
#include "common/TestRegistry.h"
#include "server/CMessageParser.h"
#include "server/CServerClient.h"

#include <QSignalSpy>
#include <QtTest>

namespace {
// One device as the server returns it, with every key the program reads.
const QString serverDevice =
    R"({"devEui":"70B3D5E75E001234","devName":"Счётчик 7","class":"CLASS_C","reactionTime":30,)"
    R"("useDownlinkQueueClassC":true,"frequencyPlan":{"freq4":864100000,"freq5":864300000,)"
    R"("freq6":864500000,"freq7":864700000,"freq8":864900000},"freqRx2":869100000,"preferDr":5,)"
    R"("preferPower":14,"rxWindow":2,"delayRx1":1,"drRx2":3,"delayJoin1":5,"serverAdrEnable":true,)"
    R"("position":{"longitude":37.61,"latitude":55.75,"altitude":150},)"
    R"("ABP":{"devAddress":4227902465,"appsKey":"A1A1","nwksKey":"B2B2"},)"
    R"("OTAA":{"appEui":"0000000000000001","appKey":"00112233445566778899AABBCCDDEEFF"}})";

QJsonObject json(const QString& text)
{
    return QJsonDocument::fromJson(text.toUtf8()).object();
}

// Compact text with sorted keys: equal texts mean equal objects, and a failure shows both.
QString compact(const QJsonObject& object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

QJsonObject channelMask(bool firstAndLast)
{
    QJsonObject mask;
    for (int i = 1; i <= 16; ++i)
        mask.insert(QStringLiteral("channel%1En").arg(i), firstAndLast && (i == 1 || i == 16));
    return mask;
}

// The device of serverDevice as the program holds it once read back, channels 1 and 16 enabled.
LoRaDevice chosenDevice()
{
    LoRaDevice d = CMessageParser::deviceFromServerObject(json(serverDevice));
    d.useDownlinkQueueClassC = true;
    d.channelEn[0] = d.channelEn[15] = true;
    return d;
}

// A device that chose nothing: every number unset, the longitude within the tolerance of -1.0.
LoRaDevice unsetDevice()
{
    LoRaDevice d;
    d.devEui = "70B3D5E75E001234";
    d.freq4 = d.freq5 = d.freq6 = d.freq7 = d.freq8 = d.freqRx2 = d.rxWindow = d.delayRx1 = d.delayJoin1 = -1;
    d.reactionTime = d.altitude = d.preferDr = d.preferPower = d.drRx2 = d.classCGate = -1;
    d.latitude = -1.0;
    d.longitude = -1.0 + 1e-13;
    return d;
}

// The device object formDeviceJson appends, as the server reads it from the request text.
QString deviceText(const LoRaDevice& device)
{
    QJsonArray out;
    CMessageParser::formDeviceJson(device, out);
    return compact(QJsonDocument::fromJson(QJsonDocument(out).toJson()).array().first().toObject());
}

// The fields of a device that hold anything but zero, false or an empty text, as "name=value".
QString describe(const LoRaDevice& d)
{
    const QStringList names =
        QStringLiteral("devEui appEui appKey devAddress appsKey nwksKey devName class plan freq4 freq5 freq6 "
                       "freq7 freq8 freqRx2 rxWindow delayRx1 delayJoin1 reactionTime altitude longitude "
                       "latitude preferDr preferPower drRx2 classCGate queueClassC adr channelEn abp otaa sn")
            .split(' ');
    QVariantList values;
    values << d.devEui << d.appEui << d.appKey << d.devAddress << d.appsKey << d.nwksKey << d.devName
           << d.devClass << d.freqPlanName << d.freq4 << d.freq5 << d.freq6 << d.freq7 << d.freq8 << d.freqRx2
           << d.rxWindow << d.delayRx1 << d.delayJoin1 << d.reactionTime << d.altitude << d.longitude
           << d.latitude << d.preferDr << d.preferPower << d.drRx2 << d.classCGate << d.useDownlinkQueueClassC
           << d.serverAdrEnable << (d.channelEn != LoRaDevice().channelEn) << d.hasAbp << d.hasOtaa << d.sn;
    QStringList set;
    for (int i = 0; i < names.size(); ++i)
        if (values.at(i) != QVariant(values.at(i).userType(), nullptr))
            set << names.at(i) + '=' + values.at(i).toString();
    return set.join(' ');
}

// Every signal of the parser, written down as one line in the order they come.
struct ParserLog : QObject
{
    QStringList lines;
    ParserLog()
    {
        using P = CMessageParser;
        const P* p = P::instance();
        auto log = [this](const char* name, const QStringList& values) {
            lines << QString("%1(%2)").arg(name, values.join(','));
        };
        connect(p, &P::authMsgResp, this, [log](AuthResponse a) {
            log("auth", {QString::number(a.status), a.token, a.deviceAccess, a.errString});
        });
        connect(p, &P::serverInfoResp, this, [log](CloraInfoResp i) {
            log("info", {QString("%1,%2,%3").arg(i.status).arg(i.deviceCountQelt).arg(i.deviceCountOther)});
        });
        connect(p, &P::devicesList, this, [log](QJsonDocument list) {
            log("list", {QString::number(list.object().value("devices_list").toArray().size())});
        });
        connect(p, &P::deviceRowsList, this,
                [log](ServerDeviceRows rows) { log("list", {QString::number(rows.size())}); });
        connect(p, &P::infoDevicesResp, this, [log](LoRaDevice d) { log("device", {describe(d)}); });
        connect(p, &P::mngDevRespSignal, this, [log](QString s) { log("status", {s}); });
        connect(p, &P::deviceMbRemoved, this, [log](QString s) { log("removed", {s}); });
        connect(p, &P::mngDevResult, this, [log](QString devEui, QString s) { log("result", {devEui, s}); });
        connect(p, &P::devicesDeleted, this, [log](QVector<QPair<QString, QString>> all) {
            QStringList pairs;
            for (const auto& pair : all)
                pairs << pair.first + '=' + pair.second;
            log("deleted", pairs);
        });
        connect(p, &P::mngDevsRespSignal, this, [log](QVector<QPair<QString, QString>> all) {
            QStringList pairs;
            for (const auto& pair : all)
                pairs << pair.first + '=' + pair.second;
            log("statuses", pairs);
        });
    }
};

// The lines of a log without the counters the client asks for after every registration answer.
QStringList withoutCounters(const QStringList& lines)
{
    QStringList kept;
    for (const QString& line : lines)
        if (!line.startsWith("info("))
            kept << line;
    return kept;
}

QString devices(const QString& list)
{
    return R"({"cmd":"get_devices_resp","devices_list":)" + list + '}';
}

// Each case twice: frames read on the GUI thread, and every frame taken for a large one read
// off it; the answers must be the same.
void row(const char* name, const QStringList& frames, const QStringList& signalLines = {})
{
    QTest::newRow(name) << frames << signalLines << false;
    QTest::addRow("%s, read off the GUI thread", name) << frames << signalLines << true;
}

// Frames of at least this size are read off the GUI thread.
void readOffTheGuiThread(bool allFrames)
{
    CMessageParser::instance()->setLargeFrameSize(allFrames ? 0 : CMessageParser::defaultLargeFrameSize);
}

// Waits until every frame sent before has been handled: the answers come in arrival order,
// so a marker's answer comes last. The marker's lines are taken off the log.
bool allHandled(const std::function<void(const QString&)>& send, QStringList& lines)
{
    send(R"({"cmd":"delete_devices_resp","device_delete_status":[{"devEui":"marker","status":"end"}]})");
    if (!QTest::qWaitFor([&lines] { return lines.contains("removed(end)"); }))
        return false;
    lines.removeAll("deleted(marker=end)");
    lines.removeAll("removed(end)");
    return true;
}
} // namespace

// The parser both ways: the device objects and requests it builds, and what it makes of each answer.
class TestParser : public QObject
{
    Q_OBJECT
private slots:
    void deviceObject_data();
    void deviceObject()
    {
        QFETCH(QString, built);
        QTEST(built, "expected");
    }
    void requestsReachServer();
    void cleanup() { readOffTheGuiThread(false); }
    void answersFollowTheirRequests_data();
    void answersFollowTheirRequests();
    void smallAnswersWaitForALargeOne();
    void loginEndForgetsWaitingRequests();
    void refusedAnswersStillAnswerTheirRequests_data() { answersFollowTheirRequests_data(); }
    void refusedAnswersStillAnswerTheirRequests();
    void memoryStaysFlatOverRepeatedKeys_data() { answersFollowTheirRequests_data(); }
    void memoryStaysFlatOverRepeatedKeys();
    void frames_data();
    void frames();
    void frequencyPlanNaming();
    void keyRules_data();
    void keyRules();
};

void TestParser::deviceObject_data()
{
    QTest::addColumn<QString>("built"); // the device object formDeviceJson appends
    QTest::addColumn<QString>("expected");
    QJsonObject full = json(serverDevice);
    full.insert("channelMask", channelMask(true));
    auto without = [full](const QStringList& keys) {
        QJsonObject object = full;
        for (const QString& key : keys)
            object.remove(key);
        return compact(object);
    };
    const QStringList classCKeys{"reactionTime", "useDownlinkQueueClassC", "channelMask"};
    // A device read back from the server holds both kinds of keys: a settings update without them.
    LoRaDevice d = chosenDevice();
    QTest::newRow("both") << deviceText(d) << without({"ABP", "OTAA"});
    d.hasAbp = false;
    QTest::newRow("otaa only") << deviceText(d) << without(classCKeys + QStringList{"ABP"});
    d.hasAbp = true;
    d.hasOtaa = false; // the DevAddr has its top bit set
    QTest::newRow("abp only") << deviceText(d) << without(classCKeys + QStringList{"OTAA"});
    d.hasAbp = false;
    QTest::newRow("neither: a first registration") << deviceText(d) << without({});

    d = unsetDevice();
    QJsonObject unset = json(R"({"devEui":"70B3D5E75E001234","devName":"","frequencyPlan":{},)"
                             R"("OTAA":{"appEui":"","appKey":""},"serverAdrEnable":false})");
    unset.insert("channelMask", channelMask(false));
    QTest::newRow("neither, all unset") << deviceText(d) << compact(unset);
    d.hasOtaa = true;
    d.longitude = -1.000001;
    d.latitude = d.altitude = d.freq4 = d.preferPower = 0;
    d.rxWindow = -2; // only -1 means unset
    const QString zeros = R"({"devEui":"70B3D5E75E001234","frequencyPlan":{"freq4":0},"preferPower":0,)"
                          R"("rxWindow":-2,"position":{"longitude":-1.000001,"latitude":0,"altitude":0},)"
                          R"("serverAdrEnable":false,"OTAA":{"appEui":"","appKey":""}})";
    QTest::newRow("zeros are values") << deviceText(d) << compact(json(zeros));
}

void TestParser::requestsReachServer()
{
    LoopbackServer server;
    QVERIFY(loginToLoopbackServer(server));
    server.clearReceived();
    CMessageParser* p = CMessageParser::instance();
    ParserLog log;
    const LoRaDevice first = chosenDevice();
    const QJsonObject data{{"devEui", "01"}, {"object", "Дом 1"}};
    p->mngDevReq(first);
    p->mngDevsReq({first, unsetDevice()});
    p->manageAppdataReq({QJsonDocument(data)});
    // The first answer is the single device's: the client asks for it as the server now holds
    // it. The second is the list's, though it holds one entry: no per-device query. The third
    // and fourth come unasked and are told apart by their count; a refused device is asked for
    // too, a status without a DevEUI is not. Every answer with statuses asks for the counters.
    for (const char* statuses :
         {R"([{"devEui":"70B3D5E75E001234","status":"added"}])", R"([{"devEui":"01","status":"updated"}])",
          R"([{"devEui":"01","status":"reginfoAlreadyExist"}])", R"([{"status":"added"}])", "[]"})
        server.sendToClient(R"({"cmd":"manage_devices_resp","device_add_status":)" + QString(statuses) + '}');
    // Frames are handled in order: a marker sent once the last answer is handled comes after all of it.
    QSignalSpy handled(p, &CMessageParser::deviceMbRemoved);
    server.sendToClient(R"({"cmd":"delete_devices_resp","device_delete_status":[]})");
    QVERIFY(handled.wait());
    const QString marker = R"({"cmd":"marker"})";
    CServerClient::instance()->sendMessage(marker);
    QTRY_VERIFY(server.receivedFrames().contains(marker));
    const QString list = R"({"cmd":"manage_devices_req","devices_list":[%1]})";
    const QString query = R"({"cmd":"get_devices_req","select":{"devEui_list":[%1]}})";
    const QString info = R"({"cmd":"server_info_req"})";
    const QStringList expected{list.arg(deviceText(first)),
                               list.arg(deviceText(first) + ',' + deviceText(unsetDevice())),
                               R"({"cmd":"manage_device_appdata_req","data_list":[)" + compact(data) + "]}",
                               query.arg(R"("70B3D5E75E001234")"),
                               info,
                               info,
                               query.arg(R"("01")"),
                               info,
                               info,
                               marker};
    QCOMPARE(server.receivedFrames(), expected); // the client sends compact text with sorted keys
    QCOMPARE(withoutCounters(log.lines),
             QStringList({"result(70B3D5E75E001234,added)", "status(added)", "statuses(01=updated)",
                          "result(01,reginfoAlreadyExist)", "status(reginfoAlreadyExist)", "result(,added)",
                          "status(added)", "deleted()", "removed()"}));
    QVERIFY(endLoopbackSession(server));
}

// Answers carry no request id: each "get_devices_resp" belongs to the oldest query still
// waiting, a one-device answer to the server view alone, a whole-list answer to the table
// (and to the server view for the device last asked about).
void TestParser::answersFollowTheirRequests_data()
{
    QTest::addColumn<bool>("large");
    QTest::newRow("frames read on the GUI thread") << false;
    QTest::newRow("frames read off the GUI thread") << true;
}

void TestParser::answersFollowTheirRequests()
{
    QFETCH(bool, large);
    readOffTheGuiThread(large);
    LoopbackServer server;
    QVERIFY(loginToLoopbackServer(server));
    server.clearReceived();
    CMessageParser* p = CMessageParser::instance();
    ParserLog log;
    LoRaDevice viewed;
    viewed.devEui = "70B3D5E75E00000A";
    p->getDevReq(viewed);
    p->getDevicesListReq();
    p->getDevReq(LoRaDevice()); // nobody to ask for: a query without DevEUIs would list every device
    p->getDevicesListReq();
    p->getDevReq(viewed);
    QTRY_COMPARE(server.receivedFrames().size(), 4);
    const QString one = R"({"cmd":"get_devices_req","select":{"devEui_list":["70B3D5E75E00000A"]}})";
    const QString all = R"({"cmd":"get_devices_req"})";
    QCOMPARE(server.receivedFrames(), QStringList({one, all, all, one}));

    const QString a = R"({"devEui":"70b3d5e75e00000a","devName":"a"})";
    const QString b = R"({"devEui":"70B3D5E75E00000B","devName":"b"})";
    for (const QString& answer : {devices('[' + a + ',' + b + ']'), devices('[' + b + ',' + a + ",{}]"),
                                  devices('[' + b + ']'), devices("[]")})
        server.sendToClient(answer);
    QTRY_COMPARE(log.lines.size(), 6);
    QCOMPARE(log.lines, QStringList({"device(devEui=70B3D5E75E00000A devName=a classCGate=1)", "list(3)",
                                     "device(devEui=70B3D5E75E00000A devName=a classCGate=1)", "list(1)",
                                     "device()", "device()"}));
    QVERIFY(endLoopbackSession(server));
}

// A large list is read off the GUI thread; the small answers that arrive meanwhile wait for it,
// so that every answer still meets the request it belongs to.
void TestParser::smallAnswersWaitForALargeOne()
{
    LoopbackServer server;
    QVERIFY(loginToLoopbackServer(server));
    CMessageParser* p = CMessageParser::instance();
    ParserLog log;
    LoRaDevice viewed;
    viewed.devEui = "70B3D5E75E00000A";
    p->getDevicesListReq();
    p->getDevReq(viewed);
    QTRY_COMPARE(server.receivedCommands().count("get_devices_req"), 2);
    QStringList elements;
    for (int i = 0; i < 20000; ++i)
        elements << QString(R"({"devEui":"%1","devName":"n%2"})").arg(i, 16, 16, QChar('0')).arg(i);
    // The device on view, whose record comes from its own element of the large list.
    elements.insert(15000, R"({"devEui":"70b3d5e75e00000a","devName":"big","rxWindow":2})");
    const QString large = devices('[' + elements.join(',') + ']');
    QVERIFY(large.size() > CMessageParser::defaultLargeFrameSize);
    server.sendToClient(large);
    server.sendToClient(devices(R"([{"devEui":"70b3d5e75e00000a","devName":"a"}])"));
    server.sendToClient(
        R"({"cmd":"delete_devices_resp","device_delete_status":[{"devEui":"01","status":"deleted"}]})");
    QTRY_COMPARE(log.lines.size(), 5);
    QCOMPARE(log.lines, QStringList({"list(20001)",
                                     "device(devEui=70B3D5E75E00000A devName=big rxWindow=2 classCGate=1)",
                                     "device(devEui=70B3D5E75E00000A devName=a classCGate=1)",
                                     "deleted(01=deleted)", "removed(deleted)"}));
    QVERIFY(endLoopbackSession(server));
}

void TestParser::loginEndForgetsWaitingRequests()
{
    LoopbackServer server;
    QVERIFY(loginToLoopbackServer(server));
    CMessageParser* p = CMessageParser::instance();
    p->getDevicesListReq();
    p->mngDevsReq({unsetDevice(), unsetDevice()});
    QTRY_COMPARE(server.receivedCommands().count("manage_devices_req"), 1);
    QVERIFY(endLoopbackSession(server));
    QVERIFY(loginToLoopbackServer(server));
    // Answers of the new login owe nothing to the requests of the old one.
    ParserLog log;
    server.sendToClient(devices(R"([{"devEui":"01"}])"));
    server.sendToClient(
        R"({"cmd":"manage_devices_resp","device_add_status":[{"devEui":"01","status":"added"}]})");
    QTRY_COMPARE(withoutCounters(log.lines).size(), 3);
    QCOMPARE(withoutCounters(log.lines),
             QStringList({"device(devEui=01 classCGate=1)", "result(01,added)", "status(added)"}));
    QVERIFY(endLoopbackSession(server));
}

// An answer in which an object repeats a key is refused before Qt's parser sees it, and still
// answers the oldest request of its kind: the answers after it meet their own requests.
void TestParser::refusedAnswersStillAnswerTheirRequests()
{
    QFETCH(bool, large);
    readOffTheGuiThread(large);
    LoopbackServer server;
    QVERIFY(loginToLoopbackServer(server));
    CMessageParser* p = CMessageParser::instance();
    ParserLog log;
    LoRaDevice viewed;
    viewed.devEui = "70B3D5E75E00000A";
    p->getDevReq(viewed);
    p->getDevicesListReq();
    p->mngDevsReq({unsetDevice(), unsetDevice()});
    p->mngDevReq(unsetDevice());
    QTRY_COMPARE(server.receivedCommands().count("manage_devices_req"), 2);

    static QStringList debugLines;
    debugLines.clear();
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext&, const QString& line) { debugLines << line; });
    const QString a = R"({"devEui":"70b3d5e75e00000a","devName":"a"})";
    const QString b = R"({"devEui":"70B3D5E75E00000B","devName":"b"})";
    server.sendToClient(R"({"cmd":"get_devices_resp","devices_list":[)" + a + R"(],"devices_list":[)" + b +
                        "]}");
    server.sendToClient(devices('[' + a + ',' + b + ']'));
    server.sendToClient(
        R"({"cmd":"manage_devices_resp","device_add_status":[{"devEui":"01","status":"added",)"
        R"("st\u0061tus":"updated"},{"devEui":"02","status":"added"}]})");
    server.sendToClient(
        R"({"cmd":"manage_devices_resp","device_add_status":[{"devEui":"70B3D5E75E001234","status":"added"}]})");
    QTRY_COMPARE(withoutCounters(log.lines).size(), 5);
    qInstallMessageHandler(previous);
    QCOMPARE(withoutCounters(log.lines),
             QStringList({"list(2)", "device(devEui=70B3D5E75E00000A devName=a classCGate=1)", "statuses()",
                          "result(70B3D5E75E001234,added)", "status(added)"}));
    const QString lines = debugLines.join('\n');
    QVERIFY2(lines.contains(R"(frame refused, repeated key "devices_list")"), qPrintable(lines));
    QVERIFY2(lines.contains(R"(frame refused, repeated key "status")"), qPrintable(lines));
    QVERIFY(endLoopbackSession(server));
}

// Qt's parser loses the memory of the earlier value of a repeated key when it is an array:
// such frames never reach it, so a thousand of them leave the process as large as it was.
void TestParser::memoryStaysFlatOverRepeatedKeys()
{
    if (!residentSizeShowsLeaks())
        QSKIP("AddressSanitizer's quarantine grows the process; its leak check covers this");
    QFETCH(bool, large);
    readOffTheGuiThread(large);
    ParserLog log;
    QStringList numbers;
    for (int i = 0; i < 5000; ++i)
        numbers << QString::number(i);
    const QString list = '[' + numbers.join(',') + ']';
    const QString frame = R"({"cmd":"rx","type":"UNCONF_UP","data":)" + list + R"(,"data":)" + list + '}';
    const auto send = [](const QString& text) { CMessageParser::instance()->processReceivedMessage(text); };
    for (int i = 0; i < 20; ++i)
        send(frame);
    QVERIFY(allHandled(send, log.lines));
    const qint64 before = residentBytes();
    QVERIFY(before > 0);
    for (int i = 0; i < 1000; ++i)
        send(frame);
    QVERIFY(allHandled(send, log.lines));
    const qint64 grown = residentBytes() - before;
    // Without the check the process grows by about 80 MB here.
    QVERIFY2(grown < 16 * 1024 * 1024, qPrintable(QString("grew by %1 bytes").arg(grown)));
    QCOMPARE(log.lines, QStringList());
}

void TestParser::frames_data()
{
    QTest::addColumn<QStringList>("frames");
    QTest::addColumn<QStringList>("signalLines");
    QTest::addColumn<bool>("large");
    // An object that repeats a key, anywhere, in any spelling: refused, nothing is emitted.
    row("repeated keys",
        {R"({"cmd":"auth_resp","status":true,"token":"a","token":"b"})",
         R"({"cmd":"auth_resp","cmd":"auth_resp","status":true})",
         R"({"cmd":"auth_resp","status":true,"\u0073tatus":false})",
         R"({"cmd":"server_info_resp","status":true,"device_count":{"device_count_qelt":1,"device_count_qelt":2}})",
         R"({"cmd":"delete_devices_resp","device_delete_status":[{"devEui":"01","status":"deleted","status":"x"}]})",
         R"({"cmd":"manage_devices_resp","device_add_status":[{"devEui":"01","status":"added"}],"device_add_status":[]})",
         R"({"cmd":"close_auth_resp","status":true,"x":{"y":[{"z":1,"z":[1]}]}})"});
    // Not JSON, not an object, no usable "cmd", answers without content: nothing is emitted.
    row("no usable answer",
        {"hello", R"({"cmd":"auth_resp","status":tr)", R"([{"cmd":"auth_resp","status":true}])", "42",
         QString(2000, '[') + QString(2000, ']'), "{}", R"({"status":true})", R"({"cmd":5,"status":true})",
         R"({"cmd":"AUTH_RESP","status":true})", R"({"cmd":"hello_resp","status":true})",
         R"({"cmd":"auth_resp","token":"t"})", R"({"cmd":"server_info_resp","status":true})",
         R"({"cmd":"manage_devices_resp"})", R"({"cmd":"manage_devices_resp","device_add_status":[]})",
         R"({"cmd":"delete_devices_resp"})", R"({"cmd":"rx","type":42})",
         R"({"cmd":"manage_device_appdata_resp","status":true,"update_status":[{"devEui":"01","status":true},7]})"});

    // A confirmed logout ends the login and keeps the token; a refused one leaves it standing.
    row("logins and logouts",
        {R"({"cmd":"auth_resp","status":true,"token":"tok","device_access":"all","err_string":""})",
         R"({"cmd":"close_auth_resp","status":true})",
         R"({"cmd":"close_auth_resp","status":false,"err_string":"busy"})",
         R"({"err_string":"invalid_login_or_password","status":false,"cmd":"auth_resp"})",
         R"({"cmd":"auth_resp","status":"yes","token":5,"device_access":[],"err_string":{}})"},
        {"auth(1,tok,all,)", "auth(0,tok,all,)", "auth(1,tok,all,busy)",
         "auth(0,,,invalid_login_or_password)", "auth(0,,,)"});
    row("counters",
        {R"({"cmd":"server_info_resp","status":true,"device_count":{"device_count_qelt":12,"device_count_other":30}})",
         R"({"cmd":"server_info_resp","status":false,"device_count":{"device_count_qelt":1}})",
         R"({"cmd":"server_info_resp","status":"true","device_count":{"device_count_qelt":"7","device_count_other":1e12}})"},
        {"info(1,12,30)", "info(0,1,0)", "info(0,0,0)"});
    row("registration statuses",
        {R"({"cmd":"manage_devices_resp","device_add_status":[{"devEui":"01","status":"reginfoAlreadyExist"}]})",
         R"({"cmd":"manage_devices_resp","device_add_status":[{"devEui":"01","status":"added"},{"devEui":"02"},)"
         R"({"devEui":"03","status":"invalidDevEui"},{"status":"updated","devEui":"04"}]})",
         R"({"cmd":"manage_devices_resp","device_add_status":[{"devEui":1,"status":2},7]})"},
        {"result(01,reginfoAlreadyExist)", "status(reginfoAlreadyExist)",
         "statuses(01=added,03=invalidDevEui,04=updated)", "statuses(=)"});
    row("delete statuses",
        {R"({"cmd":"delete_devices_resp","device_delete_status":[{"devEui":"01","status":"deleted"},)"
         R"({"devEui":"02","status":"notFound"},{"devEui":"03"}]})"},
        {"deleted(01=deleted,02=notFound)", "removed(notFound)"});

    // Only the first device has keys and a name: none of it may reach the record of the last one.
    // Answers that no request is waiting for go to the server view alone, never to the table.
    row("unasked list gives the last device alone",
        {devices(R"([{"devEui":"0000000000000001","devName":"first","ABP":{"devAddress":5,"appsKey":"AA"},)"
                 R"("rxWindow":2},{"devEui":"00000000000000ab"},17])"),
         devices(R"([{"devEui":"0000000000000001"},{}])")},
        {"device(devEui=00000000000000AB classCGate=1)", "device(classCGate=1)"});
    row("no device",
        {devices("[]"), R"({"cmd":"get_devices_resp"})", devices(R"({"devEui":"01"})"),
         devices(R"(["01",2])")},
        {"device()", "device()", "device()", "device()"});
    row("device, keys in lower case, no name",
        {devices(
            R"([{"devEui":"01","devName":"","ABP":{"appsKey":"a1","devAddress":-67064831},"OTAA":{"appKey":"b2"}}])")},
        {"device(devEui=01 appKey=B2 devAddress=4227902465 appsKey=A1 devName=Имя не установлено "
         "classCGate=1 abp=true otaa=true)"});
    row("device, wrong types",
        {devices(
             R"([{"devEui":12,"devName":[],"class":{},"reactionTime":"30","freqRx2":true,"preferDr":null,)"
             R"("rxWindow":1.5,"serverAdrEnable":"true","frequencyPlan":[864100000],"position":"here",)"
             R"("ABP":{"devAddress":"FC00AC01"},"OTAA":[1]}])"),
         devices(R"([{"devEui":"01","ABP":{"devAddress":4294967296}}])")},
        {"device(devName=Имя не установлено classCGate=1 abp=true)",
         "device(devEui=01 classCGate=1 abp=true)"});
}

void TestParser::frames()
{
    QFETCH(QStringList, frames);
    QFETCH(bool, large);
    readOffTheGuiThread(large);
    ParserLog log;
    const auto send = [](const QString& frame) { CMessageParser::instance()->processReceivedMessage(frame); };
    for (const QString& frame : frames)
        send(frame);
    QVERIFY(allHandled(send, log.lines));
    QTEST(log.lines, "signalLines");
}

void TestParser::frequencyPlanNaming()
{
    const QString ru = R"("frequencyPlan":{"freq4":864100000,"freq5":864300000,"freq6":864500000,)"
                       R"("freq7":864700000,"freq8":864900000},"freqRx2":869100000)";
    auto plan = [](const QString& keys) {
        return CMessageParser::deviceFromServerObject(json('{' + keys + '}')).freqPlanName;
    };
    QCOMPARE(plan(ru), QStringLiteral("RU868"));
    QCOMPARE(plan(QString(ru).replace("864", "867").replace("869100000", "869525000")),
             QStringLiteral("EU868"));
    QCOMPARE(plan(QString(ru).replace("869100000", "869525000")), QStringLiteral("custom")); // RX2 counts too
    QCOMPARE(plan(R"("frequencyPlan":{},"freqRx2":869100000)"), QString()); // no plan, no name
    // KZ868 shares EU868's channels; its RX2 frequency tells them apart.
    QCOMPARE(plan(QString(ru).replace("864", "867").replace("869100000", "867500000")),
             QStringLiteral("KZ868"));
}

// Each rule that leaves a number out of the device object, at the values either side of it.
void TestParser::keyRules_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("sent");
    struct Rule
    {
        const char* field;
        const char* path;
        QVector<QPair<double, bool>> cases;
    };
    const QVector<QPair<double, bool>> chosenNumber{{-2, false}, {-1, false}, {0, true}};
    const QVector<QPair<double, bool>> notMinusOne{{-2, true}, {-1, false}, {0, true}};
    const Rule rules[] = {
        {"reactionTime", "reactionTime", chosenNumber},
        {"freq4", "frequencyPlan/freq4", chosenNumber},
        {"freq8", "frequencyPlan/freq8", chosenNumber},
        {"freqRx2", "freqRx2", chosenNumber},
        {"preferDr", "preferDr", chosenNumber},
        {"preferPower", "preferPower", chosenNumber},
        {"rxWindow", "rxWindow", notMinusOne},
        {"delayRx1", "delayRx1", notMinusOne},
        {"drRx2", "drRx2", notMinusOne},
        {"delayJoin1", "delayJoin1", notMinusOne},
        {"altitude", "position/altitude", notMinusOne},
        {"classCGate", "useDownlinkQueueClassC", {{0, false}, {1, true}}},
        {"devAddress", "ABP/devAddress", {{0, false}, {1, true}}},
        {"latitude", "position/latitude", {{-1.0, false}, {-1.0 + 1e-13, false}, {-0.99, true}}},
        {"longitude", "position/longitude", {{-1.0, false}, {0, true}}},
    };
    for (const Rule& rule : rules) {
        for (const auto& c : rule.cases)
            QTest::addRow("%s=%g", rule.field, c.first) << rule.field << c.first << rule.path << c.second;
    }
}

void TestParser::keyRules()
{
    QFETCH(QString, field);
    QFETCH(double, value);
    QFETCH(QString, path);
    QFETCH(bool, sent);
    LoRaDevice d = chosenDevice();
    d.hasAbp = d.hasOtaa = false; // a first registration: every group of keys is eligible
    QHash<QString, qint32*> numbers{
        {"reactionTime", &d.reactionTime}, {"freq4", &d.freq4},       {"freq8", &d.freq8},
        {"freqRx2", &d.freqRx2},           {"preferDr", &d.preferDr}, {"preferPower", &d.preferPower},
        {"rxWindow", &d.rxWindow},         {"delayRx1", &d.delayRx1}, {"drRx2", &d.drRx2},
        {"delayJoin1", &d.delayJoin1},     {"altitude", &d.altitude}, {"classCGate", &d.classCGate}};
    if (numbers.contains(field))
        *numbers.value(field) = qint32(value);
    else if (field == "devAddress")
        d.devAddress = quint32(value);
    else
        (field == "latitude" ? d.latitude : d.longitude) = value;
    QJsonObject object = json(deviceText(d));
    const QStringList keys = path.split('/');
    for (int i = 0; i + 1 < keys.size(); ++i)
        object = object.value(keys.at(i)).toObject();
    QCOMPARE(object.contains(keys.last()), sent);
}

RAVLO_REGISTER_TEST(TestParser)
#include "tst_parser.moc"
