#include "ScanCases.h"
#include "common/TestRegistry.h"
#include "intake/CScanerSettings.h"

#include <QComboBox>
#include <QPushButton>
#include <QSerialPort>
#include <QtTest>

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <memory>

namespace {

// A pseudo-terminal standing in for the scanner: the panel opens the slave side,
// the test writes the scanner's bytes to the master side.
class ScannerPty
{
public:
    ScannerPty()
    {
        char name[256] = {};
        if (::openpty(&m_master, &m_slave, name, nullptr, nullptr) != 0)
            return;
        termios raw{};
        ::tcgetattr(m_slave, &raw);
        ::cfmakeraw(&raw); // bytes pass unchanged: no CR/LF translation, no echo
        ::tcsetattr(m_slave, TCSANOW, &raw);
        m_slavePath = QString::fromLocal8Bit(name);
    }
    ~ScannerPty()
    {
        closeMaster();
        if (m_slave >= 0)
            ::close(m_slave);
    }
    bool isValid() const { return m_master >= 0 && !m_slavePath.isEmpty(); }
    QString slavePath() const { return m_slavePath; }
    bool write(const QByteArray& bytes) const
    {
        return ::write(m_master, bytes.constData(), size_t(bytes.size())) == bytes.size();
    }
    // The scanner is unplugged.
    void closeMaster()
    {
        if (m_master >= 0)
            ::close(m_master);
        m_master = -1;
    }

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
};

// The panel with the port list given by the test: the system never lists pseudo-terminals.
class InjectedScanner : public CScanerSettings
{
public:
    explicit InjectedScanner(const QStringList& portPaths)
        : CScanerSettings(nullptr, FirstRefresh::byDerivedClass)
    {
        setPorts(portPaths);
        refreshPorts();
    }
    void setPorts(const QStringList& portPaths)
    {
        m_ports.clear();
        for (const QString& path : portPaths)
            m_ports.append(PortEntry{QFileInfo(path).fileName(), QString(), path});
    }

protected:
    QList<PortEntry> listPorts() const override { return m_ports; }

private:
    QList<PortEntry> m_ports;
};

// Collects the program's diagnostic lines while a test runs.
QStringList g_logLines;
QtMessageHandler g_previousHandler = nullptr;
void collectLogLine(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    g_logLines.append(message);
    if (type != QtDebugMsg && g_previousHandler)
        g_previousHandler(type, context, message);
}

int countLines(const QString& part)
{
    int count = 0;
    for (const QString& line : qAsConst(g_logLines))
        count += line.contains(part) ? 1 : 0;
    return count;
}

} // namespace

class TestScanner : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { qRegisterMetaType<QSerialPort::SerialPortError>(); }
    void init();
    void cleanup();

    void noPortsLeavesWarningIcon();
    void opensListedPortReadOnly();
    void failedOpenShowsCancelIcon();
    void decodesScanFromPort_data();
    void decodesScanFromPort();
    void splitQrIsOneScan();
    void qrCodesFarApartAreTwoScans();
    void endlessBurstIsDropped();
    void vanishedPortIsClosedOnce();
    void emptyRefreshDropsPortAndOkIcon();

private:
    // Builds the panel on a fresh pseudo-terminal and waits until the port is open.
    bool openScanner();
    QSerialPort* port() const { return m_scanner->findChild<QSerialPort*>(); }

    std::unique_ptr<ScannerPty> m_pty;
    std::unique_ptr<InjectedScanner> m_scanner;
};

void TestScanner::init()
{
    g_logLines.clear();
    g_previousHandler = qInstallMessageHandler(collectLogLine);
}

void TestScanner::cleanup()
{
    m_scanner.reset();
    m_pty.reset();
    qInstallMessageHandler(g_previousHandler);
}

bool TestScanner::openScanner()
{
    m_pty = std::make_unique<ScannerPty>();
    if (!m_pty->isValid())
        return false;
    m_scanner = std::make_unique<InjectedScanner>(QStringList{m_pty->slavePath()});
    if (port() && port()->isOpen())
        return true;
    qWarning("%s", qPrintable(g_logLines.join(QLatin1Char('\n'))));
    return false;
}

void TestScanner::noPortsLeavesWarningIcon()
{
    InjectedScanner scanner({});
    QCOMPARE(scanner.findChild<QComboBox*>(QStringLiteral("scannerPortBox"))->count(), 0);
    QVERIFY(!scanner.findChild<QSerialPort*>());
    QCOMPARE(scanner.iconPath(), CScanerSettings::warningIcon);
}

void TestScanner::opensListedPortReadOnly()
{
    QVERIFY(openScanner());
    auto* box = m_scanner->findChild<QComboBox*>(QStringLiteral("scannerPortBox"));
    QCOMPARE(box->count(), 1);
    QCOMPARE(box->itemText(0), QFileInfo(m_pty->slavePath()).fileName() + QStringLiteral(" - unidentified"));
    QCOMPARE(port()->openMode(), QIODevice::ReadOnly);
    QCOMPARE(m_scanner->iconPath(), CScanerSettings::okIcon);
}

void TestScanner::failedOpenShowsCancelIcon()
{
    QTemporaryDir dir;
    InjectedScanner scanner({dir.filePath(QStringLiteral("no-such-port"))});
    QVERIFY(scanner.findChild<QSerialPort*>());
    QVERIFY(!scanner.findChild<QSerialPort*>()->isOpen());
    QCOMPARE(scanner.iconPath(), CScanerSettings::failedIcon);
}

void TestScanner::decodesScanFromPort_data()
{
    addScanColumns();
    addScanRows();
}

