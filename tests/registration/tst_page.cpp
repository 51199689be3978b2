#include "common/TestRegistry.h"
#include "downlink/RequestsFileSender.h"
#include "foundation/CSettings.h"
#include "intake/DeviceListModel.h"
#include "intake/ScannedDevices.h"
#include "meters/widgets/CPulseSettingsField.h"
#include "registration/BulkRegistration.h"
#include "registration/PageTestSupport.h"
#include "registration/SettingsFieldTestHelpers.h"

#include <QAbstractItemModelTester>
#include <QFileDialog>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>

namespace {
const QString devA = QStringLiteral("70B3D5E75E00000A");
const QString devB = QStringLiteral("70B3D5E75E00000B");
const QString devC = QStringLiteral("70B3D5E75E00000C");
const QString notRegistered = QStringLiteral("Данное устройство, еще не зарегистрировано на сервере");
const QString noConnection = QStringLiteral("Нет подлючения к серверу");
const QString addedText = QStringLiteral(
    "Device is not existed on server before and is registered with corresponding registration information");

void setGroupInUse(CAbstatractSettingsField* field)
{
    groupBoxOf(field)->setChecked(true);
}

// Answers the file dialog that the action opens with the given file.
void chooseFile(const QString& path, const std::function<void()>& action)
{
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            // The file dialog's own warning while its directory is still being read: dismiss it
            // and accept again on the next tick.
            qWarning() << "file dialog warned:" << box->text();
            box->accept();
            return;
        }
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        if (!dialog)
            return;
        // The dialog may still be reading its directory and refuse the first accept: keep
        // answering until it has closed.
        dialog->selectFile(path);
        // Queued: a warning the dialog shows from accept() must find this poll free to answer it.
        QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
    });
    poll.start(10);
    action();
    poll.stop();
}
} // namespace

// The registration page on the real widgets, against a WebSocket server on the loopback.
class TestPage : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void modes_data();
    void modes();
    void serialNumberLength_data();
    void serialNumberLength();
    void scanShowsCredentials();
    void unreadableAndOffline();
    void incompleteLoginSendsNothing();
    void nameDateAndCoordinates();
    void listIsCompletedAndCounted();
    void listGoesOutInBoundedRequests();
    void statusTexts_data();
    void statusTexts();
    void serverViewShowsTheScannedDeviceOnly();
    void refusedDeviceShowsWhatServerHolds();
    void tableAndDeletion();
    void largeListFillsTheTable();
    void failedDeletionIsShown();
    void requestsFile();
    void requestsFileStops();
};

void TestPage::init()
{
    ScannedDevices::instance()->clear();
}

void TestPage::modes_data()
{
    QTest::addColumn<bool>("autoMode");
    QTest::addColumn<bool>("withSerial");
    // Registrations sent, counted after the scan, a click on Add, the serial number, another click.
    QTest::addColumn<QVector<int>>("counts");
    QTest::addColumn<bool>("buttonEnabled");
    QTest::addColumn<QString>("name");
    QTest::newRow("button") << false << false << QVector<int>{0, 1, 1, 2} << true << devA + "-";
    QTest::newRow("button, serial required")
        << false << true << QVector<int>{0, 0, 0, 1} << true << devA + "-12345678";
    QTest::newRow("auto") << true << false << QVector<int>{1, 1, 1, 1} << false << devA + "-";
    QTest::newRow("auto, serial required")
        << true << true << QVector<int>{0, 0, 1, 1} << false << devA + "-12345678";
}

