#include "SimTestSupport.h"
#include "common/TestRegistry.h"

#include "SimVocabulary.h"
#include "app/AppStartup.h"
#include "server/CMessageParser.h"
#include "server/CServerClient.h"
#include "server/Protocol.h"

#include <QFile>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace Cmd = Protocol::Cmd;
namespace K = Protocol::Key;
namespace S = Protocol::Status;
namespace V = SimVocabulary;
using namespace SimDevices;

namespace {
const QString eui1 = QStringLiteral("70B3D5FFFE000001");
const QString eui2 = QStringLiteral("70B3D5FFFE000002");
const QString otherEui = QStringLiteral("0011223344556677");

QJsonObject command(const QString& cmd)
{
    return {{K::cmd, cmd}};
}

QJsonObject with(QJsonObject object, const QString& key, const QJsonValue& value)
{
    object.insert(key, value);
    return object;
}

QJsonObject channelMask(int channels)
{
    QJsonObject mask;
    for (int channel = 1; channel <= channels; ++channel)
        mask.insert(K::channelEn(channel), true);
    return mask;
}

QStringList devEuisOf(const QJsonObject& getAnswer)
{
    QStringList devEuis;
    for (const QJsonValue& device : getAnswer.value(K::devicesList).toArray())
        devEuis.append(device.toObject().value(K::devEui).toString());
    return devEuis;
}

QStringList repeated(const QString& word, int times)
{
    QStringList words;
    for (int i = 0; i < times; ++i)
        words.append(word);
    return words;
}

QPair<int, int> counts(SimClient& client)
{
    const QJsonObject count = client.request(command(Cmd::serverInfoReq)).value(K::deviceCount).toObject();
    return {count.value(K::deviceCountQelt).toInt(-1), count.value(K::deviceCountOther).toInt(-1)};
}
} // namespace

// The built simulator as a process, driven over plain WebSocket connections.
class TestLnsSimProtocol : public QObject
{
    Q_OBJECT
private slots:
    void firstLineGivesPortAndFramesAreLogged();
    void loginIsCheckedAndRequired();
    void everyLoginGetsAFreshToken();
    void closeAuthEndsThatLogin();
    void usersFromOptions();
    void registrationStatus_data();
    void registrationStatus();
    void oneStatusPerDeviceInOrder();
    void serverInfoCountsByPrefix();
    void getDevicesBySelectionOrAll();
    void deleteDevices();
    void manageAppData();
    void sendDataIsQueuedAndPrinted();
    void uplinksArePushed();
    void twoClientsAtOnce();
    void databaseSurvivesRestart();
    void secondSimulatorOnTheSameDatabaseIsRefused();
    void unusableDatabaseStopsTheStart();
    void garbageFrames_data();
    void garbageFrames();
    void oversizedFrameClosesOnlyThatConnection();
    void rawTcpGarbage();
    void secureWebSocket();
    void helpNamesEveryStatus();
    void ravloLogsIn();

private:
    std::unique_ptr<SimProcess> m_garbageSim;
    std::unique_ptr<SimClient> m_garbageClient;
};

void TestLnsSimProtocol::firstLineGivesPortAndFramesAreLogged()
{
    SimProcess sim;
    QVERIFY(sim.start());
    QCOMPARE(sim.url().scheme(), QStringLiteral("ws"));
    QCOMPARE(sim.url().host(), QStringLiteral("127.0.0.1"));
    SimClient client;
    QVERIFY(client.open(sim.url()));
    QVERIFY(!client.login().isEmpty());
    // Lines are flushed one by one, so both are there while the process still runs.
    QVERIFY(sim.waitForLine(QRegularExpression(QStringLiteral(
        "^in  \\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}\\S* client=1 cmd=auth_req size=\\d+$"))));
    QVERIFY(
        sim.waitForLine(QRegularExpression(QStringLiteral("^out \\S+ client=1 cmd=auth_resp size=\\d+$"))));
    // Answers about devices say in short what they said.
    client.request(manage({otaa(eui1), otaa(eui2), otaa("bad")}));
    QVERIFY(sim.waitForLine(QRegularExpression(
        QStringLiteral("^out \\S+ client=1 cmd=manage_devices_resp size=\\d+ added=2 invalidDevEui=1$"))));
}

void TestLnsSimProtocol::loginIsCheckedAndRequired()
{
    SimProcess sim;
    QVERIFY(sim.start());
    SimClient client;
    QVERIFY(client.open(sim.url()));

    // Requests before a login are refused, not served.
    const QJsonObject refusedInfo = client.request(command(Cmd::serverInfoReq));
    QCOMPARE(refusedInfo.value(K::cmd).toString(), Cmd::serverInfoResp);
    QCOMPARE(refusedInfo.value(K::status).toBool(true), false);
    QCOMPARE(refusedInfo.value(K::errString).toString(), V::Error::notAuthorized);
    QVERIFY(!refusedInfo.contains(K::deviceCount));
    const QJsonObject refusedManage = client.request(manage({otaa(eui1)}));
    QCOMPARE(refusedManage.value(K::cmd).toString(), Cmd::manageDevicesResp);
    QCOMPARE(refusedManage.value(K::errString).toString(), V::Error::notAuthorized);
    QCOMPARE(client.request(command(Cmd::closeAuthReq)).value(K::errString).toString(),
             V::Error::notAuthorized);

    const QJsonObject wrong = client.request({{K::cmd, Cmd::authReq},
                                              {K::login, QStringLiteral("operator")},
                                              {K::password, QStringLiteral("wrong")}});
    QCOMPARE(wrong.value(K::cmd).toString(), Cmd::authResp);
    QCOMPARE(wrong.value(K::status).toBool(true), false);
    QCOMPARE(wrong.value(K::errString).toString(), S::invalidLoginOrPassword);
    QCOMPARE(wrong.value(K::token).toString(), QString());
    QCOMPARE(client.login(QStringLiteral("nobody"), QStringLiteral("ravlo")), QString());
    QCOMPARE(client.request(command(Cmd::serverInfoReq)).value(K::status).toBool(true), false);

    QVERIFY(!client.login().isEmpty());
    // Nothing of the refused registration was kept.
    QCOMPARE(client.request(command(Cmd::getDevicesReq)).value(K::devicesList).toArray().size(), 0);
}