void TestScanner::decodesScanFromPort()
{
    QFETCH(QByteArray, scan);
    QFETCH(bool, isSerialNumber);
    QFETCH(QString, serialNumber);
    QFETCH(LoRaDevice, device);

    QVERIFY(openScanner());
    QSignalSpy serialNumbers(m_scanner.get(), &CScanerSettings::newSN);
    QSignalSpy devices(m_scanner.get(), &CScanerSettings::newDeviceInfo);
    QVERIFY(m_pty->write(scan));

    if (isSerialNumber) {
        QVERIFY(serialNumbers.wait(5000));
        QCOMPARE(serialNumbers.count(), 1);
        QCOMPARE(serialNumbers.first().first().toString(), serialNumber);
        QCOMPARE(devices.count(), 0);
    } else {
        QVERIFY(devices.wait(5000));
        QCOMPARE(devices.count(), 1);
        compareCredentials(devices.first().first().value<LoRaDevice>(), device);
        QCOMPARE(serialNumbers.count(), 0);
    }
}

void TestScanner::splitQrIsOneScan()
{
    QVERIFY(openScanner());
    QSignalSpy devices(m_scanner.get(), &CScanerSettings::newDeviceInfo);
    QSignalSpy serialNumbers(m_scanner.get(), &CScanerSettings::newSN);
    QSignalSpy pieces(port(), &QSerialPort::readyRead);

    // The first piece ends inside the AppEUI line, as a USB serial port may cut it.
    QVERIFY(m_pty->write("DevEUI=70B3D57ED0001234\r\nAppE"));
    QVERIFY(pieces.wait(5000));
    QCOMPARE(devices.count(), 0);
    QVERIFY(m_pty->write("UI=0000000000000001\r\nAppKey=2B7E151628AED2A6ABF7158809CF4F3C\r\n"));
    QVERIFY(pieces.wait(5000));

    QVERIFY(devices.wait(5000));
    QVERIFY(!devices.wait(3 * CScanerSettings::scanQuietGapMs));
    QCOMPARE(devices.count(), 1);
    QCOMPARE(serialNumbers.count(), 0);
    const LoRaDevice device = devices.first().first().value<LoRaDevice>();
    QCOMPARE(device.devEui, QStringLiteral("70B3D57ED0001234"));
    QCOMPARE(device.appEui, QStringLiteral("0000000000000001"));
    QCOMPARE(device.appKey, QStringLiteral("2B7E151628AED2A6ABF7158809CF4F3C"));
}

void TestScanner::qrCodesFarApartAreTwoScans()
{
    QVERIFY(openScanner());
    QSignalSpy devices(m_scanner.get(), &CScanerSettings::newDeviceInfo);

    QVERIFY(m_pty->write("DevEUI=1111111111111111\nAppEUI=01\nAppKey=AA\n"));
    QVERIFY(devices.wait(5000));
    QVERIFY(m_pty->write("DevEUI=2222222222222222\nAppEUI=02\nAppKey=BB\n"));
    QTRY_COMPARE(devices.count(), 2);
    QCOMPARE(devices.at(0).first().value<LoRaDevice>().devEui, QStringLiteral("1111111111111111"));
    QCOMPARE(devices.at(1).first().value<LoRaDevice>().devEui, QStringLiteral("2222222222222222"));
    QCOMPARE(devices.at(1).first().value<LoRaDevice>().appKey, QStringLiteral("BB"));
}

void TestScanner::endlessBurstIsDropped()
{
    QVERIFY(openScanner());
    QSignalSpy serialNumbers(m_scanner.get(), &CScanerSettings::newSN);
    QSignalSpy pieces(port(), &QSerialPort::readyRead);

    // Far more than any label holds, without a pause: not a scan.
    const QByteArray chunk(4096, 'A');
    for (int written = 0; written <= CScanerSettings::maxScanBytes; written += chunk.size()) {
        QVERIFY(m_pty->write(chunk));
        QVERIFY(pieces.wait(5000));
    }
    QVERIFY(!serialNumbers.wait(3 * CScanerSettings::scanQuietGapMs));
    QCOMPARE(serialNumbers.count(), 0);

    // The next label is read as usual.
    QVERIFY(m_pty->write("SN0042\r"));
    QVERIFY(serialNumbers.wait(5000));
    QCOMPARE(serialNumbers.first().first().toString(), QStringLiteral("SN0042"));
}

void TestScanner::vanishedPortIsClosedOnce()
{
    QVERIFY(openScanner());
    QSerialPort* serialPort = port();
    QSignalSpy errors(serialPort, &QSerialPort::errorOccurred);
    g_logLines.clear();

    m_pty->closeMaster();
    QTRY_VERIFY(!serialPort->isOpen());
    QCOMPARE(m_scanner->iconPath(), CScanerSettings::failedIcon);
    // No error storm once the port is closed.
    const int errorsAtClose = errors.count();
    QVERIFY(errorsAtClose >= 1);
    QVERIFY2(errorsAtClose <= 5, qPrintable(QString::number(errorsAtClose)));
    QVERIFY(!errors.wait(300));
    QCOMPARE(countLines(QStringLiteral("Serial port errorOccurred")), 1);

    // Refresh is the operator's way back; with the scanner still gone it fails plainly.
    m_scanner->findChild<QPushButton*>(QStringLiteral("scannerRefreshButton"))->click();
    QVERIFY(port());
    QVERIFY(!port()->isOpen());
    QCOMPARE(m_scanner->iconPath(), CScanerSettings::failedIcon);
}

void TestScanner::emptyRefreshDropsPortAndOkIcon()
{
    QVERIFY(openScanner());
    m_scanner->setPorts({});
    m_scanner->refreshPorts();
    QVERIFY(!port());
    QCOMPARE(m_scanner->iconPath(), CScanerSettings::warningIcon);
}

RAVLO_REGISTER_TEST(TestScanner)
#include "tst_scanner.moc"