void TestPage::modes()
{
    QFETCH(bool, autoMode);
    QFETCH(bool, withSerial);
    QFETCH(QVector<int>, counts);
    PageUnderTest t;
    t.find<QLineEdit>("nameTemplateEdit")->setText("%deveui-%sn");
    QVERIFY(t.login());
    QVERIFY(t.find<QPushButton>("addButton")->isEnabled());
    t.find<QCheckBox>("autoModeBox")->setChecked(autoMode);
    t.find<QGroupBox>("additionalGroup")->setChecked(withSerial);
    QTEST(t.find<QPushButton>("addButton")->isEnabled(), "buttonEnabled");

    QVector<int> seen;
    auto count = [&] {
        t.settle();
        seen << t.registered().size();
    };
    t.page.scanDeviceInfo(scannedDevice(devA));
    count();
    QTest::mouseClick(t.find<QPushButton>("addButton"), Qt::LeftButton);
    count();
    t.page.snReceived("12345678");
    count();
    QTest::mouseClick(t.find<QPushButton>("addButton"), Qt::LeftButton);
    count();
    QCOMPARE(seen, counts);
    QTEST(t.registered().first().value("devName").toString(), "name");
}

void TestPage::serialNumberLength_data()
{
    QTest::addColumn<QString>("received");
    QTest::addColumn<QString>("kept");
    QTest::newRow("16 characters: 3 to 10") << "ABC12345678DEFGH"
                                            << "12345678";
    QTest::newRow("15 whole") << "ABC12345678DEFG"
                              << "ABC12345678DEFG";
    QTest::newRow("17 whole") << "ABC12345678DEFGHI"
                              << "ABC12345678DEFGHI";
}

void TestPage::serialNumberLength()
{
    QFETCH(QString, received);
    PageUnderTest t;
    t.find<QLineEdit>("nameTemplateEdit")->setText("%sn");
    QVERIFY(t.login());
    t.find<QGroupBox>("additionalGroup")->setChecked(true);
    t.page.scanDeviceInfo(scannedDevice(devA));
    t.page.snReceived(received);
    QTEST(t.find<QLineEdit>("snEdit")->text(), "kept");
    // The serial number comes from the scanner only: its edit takes no typing.
    QVERIFY(t.find<QLineEdit>("snEdit")->isReadOnly());
    QTest::mouseClick(t.find<QPushButton>("addButton"), Qt::LeftButton);
    QVERIFY(t.settle());
    QTEST(t.registered().value(0).value("devName").toString(), "kept");
    // A new scan forgets the serial number: Add is refused until the next one arrives.
    t.page.scanDeviceInfo(scannedDevice(devB));
    QVERIFY(t.find<QLineEdit>("snEdit")->text().isEmpty());
    QTest::mouseClick(t.find<QPushButton>("addButton"), Qt::LeftButton);
    QVERIFY(t.settle());
    QCOMPARE(t.registered().size(), 1);
}

void TestPage::scanShowsCredentials()
{
    PageUnderTest t;
    LoRaDevice device = scannedDevice(devA, 0x1A2B);
    device.appsKey = "A1";
    t.page.scanDeviceInfo(device);
    QCOMPARE(t.find<QLineEdit>("devAddrEdit")->text(), QStringLiteral("00001A2B"));
    QCOMPARE(t.find<QLineEdit>("appSKeyEdit")->text(), QStringLiteral("A1"));
    t.page.scanDeviceInfo(scannedDevice(devA, 0));
    QCOMPARE(t.find<QLineEdit>("devAddrEdit")->text(), QStringLiteral("empty devaddr"));
    for (const char* edit :
         {"devEuiEdit", "appEuiEdit", "appKeyEdit", "devAddrEdit", "appSKeyEdit", "nwkSKeyEdit", "snEdit"})
        QVERIFY(t.find<QLineEdit>(edit)->isReadOnly());
}

