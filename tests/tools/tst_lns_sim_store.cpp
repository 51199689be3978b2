#include "SimTestSupport.h"
#include "common/TestRegistry.h"

#include "DeviceStore.h"
#include "FrameLog.h"
#include "SimRequestHandler.h"
#include "SimVocabulary.h"
#include "server/Protocol.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

namespace K = Protocol::Key;
namespace S = Protocol::Status;

namespace {
const QString eui1 = QStringLiteral("70B3D5FFFE000001");
const QString eui2 = QStringLiteral("70B3D5FFFE000002");

// Breaks the store's own connection so that the next write fails.
bool dropDevicesTable()
{
    for (const QString& name : QSqlDatabase::connectionNames()) {
        if (!name.startsWith(QStringLiteral("ravlo-lns-sim-store-")))
            continue;
        QSqlQuery query(QSqlDatabase::database(name, false));
        return query.exec(QStringLiteral("DROP TABLE devices"));
    }
    return false;
}
} // namespace

// The simulator's device store: what is answered is what is kept, also when a write fails.
class TestLnsSimStore : public QObject
{
    Q_OBJECT
private slots:
    void failedWriteLeavesMemoryAsItWas();
    void failedWriteIsAnsweredAsStorageError();
    void unreadableRowsAreSkippedAndKept();
};

void TestLnsSimStore::failedWriteLeavesMemoryAsItWas()
{
    DeviceStore store;
    QString error;
    QVERIFY(store.open(QString(), &error));
    const QJsonObject first = SimDevices::abp(eui1, 0x1234);
    store.beginChanges();
    store.put(eui1, first);
    QVERIFY(store.commitChanges(&error));

    store.beginChanges();
    store.put(eui2, SimDevices::abp(eui2, 0x5678));
    QVERIFY(store.remove(eui1));
    QCOMPARE(store.count(), 1);
    QVERIFY(dropDevicesTable());
    QVERIFY(!store.commitChanges(&error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(store.count(), 1);
    QCOMPARE(store.find(eui1), std::optional<QJsonObject>(first));
    QVERIFY(!store.find(eui2));
    QCOMPARE(store.devAddrOwner(0x1234), eui1);
    QCOMPARE(store.devAddrOwner(0x5678), QString());
}

void TestLnsSimStore::failedWriteIsAnsweredAsStorageError()
{
    SimConfig config;
    DeviceStore store;
    FrameLog quiet(nullptr);
    QString error;
    QVERIFY(store.open(QString(), &error));
    SimRequestHandler handler(config, store, quiet);
    SimSession session{1, QStringLiteral("operator"), QStringLiteral("token")};
    QVERIFY(dropDevicesTable());
    const QJsonObject answer =
        handler.handle(SimDevices::manage({SimDevices::otaa(eui1), SimDevices::otaa("x")}),
                       Protocol::Cmd::manageDevicesReq, session);
    QCOMPARE(SimDevices::statuses(answer),
             (QStringList{SimVocabulary::Status::storageError, S::invalidDevEui}));
    QCOMPARE(answer.value(K::status).toBool(true), false);
    QCOMPARE(store.count(), 0);
}

void TestLnsSimStore::unreadableRowsAreSkippedAndKept()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("devices.db"));
    QString error;
    {
        DeviceStore store;
        QVERIFY(store.open(path, &error));
        store.beginChanges();
        store.put(eui1, SimDevices::otaa(eui1));
        QVERIFY(store.commitChanges(&error));
    }
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("test-writer"));
        db.setDatabaseName(path);
        QVERIFY(db.open());
        QSqlQuery query(db);
        QVERIFY(query.exec(QStringLiteral("INSERT INTO devices VALUES ('%1', 'not json')").arg(eui2)));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("test-writer"));
    DeviceStore store;
    QStringList warnings;
    QVERIFY(store.open(path, &error, &warnings));
    QCOMPARE(store.count(), 1);
    QCOMPARE(warnings.size(), 1);
    QVERIFY(warnings.first().contains(eui2));
    store.beginChanges();
    store.put(QStringLiteral("0000000000000003"), SimDevices::otaa(QStringLiteral("0000000000000003")));
    QVERIFY(store.commitChanges(&error));
    // Read through the store's own connection: it holds the file's lock.
    QSqlQuery query(QSqlDatabase::database(QSqlDatabase::connectionNames().first(), false));
    QVERIFY(query.exec(QStringLiteral("SELECT count(*) FROM devices")) && query.next());
    const int count = query.value(0).toInt();
    QCOMPARE(count, 3); // the unreadable row is still there
}

RAVLO_REGISTER_TEST(TestLnsSimStore)
#include "tst_lns_sim_store.moc"
