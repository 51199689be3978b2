#include "common/TestRegistry.h"
#include "intake/ScanDecoder.h"
#include "intake/Tr005Code.h"

#include <QMetaEnum>
#include <QtTest>

namespace {

// A scan as the tests spell it: "sn:" and the serial number; the six credential fields and sn;
// or "unreadable:" and what is wrong.
QString describe(const QByteArray& scan)
{
    const ScanResult result = ScanDecoder::decode(scan);
    if (result.isSerialNumber())
        return "sn:" + result.serialNumber;
    if (result.isUnreadable()) {
        const Tr005Code code = Tr005Code::parse(ScanDecoder::scanText(scan));
        return QStringLiteral("unreadable:") +
               QMetaEnum::fromType<Tr005Code::Fault>().valueToKey(int(code.fault));
    }
    const LoRaDevice& d = result.device;
    QString text =
        QStringList{d.devEui, d.appEui, d.appKey, QString::number(d.devAddress, 16), d.appsKey, d.nwksKey}
            .join(QLatin1Char('|'));
    if (!d.sn.isEmpty())
        text += "|sn=" + d.sn;
    return text;
}

// Codes whose checksums were worked out apart from the program (CRC-16/MODBUS).
const QByteArray allianceExample =
    "LW:D0:1122334455667788:AABBCCDDEEFF0011:AABB1122:OAABBCCDDEEFF:SYYWWNNNNNN:"
    "PFOOBAR:CAF2C";
const QByteArray plainCode = "LW:D0:70B3D57ED0000001:70B3D57ED0001234:00010001";
const QByteArray lowerCaseCode = "LW:D0:70b3d57ed0000001:70b3d57ed0001234:00010001:SAB-1234:C392A";
const QByteArray unknownExtensionCode =
    "LW:D0:70B3D57ED0000001:70B3D57ED0001234:00010001:SSN0042:XFUTURE:CF836";

} // namespace

class TestScanDecoder : public QObject
{
    Q_OBJECT
private slots:
    void decodes_data();
    void decodes();
    void checksumIsModbusCrc16();
};