void TestPage::unreadableAndOffline()
{
    PageUnderTest t;
    QSignalSpy resized(&t.page, &CIAboutDevice::resizeWindow);
    LoRaDevice unreadable = scannedDevice(devA);
    unreadable.appKey.clear();
    t.page.scanDeviceInfo(unreadable);
    QCOMPARE(t.text("errorLabel"), QStringLiteral("QR/Barcode reading error !!!"));
    QCOMPARE(t.find<QLineEdit>("nwkSKeyEdit")->text(), QStringLiteral("Invalid QR/Barcode"));
    QCOMPARE(t.text("serverDevEui"), QStringLiteral("Invalid QR/Barcode"));
    QCOMPARE(resized.count(), 1);

    // Auto mode without a login: the scan fills the page and says why nothing goes out.
    t.find<QCheckBox>("autoModeBox")->setChecked(true);
    t.page.scanDeviceInfo(scannedDevice(devA));
    QVERIFY(t.find<QLabel>("errorLabel")->isHidden());
    QCOMPARE(t.find<QLineEdit>("devEuiEdit")->text(), devA);
    QCOMPARE(t.text("deviceStatusLabel"), noConnection);
    QVERIFY(t.find<QLabel>("deviceStatusLabel")->isVisible());
    QCOMPARE(resized.count(), 2);
    QVERIFY(t.server.receivedFrames().isEmpty());
}

// Logged in is "ready", not an open socket: a login whose counters never came is not one.
void TestPage::incompleteLoginSendsNothing()
{
    PageUnderTest t;
    t.server.setAutoAnswer(Protocol::Cmd::serverInfoReq, false);
    CMessageParser::connectClientToParser();
    CLoraAuthReq request;
    request.address = t.server.address();
    request.login = "operator";
    CServerClient::instance()->openWebSoket(request);
    QTRY_COMPARE(CServerClient::instance()->clientState(), EClientStates::authorizationSuccess);
    QVERIFY(t.find<QPushButton>("addButton")->isEnabled());
    t.page.scanDeviceInfo(scannedDevice(devA));
    QCOMPARE(t.text("deviceStatusLabel"), noConnection);
    t.find<QLabel>("deviceStatusLabel")->clear();
    QTest::mouseClick(t.find<QPushButton>("addButton"), Qt::LeftButton);
    QCOMPARE(t.text("deviceStatusLabel"), noConnection);

    // Once the counters come the login is complete: nothing of the above went out.
    t.server.setAutoAnswer(Protocol::Cmd::serverInfoReq, true);
    t.server.sendToClient(R"({"cmd":"server_info_resp","status":true,"device_count":{}})");
    QTRY_COMPARE(CServerClient::instance()->clientState(), EClientStates::ready);
    QVERIFY(t.settle());
    QCOMPARE(t.server.receivedCommands(), QStringList({"auth_req", "server_info_req", "server_info_req"}));
}

void TestPage::nameDateAndCoordinates()
{
    PageUnderTest t;
    t.find<QLineEdit>("nameTemplateEdit")->setText("%deveui_%date");
    auto* expert = t.page.findChild<CExpertSettingsField*>("expertSettings");
    setGroupInUse(expert);
    setGroupInUse(expert->locationField());
    t.find<QLineEdit>("latitudeEdit")->setText("95.5");
    t.find<QLineEdit>("longitudeEdit")->setText("120");
    t.find<QLineEdit>("altitudeEdit")->setText("150");
    QVERIFY(t.login());
    t.page.scanDeviceInfo(scannedDevice(devA));
    QTest::mouseClick(t.find<QPushButton>("addButton"), Qt::LeftButton);
    QVERIFY(t.settle());
    const QJsonObject sent = t.registered().value(0);
    QCOMPARE(sent.value("devName").toString(), devA + "_" + QDate::currentDate().toString("dd.MM.yyyy"));
    // Latitude is limited to 90, longitude to 180: 120 is a longitude of its own.
    QCOMPARE(sent.value("position").toObject(),
             QJsonObject({{"latitude", 90.0}, {"longitude", 120.0}, {"altitude", 150}}));
}