void TestLnsSimProtocol::everyLoginGetsAFreshToken()
{
    SimProcess sim;
    QVERIFY(sim.start());
    SimClient client;
    QVERIFY(client.open(sim.url()));
    const QJsonObject first = client.request({{K::cmd, Cmd::authReq},
                                              {K::login, QStringLiteral("operator")},
                                              {K::password, QStringLiteral("ravlo")}});
    QCOMPARE(first.value(K::status).toBool(), true);
    QCOMPARE(first.value(K::deviceAccess).toString(), V::fullDeviceAccess);
    QCOMPARE(first.value(K::errString).toString(), QString());
    const QString token = first.value(K::token).toString();
    QCOMPARE(token.size(), 32);
    const QString second = client.login();
    QVERIFY(!second.isEmpty());
    QVERIFY(second != token);
    SimClient other;
    QVERIFY(other.open(sim.url()));
    const QString third = other.login();
    QVERIFY(third != token && third != second);
}

void TestLnsSimProtocol::closeAuthEndsThatLogin()
{
    SimProcess sim;
    QVERIFY(sim.start());
    SimClient first;
    SimClient second;
    QVERIFY(first.open(sim.url()));
    QVERIFY(second.open(sim.url()));
    const QString token = first.login();
    const QString secondToken = second.login();

    // Another login's token does not end this one.
    const QJsonObject foreign = first.request({{K::cmd, Cmd::closeAuthReq}, {K::token, secondToken}});
    QCOMPARE(foreign.value(K::cmd).toString(), Cmd::closeAuthResp);
    QCOMPARE(foreign.value(K::status).toBool(true), false);
    QCOMPARE(foreign.value(K::errString).toString(), V::Error::invalidToken);
    QCOMPARE(first.request(command(Cmd::serverInfoReq)).value(K::status).toBool(), true);

    const QJsonObject closed = first.request({{K::cmd, Cmd::closeAuthReq}, {K::token, token}});
    QCOMPARE(closed.value(K::status).toBool(), true);
    QCOMPARE(closed.value(K::errString).toString(), QString());
    QCOMPARE(first.request(command(Cmd::serverInfoReq)).value(K::errString).toString(),
             V::Error::notAuthorized);
    QCOMPARE(second.request(command(Cmd::serverInfoReq)).value(K::status).toBool(), true);
    // The socket stays open and a new login works on it.
    QVERIFY(!first.login().isEmpty());
}

void TestLnsSimProtocol::usersFromOptions()
{
    SimProcess sim;
    QVERIFY(sim.start({"--user", "anna:se:cret", "--user", "boris:b"}));
    SimClient client;
    QVERIFY(client.open(sim.url()));
    QCOMPARE(client.login(), QString()); // the demo user is gone
    QVERIFY(!client.login(QStringLiteral("anna"), QStringLiteral("se:cret")).isEmpty());
    QVERIFY(!client.login(QStringLiteral("boris"), QStringLiteral("b")).isEmpty());
    QCOMPARE(client.login(QStringLiteral("boris"), QStringLiteral("B")), QString());
}

