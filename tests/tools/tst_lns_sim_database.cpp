#include "SimTestSupport.h"
#include "common/TestRegistry.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QtTest>

namespace K = Protocol::Key;

namespace {
const QString getAll = QStringLiteral(R"({"cmd":"get_devices_req"})");
const QString twoDevices = QStringLiteral("70B3D5FFFE000001 70B3D5FFFE000002");

// Adds one row to the devices table of a file no simulator has open.
bool insertRow(const QString& path, const QVariant& devEui, const QVariant& device)
{
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("writer"));
        db.setDatabaseName(path);
        QSqlQuery insert(db);
        ok = db.open() && insert.prepare(QStringLiteral("INSERT INTO devices VALUES (?, ?)"));
        insert.addBindValue(devEui);
        insert.addBindValue(device);
        ok = ok && insert.exec();
        if (!ok)
            qWarning() << insert.lastError().text();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("writer"));
    return ok;
}
} // namespace

// The simulator's database file across starts: what it refuses to load, and what survives a stop.
class TestLnsSimDatabase : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void damagedRowIsNamedAndSkipped_data();
    void damagedRowIsNamedAndSkipped();
    void stopSignalClosesTheDatabase_data();
    void stopSignalClosesTheDatabase();
    void killKeepsEveryAcknowledgedDevice();

private:
    QTemporaryDir m_dir;
    QString m_twoDevices; // a database holding $EUI1 (OTAA) and $EUI2 (ABP)
};

void TestLnsSimDatabase::initTestCase()
{
    m_twoDevices = m_dir.filePath(QStringLiteral("two.db"));
    SimPeer peer;
    QVERIFY(peer.start({"--database", m_twoDevices}));
    QCOMPARE(
        statuses(peer.client.request(manageRequest(R"({"devEui":"$EUI1",$OTAA},{"devEui":"$EUI2",$ABP})"))),
        QStringLiteral("added added"));
}

void TestLnsSimDatabase::damagedRowIsNamedAndSkipped_data()
{
    QTest::addColumn<QVariant>("devEui");
    QTest::addColumn<QVariant>("device");
    QTest::addColumn<QString>("row");
    QTest::addColumn<QString>("problem");
    const QString eui9 = QStringLiteral("70B3D5FFFE000009");
    const auto abp = [](const QString& devAddress) {
        return expandDevices(
                   R"({"devEui":"$EUI9","ABP":{"devAddress":%1,"appsKey":"$KEY","nwksKey":"$KEY"}})")
            .arg(devAddress);
    };
    const auto otaa = [](const QString& more) {
        return expandDevices(R"({"devEui":"$EUI9",$OTAA%1})").arg(more);
    };
    const QString device9 = QStringLiteral("device 70B3D5FFFE000009");
    // clang-format off
    QTest::newRow("devAddress 1e300") << QVariant(eui9) << QVariant(abp("1e300")) << device9 << R"("ABP"."devAddress" 1e+300: not a whole number 1..4294967295)";
    QTest::newRow("devAddress -5") << QVariant(eui9) << QVariant(abp("-5")) << device9 << R"("ABP"."devAddress" -5: not a whole number 1..4294967295)";
    QTest::newRow("devAddress as text") << QVariant(eui9) << QVariant(abp(R"("5")")) << device9 << R"("ABP"."devAddress" "5": not a whole number 1..4294967295)";
    QTest::newRow("devAddress of another device") << QVariant(eui9) << QVariant(abp("637606874")) << device9 << R"("ABP"."devAddress" 637606874: held by 70B3D5FFFE000002 already)";
    QTest::newRow("power as text") << QVariant(eui9) << QVariant(otaa(R"(,"preferPower":"14")")) << device9 << R"("preferPower" "14": refused by the registration rules (invalidPower))";
    QTest::newRow("name as number") << QVariant(eui9) << QVariant(otaa(R"(,"devName":5)")) << device9 << R"("devName" 5: refused by the registration rules (invalidParamValue))";
    QTest::newRow("appKey in lower case") << QVariant(eui9) << QVariant(otaa("").replace("2B7E", "2b7e")) << device9 << R"("OTAA"."appKey" "2b7e151628AED2A6ABF7158809CF4F3C": not 32 upper-case hex digits)";
    QTest::newRow("no keys") << QVariant(eui9) << QVariant(R"({"devEui":"70B3D5FFFE000009"})") << device9 << "neither OTAA nor ABP keys";
    QTest::newRow("other row's devEui") << QVariant(eui9) << QVariant(expandDevices(R"({"devEui":"$EUI1",$OTAA})")) << device9 << R"("devEui" "70B3D5FFFE000001": not the DevEUI of its row)";
    QTest::newRow("not JSON") << QVariant(eui9) << QVariant("{\"devEui\":") << device9 << "not JSON: unterminated object at offset 10";
    QTest::newRow("repeated key") << QVariant(eui9) << QVariant(otaa(R"(,"devName":"a","d\u0065vName":"b")")) << device9 << QString(R"(repeated key "devName" at offset %1)").arg(otaa("").size() - 1 + 15);
    QTest::newRow("bad DevEUI") << QVariant("70B3D5FFFE00000Z") << QVariant(otaa("")) << "row 3" << R"(dev_eui "70B3D5FFFE00000Z": not 16 upper-case hex digits)";
    QTest::newRow("DevEUI a blob") << QVariant(eui9.toLatin1()) << QVariant(otaa("")) << "row 3" << "dev_eui is of SQLite type blob, not text";
    // clang-format on
}