void TestScanDecoder::decodes_data()
{
    QTest::addColumn<QByteArray>("scan");
    QTest::addColumn<QString>("expected");
    const auto row = [](const char* name, const QByteArray& scan, const QString& expected) {
        QTest::newRow(name) << scan << expected;
    };
    const QString none = QStringLiteral("|||0||");

    // Barcodes and key/value labels decode as they always have.
    row("barcode", "SN0042", "sn:SN0042");
    row("barcode, CR", "SN0042\r", "sn:SN0042");
    row("barcode, every CR dropped, blanks kept", " SN\r 42\r", "sn: SN 42");
    row("barcode, UTF-8 up to NUL", QByteArray("Счёт\0x\n", 11), "sn:Счёт");
    row("QR, key=value, lower-case values", "DevEUI=70b3\nAppEUI=01\nAppKey=2b\n", "70B3|01|2B|0||");
    row("QR, key: value, no final LF", "DevEUI: 70B3\nAppEui: 01\nAppKey: 2B", "70B3|01|2B|0||");
    row("QR, sixteen digits after = and after ': '", "DevEUI=70B3D57ED0001234\nAppEUI: 70B3D57ED0000001\n",
        "70B3D57ED0001234|70B3D57ED0000001||0||");
    row("QR, CR LF", "DevEUI=70b3\r\nAppKey=2b\r\nDevAddress: 26011bda\r\n", "70B3||2B|26011bda||");
    row("QR, CR inside a line kept", "DevEUI=70\r12\r\n", "70\r12|||0||");
    row("blank on both sides of =", "DevEUI = 70B3\n", " 70B3|||0||");
    row("two blanks after the key", "DevEUI:  70B3\n", none);
    row("key case ignored", "deveui=ab\nNWKSKEY=cd\n", "AB|||0||CD");
    row("ABP, AppSKey not AppKey", "DevAddress: FFFFFFFF\nAppSKey: ab\nNwkSKey: cd\n", "|||ffffffff|AB|CD");
    row("DevAddr, not hexadecimal", "DevAdd=26011BDZ\n", none);
    row("DevAddr, over 32 bits", "DevAdd=126011BDA\n", none);
    row("lines without = or blank, unknown keys", "DevEUI:70B3\nNotes\nModel: QR-7\n", none);
    row("only a line feed", "\n", none);
    row("empty lines skipped", "\n\nDevEUI=ab\n\n", "AB|||0||");
    row("one line, two keys; later line wins", "DevEUI AppEUI=ab\nDevEUI=cd\n", "CD|AB||0||");
    row("value with a second =", "AppKey=ab=cd\n", none);
    row("value after the first blank only", "AppEUI: 00 01\n", "|00||0||");

    // One line ended by LF or CR LF: a barcode unless it names a credential key.
    row("barcode, LF", "SN0042\n", "sn:SN0042");
    row("barcode, CR LF", "SN0042\r\n", "sn:SN0042");
    row("barcode with blanks, LF", "SN 00 42\n", "sn:SN 00 42");
    row("one key/value line, LF", "DevEUI=70b3\n", "70B3|||0||");
    row("one key/value line, CR LF, key in other case", "appkey: 2b\r\n", "||2B|0||");
    row("one line naming a key without a value", "DevEUI\n", none);
    row("two line feeds", "SN0042\n\n", none);
    row("only CR LF", "\r\n", none);
    row("two barcodes in one scan", "SN1\nSN2\n", none);

    // LoRaWAN device identification codes.
    row("code, all extensions", allianceExample, "AABBCCDDEEFF0011|1122334455667788||0|||sn=YYWWNNNNNN");
    row("code, no extensions", plainCode, "70B3D57ED0001234|70B3D57ED0000001||0||");
    row("code, lower case upper-cased, serial number kept", lowerCaseCode,
        "70B3D57ED0001234|70B3D57ED0000001||0|||sn=AB-1234");
    row("code, unknown extension skipped", unknownExtensionCode,
        "70B3D57ED0001234|70B3D57ED0000001||0|||sn=SN0042");
    row("code, checksum digits in lower case",
        "LW:D0:70b3d57ed0000001:70b3d57ed0001234:00010001:SAB-1234:C392a",
        "70B3D57ED0001234|70B3D57ED0000001||0|||sn=AB-1234");
    row("code, CR suffix", allianceExample + "\r", "AABBCCDDEEFF0011|1122334455667788||0|||sn=YYWWNNNNNN");
    row("code, LF suffix", plainCode + "\n", "70B3D57ED0001234|70B3D57ED0000001||0||");
    row("code, CR LF suffix", lowerCaseCode + "\r\n", "70B3D57ED0001234|70B3D57ED0000001||0|||sn=AB-1234");
    row("not a code: lower-case prefix", "lw:d0:70b3", "sn:lw:d0:70b3");
    row("not a code: LW: not at the start", " LW:D0:70B3", "sn: LW:D0:70B3");

    // Codes read wrongly.
    row("code, only the prefix", "LW:", "unreadable:fieldCount");
    row("code, no ProfileID", "LW:D0:70B3D57ED0000001:70B3D57ED0001234", "unreadable:fieldCount");
    row("code, other version", "LW:D1:70B3D57ED0000001:70B3D57ED0001234:00010001", "unreadable:version");
    row("code, short JoinEUI", "LW:D0:70B3D57ED00001:70B3D57ED0001234:00010001", "unreadable:joinEui");
    row("code, DevEUI not hexadecimal", "LW:D0:70B3D57ED0000001:70B3D57ED000123G:00010001",
        "unreadable:devEui");
    row("code, DevEUI too long", "LW:D0:70B3D57ED0000001:70B3D57ED00012345:00010001", "unreadable:devEui");
    row("code, ProfileID of 7 digits", "LW:D0:70B3D57ED0000001:70B3D57ED0001234:0001001",
        "unreadable:profileId");
    row("code, trailing colon", plainCode + ":", "unreadable:emptyField");
    row("code, two colons", "LW:D0:70B3D57ED0000001:70B3D57ED0001234:00010001::SSN1",
        "unreadable:emptyField");
    row("code, tag without value", plainCode + ":S", "unreadable:emptyField");
    row("code, serial number twice", plainCode + ":SSN1:SSN2", "unreadable:repeatedExtension");
    row("code, checksum of 3 digits", plainCode + ":C275", "unreadable:checksumFormat");
    row("code, checksum not hexadecimal", plainCode + ":C27X3", "unreadable:checksumFormat");
    row("code, checksum not last", plainCode + ":C2753:SSN1", "unreadable:checksumFormat");
    row("code, wrong checksum",
        "LW:D0:1122334455667788:AABBCCDDEEFF0011:AABB1122:OAABBCCDDEEFF:SYYWWNNNNNN:PFOOBAR:CAF2D",
        "unreadable:checksumMismatch");
    row("code, digit misread under a checksum",
        "LW:D0:1122334455667788:AABBCCDDEEFF0012:AABB1122:OAABBCCDDEEFF:SYYWWNNNNNN:PFOOBAR:CAF2C",
        "unreadable:checksumMismatch");
    row("code, two lines", plainCode + "\nDevEUI=70B3\n", "unreadable:severalLines");
    row("code, two line ends", plainCode + "\r\n\r\n", "unreadable:severalLines");
}

void TestScanDecoder::decodes()
{
    QFETCH(QByteArray, scan);
    QFETCH(QString, expected);
    QCOMPARE(describe(scan), expected);
    // A code read wrongly carries the reason the operator is shown; nothing else carries one.
    const QString text = ScanDecoder::scanText(scan);
    const ScanResult result = ScanDecoder::decode(scan);
    QCOMPARE(result.unreadableReason,
             Tr005Code::isTr005(text) ? Tr005Code::parse(text).faultText() : QString());
    QCOMPARE(result.unreadableReason.isEmpty(), !result.isUnreadable());
}

void TestScanDecoder::checksumIsModbusCrc16()
{
    QCOMPARE(Tr005Code::crc16("123456789"), quint16(0x4B37)); // the catalogue check value
    QCOMPARE(Tr005Code::crc16(""), quint16(0xFFFF));
}

RAVLO_REGISTER_TEST(TestScanDecoder)
#include "tst_scandecoder.moc"
