#include "WindowTestSupport.h"
#include "app/CMainWindow.h"
#include "common/TestRegistry.h"
#include "foundation/CSettings.h"
#include "intake/ScannedDevices.h"
#include "intake/widgets/CScanerSettings.h"
#include "registration/SettingsFieldTestHelpers.h"
#include "server/CServerClient.h"
#include "tools/SimTestSupport.h"

#include <QComboBox>
#include <QLabel>
#include <QMutex>
#include <QPushButton>
#include <QSerialPort>
#include <QTabWidget>
#include <QTableView>
#include <QtTest>

#include <pty.h>
#include <unistd.h>

namespace {
// The scanner panel reading a pseudo-terminal: the test writes the scanner's bytes to its master side.
struct PtyScannerPanel : CScanerSettings
{
    int master = -1;
    int slave = -1;
    char name[256] = {};

    PtyScannerPanel() : CScanerSettings(nullptr, FirstRefresh::byDerivedClass)
    {
        ::openpty(&master, &slave, name, nullptr, nullptr);
        refreshPorts();
    }
    ~PtyScannerPanel() override
    {
        ::close(master);
        ::close(slave);
    }
    QList<PortEntry> listPorts() const override
    {
        const QString path = QString::fromLocal8Bit(name);
        return {{QFileInfo(path).fileName(), {}, path}};
    }
    bool isOpen() const { return findChild<QSerialPort*>() && findChild<QSerialPort*>()->isOpen(); }
    bool scan(const QByteArray& bytes) const
    {
        return ::write(master, bytes.data(), size_t(bytes.size())) == bytes.size();
    }
};

int rowOf(const QAbstractItemModel* model, const QString& devEui)
{
    for (int row = 0; row < model->rowCount(); ++row)
        if (model->index(row, 1).data().toString() == devEui)
            return row;
    return -1;
}

bool simLogged(const SimProcess& sim, const QString& pattern)
{
    return !sim.lines.filter(QRegularExpression(pattern)).isEmpty();
}

// Every debug line the program writes while it lives, from any thread.
class DebugOutput
{
public:
    DebugOutput() { m_previous = qInstallMessageHandler(&DebugOutput::keep); }
    ~DebugOutput() { qInstallMessageHandler(m_previous); }
    static QStringList lines()
    {
        QMutexLocker lock(&mutex());
        return kept();
    }

private:
    static QMutex& mutex()
    {
        static QMutex m;
        return m;
    }
    static QStringList& kept()
    {
        static QStringList l;
        return l;
    }
    static void keep(QtMsgType, const QMessageLogContext&, const QString& line)
    {
        QMutexLocker lock(&mutex());
        kept() << line;
    }
    QtMessageHandler m_previous = nullptr;
};
} // namespace

// The whole program: the real main window against the built simulator, a pseudo-terminal for the scanner.
class TestWholeProgram : public QObject
{
    Q_OBJECT
private slots:
    void scanRegisterListDelete();
    void labelWithoutKeysTakesThemFromTheKeyFile();
    void noPasswordOrKeyInTheLog();
};