void TestLnsSimProtocol::registrationStatus_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QJsonArray>("before"); // registered first, each must be "added"
    QTest::addColumn<QJsonValue>("device");
    QTest::addColumn<QString>("status");

    const QJsonObject plain = otaa(eui1);
    const QJsonObject full = withSettings(otaa(eui1));
    QJsonObject otaaEmpty{{K::appEui, QString()}, {K::appKey, QString()}};
    QJsonObject scannedAbp = abp(eui1, 0x26011BDA);
    scannedAbp.insert(K::otaa, otaaEmpty); // as Ravlo sends a scanned ABP label
    const QJsonObject noKeys{{K::devEui, eui1}, {K::otaa, otaaEmpty}, {K::serverAdrEnable, true}};
    const QJsonObject abpDevice = abp(eui1, 0x26011BDA);
    auto abpWithout = [&](const QString& key) {
        QJsonObject device = abpDevice;
        QJsonObject section = device.value(K::abp).toObject();
        section.remove(key);
        device.insert(K::abp, section);
        return device;
    };

    // clang-format off
    QTest::newRow("added, OTAA") << QStringList() << QJsonArray() << QJsonValue(full) << S::added;
    QTest::newRow("added, ABP as scanned") << QStringList() << QJsonArray() << QJsonValue(scannedAbp) << S::added;
    QTest::newRow("added, lower-case hex") << QStringList() << QJsonArray()
        << QJsonValue(otaa(eui1.toLower(), appEui.toLower(), appKey.toLower())) << S::added;
    QTest::newRow("devEui short") << QStringList() << QJsonArray() << QJsonValue(otaa("70B3D5FFFE00001")) << S::invalidDevEui;
    QTest::newRow("devEui not hex") << QStringList() << QJsonArray() << QJsonValue(otaa("70B3D5FFFE00000X")) << S::invalidDevEui;
    QTest::newRow("devEui a number") << QStringList() << QJsonArray() << QJsonValue(with(plain, K::devEui, 12345)) << S::invalidDevEui;
    QTest::newRow("devEui missing") << QStringList() << QJsonArray() << QJsonValue(QJsonObject{{K::otaa, plain.value(K::otaa)}}) << S::invalidDevEui;
    QTest::newRow("element a number") << QStringList() << QJsonArray() << QJsonValue(7) << S::invalidDevEui;
    QTest::newRow("OTAA without appEui") << QStringList() << QJsonArray()
        << QJsonValue(with(plain, K::otaa, QJsonObject{{K::appKey, appKey}})) << S::invalidOtaaParamList;
    QTest::newRow("OTAA with empty appKey") << QStringList() << QJsonArray()
        << QJsonValue(otaa(eui1, appEui, QString())) << S::invalidOtaaParamList;
    QTest::newRow("OTAA an array") << QStringList() << QJsonArray() << QJsonValue(with(plain, K::otaa, QJsonArray())) << S::invalidOtaaParamList;
    QTest::newRow("appKey 31 digits") << QStringList() << QJsonArray() << QJsonValue(otaa(eui1, appEui, appKey.left(31))) << S::invalidAppKeyValue;
    QTest::newRow("appKey not hex") << QStringList() << QJsonArray()
        << QJsonValue(otaa(eui1, appEui, appKey.left(31) + "Z")) << S::invalidAppKeyValue;
    QTest::newRow("ABP without nwksKey") << QStringList() << QJsonArray() << QJsonValue(abpWithout(K::nwksKey)) << S::invalidAbpParamList;
    QTest::newRow("ABP without devAddress") << QStringList() << QJsonArray() << QJsonValue(abpWithout(K::devAddress)) << S::invalidAbpParamList;
    QTest::newRow("ABP a string") << QStringList() << QJsonArray() << QJsonValue(with(plain, K::abp, "x")) << S::invalidAbpParamList;
    QTest::newRow("devAddress 0") << QStringList() << QJsonArray() << QJsonValue(abp(eui1, 0)) << S::invalidDevAddrValue;
    QTest::newRow("devAddress above 32 bits") << QStringList() << QJsonArray() << QJsonValue(abp(eui1, 4294967296.0)) << S::invalidDevAddrValue;
    QTest::newRow("devAddress fraction") << QStringList() << QJsonArray() << QJsonValue(abp(eui1, 1.5)) << S::invalidDevAddrValue;
    QTest::newRow("devAddress top") << QStringList() << QJsonArray() << QJsonValue(abp(eui1, 4294967295.0)) << S::added;
    QTest::newRow("appsKey short") << QStringList() << QJsonArray() << QJsonValue(abp(eui1, 1, sessionKey.left(30))) << S::invalidSessionKeyValue;
    QTest::newRow("nwksKey not hex") << QStringList() << QJsonArray()
        << QJsonValue(abp(eui1, 1, sessionKey, sessionKey.left(31) + "-")) << S::invalidSessionKeyValue;
    QTest::newRow("unknown without keys") << QStringList() << QJsonArray() << QJsonValue(noKeys) << S::noRegisterKeys;
    QTest::newRow("known, other appKey") << QStringList() << QJsonArray{plain}
        << QJsonValue(otaa(eui1, appEui, otherKey)) << S::reginfoAlreadyExist;
    QTest::newRow("known ABP, other session key") << QStringList() << QJsonArray{abpDevice}
        << QJsonValue(abp(eui1, 0x26011BDA, otherKey)) << S::abpReginfoAlreadyExist;
    QTest::newRow("known OTAA, ABP keys") << QStringList() << QJsonArray{plain} << QJsonValue(abpDevice) << S::abpReginfoAlreadyExist;
    QTest::newRow("known, same keys and settings") << QStringList() << QJsonArray{full} << QJsonValue(full) << S::nothingToUpdate;
    QTest::newRow("known, same keys in lower case") << QStringList() << QJsonArray{plain}
        << QJsonValue(otaa(eui1.toLower(), appEui.toLower(), appKey.toLower())) << S::nothingToUpdate;
    QTest::newRow("known, settings only, unchanged") << QStringList() << QJsonArray{full}
        << QJsonValue(with(noKeys, K::devName, eui1)) << S::nothingToUpdate;
    QTest::newRow("known, other name") << QStringList() << QJsonArray{full}
        << QJsonValue(with(full, K::devName, "meter 7")) << S::updated;
    QTest::newRow("known, class C without keys") << QStringList() << QJsonArray{full}
        << QJsonValue(with(with(noKeys, K::devClass, Protocol::DeviceClass::classC), K::reactionTime, 1000)) << S::updated;
    QTest::newRow("known, only devEui") << QStringList() << QJsonArray{plain} << QJsonValue(QJsonObject{{K::devEui, eui1}}) << S::emptyDataForUpdate;
    QTest::newRow("limit reached") << QStringList{"--max-devices", "1"} << QJsonArray{otaa(eui2)} << QJsonValue(plain) << S::maxDevCountReached;
    QTest::newRow("limit, update of a known device") << QStringList{"--max-devices", "1"} << QJsonArray{plain}
        << QJsonValue(with(plain, K::devName, "x")) << S::updated;
    QTest::newRow("devAddress of another device") << QStringList() << QJsonArray{abp(eui2, 0x26011BDA)}
        << QJsonValue(abpDevice) << S::repetitionDevAddr;
    QTest::newRow("power 14") << QStringList() << QJsonArray() << QJsonValue(with(plain, K::preferPower, 14)) << S::added;
    QTest::newRow("power 2") << QStringList() << QJsonArray() << QJsonValue(with(plain, K::preferPower, 2)) << S::added;
    QTest::newRow("power 15") << QStringList() << QJsonArray() << QJsonValue(with(plain, K::preferPower, 15)) << S::invalidPower;
    QTest::newRow("power 1") << QStringList() << QJsonArray() << QJsonValue(with(plain, K::preferPower, 1)) << S::invalidPower;
    QTest::newRow("power as text") << QStringList() << QJsonArray() << QJsonValue(with(plain, K::preferPower, "14")) << S::invalidPower;
    QTest::newRow("channelMask of 15") << QStringList() << QJsonArray() << QJsonValue(with(plain, K::channelMask, channelMask(15))) << S::invalidChannelMaskParamList;
    QTest::newRow("channelMask of numbers") << QStringList() << QJsonArray()
        << QJsonValue(with(plain, K::channelMask, with(channelMask(16), K::channelEn(3), 1))) << S::invalidChannelMaskParamList;
    QTest::newRow("channelMask of 16") << QStringList() << QJsonArray() << QJsonValue(with(plain, K::channelMask, channelMask(16))) << S::added;
    QTest::newRow("preferDr 8") << QStringList() << QJsonArray() << QJsonValue(with(plain, K::preferDr, 8)) << S::invalidDataRate;
    QTest::newRow("drRx2 -1") << QStringList() << QJsonArray() << QJsonValue(with(plain, K::drRx2, -1)) << S::invalidDataRate;
    QTest::newRow("rxWindow 3") << QStringList() << QJsonArray() << QJsonValue(with(plain, K::rxWindow, 3)) << S::invalidRxWindow;
    QTest::newRow("rxWindow 0") << QStringList() << QJsonArray() << QJsonValue(with(plain, K::rxWindow, 0)) << S::invalidRxWindow;
    QTest::newRow("delayRx1 0") << QStringList() << QJsonArray() << QJsonValue(with(plain, K::delayRx1, 0)) << S::invalidDelay;
    QTest::newRow("delayJoin1 16") << QStringList() << QJsonArray() << QJsonValue(with(plain, K::delayJoin1, 16)) << S::invalidDelay;
    QTest::newRow("reactionTime -5") << QStringList() << QJsonArray() << QJsonValue(with(plain, K::reactionTime, -5)) << S::invalidDelay;
    QTest::newRow("class unknown") << QStringList() << QJsonArray() << QJsonValue(with(plain, K::devClass, "CLASS_X")) << S::invalidClass;
    QTest::newRow("class a number") << QStringList() << QJsonArray() << QJsonValue(with(plain, K::devClass, 1)) << S::invalidClass;
    QTest::newRow("class B") << QStringList() << QJsonArray() << QJsonValue(with(plain, K::devClass, V::classB)) << S::unsupportClass;
    QTest::newRow("freq4 as text") << QStringList() << QJsonArray()
        << QJsonValue(with(plain, K::frequencyPlan, QJsonObject{{K::freq4, "864100000"}})) << S::invalidFrequencyPlan;
    QTest::newRow("devName a number") << QStringList() << QJsonArray() << QJsonValue(with(plain, K::devName, 5)) << V::Status::invalidParamValue;
    QTest::newRow("latitude 91") << QStringList() << QJsonArray()
        << QJsonValue(with(plain, K::position, QJsonObject{{K::latitude, 91}})) << V::Status::invalidParamValue;
    // clang-format on
}

