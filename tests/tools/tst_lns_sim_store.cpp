#include "SimTestSupport.h"
#include "common/TestRegistry.h"

#include "DeviceStore.h"
#include "FrameLog.h"
#include "SimRequestHandler.h"
#include "server/JsonText.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QString eui1 = QStringLiteral("70B3D5FFFE000001");

// A statement on the store's own connection, which holds the file's lock.
bool execOnStore(const QString& statement, QSqlQuery* query)
{
    *query = QSqlQuery(QSqlDatabase::database(QSqlDatabase::connectionNames().first(), false));
    return query->exec(statement);
}

// The answer to a device list as it was written before the store kept texts: one document of
// the devices, as the store holds them, written by Qt at once.
QString documentAnswer(const DeviceStore& store, const QStringList& devEuis)
{
    QJsonArray devices;
    for (const QString& devEui : devEuis)
        devices.append(*store.find(devEui));
    QJsonObject built{{Protocol::Key::cmd, Protocol::Cmd::getDevicesResp},
                      {Protocol::Key::status, true},
                      {Protocol::Key::errString, QString()}};
    built.insert(Protocol::Key::devicesList, devices);
    return compactJsonText(built);
}

// A request handler of a store with one operator logged in.
class Handling
{
public:
    explicit Handling(DeviceStore& store) : m_log(nullptr), m_handler(m_config, store, m_log) {}
    SimReply operator()(const QString& text)
    {
        const QJsonObject object = QJsonDocument::fromJson(text.toUtf8()).object();
        return m_handler.handle(object, object.value(Protocol::Key::cmd).toString(), m_session);
    }

private:
    SimConfig m_config;
    FrameLog m_log;
    SimRequestHandler m_handler;
    SimSession m_session{1, QStringLiteral("operator"), QStringLiteral("token")};
};
} // namespace

// The simulator's device store: what is answered is what is kept, also when a write fails.
class TestLnsSimStore : public QObject
{
    Q_OBJECT
private slots:
    void failedWriteKeepsNothingAndSaysSo();
    void unreadableRowsAreSkippedAndKept();
    void deviceListIsQtsCompactText_data();
    void deviceListIsQtsCompactText();
    void deviceListFollowsEveryChange();
};

void TestLnsSimStore::failedWriteKeepsNothingAndSaysSo()
{
    DeviceStore store;
    QString error;
    QVERIFY(store.open(QString(), &error));
    Handling handling(store);
    const auto handle = [&](const QString& request) { return handling(request).message; };
    QCOMPARE(statuses(handle(manageRequest(R"({"devEui":"$EUI1",$ABP})"))), Protocol::Status::added);
    const auto first = store.find(eui1);

    QSqlQuery query;
    QVERIFY(execOnStore(QStringLiteral("DROP TABLE devices"), &query));
    const QJsonObject answer = handle(manageRequest(
        R"({"devEui":"$EUI2","ABP":{"devAddress":5,"appsKey":"$KEY","nwksKey":"$KEY"}},{"devEui":"$EUI1","devName":"x"},{"devEui":"x"})"));
    QCOMPARE(statuses(answer), QStringLiteral("storageError storageError invalidDevEui"));
    QCOMPARE(answer.value(Protocol::Key::status).toBool(true), false);
    // Memory is as it was before the failed writes.
    QCOMPARE(store.count(), 1);
    QCOMPARE(store.find(eui1), first);
    QCOMPARE(store.devAddrOwner(5), QString());
}

void TestLnsSimStore::unreadableRowsAreSkippedAndKept()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("devices.db"));
    QString error;
    {
        DeviceStore store;
        QVERIFY(store.open(path, &error));
        QSqlQuery query;
        QVERIFY(execOnStore(QStringLiteral("INSERT INTO devices VALUES ('70B3D5FFFE000002', 'not json')"),
                            &query));
    }
    DeviceStore store;
    QStringList warnings;
    QVERIFY(store.open(path, &error, &warnings));
    QCOMPARE(store.count(), 0);
    QCOMPARE(warnings.size(), 1);
    store.beginChanges();
    store.put(QStringLiteral("0000000000000003"), QJsonObject{{Protocol::Key::devEui, "0000000000000003"}});
    QVERIFY(store.commitChanges(&error));
    QSqlQuery query;
    QVERIFY(execOnStore(QStringLiteral("SELECT count(*) FROM devices"), &query) && query.next());
    QCOMPARE(query.value(0).toInt(), 2); // the unreadable row is still there
}

void TestLnsSimStore::deviceListIsQtsCompactText_data()
{
    QTest::addColumn<QString>("request");
    QTest::addColumn<QStringList>("devEuis");
    QTest::newRow("all") << R"({"cmd":"get_devices_req"})"
                         << QStringList{"0000000000000009", "70B3D5FFFE000001", "70B3D5FFFE000002"};
    QTest::newRow("selected")
        << R"({"cmd":"get_devices_req","select":{"devEui_list":)"
           R"(["70b3d5fffe000002","FFFFFFFFFFFFFFFF","0000000000000009","70B3D5FFFE000002"]}})"
        << QStringList{"70B3D5FFFE000002", "0000000000000009"};
    QTest::newRow("none") << R"({"cmd":"get_devices_req","select":{"devEui_list":[]}})" << QStringList();
}