void TestWholeProgram::scanRegisterListDelete()
{
    const QString devEui = QStringLiteral("70B3D5E75E0000A1");
    SimProcess sim;
    QVERIFY(sim.start());
    ScannedDevices::instance()->clear();
    auto* scanner = new PtyScannerPanel;
    CMainWindow window(scanner);
    window.show();
    QVERIFY(scanner->isOpen());

    logIn(window, sim);

    // A QR scan fills the page; the server does not know the device yet.
    QVERIFY(scanner->scan("DevEUI=" + devEui.toLatin1() +
                          "\r\nAppEUI=0102030405060708\r\nAppKey=2B7E151628AED2A6ABF7158809CF4F3C\r\n"));
    QTRY_COMPARE(find<QLineEdit>(window, "devEuiEdit")->text(), devEui);
    QTRY_COMPARE(find<QLabel>(window, "serverDevEui")->text(),
                 QStringLiteral("Данное устройство, еще не зарегистрировано на сервере"));

    // Add registers it.
    QTest::mouseClick(find<QPushButton>(window, "addButton"), Qt::LeftButton);
    QTRY_VERIFY(simLogged(sim, "^in .* cmd=manage_devices_req "));
    QTRY_COMPARE(find<QLabel>(window, "errorLabel")->text(),
                 QStringLiteral("Device is not existed on server before and is registered with "
                                "corresponding registration information"));
    QTRY_COMPARE(find<QLabel>(window, "addedCountLabel")->text(), QStringLiteral("1"));
    QTRY_COMPARE(find<QLabel>(window, "deviceStatusLabel")->text(), QStringLiteral("Зарегистрировано"));
    QCOMPARE(find<QLabel>(window, "serverDevEui")->text(), devEui);

    // The device table lists it.
    find<QTabWidget>(window, "pageTabs")->setCurrentIndex(1);
    auto* table = find<QTableView>(window, "deviceTable");
    QTRY_VERIFY(rowOf(table->model(), devEui) >= 0);

    // Deleting it from the table, answering Yes, removes it from the server and from the table.
    const QModelIndex action = table->model()->index(rowOf(table->model(), devEui), 2);
    table->scrollTo(action);
    const QString question = answerMessageBox(QMessageBox::Yes, [&] {
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualRect(action).center());
    });
    QVERIFY(question.contains(devEui));
    QTRY_VERIFY(simLogged(sim, "^in .* cmd=delete_devices_req "));
    QTRY_COMPARE(rowOf(table->model(), devEui), -1);
    QTRY_COMPARE(find<QLabel>(window, "addedCountLabel")->text(), QStringLiteral("0"));
    SimClient check;
    QVERIFY(check.open(sim.url) && !check.login().isEmpty());
    const QJsonObject held = check.request(
        QStringLiteral(R"({"cmd":"get_devices_req","select":{"devEui_list":["%1"]}})").arg(devEui));
    QCOMPARE(held.value(Protocol::Key::devicesList).toArray().size(), 0);

    CServerClient::instance()->close();
    QTRY_COMPARE(CServerClient::instance()->state(), QAbstractSocket::UnconnectedState);
}

// A LoRaWAN identification code holds no AppKey: the maker's key file gives it, the device is
// registered with it, and the journal keeps the answer.
void TestWholeProgram::labelWithoutKeysTakesThemFromTheKeyFile()
{
    const QString devEui = QStringLiteral("70B3D5E75E0000B2");
    const QString appKey = QStringLiteral("000102030405060708090A0B0C0D0EB2");
    SimProcess sim;
    QVERIFY(sim.start());
    QTemporaryDir dir;
    QFile keys(dir.filePath(QStringLiteral("keys.csv")));
    QVERIFY(keys.open(QIODevice::WriteOnly));
    keys.write(QStringLiteral("DevEUI AppEUI AppKey\nDevEUI=%1 AppKey=%2\n").arg(devEui, appKey).toLatin1());
    keys.close();

    auto* scanner = new PtyScannerPanel;
    CMainWindow window(scanner);
    window.show();
    QVERIFY(scanner->loadKeyFile(keys.fileName()));
    logIn(window, sim);

    QVERIFY(scanner->scan("LW:D0:0102030405060708:" + devEui.toLatin1() + ":00010001:SQ-42\r\n"));
    QTRY_COMPARE(find<QLineEdit>(window, "appKeyEdit")->text(), appKey);
    QCOMPARE(find<QLineEdit>(window, "appEuiEdit")->text(), QStringLiteral("0102030405060708"));
    QTRY_COMPARE(find<QLabel>(window, "serverDevEui")->text(),
                 QStringLiteral("Данное устройство, еще не зарегистрировано на сервере"));
    QTest::mouseClick(find<QPushButton>(window, "addButton"), Qt::LeftButton);
    QTRY_COMPARE(find<QLabel>(window, "deviceStatusLabel")->text(), QStringLiteral("Зарегистрировано"));

    SimClient check;
    QVERIFY(check.open(sim.url) && !check.login().isEmpty());
    const QJsonObject held = check.request(
        QStringLiteral(R"({"cmd":"get_devices_req","select":{"devEui_list":["%1"]}})").arg(devEui));
    const QJsonArray list = held.value(Protocol::Key::devicesList).toArray();
    QCOMPARE(list.size(), 1);
    QCOMPARE(
        list.first().toObject().value(Protocol::Key::otaa).toObject().value(Protocol::Key::appKey).toString(),
        appKey);

    // The answer is in the journal beside the settings, and so on the journal tab.
    auto journalText = [] {
        QFile journal(QStringLiteral("journal.csv"));
        return journal.open(QIODevice::ReadOnly) ? QString::fromUtf8(journal.readAll()) : QString();
    };
    QTRY_VERIFY2(journalText().contains(
                     QRegularExpression(devEui + ".*,added\\r?$", QRegularExpression::MultilineOption)),
                 qPrintable(journalText()));
    QCOMPARE(find<QTabWidget>(window, "pageTabs")->count(), 3);

    CServerClient::instance()->close();
    QTRY_COMPARE(CServerClient::instance()->state(), QAbstractSocket::UnconnectedState);
}