void TestLnsSimProtocol::registrationStatus()
{
    QFETCH(QStringList, options);
    QFETCH(QJsonArray, before);
    QFETCH(QJsonValue, device);
    QFETCH(QString, status);
    SimProcess sim;
    QVERIFY(sim.start(options));
    SimClient client;
    QVERIFY(client.open(sim.url()));
    QVERIFY(!client.login().isEmpty());
    if (!before.isEmpty())
        QCOMPARE(statuses(client.request(manage(before))), repeated(S::added, before.size()));

    const QJsonObject answer = client.request(manage({device}));
    QCOMPARE(answer.value(K::cmd).toString(), Cmd::manageDevicesResp);
    const QJsonArray entries = answer.value(K::deviceAddStatus).toArray();
    QCOMPARE(entries.size(), 1);
    QCOMPARE(entries.first().toObject().value(K::status).toString(), status);
    // The DevEUI comes back as it was sent, so a client can match it.
    QCOMPARE(entries.first().toObject().value(K::devEui),
             QJsonValue(device.toObject().value(K::devEui).toString()));

    // Only "added" and "updated" change what the server holds.
    const QJsonArray held = client.request(get({eui1})).value(K::devicesList).toArray();
    const bool heldBefore = std::any_of(before.begin(), before.end(), [](const QJsonValue& d) {
        return d.toObject().value(K::devEui).toString() == eui1;
    });
    QCOMPARE(held.size(), (heldBefore || status == S::added || status == S::updated) ? 1 : 0);
    if (status == S::updated && device.toObject().contains(K::devName))
        QCOMPARE(held.first().toObject().value(K::devName), device.toObject().value(K::devName));
}

void TestLnsSimProtocol::oneStatusPerDeviceInOrder()
{
    SimProcess sim;
    QVERIFY(sim.start());
    SimClient client;
    QVERIFY(client.open(sim.url()));
    QVERIFY(!client.login().isEmpty());
    const QJsonObject answer = client.request(
        manage({otaa(eui1), otaa("bad"), abp(eui2, 0x100), otaa(eui1), abp(otherEui, 0x100), QJsonValue()}));
    QCOMPARE(statuses(answer), (QStringList{S::added, S::invalidDevEui, S::added, S::nothingToUpdate,
                                            S::repetitionDevAddr, S::invalidDevEui}));
    QCOMPARE(answer.value(K::deviceAddStatus).toArray().at(1).toObject().value(K::devEui).toString(),
             QStringLiteral("bad"));
    // A request without a list (Ravlo sends one for an empty device list) gets an empty answer.
    const QJsonObject empty = client.request(command(Cmd::manageDevicesReq));
    QCOMPARE(empty.value(K::cmd).toString(), Cmd::manageDevicesResp);
    QVERIFY(empty.value(K::deviceAddStatus).isArray());
    QCOMPARE(empty.value(K::deviceAddStatus).toArray().size(), 0);
}

void TestLnsSimProtocol::serverInfoCountsByPrefix()
{
    SimProcess sim;
    QVERIFY(sim.start({"--qelt-prefix", "70b3d5"}));
    SimClient client;
    QVERIFY(client.open(sim.url()));
    QVERIFY(!client.login().isEmpty());
    const QJsonObject empty = client.request(command(Cmd::serverInfoReq));
    QCOMPARE(empty.value(K::cmd).toString(), Cmd::serverInfoResp);
    QCOMPARE(empty.value(K::status).toBool(), true);
    QCOMPARE(counts(client), qMakePair(0, 0));
    client.request(manage({otaa(eui1), otaa(eui2.toLower()), otaa(otherEui)}));
    QCOMPARE(counts(client), qMakePair(2, 1));

    SimProcess everything;
    QVERIFY(everything.start({"--qelt-prefix", ""}));
    SimClient second;
    QVERIFY(second.open(everything.url()));
    QVERIFY(!second.login().isEmpty());
    second.request(manage({otaa(eui1), otaa(otherEui)}));
    QCOMPARE(counts(second), qMakePair(2, 0));
}

void TestLnsSimProtocol::getDevicesBySelectionOrAll()
{
    SimProcess sim;
    QVERIFY(sim.start());
    SimClient client;
    QVERIFY(client.open(sim.url()));
    QVERIFY(!client.login().isEmpty());
    QJsonObject device = withSettings(otaa(eui2.toLower(), appEui.toLower(), appKey.toLower()));
    device.insert(K::position, QJsonObject{{K::latitude, 55.75}, {K::altitude, 120}});
    device.insert(QStringLiteral("unknownKey"), 1);
    client.request(manage({device, abp(eui1, 0x26011BDA), otaa(otherEui)}));

    const QJsonObject all = client.request(command(Cmd::getDevicesReq));
    QCOMPARE(all.value(K::cmd).toString(), Cmd::getDevicesResp);
    QCOMPARE(devEuisOf(all), (QStringList{otherEui, eui1, eui2}));

    const QJsonObject some =
        client.request(get({eui2.toLower(), QStringLiteral("FFFFFFFFFFFFFFFF"), eui1, eui2}));
    QCOMPARE(devEuisOf(some), (QStringList{eui2, eui1}));
    const QJsonObject held = some.value(K::devicesList).toArray().first().toObject();
    QCOMPARE(held.value(K::otaa).toObject(), (QJsonObject{{K::appEui, appEui}, {K::appKey, appKey}}));
    QCOMPARE(held.value(K::freqRx2).toInt(), 869100000);
    QCOMPARE(held.value(K::frequencyPlan).toObject().value(K::freq8).toInt(), 864900000);
    QCOMPARE(held.value(K::channelMask).toObject().size(), 16);
    QCOMPARE(held.value(K::position).toObject().value(K::latitude).toDouble(), 55.75);
    QCOMPARE(held.value(K::serverAdrEnable).toBool(), true);
    QVERIFY(!held.contains(QStringLiteral("unknownKey")));
    const QJsonObject abpHeld = some.value(K::devicesList).toArray().at(1).toObject();
    QCOMPARE(abpHeld.value(K::abp).toObject().value(K::devAddress).toDouble(), double(0x26011BDA));

    // After a refused registration Ravlo asks with an empty list: nothing, not everything.
    QCOMPARE(client.request(get({})).value(K::devicesList).toArray().size(), 0);
    const QJsonObject wrong = client.request(with(command(Cmd::getDevicesReq), K::select, "all"));
    QCOMPARE(wrong.value(K::status).toBool(true), false);
    QCOMPARE(wrong.value(K::errString).toString(), V::Error::invalidRequest);
}