void TestPage::listIsCompletedAndCounted()
{
    PageUnderTest t;
    t.find<QLineEdit>("nameTemplateEdit")->setText("dev%n");
    t.store.hold(devC);
    QVERIFY(t.login());
    LoRaDevice withoutKey = scannedDevice(devB);
    withoutKey.appKey.clear();
    t.page.regDevicesList({scannedDevice(devA), withoutKey, scannedDevice(devC)});
    QVERIFY(t.settle());
    QCOMPARE(t.sent(Protocol::Cmd::manageDevicesReq).size(), 1);
    const QList<QJsonObject> devices = t.registered();
    QCOMPARE(devices.size(), 3);
    QCOMPARE(devices.at(0).value("devName").toString(), QStringLiteral("dev1"));
    QVERIFY(!devices.at(1).contains("devName") || devices.at(1).value("devName").toString().isEmpty());
    QCOMPARE(devices.at(2).value("devName").toString(), QStringLiteral("dev2"));
    // A was added; B was refused for its key, C was on the server before: only A is this run's.
    QTRY_COMPARE(ScannedDevices::instance()->keys(), QStringList{devA});
    QVERIFY(t.sent(Protocol::Cmd::getDevicesReq).isEmpty());
}

// Requests of at most bulkChunkSize devices, the next once the one before is answered; names
// count on over the requests; each request's application data follows it; the counters and the
// shown device table are refreshed once, after the last answer.
void TestPage::listGoesOutInBoundedRequests()
{
    CSettings::writeValue(CSettings::bulkChunkSize, 2);
    const auto restore = qScopeGuard([] { CSettings::writeValue(CSettings::bulkChunkSize, QVariant()); });
    PageUnderTest t;
    t.find<QLineEdit>("nameTemplateEdit")->setText("dev%n");
    setGroupInUse(t.page.findChild<CPulseSettingsField*>());
    QVERIFY(t.login());
    t.find<QTabWidget>("pageTabs")->setCurrentIndex(1);
    QVERIFY(t.settle());
    // Frames before the run are left out below (clearing them would break settle()).
    const int framesBefore = t.server.receivedFrames().size();
    const int countersBefore = t.counters.count();

    LoRaDevice withoutKey = scannedDevice("70B3D5E75E000003");
    withoutKey.appKey.clear();
    QSignalSpy ended(t.page.listRegistration(), &BulkRegistration::finished);
    t.page.regDevicesList({scannedDevice("70B3D5E75E000001"), scannedDevice("70B3D5E75E000002"), withoutKey,
                           scannedDevice("70B3D5E75E000004"), scannedDevice("70B3D5E75E000005")});
    QVERIFY(ended.wait());
    QCOMPARE(ended.first(), QVariantList({0, 0}));
    QTRY_VERIFY(t.server.receivedCommands().mid(framesBefore).contains(Protocol::Cmd::serverInfoReq));

    QStringList exchange;
    for (const QJsonObject& request : t.server.receivedObjects().mid(framesBefore)) {
        const QString cmd = request.value(Protocol::Key::cmd).toString();
        QStringList devEuis;
        const QString listKey = cmd == Protocol::Cmd::manageDeviceAppdataReq ? Protocol::Key::dataList
                                                                             : Protocol::Key::devicesList;
        for (const QJsonValue& device : request.value(listKey).toArray())
            devEuis << device.toObject().value(Protocol::Key::devEui).toString().right(1) + ':' +
                           device.toObject().value(Protocol::Key::devName).toString();
        exchange << cmd + ' ' + devEuis.join(',');
    }
    // The table's refreshes are checked below.
    exchange = exchange.filter(QRegularExpression(QStringLiteral("^(?!get_devices_req)")));
    QCOMPARE(exchange, QStringList({"manage_devices_req 1:dev1,2:dev2",
                                    "manage_device_appdata_req 1:,2:", "manage_devices_req 3:,4:dev3",
                                    "manage_device_appdata_req 3:,4:", "manage_devices_req 5:dev4",
                                    "manage_device_appdata_req 5:", "server_info_req "}));
    // The table tab is open: the whole list is asked for once, after the run's counters.
    // (A refresh asked for when the tab was opened may still be on its way: wait for the one
    // after the run.)
    const auto refreshAfterRun = [&] {
        const QStringList commands = t.server.receivedCommands().mid(framesBefore);
        return commands.indexOf(Protocol::Cmd::getDevicesReq,
                                commands.indexOf(Protocol::Cmd::manageDevicesReq));
    };
    QTRY_VERIFY(refreshAfterRun() >= 0);
    const QStringList commands = t.server.receivedCommands().mid(framesBefore);
    QCOMPARE(refreshAfterRun(), commands.indexOf(Protocol::Cmd::serverInfoReq) + 1);
    t.find<QTabWidget>("pageTabs")->setCurrentIndex(0);
    QVERIFY(t.settle());
    QVERIFY(t.counters.count() >= countersBefore + 2);
}