// Logging in, remembering the password, scanning a label with every kind of key and
// registering the device: the debug output says what happened, never the secrets.
void TestWholeProgram::noPasswordOrKeyInTheLog()
{
    const QString password = QStringLiteral("Pw-7xq!Secret");
    const QString devEui = QStringLiteral("70B3D5E75E0000C3");
    const QStringList secrets{password, QStringLiteral("2B7E151628AED2A6ABF7158809CF4F3C"),
                              QStringLiteral("11223344556677889900AABBCCDDEEFF"),
                              QStringLiteral("FFEEDDCCBBAA00998877665544332211")};
    SimProcess sim;
    QVERIFY(sim.start({"--user", "operator:" + password}));
    ScannedDevices::instance()->clear();
    DebugOutput output;
    auto* scanner = new PtyScannerPanel;
    CMainWindow window(scanner);
    window.show();
    QVERIFY(scanner->isOpen());
    logIn(window, sim, password);
    CSettings::writeValue(CSettings::serverPassword, password);
    QCOMPARE(CSettings::readValue(CSettings::serverPassword).toString(), password);

    QVERIFY(scanner->scan("DevEUI=" + devEui.toLatin1() +
                          "\r\nAppEUI=0102030405060708\r\nAppKey=" + secrets.at(1).toLatin1() +
                          "\r\nDevAdd=FC00AC01\r\nAppSKey=" + secrets.at(2).toLatin1() +
                          "\r\nNwkSKey=" + secrets.at(3).toLower().toLatin1() + "\r\n"));
    QTRY_COMPARE(find<QLineEdit>(window, "devEuiEdit")->text(), devEui);
    QTRY_COMPARE(find<QLabel>(window, "serverDevEui")->text(),
                 QStringLiteral("Данное устройство, еще не зарегистрировано на сервере"));
    QTest::mouseClick(find<QPushButton>(window, "addButton"), Qt::LeftButton);
    QTRY_COMPARE(find<QLabel>(window, "deviceStatusLabel")->text(), QStringLiteral("Зарегистрировано"));
    CServerClient::instance()->close();
    QTRY_COMPARE(CServerClient::instance()->state(), QAbstractSocket::UnconnectedState);

    const QStringList lines = DebugOutput::lines();
    // What was sent is still there, named by command and size.
    QVERIFY(!lines.filter(QRegularExpression("Message sended: auth_req, \\d+ bytes$")).isEmpty());
    QVERIFY(!lines.filter(QRegularExpression("Message sended: manage_devices_req, 1 entries, \\d+ bytes$"))
                 .isEmpty());
    for (const QString& secret : secrets) {
        const QStringList leaks = lines.filter(secret, Qt::CaseInsensitive);
        QVERIFY2(leaks.isEmpty(), qPrintable(secret + " logged in: " + leaks.join('\n')));
    }
}

RAVLO_REGISTER_TEST(TestWholeProgram)
#include "tst_wholeprogram.moc"