void TestLnsSimProtocol::deleteDevices()
{
    SimProcess sim;
    QVERIFY(sim.start());
    SimClient client;
    QVERIFY(client.open(sim.url()));
    QVERIFY(!client.login().isEmpty());
    client.request(manage({otaa(eui1), otaa(eui2)}));
    const QJsonObject answer =
        client.request({{K::cmd, Cmd::deleteDevicesReq},
                        {K::devicesList, QJsonArray{eui1.toLower(), otherEui, "xyz", 5, eui1}}});
    QCOMPARE(answer.value(K::cmd).toString(), Cmd::deleteDevicesResp);
    QCOMPARE(statuses(answer, K::deviceDeleteStatus),
             (QStringList{S::deleted, V::Status::notFound, S::invalidDevEui, S::invalidDevEui,
                          V::Status::notFound}));
    QCOMPARE(answer.value(K::deviceDeleteStatus).toArray().first().toObject().value(K::devEui).toString(),
             eui1.toLower());
    QCOMPARE(devEuisOf(client.request(command(Cmd::getDevicesReq))), QStringList{eui2});
    // Deleted means gone: it can be registered anew.
    QCOMPARE(statuses(client.request(manage({otaa(eui1, appEui, otherKey)}))), QStringList{S::added});
    const QJsonObject wrong = client.request({{K::cmd, Cmd::deleteDevicesReq}, {K::devicesList, eui2}});
    QCOMPARE(wrong.value(K::errString).toString(), V::Error::invalidRequest);
    QCOMPARE(devEuisOf(client.request(command(Cmd::getDevicesReq))), (QStringList{eui1, eui2}));
}

void TestLnsSimProtocol::manageAppData()
{
    SimProcess sim;
    QVERIFY(sim.start());
    SimClient client;
    QVERIFY(client.open(sim.url()));
    QVERIFY(!client.login().isEmpty());
    client.request(manage({otaa(eui1)}));
    const QJsonObject meter{{K::devEui, eui1},
                            {QStringLiteral("sn"), QStringLiteral("12345")},
                            {V::Key::otherInfo1, QStringLiteral("{\"name\":\"hall\",\"kt\":1}")}};
    const QJsonObject answer =
        client.request({{K::cmd, Cmd::manageDeviceAppdataReq},
                        {K::dataList, QJsonArray{meter, with(meter, K::devEui, otherEui),
                                                 with(meter, V::Key::otherInfo1, "not json"), 3}}});
    QCOMPARE(answer.value(K::cmd).toString(), Cmd::manageDeviceAppdataResp);
    QCOMPARE(answer.value(K::status).toBool(), true);
    QCOMPARE(answer.value(K::errString).toString(), QString());
    QCOMPARE(statuses(answer, K::updateStatus), (QStringList{"true", "false", "false", "false"}));
    QCOMPARE(answer.value(K::updateStatus).toArray().at(1).toObject().value(K::devEui).toString(), otherEui);
    const QJsonObject wrong = client.request({{K::cmd, Cmd::manageDeviceAppdataReq}, {K::dataList, meter}});
    QCOMPARE(wrong.value(K::status).toBool(true), false);
    QCOMPARE(wrong.value(K::errString).toString(), V::Error::invalidRequest);
}

void TestLnsSimProtocol::sendDataIsQueuedAndPrinted()
{
    SimProcess sim;
    QVERIFY(sim.start());
    SimClient client;
    QVERIFY(client.open(sim.url()));
    QVERIFY(!client.login().isEmpty());
    client.request(manage({otaa(eui1)}));
    auto downlink = [](const QString& devEui, const QJsonValue& port, const QString& data) {
        return QJsonObject{{K::devEui, devEui}, {K::data, data}, {K::port, port}, {K::ack, true}};
    };
    const QJsonObject answer =
        client.request({{K::cmd, Cmd::sendDataReq},
                        {K::dataList, QJsonArray{downlink(eui1, 2, "0a0b"), downlink(eui1, "02", "FF"),
                                                 downlink(otherEui, 2, "00"), downlink("12", 2, "00"),
                                                 downlink(eui1, 0, "00"), downlink(eui1, "x", "00"),
                                                 downlink(eui1, 2, "ABC"), downlink(eui1, 2, "hello")}}});
    QCOMPARE(answer.value(K::cmd).toString(), V::Cmd::sendDataResp);
    QCOMPARE(statuses(answer, V::Key::sendStatus),
             (QStringList{V::Status::queued, V::Status::queued, V::Status::notFound, S::invalidDevEui,
                          V::Status::invalidPort, V::Status::invalidPort, V::Status::invalidData,
                          V::Status::invalidData}));
    QVERIFY(sim.waitForLine(QRegularExpression(
        QStringLiteral("downlink queued devEui=%1 port=2 ack=true data=0A0B$").arg(eui1))));
    QVERIFY(sim.waitForLine(
        QRegularExpression(QStringLiteral("downlink queued devEui=%1 port=2 ack=true data=FF$").arg(eui1))));
    // Two wait already; the queue of one device holds 32.
    QJsonArray many;
    for (int i = 0; i < 31; ++i)
        many.append(downlink(eui1, 2, "00"));
    QCOMPARE(statuses(client.request({{K::cmd, Cmd::sendDataReq}, {K::dataList, many}}), V::Key::sendStatus),
             repeated(V::Status::queued, 30) + QStringList{V::Status::queueFull});
}

