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
    void lineValue_data();
    void lineValue();
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

void TestScanDecoder::lineValue_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("value");
    QTest::newRow("one =") << "DevEUI=0011"
                           << "0011";
    QTest::newRow("= wins over blanks") << "Dev EUI = 0011"
                                        << " 0011";
    QTest::newRow("two =, one blank") << "a=b =c"
                                      << "=c";
    QTest::newRow("two =, no blank") << "a=b=c"
                                     << "";
    QTest::newRow("blank") << "DevEUI: 0011"
                           << "0011";
    QTest::newRow("three blanks") << "DevEUI: 00 11"
                                  << "00";
    QTest::newRow("trailing blank") << "DevEUI: "
                                    << "";
    QTest::newRow("nothing to split") << "DevEUI"
                                      << "";
}

void TestScanDecoder::lineValue()
{
    QFETCH(QString, line);
    QFETCH(QString, value);
    QCOMPARE(ScanDecoder::lineValue(line), value);
}

RAVLO_REGISTER_TEST(TestScanDecoder)
#include "tst_scandecoder.moc"
