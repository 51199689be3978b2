#include "ScanCases.h"
#include "common/TestRegistry.h"
#include "intake/ScanDecoder.h"

#include <QtTest>

class TestScanDecoder : public QObject
{
    Q_OBJECT
private slots:
    void decodesScan_data();
    void decodesScan();
};

void TestScanDecoder::decodesScan_data()
{
    addScanColumns();
    addScanRows();
}

void TestScanDecoder::decodesScan()
{
    QFETCH(QByteArray, scan);
    QFETCH(bool, isSerialNumber);
    QFETCH(QString, serialNumber);
    QFETCH(LoRaDevice, device);

    const ScanResult result = ScanDecoder::decode(scan);
    QCOMPARE(result.isSerialNumber(), isSerialNumber);
    if (isSerialNumber)
        QCOMPARE(result.serialNumber, serialNumber);
    else
        compareCredentials(result.device, device);
}

RAVLO_REGISTER_TEST(TestScanDecoder)
#include "tst_scandecoder.moc"
