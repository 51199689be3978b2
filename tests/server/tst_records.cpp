#include "common/TestRegistry.h"
#include "server/LoRaDevice.h"
#include "server/RegistrationStatusText.h"

#include <QtTest>

// Carries device records over queued connections: one made by signature, one by member pointer.
class RecordHop : public QObject
{
    Q_OBJECT
public:
    LoRaDevice device;
    QVector<LoRaDevice> devices;
signals:
    void sendDevice(LoRaDevice device);
    void sendDevices(QVector<LoRaDevice> devices);
public slots:
    void takeDevice(LoRaDevice d) { device = d; }
    void takeDevices(QVector<LoRaDevice> d) { devices = d; }
};

class TestRecords : public QObject
{
    Q_OBJECT
private slots:
    void recordsSurviveQueuedSignals();
    void statusTexts_data();
    void statusTexts();
};

void TestRecords::recordsSurviveQueuedSignals()
{
    RecordHop hop;
    connect(&hop, SIGNAL(sendDevice(LoRaDevice)), &hop, SLOT(takeDevice(LoRaDevice)), Qt::QueuedConnection);
    connect(&hop, &RecordHop::sendDevices, &hop, &RecordHop::takeDevices, Qt::QueuedConnection);
    // The copy is member-wise: one field of each kind stands for the others.
    LoRaDevice sent;
    sent.devEui = "70B3D5E75E001234";
    sent.devName = "Счётчик 7";
    sent.devAddress = 0xFC00AC01u;
    sent.freq8 = -1;
    sent.longitude = 37.61;
    sent.channelEn[15] = sent.hasAbp = true;
    const QVector<LoRaDevice> sentList{LoRaDevice(), sent};
    emit hop.sendDevice(sent);
    emit hop.sendDevices(sentList);
    QTRY_COMPARE(hop.devices, sentList);
    QCOMPARE(hop.device, sent);
}

void TestRecords::statusTexts_data()
{
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("text");
    QTest::newRow("updated") << "updated"
                             << "Some parameters are updated for corresponding device";
    QTest::newRow("typographic quotes") << "invalidSessionKeyValue"
                                        << "Invaliud size of “appsKey” or/and “nwksKey”";
    QTest::newRow("russian") << "emptyDataForUpdate"
                             << "Не было описания ошибки emptyDataForUpdate";
    QTest::newRow("no text") << "invalidDelay" << QString();
    QTest::newRow("case matters") << "Updated" << QString();
}

void TestRecords::statusTexts()
{
    QFETCH(QString, status);
    QTEST(registrationStatusText(status), "text");
}

RAVLO_REGISTER_TEST(TestRecords)
#include "tst_records.moc"