void TestLnsSimProtocol::uplinksArePushed()
{
    SimProcess sim;
    QVERIFY(sim.start({"--rx-interval", "1"}));
    SimClient client;
    QVERIFY(client.open(sim.url()));
    QVERIFY(!client.login().isEmpty());
    client.send(manage({otaa(eui1)}));
    client.send({{K::cmd, Cmd::sendDataReq},
                 {K::dataList, QJsonArray{QJsonObject{{K::devEui, eui1}, {K::data, "01"}, {K::port, 3}}}}});
    // The answers come first; an uplink may come between them.
    QJsonObject rx;
    for (int frame = 0; frame < 4 && rx.value(K::cmd).toString() != Cmd::rx; ++frame)
        rx = client.next(5000);
    QCOMPARE(rx.value(K::cmd).toString(), Cmd::rx);
    QCOMPARE(rx.value(K::type).toString(), Protocol::UplinkType::unconfirmed);
    QCOMPARE(rx.value(K::devEui).toString(), eui1);
    QVERIFY(sim.waitForLine(
        QRegularExpression(QStringLiteral("downlink sent devEui=%1 port=3 data=01").arg(eui1))));
    // Connections without a login get no uplinks.
    SimClient anonymous;
    QVERIFY(anonymous.open(sim.url()));
    QVERIFY(client.next(5000).value(K::cmd).toString() == Cmd::rx);
    QVERIFY(anonymous.next(100).isEmpty());
}

void TestLnsSimProtocol::twoClientsAtOnce()
{
    SimProcess sim;
    QVERIFY(sim.start());
    SimClient first;
    SimClient second;
    QVERIFY(first.open(sim.url()));
    QVERIFY(second.open(sim.url()));
    QVERIFY(!first.login().isEmpty());
    QVERIFY(!second.login().isEmpty());

    // Both send before either reads: each gets its own answers, in its own order.
    first.send(manage({otaa(eui1)}));
    second.send(manage({otaa(eui2)}));
    first.send(get({eui1, eui2}));
    QCOMPARE(statuses(first.next()), QStringList{S::added});
    QCOMPARE(statuses(second.next()), QStringList{S::added});
    QCOMPARE(first.next().value(K::cmd).toString(), Cmd::getDevicesResp);
    first.send(command(Cmd::serverInfoReq));
    second.send(get({eui1}));
    const QJsonObject info = first.next();
    QCOMPARE(info.value(K::cmd).toString(), Cmd::serverInfoResp);
    QCOMPARE(info.value(K::deviceCount).toObject().value(K::deviceCountQelt).toInt(), 2);
    QCOMPARE(devEuisOf(second.next()), QStringList{eui1});

    // The same device from the other client is known.
    QCOMPARE(statuses(second.request(manage({otaa(eui1, appEui, otherKey)}))),
             QStringList{S::reginfoAlreadyExist});
    first.socket().close();
    QVERIFY(first.waitDisconnected());
    QCOMPARE(devEuisOf(second.request(command(Cmd::getDevicesReq))), (QStringList{eui1, eui2}));
    QVERIFY(sim.waitForLine(QRegularExpression(QStringLiteral("client=1 disconnected"))));
}

void TestLnsSimProtocol::databaseSurvivesRestart()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString database = dir.filePath(QStringLiteral("devices.db"));
    {
        SimProcess sim;
        QVERIFY(sim.start({"--database", database}));
        SimClient client;
        QVERIFY(client.open(sim.url()));
        QVERIFY(!client.login().isEmpty());
        QCOMPARE(statuses(client.request(
                     manage({withSettings(otaa(eui1)), abp(eui2, 0x0A0B0C0D), otaa(otherEui)}))),
                 repeated(S::added, 3));
        QCOMPARE(statuses(client.request(
                              {{K::cmd, Cmd::deleteDevicesReq}, {K::devicesList, QJsonArray{otherEui}}}),
                          K::deviceDeleteStatus),
                 QStringList{S::deleted});
        QCOMPARE(statuses(client.request(manage({with(otaa(eui1), K::devName, "renamed")}))),
                 QStringList{S::updated});
        QVERIFY(sim.stop());
    }
    SimProcess sim;
    QVERIFY(sim.start({"--database", database}));
    QVERIFY(sim.waitForLine(QRegularExpression(QStringLiteral("^database .*devices.db\", 2 devices"))));
    SimClient client;
    QVERIFY(client.open(sim.url()));
    QVERIFY(!client.login().isEmpty());
    const QJsonObject all = client.request(command(Cmd::getDevicesReq));
    QCOMPARE(devEuisOf(all), (QStringList{eui1, eui2}));
    QCOMPARE(all.value(K::devicesList).toArray().first().toObject().value(K::devName).toString(),
             QStringLiteral("renamed"));
    QCOMPARE(counts(client), qMakePair(2, 0));
    // The keys are remembered too.
    QCOMPARE(statuses(client.request(manage({abp(eui2, 0x0A0B0C0D, otherKey)}))),
             QStringList{S::abpReginfoAlreadyExist});
    QCOMPARE(statuses(client.request(manage({otaa(eui1)}))), QStringList{S::nothingToUpdate});
}

void TestLnsSimProtocol::secondSimulatorOnTheSameDatabaseIsRefused()
{
    QTemporaryDir dir;
    const QString database = dir.filePath(QStringLiteral("devices.db"));
    SimProcess first;
    QVERIFY(first.start({"--database", database}));
    QVERIFY(first.stop()); // the file exists now: the lock must not depend on creating it
    QVERIFY(first.start({"--database", database}));
    SimProcess second;
    QVERIFY(!second.start({"--database", database}));
    QTRY_VERIFY(!second.isRunning());
    QVERIFY2(second.errorOutput().contains(QStringLiteral("cannot open the database")),
             qPrintable(second.errorOutput()));
    // The first one goes on serving.
    SimClient client;
    QVERIFY(client.open(first.url()));
    QVERIFY(!client.login().isEmpty());
}

