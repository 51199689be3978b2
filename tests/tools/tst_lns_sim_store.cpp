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
};

void TestLnsSimStore::failedWriteKeepsNothingAndSaysSo()
{
    SimConfig config;
    DeviceStore store;
    FrameLog quiet(nullptr);
    QString error;
    QVERIFY(store.open(QString(), &error));
    SimRequestHandler handler(config, store, quiet);
    SimSession session{1, QStringLiteral("operator"), QStringLiteral("token")};
    const auto handle = [&](const QString& request) {
        const QJsonObject object = QJsonDocument::fromJson(request.toUtf8()).object();
        return handler.handle(object, object.value(Protocol::Key::cmd).toString(), session).message;
    };
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
            expandDevices(
                R"(INSERT INTO devices VALUES ('0000000000000009', '{ "OTAA" : )"
                R"({"appKey":"$KEY", "appEui":"0102030405060708"},  "devEui":"0000000000000009"}'))"),
            &query));
    }
    DeviceStore store;
    QVERIFY(store.open(path, &error));
    SimConfig config;
    FrameLog quiet(nullptr);
    SimRequestHandler handler(config, store, quiet);
    SimSession session{1, QStringLiteral("operator"), QStringLiteral("token")};
    const auto handle = [&](const QString& text) {
        const QJsonObject object = QJsonDocument::fromJson(text.toUtf8()).object();
        return handler.handle(object, object.value(Protocol::Key::cmd).toString(), session);
    };
    // A name with escapes and non-ASCII letters, fractions, the largest DevAddr.
    const QString registered =
        R"({"devEui":"$EUI2",$OTAA,$SETTINGS,"devName":"счётчик \"7\"\\\n\t","position":)"
        R"({"latitude":55.755826,"longitude":-37.6173,"altitude":-12}},)"
        R"({"devEui":"$EUI1","ABP":{"devAddress":4294967295,"appsKey":"$KEY","nwksKey":"$KEY"}})";
    QCOMPARE(statuses(handle(manageRequest(registered)).message), QStringLiteral("added added"));

    // As the answer was built before the store kept texts: one document of the devices.
    QJsonArray devices;
    for (const QString& devEui : devEuis)
        devices.append(*store.find(devEui));
    QJsonObject built{{Protocol::Key::cmd, Protocol::Cmd::getDevicesResp},
                      {Protocol::Key::status, true},
                      {Protocol::Key::errString, QString()}};
    built.insert(Protocol::Key::devicesList, devices);
    QCOMPARE(handle(request).text, compactJsonText(built));
}

RAVLO_REGISTER_TEST(TestLnsSimStore)
#include "tst_lns_sim_store.moc"