void TestPage::statusTexts_data()
{
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QStringList>("added");
    QTest::newRow("added") << "added" << addedText << QStringList{devA};
    QTest::newRow("refused")
        << "reginfoAlreadyExist"
        << "Registration information for corresponding device is already existed on server" << QStringList();
    QTest::newRow("updated") << "updated"
                             << "Some parameters are updated for corresponding device" << QStringList();
    QTest::newRow("a word without a text") << "invalidDataRate"
                                           << "invalidDataRate" << QStringList();
}

void TestPage::statusTexts()
{
    QFETCH(QString, status);
    PageUnderTest t;
    QVERIFY(t.login());
    t.page.scanDeviceInfo(scannedDevice(devA));
    // An earlier answer must not stay on the page.
    t.page.changePossibleStates("nothingToUpdate");
    t.store.nextStatus = status;
    QTest::mouseClick(t.find<QPushButton>("addButton"), Qt::LeftButton);
    QVERIFY(t.settle());
    QTEST(t.text("errorLabel"), "shown");
    QTEST(ScannedDevices::instance()->keys(), "added");
}

// What the server holds reaches the server view only for the device on the page; the device
// table and the server view never take each other's answers.
void TestPage::serverViewShowsTheScannedDeviceOnly()
{
    PageUnderTest t;
    t.store.hold(devB, {{"devName", "b"}});
    t.store.hold(devC, {{"devName", "c"}, {"ABP", QJsonObject{{"devAddress", 0xABCDEF}}}});
    QVERIFY(t.login());
    t.page.scanDeviceInfo(scannedDevice(devA));
    QTRY_COMPARE(t.text("serverDevEui"), notRegistered);

    // The table's answer lists B and C; the page still registers A.
    auto* tabs = t.find<QTabWidget>("pageTabs");
    tabs->setCurrentIndex(1);
    auto* table = t.find<QTableView>("deviceTable");
    QTRY_COMPARE(table->model()->rowCount(), 2);
    tabs->setCurrentIndex(0);
    QVERIFY(t.settle());
    QCOMPARE(t.page.currentDevice().devEui, devA);
    QTest::mouseClick(t.find<QPushButton>("addButton"), Qt::LeftButton);
    QTRY_COMPARE(t.text("deviceStatusLabel"), QStringLiteral("Зарегистрировано"));
    QCOMPARE(t.registered().value(0).value("devEui").toString(), devA);
    QCOMPARE(t.text("serverDevEui"), devA);
    QCOMPARE(t.text("errorLabel"), addedText);
    // The answer about A alone left the table as it was.
    QCOMPARE(table->model()->rowCount(), 2);

    // A scan in lower case finds the record the server keeps in upper case.
    t.page.scanDeviceInfo(scannedDevice(devC.toLower()));
    QTRY_COMPARE(t.text("serverDevName"), QStringLiteral("c"));
    QCOMPARE(t.text("serverDevAddr"), QStringLiteral("00ABCDEF"));
    QCOMPARE(t.text("deviceStatusLabel"), QStringLiteral("Зарегистрировано"));
}

