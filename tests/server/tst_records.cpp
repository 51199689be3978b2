#include "common/TestRegistry.h"
#include "server/LoRaDevice.h"
#include "server/Protocol.h"
#include "server/RegistrationStatusText.h"
#include "server/ServerRecords.h"

#include <QSignalSpy>
#include <QtTest>

// Emits records the way the server link does, to check they survive a queued hop.
class RecordEmitter : public QObject
{
    Q_OBJECT
signals:
    void device(LoRaDevice device);
    void devices(QVector<LoRaDevice> devices);
    void statuses(QVector<QPair<QString, QString>> statuses);
    void auth(AuthResponse response);
    void info(CloraInfoResp info);
};

class TestRecords : public QObject
{
    Q_OBJECT
private slots:
    void recordsSurviveQueuedSignals();
    void defaultDeviceIsAllZero();
    void unsetCoordinateTolerance_data();
    void unsetCoordinateTolerance();
    void statusTexts_data();
    void statusTexts();
    void separatorLineIs124Dashes();
};

namespace {
LoRaDevice sampleDevice(int n)
{
    LoRaDevice d;
    d.devEui = QStringLiteral("70B3D5E75E00%1").arg(n, 4, 10, QLatin1Char('0'));
    d.appEui = QStringLiteral("0000000000000001");
    d.appKey = QStringLiteral("00112233445566778899AABBCCDDEEFF");
    d.devAddress = 0xFC00AC01u;
    d.appsKey = QStringLiteral("A1");
    d.nwksKey = QStringLiteral("B2");
    d.devName = QStringLiteral("Счётчик %1").arg(n);
    d.devClass = Protocol::DeviceClass::classC;
    d.freqPlanName = QStringLiteral("RU868");
    d.freq4 = 864100000;
    d.freq8 = 864900000;
    d.freqRx2 = 869100000;
    d.rxWindow = 2;
    d.delayRx1 = -1;
    d.delayJoin1 = 5;
    d.reactionTime = 1000;
    d.altitude = -1;
    d.longitude = 150.25;
    d.latitude = -1.0;
    d.preferDr = 5;
    d.preferPower = 14;
    d.drRx2 = 0;
    d.classCGate = 1;
    d.useDownlinkQueueClassC = true;
    d.serverAdrEnable = true;
    d.channelEn[0] = d.channelEn[7] = d.channelEn[15] = true;
    d.hasAbp = true;
    d.sn = QStringLiteral("SN-%1").arg(n);
    return d;
}
} // namespace

void TestRecords::recordsSurviveQueuedSignals()
{
    RecordEmitter emitter;
    LoRaDevice receivedDevice;
    QVector<LoRaDevice> receivedDevices;
    QVector<QPair<QString, QString>> receivedStatuses;
    AuthResponse receivedAuth;
    connect(
        &emitter, &RecordEmitter::device, this, [&](LoRaDevice d) { receivedDevice = d; },
        Qt::QueuedConnection);
    connect(
        &emitter, &RecordEmitter::devices, this, [&](QVector<LoRaDevice> d) { receivedDevices = d; },
        Qt::QueuedConnection);
    connect(
        &emitter, &RecordEmitter::statuses, this,
        [&](QVector<QPair<QString, QString>> s) { receivedStatuses = s; }, Qt::QueuedConnection);
    connect(
        &emitter, &RecordEmitter::auth, this, [&](AuthResponse a) { receivedAuth = a; },
        Qt::QueuedConnection);

    // Queued delivery through the string-based meta-object path needs the registered names too.
    QSignalSpy spy(&emitter, SIGNAL(device(LoRaDevice)));
    QVERIFY(spy.isValid());

    const LoRaDevice sent = sampleDevice(1);
    const QVector<LoRaDevice> sentList{sampleDevice(2), sampleDevice(3)};
    emit emitter.device(sent);
    emit emitter.devices(sentList);
    emit emitter.statuses({{QStringLiteral("A"), Protocol::Status::added}, {QStringLiteral("B"), QString()}});
    emit emitter.auth(AuthResponse{true, QStringLiteral("tok"), QStringLiteral("all"), QString()});

    QTRY_COMPARE(receivedAuth.token, QStringLiteral("tok"));
    QCOMPARE(receivedDevice, sent);
    QCOMPARE(receivedDevice.devAddress, 0xFC00AC01u);
    QCOMPARE(receivedDevices, sentList);
    QCOMPARE(receivedStatuses.size(), 2);
    QCOMPARE(receivedStatuses.at(0).second, Protocol::Status::added);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(qvariant_cast<LoRaDevice>(spy.at(0).at(0)), sent);
}

void TestRecords::defaultDeviceIsAllZero()
{
    const LoRaDevice d;
    QVERIFY(d.devEui.isEmpty() && d.sn.isEmpty());
    QCOMPARE(d.devAddress, 0u);
    QCOMPARE(d.preferDr, 0);
    QCOMPARE(d.longitude, 0.0);
    QVERIFY(!d.existABP() && !d.existOTAA() && !d.useDownlinkQueueClassC && !d.serverAdrEnable);
    for (bool enabled : d.channelEn)
        QVERIFY(!enabled);
}

void TestRecords::unsetCoordinateTolerance_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("unset");
    QTest::newRow("-1.0") << -1.0 << true;
    QTest::newRow("-1 within 1e-13") << -1.0 - 1e-13 << true;
    QTest::newRow("-1.000001") << -1.000001 << false;
    QTest::newRow("0") << 0.0 << false;
    QTest::newRow("1.0") << 1.0 << false;
    QTest::newRow("55.75") << 55.75 << false;
}

void TestRecords::unsetCoordinateTolerance()
{
    QFETCH(double, value);
    QFETCH(bool, unset);
    QCOMPARE(isUnsetCoordinate(value), unset);
}

void TestRecords::statusTexts_data()
{
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("text");
    QTest::newRow("added") << "added"
                           << "Device is not existed on server before and is registered with corresponding "
                              "registration information";
    QTest::newRow("typographic quotes") << "invalidSessionKeyValue"
                                        << "Invaliud size of “appsKey” or/and “nwksKey”";
    QTest::newRow("apostrophe")
        << "updateViaMacBuffer"
        << "Received parameters should be updated via MAC commands and ones couldn’t be applied";
    QTest::newRow("russian") << "emptyDataForUpdate"
                             << "Не было описания ошибки emptyDataForUpdate";
    QTest::newRow("unknown") << "invalidDelay" << QString();
    QTest::newRow("case matters") << "Added" << QString();
    QTest::newRow("empty") << "" << QString();
}

void TestRecords::statusTexts()
{
    QFETCH(QString, status);
    QFETCH(QString, text);
    QCOMPARE(registrationStatusText(status), text);
}

void TestRecords::separatorLineIs124Dashes()
{
    QCOMPARE(Protocol::separatorLine.size(), 124);
    QCOMPARE(Protocol::separatorLine.count(QLatin1Char('-')), 124);
}

RAVLO_REGISTER_TEST(TestRecords)
#include "tst_records.moc"