// The list is put together from the texts the store keeps; it must read exactly as the whole
// answer written by Qt at once, also for a row written by hand and for texts that need escapes.
void TestLnsSimStore::deviceListIsQtsCompactText()
{
    QFETCH(QString, request);
    QFETCH(QStringList, devEuis);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("devices.db"));
    QString error;
    {
        DeviceStore store;
        QVERIFY(store.open(path, &error));
        QSqlQuery query;
        QVERIFY(execOnStore(
            expandDevices(R"(INSERT INTO devices VALUES ('0000000000000009', '{ "OTAA" : )"
                          R"({"appKey":"$KEY", "appEui":"0102030405060708"},  "devEui":"0000000000000009", )"
                          R"("devName":"\u0441\u0447\u0451\u0442\u0447\u0438\u043a \ud83d\ude00\/", )"
                          R"("position":{"latitude":37.610, "longitude":1E2, "altitude":-0.0}}'))"),
            &query));
    }
    DeviceStore store;
    QVERIFY(store.open(path, &error));
    Handling handle(store);
    // Names with escapes, control characters, Cyrillic letters and a character beyond 16 bits;
    // fractions that have no exact binary form, a large whole number, the largest DevAddr.
    const QString registered =
        R"({"devEui":"$EUI2",$OTAA,"class":"CLASS_C","frequencyPlan":{"freq4":864100000},)"
        R"("serverAdrEnable":true,"devName":"счётчик \"7\"\\\n\t\u0001\u001f\u007f</>",)"
        R"("position":{"latitude":0.1,"longitude":-37.61,"altitude":-12}},)"
        R"({"devEui":"$EUI1","ABP":{"devAddress":4294967295,"appsKey":"$KEY","nwksKey":"$KEY"},)"
        R"("devName":"🔌 водомер №3","reactionTime":2147483647,"position":{"latitude":-89.99999999999999,)"
        R"("longitude":179.3,"altitude":2147483647}})";
    QCOMPARE(statuses(handle(manageRequest(registered)).message), QStringLiteral("added added"));

    QCOMPARE(handle(request).text, documentAnswer(store, devEuis));
}

// The texts in list order are kept between answers: every change, and a write that fails and
// is taken back, shows in the next answer.
void TestLnsSimStore::deviceListFollowsEveryChange()
{
    QTemporaryDir dir;
    DeviceStore store;
    QString error;
    QVERIFY(store.open(dir.filePath(QStringLiteral("devices.db")), &error));
    Handling handle(store);
    const QString getAll = QStringLiteral(R"({"cmd":"get_devices_req"})");
    const auto names = [&] {
        const QJsonObject answer = QJsonDocument::fromJson(handle(getAll).text.toUtf8()).object();
        return statuses(answer, Protocol::Key::devicesList, Protocol::Key::devName);
    };
    const auto eui = [](int n) { return QStringLiteral("70B3D5FFFE00000%1").arg(n); };

    QCOMPARE(
        statuses(
            handle(manageRequest(R"({"devEui":"$EUI2",$OTAA,$SETTINGS},{"devEui":"$EUI1",$ABP})")).message),
        QStringLiteral("added added"));
    QCOMPARE(handle(getAll).text, documentAnswer(store, {eui(1), eui(2)}));

    QCOMPARE(statuses(handle(manageRequest(R"({"devEui":"$EUI1","devName":"renamed"})")).message),
             Protocol::Status::updated);
    QCOMPARE(names(), QStringLiteral("renamed meter"));
    QCOMPARE(handle(getAll).text, documentAnswer(store, {eui(1), eui(2)}));

    QCOMPARE(statuses(handle(manageRequest(R"({"devEui":"$EUI3",$OTAA,"devName":"third"})")).message),
             Protocol::Status::added);
    QCOMPARE(names(), QStringLiteral("renamed meter third"));
    QCOMPARE(handle(getAll).text, documentAnswer(store, {eui(1), eui(2), eui(3)}));

    QCOMPARE(
        statuses(handle(QStringLiteral(R"({"cmd":"delete_devices_req","devices_list":["%1"]})").arg(eui(2)))
                     .message,
                 Protocol::Key::deviceDeleteStatus),
        Protocol::Status::deleted);
    QCOMPARE(handle(getAll).text, documentAnswer(store, {eui(1), eui(3)}));

    // A batch that cannot be written: neither the new name nor the new device is answered.
    QSqlQuery query;
    QVERIFY(execOnStore(QStringLiteral("DROP TABLE devices"), &query));
    QCOMPARE(
        statuses(
            handle(manageRequest(R"({"devEui":"$EUI3","devName":"lost"},{"devEui":"$EUI4",$OTAA})")).message),
        QStringLiteral("storageError storageError"));
    QCOMPARE(names(), QStringLiteral("renamed third"));
    QCOMPARE(handle(getAll).text, documentAnswer(store, {eui(1), eui(3)}));
}

RAVLO_REGISTER_TEST(TestLnsSimStore)
#include "tst_lns_sim_store.moc"