void TestPage::refusedDeviceShowsWhatServerHolds()
{
    PageUnderTest t;
    QVERIFY(t.login());
    t.page.scanDeviceInfo(scannedDevice(devB));
    QTRY_COMPARE(t.text("serverDevEui"), notRegistered);
    // Registered meanwhile by somebody else, under another name.
    t.store.hold(devB, {{"devName", "theirs"}});
    QTest::mouseClick(t.find<QPushButton>("addButton"), Qt::LeftButton);
    QTRY_COMPARE(t.text("serverDevName"), QStringLiteral("theirs"));
    QCOMPARE(t.sent(Protocol::Cmd::getDevicesReq).last().value("select").toObject().value("devEui_list"),
             QJsonValue(QJsonArray{devB}));
    QVERIFY(ScannedDevices::instance()->keys().isEmpty());
}

// A list large enough to be read off the GUI thread fills the table as a small one does.
void TestPage::largeListFillsTheTable()
{
    PageUnderTest t;
    constexpr int devices = 3000;
    for (int i = 0; i < devices; ++i)
        t.store.hold(QStringLiteral("70B3D5E75E%1").arg(i, 6, 16, QLatin1Char('0')).toUpper(),
                     {{"devName", QStringLiteral("Счётчик воды, подъезд %1").arg(i)},
                      {"class", "CLASS_A"},
                      {"rxWindow", 2}});
    QVERIFY(t.login());
    QSignalSpy rows(CMessageParser::instance(), &CMessageParser::deviceRowsList);
    auto* table = t.find<QTableView>("deviceTable");
    QAbstractItemModelTester tester(table->model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    t.find<QTabWidget>("pageTabs")->setCurrentIndex(1);
    QTRY_COMPARE(table->model()->rowCount(), devices);
    QCOMPARE(rows.count(), 1); // the list came as rows, not as a document
    const QAbstractItemModel* model = table->model();
    QCOMPARE(model->index(1234, DeviceListModel::nameColumn).data().toString(),
             QStringLiteral("Счётчик воды, подъезд 1234"));
    QCOMPARE(model->index(1234, DeviceListModel::devEuiColumn).data().toString(),
             QStringLiteral("70B3D5E75E0004D2"));
    QCOMPARE(model->index(1234, DeviceListModel::actionColumn).data(Qt::UserRole).toString(),
             QStringLiteral("70B3D5E75E0004D2"));
}

void TestPage::tableAndDeletion()
{
    PageUnderTest t;
    QVERIFY(t.login());
    t.page.scanDeviceInfo(scannedDevice(devA));
    QTest::mouseClick(t.find<QPushButton>("addButton"), Qt::LeftButton);
    QTRY_COMPARE(ScannedDevices::instance()->keys(), QStringList{devA});

    t.find<QTabWidget>("pageTabs")->setCurrentIndex(1);
    auto* table = t.find<QTableView>("deviceTable");
    QTRY_COMPARE(table->model()->rowCount(), 1);
    QCOMPARE(t.sent(Protocol::Cmd::getDevicesReq).last(), QJsonObject({{"cmd", "get_devices_req"}}));
    const QPoint action = table->visualRect(table->model()->index(0, DeviceListModel::actionColumn)).center();

    // No sends nothing.
    const QString question = answerMessageBox(
        QMessageBox::No, [&] { QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, action); });
    QCOMPARE(question,
             QStringLiteral("Вы действительно хотите удалить устройство DevEUI:%1 с сервера?").arg(devA));
    QVERIFY(t.settle());
    QVERIFY(t.sent(Protocol::Cmd::deleteDevicesReq).isEmpty());

    // Yes deletes; the counters and then the whole list are asked for again, and the list,
    // empty now, empties the table.
    const int framesBefore = t.server.receivedFrames().size();
    answerMessageBox(QMessageBox::Yes,
                     [&] { QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, action); });
    QTRY_COMPARE(table->model()->rowCount(), 0);
    const QStringList commands = t.server.receivedCommands().mid(framesBefore);
    const int deletion = commands.indexOf("delete_devices_req");
    QVERIFY(deletion >= 0);
    QCOMPARE(commands.mid(deletion, 3),
             QStringList({"delete_devices_req", "server_info_req", "get_devices_req"}));
    QCOMPARE(t.sent(Protocol::Cmd::deleteDevicesReq).last(),
             QJsonObject({{"cmd", "delete_devices_req"}, {"devices_list", QJsonArray{devA}}}));
    // Deleted from the server, it is no longer one of this run's devices.
    QVERIFY(ScannedDevices::instance()->keys().isEmpty());
    QVERIFY(t.find<QLabel>("deleteStatusLabel")->isHidden());
}