void TestLnsSimProtocol::unusableDatabaseStopsTheStart()
{
    QTemporaryDir dir;
    QFile notSqlite(dir.filePath(QStringLiteral("notes.txt")));
    QVERIFY(notSqlite.open(QIODevice::WriteOnly));
    notSqlite.write(QByteArray(4096, 'x'));
    notSqlite.close();
    for (const QString& path :
         {notSqlite.fileName(), dir.filePath(QStringLiteral("missing/dir/devices.db"))}) {
        QString out;
        QString err;
        SimProcess sim;
        QCOMPARE(sim.runToExit({"--port", "0", "--database", path}, &out, &err), 1);
        QVERIFY2(err.contains(QStringLiteral("cannot open the database")), qPrintable(err));
        QVERIFY(!out.contains(QStringLiteral("listening")));
    }
    QCOMPARE(QFile(notSqlite.fileName()).size(), qint64(4096)); // left as it was
}

void TestLnsSimProtocol::garbageFrames_data()
{
    QTest::addColumn<QString>("frame");
    QTest::addColumn<QString>("replyCmd");
    QTest::addColumn<QString>("errString");
    const QString deep = QString(5000, QLatin1Char('[')) + QString(5000, QLatin1Char(']'));
    const QString deepObject =
        QStringLiteral("{\"cmd\":\"manage_devices_req\",\"devices_list\":") + deep + "}";
    // clang-format off
    QTest::newRow("not JSON") << "hello" << V::Cmd::error << V::Error::invalidJson;
    QTest::newRow("empty") << "" << V::Cmd::error << V::Error::invalidJson;
    QTest::newRow("truncated") << "{\"cmd\":\"server_info_req\"" << V::Cmd::error << V::Error::invalidJson;
    QTest::newRow("trailing garbage") << "{\"cmd\":\"server_info_req\"}x" << V::Cmd::error << V::Error::invalidJson;
    QTest::newRow("array") << "[1,2,3]" << V::Cmd::error << V::Error::invalidJson;
    QTest::newRow("deeply nested") << deep << V::Cmd::error << V::Error::invalidJson;
    QTest::newRow("deeply nested list") << deepObject << V::Cmd::error << V::Error::invalidJson;
    QTest::newRow("no cmd") << "{\"login\":\"operator\"}" << V::Cmd::error << V::Error::missingCmd;
    QTest::newRow("cmd a number") << "{\"cmd\":5}" << V::Cmd::error << V::Error::missingCmd;
    QTest::newRow("cmd with line break") << "{\"cmd\":\"x\\nout 1 forged\"}" << V::Cmd::error << V::Error::unknownCmd;
    QTest::newRow("unknown cmd") << "{\"cmd\":\"reboot_req\"}" << V::Cmd::error << V::Error::unknownCmd;
    QTest::newRow("response as request") << "{\"cmd\":\"auth_resp\",\"status\":true}" << V::Cmd::error << V::Error::unknownCmd;
    QTest::newRow("devices_list a string") << "{\"cmd\":\"manage_devices_req\",\"devices_list\":\"x\"}"
                                           << Cmd::manageDevicesResp << V::Error::invalidRequest;
    QTest::newRow("devices_list an object") << "{\"cmd\":\"manage_devices_req\",\"devices_list\":{}}"
                                            << Cmd::manageDevicesResp << V::Error::invalidRequest;
    QTest::newRow("devices of wrong types") << "{\"cmd\":\"manage_devices_req\",\"devices_list\":[null,true,[],\"x\",{\"devEui\":[]}]}"
                                            << Cmd::manageDevicesResp << QString();
    QTest::newRow("select a number") << "{\"cmd\":\"get_devices_req\",\"select\":1}" << Cmd::getDevicesResp << V::Error::invalidRequest;
    QTest::newRow("devEui_list of objects") << "{\"cmd\":\"get_devices_req\",\"select\":{\"devEui_list\":[{},null,1e308]}}"
                                            << Cmd::getDevicesResp << QString();
    QTest::newRow("data_list null") << "{\"cmd\":\"send_data_req\",\"data_list\":null}" << V::Cmd::sendDataResp << V::Error::invalidRequest;
    QTest::newRow("huge number") << "{\"cmd\":\"manage_devices_req\",\"devices_list\":[{\"devEui\":\"70B3D5FFFE000001\",\"preferPower\":1e400}]}"
                                 << V::Cmd::error << V::Error::invalidJson;
    QTest::newRow("login a number") << "{\"cmd\":\"auth_req\",\"login\":1,\"password\":2}" << Cmd::authResp << S::invalidLoginOrPassword;
    QTest::newRow("nul and lone surrogate") << "{\"cmd\":\"auth_req\",\"login\":\"\\u0000\\ud800\",\"password\":\"\"}"
                                            << Cmd::authResp << S::invalidLoginOrPassword;
    QTest::newRow("long string") << "{\"cmd\":\"manage_devices_req\",\"devices_list\":[{\"devEui\":\"" + QString(1 << 20, 'A') + "\"}]}"
                                 << Cmd::manageDevicesResp << QString();
    // clang-format on
}

void TestLnsSimProtocol::garbageFrames()
{
    QFETCH(QString, frame);
    QFETCH(QString, replyCmd);
    QFETCH(QString, errString);
    if (!m_garbageSim) { // one simulator for all rows: it must survive every one of them
        m_garbageSim = std::make_unique<SimProcess>();
        QVERIFY(m_garbageSim->start());
        m_garbageClient = std::make_unique<SimClient>();
        QVERIFY(m_garbageClient->open(m_garbageSim->url()));
        QVERIFY(!m_garbageClient->login().isEmpty());
    }
    SimProcess* sim = m_garbageSim.get();
    SimClient* client = m_garbageClient.get();
    client->sendText(frame);
    const QJsonObject answer = client->next();
    QCOMPARE(answer.value(K::cmd).toString(), replyCmd);
    QCOMPARE(answer.value(K::errString).toString(), errString);
    if (!errString.isEmpty())
        QCOMPARE(answer.value(K::status).toBool(true), false);
    if (replyCmd == Cmd::authResp) // a refused login ends the connection's login
        QVERIFY(!client->login().isEmpty());
    // Still serving, on the same connection.
    QCOMPARE(client->request(command(Cmd::serverInfoReq)).value(K::status).toBool(), true);
    QVERIFY(sim->isRunning());
    // A line break inside "cmd" must not make a line of its own in the log.
    for (const QString& line : sim->lines())
        QVERIFY(!line.startsWith(QStringLiteral("out 1 forged")));
}