void TestLnsSimDatabase::damagedRowIsNamedAndSkipped()
{
    QFETCH(QVariant, devEui);
    QFETCH(QVariant, device);
    QFETCH(QString, row);
    QFETCH(QString, problem);
    const QString path = m_dir.filePath(QStringLiteral("damaged.db"));
    QFile::remove(path);
    QVERIFY(QFile::copy(m_twoDevices, path));
    QVERIFY(insertRow(path, devEui, device));

    SimPeer peer;
    QVERIFY(peer.start({"--database", path}));
    QCOMPARE(statuses(peer.client.request(getAll), K::devicesList, K::devEui), twoDevices);
    QVERIFY(peer.sim.waitForLine(QStringLiteral("cmd=get_devices_resp")));
    // One line names the row and what is wrong with it.
    QCOMPARE(
        peer.sim.lines.filter(QStringLiteral("skipped")),
        QStringList{QStringLiteral("warning: stored %1 skipped (left in the file): %2").arg(row, problem)});
}

void TestLnsSimDatabase::stopSignalClosesTheDatabase_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
}

void TestLnsSimDatabase::stopSignalClosesTheDatabase()
{
    QFETCH(int, signal);
    const QString path = m_dir.filePath(QStringLiteral("stopped.db"));
    QFile::remove(path);
    {
        SimPeer peer;
        QVERIFY(peer.start({"--database", path}));
        QCOMPARE(statuses(peer.client.request(
                     manageRequest(R"({"devEui":"$EUI1",$OTAA},{"devEui":"$EUI2",$ABP})"))),
                 QStringLiteral("added added"));
        peer.sim.sendSignal(signal);
        QCOMPARE(peer.sim.waitForExit(), 0);
        QCOMPARE(peer.sim.lines.mid(peer.sim.lines.size() - 2),
                 (QStringList{QStringLiteral("stopping on %1").arg(QTest::currentDataTag()),
                              QStringLiteral("stopped, database closed")}));
        QVERIFY(peer.client.waitDisconnected());
    }
    SimPeer peer;
    QVERIFY(peer.start({"--database", path}));
    QCOMPARE(statuses(peer.client.request(getAll), K::devicesList, K::devEui), twoDevices);
}

void TestLnsSimDatabase::killKeepsEveryAcknowledgedDevice()
{
    const QString path = m_dir.filePath(QStringLiteral("killed.db"));
    const auto registration = [](int device) {
        return manageRequest(
            QStringLiteral(R"({"devEui":"70B3D5FFFE%1",$OTAA})").arg(device, 6, 10, QChar('0')));
    };
    // A steady stream: a window of requests is always on its way while the answers are read.
    constexpr int window = 16;
    constexpr int killAfter = 150;
    QSet<QString> acknowledged;
    int sent = 0;
    {
        SimPeer peer;
        QVERIFY(peer.start({"--database", path}));
        for (; sent < window; ++sent)
            peer.client.sendText(registration(sent));
        while (acknowledged.size() < killAfter) {
            const QJsonObject answer = peer.client.next();
            QCOMPARE(statuses(answer), Protocol::Status::added);
            acknowledged.insert(answer[K::deviceAddStatus][0][K::devEui].toString());
            peer.client.sendText(registration(sent++));
        }
        peer.sim.sendSignal(SIGKILL);
        QCOMPARE(peer.sim.waitForExit(), -1);
    }
    SimPeer peer;
    QVERIFY(peer.start({"--database", path}));
    const QStringList held = statuses(peer.client.request(getAll), K::devicesList, K::devEui).split(' ');
    QVERIFY2(
        QSet<QString>(held.begin(), held.end()).contains(acknowledged),
        qPrintable(QStringLiteral("%1 held, %2 acknowledged").arg(held.size()).arg(acknowledged.size())));
    QVERIFY(held.size() <= sent);
    QCOMPARE(peer.sim.lines.filter(QStringLiteral("skipped")), QStringList());
}

RAVLO_REGISTER_TEST(TestLnsSimDatabase)
#include "tst_lns_sim_database.moc"
