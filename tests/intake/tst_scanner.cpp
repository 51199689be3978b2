#include "common/TestRegistry.h"
#include "intake/ScanDecoder.h"
#include "intake/widgets/CScanerSettings.h"

#include <QPushButton>
#include <QtTest>

#include <pty.h>
#include <unistd.h>

#include <utility>

namespace {

// A scan as the tests spell it: "sn:" and the serial number, or the six credential fields.
QString describe(const LoRaDevice& d)
{
    return QStringList{d.devEui, d.appEui, d.appKey, QString::number(d.devAddress, 16), d.appsKey, d.nwksKey}
        .join(QLatin1Char('|'));
}

// A pseudo-terminal standing in for the scanner: the test writes the scanner's bytes to the master
// side, the panel reads the slave side (the serial port puts it in raw mode, as a real scanner's).
struct Pty
{
    int master = -1;
    int slave = -1;
    char name[256] = {}; // of the slave side; empty when no pseudo-terminal could be made

    Pty() { ::openpty(&master, &slave, name, nullptr, nullptr); }
    ~Pty()
    {
        ::close(master);
        ::close(slave);
    }
};

// The panel on a fresh pseudo-terminal, from a port list given by the test (the system never lists
// pseudo-terminals), with what it emitted, described.
struct PtyScanner : Pty, CScanerSettings
{
    QString path = QString::fromLocal8Bit(name); // the one port listed; empty: none
    QStringList scans;

    PtyScanner() : CScanerSettings(nullptr, FirstRefresh::byDerivedClass)
    {
        connect(this, &CScanerSettings::newSN, [this](const QString& sn) { scans << "sn:" + sn; });
        connect(this, &CScanerSettings::newDeviceInfo, [this](const LoRaDevice& d) { scans << describe(d); });
        refreshPorts();
    }
    QList<PortEntry> listPorts() const override
    {
        return path.isEmpty() ? QList<PortEntry>() : QList<PortEntry>{{QFileInfo(path).fileName(), {}, path}};
    }
    QSerialPort* port() const { return findChild<QSerialPort*>(); }
    bool isOpen() const { return port() && port()->isOpen(); }
    bool write(const QByteArray& b) const { return ::write(master, b.data(), size_t(b.size())) == b.size(); }
};

} // namespace

class TestScanner : public QObject
{
    Q_OBJECT
private slots:
    void decodesScan_data();
    void decodesScan();
    void splitScanIsOneAndScansApartAreTwo();
    void vanishedPortIsClosedOnce();
    void showsPortState();
};

void TestScanner::decodesScan_data()
{
    QTest::addColumn<QByteArray>("scan");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("viaPty"); // a few rows also go through a real port
    const auto row = [](const char* name, const QByteArray& scan, const QString& expected, bool pty = false) {
        QTest::newRow(name) << scan << expected << pty;
    };
    const QString none = QStringLiteral("|||0||");
    row("barcode", "SN0042", "sn:SN0042", true);
    row("barcode, CR", "SN0042\r", "sn:SN0042", true);
    row("barcode, every CR dropped, blanks kept", " SN\r 42\r", "sn: SN 42");
    row("barcode, UTF-8 up to NUL", QByteArray("Счёт\0x\n", 11), "sn:Счёт");
    row("QR, key=value, lower-case values", "DevEUI=70b3\nAppEUI=01\nAppKey=2b\n", "70B3|01|2B|0||", true);
    row("QR, key: value, no final LF", "DevEUI: 70B3\nAppEui: 01\nAppKey: 2B", "70B3|01|2B|0||");
    row("QR, CR LF", "DevEUI=70b3\r\nAppKey=2b\r\nDevAddress: 26011bda\r\n", "70B3||2B|26011bda||", true);
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
}

void TestScanner::decodesScan()
{
    QFETCH(QByteArray, scan);
    QFETCH(QString, expected);
    QFETCH(bool, viaPty);
    const ScanResult result = ScanDecoder::decode(scan);
    QCOMPARE(result.isSerialNumber() ? "sn:" + result.serialNumber : describe(result.device), expected);
    if (viaPty) {
        PtyScanner scanner;
        QVERIFY(scanner.isOpen() && scanner.write(scan));
        QTRY_COMPARE(scanner.scans, QStringList{expected});
    }
}

void TestScanner::splitScanIsOneAndScansApartAreTwo()
{
    PtyScanner scanner;
    QVERIFY(scanner.isOpen());
    QSignalSpy reads(scanner.port(), &QSerialPort::readyRead);
    // The first piece ends inside the AppEUI line, as a USB serial port may cut it.
    QVERIFY(scanner.write("DevEUI=70b3\r\nAppE"));
    QVERIFY(reads.wait(5000));
    QVERIFY(scanner.write("UI=01\r\nAppKey=2b\r\n"));
    QTRY_COMPARE(scanner.scans, QStringList{"70B3|01|2B|0||"});
    QVERIFY(reads.count() >= 2);
    // The next label, sent once the first was taken, is a scan of its own.
    QVERIFY(scanner.write("DevEUI=22\nAppKey=bb\n"));
    QTRY_COMPARE(scanner.scans, (QStringList{"70B3|01|2B|0||", "22||BB|0||"}));
}

void TestScanner::vanishedPortIsClosedOnce()
{
    qRegisterMetaType<QSerialPort::SerialPortError>();
    PtyScanner scanner;
    QVERIFY(scanner.isOpen());
    QSerialPort* port = scanner.port();
    QSignalSpy errors(port, &QSerialPort::errorOccurred);
    static QStringList log;
    log.clear();
    const QtMessageHandler testHandler = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext&, const QString& line) { log << line; });
    const auto restoreHandler = qScopeGuard([testHandler] { qInstallMessageHandler(testHandler); });
    ::close(std::exchange(scanner.master, -1)); // the scanner is unplugged
    QTRY_VERIFY(!port->isOpen());
    QCOMPARE(scanner.iconPath(), CScanerSettings::failedIcon);
    // No error storm: a few errors before the close, none after it, one diagnostic line.
    QVERIFY2(errors.count() >= 1 && errors.count() <= 5, qPrintable(QString::number(errors.count())));
    QVERIFY(!errors.wait(300));
    QCOMPARE(log.filter(QStringLiteral("Serial port errorOccurred")).size(), 1);
    // The refresh button is the operator's way back; with the scanner still gone it fails plainly.
    scanner.findChild<QPushButton*>(QStringLiteral("scannerRefreshButton"))->click();
    QVERIFY(scanner.port() && !scanner.port()->isOpen());
    QCOMPARE(scanner.iconPath(), CScanerSettings::failedIcon);
}

void TestScanner::showsPortState()
{
    PtyScanner scanner;
    QCOMPARE(scanner.iconPath(), CScanerSettings::okIcon);
    QCOMPARE(scanner.port()->openMode(), QIODevice::ReadOnly);
    scanner.path.clear(); // no serial port at all
    scanner.refreshPorts();
    QVERIFY(!scanner.port());
    QCOMPARE(scanner.iconPath(), CScanerSettings::warningIcon);
}

RAVLO_REGISTER_TEST(TestScanner)
#include "tst_scanner.moc"
