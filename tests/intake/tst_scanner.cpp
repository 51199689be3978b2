#include "common/TestRegistry.h"
#include "foundation/CSettings.h"
#include "intake/ScanDecoder.h"
#include "intake/Tr005Code.h"
#include "intake/widgets/CScanerSettings.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

#include <pty.h>
#include <unistd.h>

#include <utility>

namespace {

// A scan as the tests spell it: "sn:" and the serial number, or the six credential fields and sn.
QString describe(const LoRaDevice& d)
{
    QString text =
        QStringList{d.devEui, d.appEui, d.appKey, QString::number(d.devAddress, 16), d.appsKey, d.nwksKey}
            .join(QLatin1Char('|'));
    if (!d.sn.isEmpty())
        text += "|sn=" + d.sn;
    return text;
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
    QString nextKeyFile; // what the operator picks in the file chooser

    PtyScanner() : CScanerSettings(nullptr, FirstRefresh::byDerivedClass)
    {
        connect(this, &CScanerSettings::newSN, [this](const QString& sn) { scans << "sn:" + sn; });
        connect(this, &CScanerSettings::newDeviceInfo, [this](const LoRaDevice& d) { scans << describe(d); });
        connect(this, &CScanerSettings::scanUnreadable,
                [this](const QString& why) { scans << "unreadable:" + why; });
        connect(this, &CScanerSettings::keySourceNote, [this](const QString& note, bool fromFile) {
            scans << (fromFile ? "keys:" : "no keys:") + note;
        });
        refreshPorts();
    }
    QString askKeyFileName() override { return nextKeyFile; }
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
    void scansThroughRealPort_data();
    void scansThroughRealPort();
    void keyFileCompletesScansAndIsRemembered();
    void splitScanIsOneAndScansApartAreTwo();
    void vanishedPortIsClosedOnce();
    void showsPortState();
};

void TestScanner::scansThroughRealPort_data()
{
    QTest::addColumn<QByteArray>("scan");
    QTest::addColumn<QStringList>("expected"); // what the panel emitted, described
    const auto row = [](const char* name, const QByteArray& scan, const QStringList& expected) {
        QTest::newRow(name) << scan << expected;
    };
    row("barcode", "SN0042", {"sn:SN0042"});
    row("barcode, CR", "SN0042\r", {"sn:SN0042"});
    row("barcode, CR LF", "SN0042\r\n", {"sn:SN0042"});
    row("QR, key=value, lower-case values", "DevEUI=70b3\nAppEUI=01\nAppKey=2b\n", {"70B3|01|2B|0||"});
    row("QR, CR LF", "DevEUI=70b3\r\nAppKey=2b\r\nDevAddress: 26011bda\r\n", {"70B3||2B|26011bda||"});
    row("LoRaWAN code, CR LF", "LW:D0:70b3d57ed0000001:70b3d57ed0001234:00010001:SAB-1234:C392A\r\n",
        {"70B3D57ED0001234|70B3D57ED0000001||0|||sn=AB-1234"});
    row("LoRaWAN code, wrong checksum", "LW:D0:70b3d57ed0000001:70b3d57ed0001234:00010001:SAB-1234:C392B\r\n",
        {"unreadable:" +
         Tr005Code::parse("LW:D0:70b3d57ed0000001:70b3d57ed0001234:00010001:SAB-1234:C392B").faultText()});
}

void TestScanner::scansThroughRealPort()
{
    QFETCH(QByteArray, scan);
    QFETCH(QStringList, expected);
    PtyScanner scanner;
    QVERIFY(scanner.isOpen() && scanner.write(scan));
    QTRY_COMPARE(scanner.scans, expected);
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

void TestScanner::keyFileCompletesScansAndIsRemembered()
{
    const QString appKey = QStringLiteral("2B7E151628AED2A6ABF7158809CF4F3C");
    const QString keyFile = QDir::current().absoluteFilePath(QStringLiteral("maker-keys.csv"));
    const QString otherKeyFile = QDir::current().absoluteFilePath(QStringLiteral("other-keys.csv"));
    for (const auto& [path, devEui] :
         {std::pair(keyFile, "70b3d57ed0001234"), std::pair(otherKeyFile, "A1")}) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("DevEUI=%1 AppKey=%2\r\n").arg(devEui, appKey.toLower()).toLatin1());
    }
    const auto forgetKeyFile = qScopeGuard([] { CSettings::writeValue(CSettings::keyFileName, QString()); });
    static QStringList log;
    log.clear();
    const QtMessageHandler testHandler = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext&, const QString& line) { log << line; });
    const auto restoreHandler = qScopeGuard([testHandler] { qInstallMessageHandler(testHandler); });

    {
        PtyScanner scanner;
        QVERIFY(scanner.isOpen());
        QVERIFY(scanner.loadKeyFile(keyFile));
        auto* label = scanner.findChild<QLabel*>(QStringLiteral("scannerKeyFileLabel"));
        QVERIFY(label->text().contains(QStringLiteral("maker-keys.csv")));
        QCOMPARE(CSettings::readValue(CSettings::keyFileName).toString(), keyFile);

        // A label without keys gets them from the file; an unknown DevEUI is said so; a label with
        // its own key is left alone.
        QVERIFY(scanner.write("LW:D0:70B3D57ED0000001:70B3D57ED0001234:00010001:SSN7\r\n"));
        QTRY_COMPARE(scanner.scans,
                     (QStringList{"70B3D57ED0001234|70B3D57ED0000001|" + appKey + "|0|||sn=SN7",
                                  "keys:Ключи взяты из файла ключей"}));
        scanner.scans.clear();
        QVERIFY(scanner.write("LW:D0:70B3D57ED0000001:70B3D57ED0009999:00010001\n"));
        QTRY_COMPARE(scanner.scans, (QStringList{"70B3D57ED0009999|70B3D57ED0000001||0||",
                                                 "no keys:В файле ключей нет ключей для этого DevEUI"}));
        scanner.scans.clear();
        QVERIFY(scanner.write("DevEUI=70b3d57ed0001234\nAppKey=11\n"));
        QTRY_COMPARE(scanner.scans, QStringList{"70B3D57ED0001234||11|0||"});

        // A file that cannot be used changes nothing but the panel says so.
        QVERIFY(!scanner.loadKeyFile(QStringLiteral("missing.csv")));
        QCOMPARE(scanner.keyFilePath(), keyFile);
        QVERIFY(label->text().contains(QStringLiteral("missing.csv")));
        QCOMPARE(label->styleSheet(), QStringLiteral("color: rgb(255,0,0)"));
        QCOMPARE(CSettings::readValue(CSettings::keyFileName).toString(), keyFile);
    }

    // The next start loads the remembered file again; the button loads another.
    PtyScanner restarted;
    QCOMPARE(restarted.keyFilePath(), keyFile);
    QCOMPARE(restarted.keyFileDevices(), 1);
    restarted.nextKeyFile = otherKeyFile;
    restarted.findChild<QPushButton*>(QStringLiteral("scannerKeyFileButton"))->click();
    QCOMPARE(restarted.keyFilePath(), otherKeyFile);
    QCOMPARE(CSettings::readValue(CSettings::keyFileName).toString(), otherKeyFile);

    // The keys stay in memory: neither the settings file nor the log holds them.
    QFile settings(CSettings::instance()->fileName());
    QVERIFY(settings.open(QIODevice::ReadOnly));
    QVERIFY(!settings.readAll().toUpper().contains(appKey.toLatin1()));
    QVERIFY(!log.join('\n').contains(appKey, Qt::CaseInsensitive));
}

RAVLO_REGISTER_TEST(TestScanner)
#include "tst_scanner.moc"
