#include "common/LoopbackServer.h"
#include "common/TestRegistry.h"
#include "downlink/DataSender.h"
#include "intake/ScannedDevices.h"
#include "server/Protocol.h"

#include <QtTest>

#include <memory>

class TestScannedDevices : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();

    void countsEveryAddition();
    void removeDropsEveryEntryOfThatDevEui();
    void clearOnEmptyRecordStillSignals();
    void deleteDevicesSendsListAndEmptiesRecord();
    void deleteDevicesWithEmptyRecordSendsEmptyList();

private:
    QStringList receivedDeleteFrames() const;

    std::unique_ptr<LoopbackServer> m_server;
};

void TestScannedDevices::initTestCase()
{
    m_server = std::make_unique<LoopbackServer>();
    QVERIFY(loginToLoopbackServer(*m_server));
}

void TestScannedDevices::init()
{
    ScannedDevices::instance()->clear();
    m_server->clearReceived();
}

QStringList TestScannedDevices::receivedDeleteFrames() const
{
    return m_server->receivedFrames().filter(Protocol::Cmd::deleteDevicesReq);
}

void TestScannedDevices::countsEveryAddition()
{
    ScannedDevices* record = ScannedDevices::instance();
    QSignalSpy changes(record, &ScannedDevices::devicesChanged);
    record->add(QStringLiteral("70B3D57ED0000001"));
    record->add(QStringLiteral("70B3D57ED0000002"));
    record->add(QStringLiteral("70B3D57ED0000001"));

    QCOMPARE(changes.count(), 3);
    QCOMPARE(changes.at(0).first().toInt(), 1);
    QCOMPARE(changes.at(2).first().toInt(), 3);
    QCOMPARE(record->keys(),
             (QStringList{QStringLiteral("70B3D57ED0000001"), QStringLiteral("70B3D57ED0000002"),
                          QStringLiteral("70B3D57ED0000001")}));
}

void TestScannedDevices::removeDropsEveryEntryOfThatDevEui()
{
    ScannedDevices* record = ScannedDevices::instance();
    record->add(QStringLiteral("A1"));
    record->add(QStringLiteral("B2"));
    record->add(QStringLiteral("A1"));
    QSignalSpy changes(record, &ScannedDevices::devicesChanged);

    record->remove(QStringLiteral("A1"));
    record->remove(QStringLiteral("absent"));
    record->remove(QStringLiteral("b2")); // exact match only

    QCOMPARE(changes.count(), 3);
    QCOMPARE(changes.at(0).first().toInt(), 1);
    QCOMPARE(changes.at(1).first().toInt(), 1);
    QCOMPARE(record->keys(), QStringList{QStringLiteral("B2")});
}

void TestScannedDevices::clearOnEmptyRecordStillSignals()
{
    ScannedDevices* record = ScannedDevices::instance();
    QSignalSpy changes(record, &ScannedDevices::devicesChanged);
    record->clear();
    QCOMPARE(changes.count(), 1);
    QCOMPARE(changes.first().first().toInt(), 0);
    QVERIFY(record->keys().isEmpty());
}

void TestScannedDevices::deleteDevicesSendsListAndEmptiesRecord()
{
    ScannedDevices* record = ScannedDevices::instance();
    record->add(QStringLiteral("70B3D57ED0000001"));
    record->add(QStringLiteral("70B3D57ED0000002"));
    record->add(QStringLiteral("70B3D57ED0000001"));
    QSignalSpy changes(record, &ScannedDevices::devicesChanged);

    DataSender::deleteDevices(record->keys());

    QTRY_COMPARE(receivedDeleteFrames().size(), 1);
    QCOMPARE(receivedDeleteFrames().first(),
             QStringLiteral("{\"cmd\":\"delete_devices_req\",\"devices_list\":"
                            "[\"70B3D57ED0000001\",\"70B3D57ED0000002\",\"70B3D57ED0000001\"]}"));
    QVERIFY(record->keys().isEmpty());
    // Once per DevEUI of the list, duplicates included.
    QCOMPARE(changes.count(), 3);
    QCOMPARE(changes.last().first().toInt(), 0);
}

void TestScannedDevices::deleteDevicesWithEmptyRecordSendsEmptyList()
{
    DataSender::deleteDevices(ScannedDevices::instance()->keys());
    QTRY_COMPARE(receivedDeleteFrames().size(), 1);
    QCOMPARE(receivedDeleteFrames().first(),
             QStringLiteral("{\"cmd\":\"delete_devices_req\",\"devices_list\":[]}"));
}

RAVLO_REGISTER_TEST(TestScannedDevices)
#include "tst_scanneddevices.moc"
