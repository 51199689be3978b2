#include "SimTestSupport.h"
#include "common/TestRegistry.h"

#include "DeviceStore.h"
#include "FrameLog.h"
#include "SimRequestHandler.h"

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
        return handler.handle(object, object.value(Protocol::Key::cmd).toString(), session);
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

RAVLO_REGISTER_TEST(TestLnsSimStore)
#include "tst_lns_sim_store.moc"