void TestLnsSimProtocol::oversizedFrameClosesOnlyThatConnection()
{
    SimProcess sim;
    QVERIFY(sim.start({"--max-message-size", "65536"}));
    SimClient big;
    SimClient bystander;
    QVERIFY(big.open(sim.url()));
    QVERIFY(bystander.open(sim.url()));
    QVERIFY(!bystander.login().isEmpty());
    big.sendText(QStringLiteral("{\"cmd\":\"auth_req\",\"login\":\"") + QString(100000, QLatin1Char('a')) +
                 "\"}");
    QVERIFY(big.waitDisconnected());
    QCOMPARE(big.socket().closeCode(), QWebSocketProtocol::CloseCodeTooMuchData);
    QCOMPARE(bystander.request(command(Cmd::serverInfoReq)).value(K::status).toBool(), true);
    SimClient later;
    QVERIFY(later.open(sim.url()));
    QVERIFY(!later.login().isEmpty());
    // Binary frames are answered, not served.
    later.socket().sendBinaryMessage(QByteArray("\x00\x01", 2));
    QCOMPARE(later.next().value(K::errString).toString(), V::Error::binaryFrame);
}

void TestLnsSimProtocol::rawTcpGarbage()
{
    SimProcess sim;
    QVERIFY(sim.start());
    QTcpSocket raw;
    raw.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(sim.url().port()));
    QVERIFY(raw.waitForConnected(5000));
    raw.write("GET / HTTP/1.1\r\nHost: x\r\n\r\n");
    raw.write(QByteArray(10000, '\xff'));
    QVERIFY(raw.waitForBytesWritten(5000));
    QTRY_VERIFY_WITH_TIMEOUT(raw.state() == QAbstractSocket::UnconnectedState || raw.bytesAvailable() > 0,
                             15000);
    SimClient client;
    QVERIFY(client.open(sim.url()));
    QVERIFY(!client.login().isEmpty());
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
    if (!openssl.waitForStarted(5000))
        QSKIP("openssl is not installed; cannot make a test certificate");
    QVERIFY(openssl.waitForFinished(60000));
    QCOMPARE(openssl.exitCode(), 0);

    SimProcess sim;
    QVERIFY2(sim.start({"--cert", cert, "--key", key}), qPrintable(sim.errorOutput()));
    QCOMPARE(sim.url().scheme(), QStringLiteral("wss"));
    SimClient client;
    // Trust exactly this certificate, nothing more.
    QSslConfiguration ssl = QSslConfiguration::defaultConfiguration();
    ssl.setCaCertificates(QSslCertificate::fromPath(cert));
    client.socket().setSslConfiguration(ssl);
    QVERIFY(client.open(sim.url()));
    QVERIFY(!client.login().isEmpty());
    QCOMPARE(statuses(client.request(manage({otaa(eui1)}))), QStringList{S::added});

    QString out;
    QString err;
    QCOMPARE(sim.runToExit({"--port", "0", "--cert", key, "--key", key}, &out, &err), 1);
    QVERIFY2(err.contains(QStringLiteral("no PEM certificate")), qPrintable(err));
}

void TestLnsSimProtocol::helpNamesEveryStatus()
{
    QString out;
    QString err;
    SimProcess sim;
    QCOMPARE(sim.runToExit({"--help"}, &out, &err), 0);
    const QStringList words{S::added,
                            S::updated,
                            S::nothingToUpdate,
                            S::emptyDataForUpdate,
                            S::reginfoAlreadyExist,
                            S::abpReginfoAlreadyExist,
                            S::repetitionDevAddr,
                            S::maxDevCountReached,
                            S::noRegisterKeys,
                            S::invalidDevEui,
                            S::invalidAbpParamList,
                            S::invalidDevAddrValue,
                            S::invalidSessionKeyValue,
                            S::invalidOtaaParamList,
                            S::invalidAppKeyValue,
                            S::invalidPower,
                            S::invalidChannelMaskParamList,
                            S::invalidDelay,
                            S::invalidDataRate,
                            S::invalidRxWindow,
                            S::invalidClass,
                            S::unsupportClass,
                            S::invalidFrequencyPlan,
                            S::deleted,
                            S::invalidLoginOrPassword,
                            V::Status::invalidParamValue,
                            V::Status::storageError,
                            V::Status::notFound,
                            V::Status::queued,
                            V::Status::invalidPort,
                            V::Status::invalidData,
                            V::Status::queueFull,
                            V::Error::notAuthorized,
                            V::Error::invalidToken,
                            V::Error::invalidJson,
                            V::Error::missingCmd,
                            V::Error::unknownCmd,
                            V::Error::invalidRequest,
                            QStringLiteral("--database"),
                            QStringLiteral("--qelt-prefix"),
                            QStringLiteral("--max-devices"),
                            QStringLiteral("--rx-interval"),
                            QStringLiteral("--cert"),
                            QStringLiteral("--user")};
    for (const QString& word : words)
        QVERIFY2(out.contains(word), qPrintable(word));
}

void TestLnsSimProtocol::ravloLogsIn()
{
    // What the README tells a new user: the demo login over "ws" (here on a free port).
    SimProcess sim;
    QVERIFY(sim.start());
    SimClient helper;
    QVERIFY(helper.open(sim.url()));
    QVERIFY(!helper.login().isEmpty());
    helper.request(manage({otaa(eui1), otaa(otherEui)}));

    AppStartup::connectClientToParser();
    QSignalSpy info(CMessageParser::instance(), &CMessageParser::serverInfoResp);
    CServerClient* ravlo = CServerClient::instance();
    CLoraAuthReq request;
    request.protocol = 0;
    request.address = QStringLiteral("127.0.0.1:%1").arg(sim.url().port());
    request.login = QStringLiteral("operator");
    request.password = QStringLiteral("ravlo");
    ravlo->openWebSoket(request);
    QTRY_COMPARE_WITH_TIMEOUT(ravlo->clientState(), EClientStates::ready, 10000);
    QVERIFY(!info.isEmpty());
    const CloraInfoResp counters = info.last().first().value<CloraInfoResp>();
    QCOMPARE(counters.deviceCountQelt, 1);
    QCOMPARE(counters.deviceCountOther, 1);
    ravlo->abort();
}

RAVLO_REGISTER_TEST(TestLnsSimProtocol)
#include "tst_lns_sim_protocol.moc"