void TestPage::failedDeletionIsShown()
{
    PageUnderTest t;
    QVERIFY(t.login());
    ScannedDevices::instance()->add(devB);
    answerMessageBox(QMessageBox::Yes, [&] { t.page.deleteDevice(devB); });
    QTRY_VERIFY(!t.find<QLabel>("deleteStatusLabel")->isHidden());
    QCOMPARE(t.text("deleteStatusLabel"), QStringLiteral("Не удалено: %1: notFound").arg(devB));
    QCOMPARE(ScannedDevices::instance()->keys(), QStringList{devB});
}

void TestPage::requestsFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("requests.txt");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("deveui=70B3D5E75E000001, data=0A1B, port=2\n"
               " DevEUI = 70B3D5E75E000002 ,DATA=ff00,Port=223\r\n"
               "\n"
               "deveui=70B3D5E75E000003, data=0A1, port=2\n"
               "deveui=70B3D5E75E000004, data=0A1B\n"
               "deveui=70B3D5E75E000005, data=zz, port=2\n"
               "deveui=70B3D5E75E000006, data=01, port=224\n"
               "data=01, port=3\n");
    file.close();

    PageUnderTest t;
    // Not logged in: nothing is asked, nothing is sent, the operator is told.
    t.page.open();
    QCOMPARE(t.text("requestsStatusLabel"),
             QStringLiteral("Нет подключения к серверу: запросы из файла не отправлены."));

    QVERIFY(t.login());
    chooseFile(path, [&] { QTest::mouseClick(t.find<QPushButton>("openRequestsButton"), Qt::LeftButton); });
    QTRY_COMPARE(t.text("requestsStatusLabel"), QStringLiteral("Отправлено запросов: 2, пропущено строк: 5"));
    // The last line's count is shown one step before the sender finds the end of the file.
    QTRY_VERIFY(t.find<QPushButton>("stopButton")->isHidden());
    QVERIFY(t.settle());
    const QStringList sent = t.server.receivedFrames().filter("send_data_req");
    QCOMPARE(
        sent,
        QStringList(
            {R"({"cmd":"send_data_req","data_list":[{"data":"0A1B","devEui":"70B3D5E75E000001","port":"2"}]})",
             R"({"cmd":"send_data_req","data_list":[{"data":"ff00","devEui":"70B3D5E75E000002","port":"223"}]})"}));
    QCOMPARE(CSettings::readValue(CSettings::requestsFileName).toString(), path);
}

void TestPage::requestsFileStops()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("many.txt");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    for (int i = 0; i < 1000; ++i)
        file.write("deveui=70B3D5E75E000001,data=01,port=1\n");
    file.close();

    PageUnderTest t;
    QVERIFY(t.login());
    auto* sender = t.page.findChild<RequestsFileSender*>();
    auto* stop = t.find<QPushButton>("stopButton");
    connect(sender, &RequestsFileSender::progress, stop, [stop](int sent) {
        if (sent == 3)
            QTest::mouseClick(stop, Qt::LeftButton);
    });
    chooseFile(path, [&] { t.page.open(); });
    QTRY_VERIFY(!sender->isRunning());
    QVERIFY(t.settle());
    QCOMPARE(t.server.receivedFrames().filter("send_data_req").size(), 3);
    QVERIFY(stop->isHidden());
    QCOMPARE(t.text("requestsStatusLabel"),
             QStringLiteral("Отправлено запросов: 3, пропущено строк: 0 Остановлено."));
}

RAVLO_REGISTER_TEST(TestPage)
#include "tst_page.moc"
