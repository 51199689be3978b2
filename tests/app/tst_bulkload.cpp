#include "WindowTestSupport.h"
#include "app/CLeftPanel.h"
#include "app/CMainWindow.h"
#include "common/LoopbackServer.h"
#include "common/TestRegistry.h"
#include "foundation/CSettings.h"
#include "intake/ReadDevicesListModel.h"
#include "intake/ScannedDevices.h"
#include "intake/widgets/DevicesFileLoader.h"
#include "server/CServerClient.h"
#include "tools/SimTestSupport.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString appEui = QStringLiteral("0102030405060708");
const QString appKey = QStringLiteral("2B7E151628AED2A6ABF7158809CF4F3C");

QString devEuiOf(int n)
{
    return QStringLiteral("70B3D5E75E%1").arg(n, 6, 16, QLatin1Char('0')).toUpper();
}

QString deviceLine(const QString& devEui, const QString& extra = QString())
{
    return QStringLiteral("DevEUI=%1 AppEUI=%2 AppKey=%3").arg(devEui, appEui, appKey) + extra;
}

// A file of `count` devices, numbered from `first`.
QString numberedDevices(int count, int first = 1)
{
    QString text;
    for (int n = first; n < first + count; ++n)
        text += deviceLine(devEuiOf(n)) + QLatin1Char('\n');
    return text;
}

QString writeFile(const QTemporaryDir& dir, const QString& name, const QString& text)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0)
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

// Answers every message box that comes up while it lives, with Ok, and keeps their texts.
class MessageBoxAnswerer
{
public:
    MessageBoxAnswerer()
    {
        QObject::connect(&m_poll, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || !box->isVisible())
                return;
            texts.append(box->text());
            box->button(QMessageBox::Ok) ? box->button(QMessageBox::Ok)->click() : box->accept();
        });
        m_poll.start(10);
    }
    QStringList texts;

private:
    QTimer m_poll;
};

int simCount(const SimProcess& sim, const QString& direction, const QString& cmd)
{
    return sim.lines.filter(QRegularExpression(QStringLiteral("^%1 .* cmd=%2 ").arg(direction, cmd))).size();
}

QStringList statusColumn(const ReadDevicesListModel& model)
{
    QStringList statuses;
    for (int row = 0; row < model.rowCount(); ++row)
        statuses << model.status(row);
    return statuses;
}

// The main window against the simulator, logged in, and a bulk-load dialog wired to it as the
// left panel's button wires its own.
struct BulkLoadUnderTest
{
    explicit BulkLoadUnderTest(const QStringList& simOptions = {}, bool login = true)
    {
        ScannedDevices::instance()->clear();
        if (!sim.start(simOptions))
            qFatal("the simulator did not start");
        window.show();
        if (login)
            logIn(window, sim);
        leftPanel = window.findChild<CLeftPanel*>();
        loader = new DevicesFileLoader(leftPanel);
        leftPanel->connectDevicesFileLoader(loader);
    }
    ~BulkLoadUnderTest()
    {
        delete loader;
        CServerClient::instance()->close();
        if (!QTest::qWaitFor(
                [] { return CServerClient::instance()->state() == QAbstractSocket::UnconnectedState; },
                10000))
            qWarning("the client did not close");
    }
    QPushButton* ok() const
    {
        return find<QDialogButtonBox>(*loader, "devicesFileButtons")->button(QDialogButtonBox::Ok);
    }
    QPushButton* cancel() const
    {
        return find<QDialogButtonBox>(*loader, "devicesFileButtons")->button(QDialogButtonBox::Cancel);
    }
    QString question() const { return find<QLabel>(*loader, "devicesFileQuestion")->text(); }
    bool load(const QString& text)
    {
        const bool read = loader->loadDevicesFile(writeFile(dir, QStringLiteral("devices.csv"), text));
        loader->show();
        return read;
    }
    // Ok, then the end of the run.
    bool run()
    {
        QTest::mouseClick(ok(), Qt::LeftButton);
        return QTest::qWaitFor([this] { return loader->state() == DevicesFileLoader::State::ended; }, 20000);
    }
    int requests() const { return simCount(sim, QStringLiteral("in"), Protocol::Cmd::manageDevicesReq); }

    QTemporaryDir dir;
    SimProcess sim;
    MessageBoxAnswerer boxes;
    CMainWindow window;
    CLeftPanel* leftPanel = nullptr;
    DevicesFileLoader* loader = nullptr;
};

void setChunkSize(int size)
{
    CSettings::writeValue(CSettings::bulkChunkSize, size);
}

} // namespace

// The bulk load from a device file on the real dialog and the real main window, against the
// built simulator.
class TestBulkLoad : public QObject
{
    Q_OBJECT
private slots:
    void buttonRemembersTheFile();
    void filesWithoutDevicesAreRefused();
    void everyAcceptedRowGetsItsStatus();
    void oneDeviceFileGetsItsResult();
    void bigFileGoesOutInBoundedRequests();
    void cancelAfterTheFirstAnswerSendsNoMore();
    void lostConnectionStopsTheRun();
    void offlineDialogSaysSo();
    void retrySendsOnlyTheFailedRows();
    void answersLeavingRowsOutAreTold();
};

void TestBulkLoad::buttonRemembersTheFile()
{
    QTemporaryDir dir;
    const QString path = writeFile(dir, QStringLiteral("delivery.csv"), numberedDevices(3));
    CMainWindow window;
    window.show();
    auto* button = find<QPushButton>(window, "readDevicesFileButton");
    // The button stands right above "Отправить данные".
    QVERIFY(button->y() < find<QPushButton>(window, "sendDataButton")->y());

    int rowsShown = -1;
    QString startDirectory;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            box->accept(); // the file dialog's own warning while it reads its directory
        } else if (auto* fileDialog = qobject_cast<QFileDialog*>(modal)) {
            if (startDirectory.isEmpty())
                startDirectory = fileDialog->directory().absolutePath();
            if (rowsShown < 0) {
                fileDialog->selectFile(path);
                QMetaObject::invokeMethod(fileDialog, "accept", Qt::QueuedConnection);
            } else {
                QMetaObject::invokeMethod(fileDialog, "reject", Qt::QueuedConnection);
            }
        } else if (auto* loader = qobject_cast<DevicesFileLoader*>(modal)) {
            rowsShown = loader->model()->rowCount();
            loader->reject();
        }
    });
    poll.start(10);
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(rowsShown, 3);
    QCOMPARE(CSettings::readValue(CSettings::devicesFileName).toString(), path);
    QVERIFY(!window.findChild<DevicesFileLoader*>()); // gone with the click

    // The next click starts where the last file was chosen; cancelling it shows nothing.
    startDirectory.clear();
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(startDirectory, QFileInfo(path).absolutePath());
    QVERIFY(!window.findChild<DevicesFileLoader*>());
}

void TestBulkLoad::filesWithoutDevicesAreRefused()
{
    QTemporaryDir dir;
    DevicesFileLoader loader;
    MessageBoxAnswerer boxes;
    QVERIFY(!loader.loadDevicesFile(dir.filePath(QStringLiteral("missing.csv"))));
    QVERIFY(!loader.loadDevicesFile(writeFile(
        dir, QStringLiteral("header.csv"), QStringLiteral("DevEUI AppEUI AppKey\nDevEUI=01 AppEUI=02\n"))));
    QCOMPARE(boxes.texts, QStringList({"Не удалось открыть файл!",
                                       "В выбранном файле не обнаружено корректно заданных устройств!"}));
    QCOMPARE(loader.model()->rowCount(), 0);
}

// A header line, a DevEUI twice, a device the server refuses and a line without its AppKey.
void TestBulkLoad::everyAcceptedRowGetsItsStatus()
{
    BulkLoadUnderTest t;
    const QString refusedKey = QStringLiteral("0011");
    const QString text =
        QStringLiteral("DevEUI AppEUI AppKey SerNum\n") +
        deviceLine(devEuiOf(1), QStringLiteral(" SerNum=first,\"one\"")) + '\n' + deviceLine(devEuiOf(2)) +
        '\n' + deviceLine(devEuiOf(1)) + '\n' +
        QStringLiteral("DevEUI=%1 AppEUI=%2 AppKey=%3\n").arg(devEuiOf(3), appEui, refusedKey) +
        QStringLiteral("DevEUI=%1 AppEUI=%2 SerNum=7\n").arg(devEuiOf(4), appEui) + deviceLine(devEuiOf(5)) +
        '\n';
    QVERIFY(t.load(text));
    QCOMPARE(t.loader->droppedLines(), QVector<int>({1, 6}));
    auto* dropped = find<QLabel>(*t.loader, "droppedLinesLabel");
    QVERIFY(dropped->isVisible());
    QVERIFY2(dropped->text().contains(QStringLiteral("(пропущено: 2): 1, 6")), qPrintable(dropped->text()));
    QCOMPARE(t.loader->model()->rowCount(), 5);
    QVERIFY(t.ok()->isEnabled());

    QVERIFY(t.run());
    QCOMPARE(statusColumn(*t.loader->model()),
             QStringList({"added", "added", "nothingToUpdate", "invalidAppKeyValue", "added"}));
    QTRY_COMPARE(t.boxes.texts, QStringList{"Добавлено устройств на сервер: 3"});
    QCOMPARE(t.question(),
             QStringLiteral("Устройства отправлены на сервер! Результат можно увидеть в таблице"));
    QCOMPARE(find<QProgressBar>(*t.loader, "devicesFileProgress")->value(), 5);
    QCOMPARE(t.requests(), 1);
    QVERIFY(!t.ok()->isEnabled());
    QVERIFY(t.loader->isVisible());
    // Only what the server added is this run's.
    QCOMPARE(ScannedDevices::instance()->keys(), QStringList({devEuiOf(1), devEuiOf(2), devEuiOf(5)}));
    // The counters are asked for once after the login and once after the run.
    QTRY_COMPARE(simCount(t.sim, "in", Protocol::Cmd::serverInfoReq), 2);
    QVERIFY(find<QPushButton>(*t.loader, "retryFailedButton")->isEnabled());

    // The result as a CSV file, read back by another program.
    const QString csvPath = t.dir.filePath(QStringLiteral("result.csv"));
    QVERIFY(t.loader->saveResults(csvPath));
    QProcess python;
    python.start(QStringLiteral("python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import csv, json, sys\n"
                                 "with open(sys.argv[1], newline='', encoding='utf-8') as f:\n"
                                 "    print(json.dumps(list(csv.reader(f))))\n"),
                  csvPath});
    QVERIFY(python.waitForFinished(20000));
    QCOMPARE(python.exitCode(), 0);
    const QJsonArray records = QJsonDocument::fromJson(python.readAllStandardOutput()).array();
    QCOMPARE(records.size(), 6);
    QCOMPARE(records.at(0).toArray(), QJsonArray({"DevEUI", "AppEUI", "serial number", "status"}));
    QCOMPARE(records.at(1).toArray(), QJsonArray({devEuiOf(1), appEui, "first,\"one\"", "added"}));
    QCOMPARE(records.at(4).toArray(), QJsonArray({devEuiOf(3), appEui, "", "invalidAppKeyValue"}));

    // Cancel closes the dialog once the run is over.
    QTest::mouseClick(t.cancel(), Qt::LeftButton);
    QVERIFY(!t.loader->isVisible());
}

void TestBulkLoad::oneDeviceFileGetsItsResult()
{
    BulkLoadUnderTest t;
    QVERIFY(t.load(deviceLine(devEuiOf(9))));
    QVERIFY(t.run());
    QCOMPARE(statusColumn(*t.loader->model()), QStringList{"added"});
    QTRY_COMPARE(t.boxes.texts, QStringList{"Добавлено устройств на сервер: 1"});
    // A list's answer: no question about the single device, the page's device stays as it was.
    QTRY_COMPARE(simCount(t.sim, "in", Protocol::Cmd::serverInfoReq), 2);
    QCOMPARE(simCount(t.sim, "in", Protocol::Cmd::getDevicesReq), 0);
    QCOMPARE(find<QLabel>(t.window, "errorLabel")->isVisible(), false);
    QCOMPARE(ScannedDevices::instance()->keys(), QStringList{devEuiOf(9)});
}

void TestBulkLoad::bigFileGoesOutInBoundedRequests()
{
    BulkLoadUnderTest t;
    QVERIFY(t.load(numberedDevices(2500)));
    QVERIFY(t.run());
    QCOMPARE(t.requests(), 3);
    QCOMPARE(t.loader->model()->rowsWithoutStatus(), 0);
    QCOMPARE(statusColumn(*t.loader->model()).count(QStringLiteral("added")), 2500);
    QTRY_COMPARE(t.boxes.texts, QStringList{"Добавлено устройств на сервер: 2500"});
    QCOMPARE(find<QProgressBar>(*t.loader, "devicesFileProgress")->value(), 2500);
    QTRY_COMPARE(simCount(t.sim, "in", Protocol::Cmd::serverInfoReq), 2);
    QCOMPARE(ScannedDevices::instance()->keys().size(), 2500);
    // The requests went out one after the other: each only once the one before was answered.
    const QStringList exchange =
        t.sim.lines.filter(QRegularExpression(QStringLiteral(" cmd=manage_devices_(req|resp) ")));
    QCOMPARE(exchange.size(), 6);
    for (int i = 0; i < exchange.size(); ++i)
        QVERIFY2(exchange.at(i).startsWith(i % 2 == 0 ? "in " : "out "), qPrintable(exchange.join('\n')));
}

void TestBulkLoad::cancelAfterTheFirstAnswerSendsNoMore()
{
    setChunkSize(100);
    const auto restore = qScopeGuard([] { setChunkSize(CSettings::defaultBulkChunkSize); });
    BulkLoadUnderTest t;
    QVERIFY(t.load(numberedDevices(500)));
    bool cancelled = false;
    QObject::connect(t.loader->model(), &QAbstractItemModel::dataChanged, t.loader, [&] {
        if (!cancelled) {
            cancelled = true;
            QTest::mouseClick(t.cancel(), Qt::LeftButton);
        }
    });
    QVERIFY(t.run());
    QVERIFY(t.loader->isVisible());
    QCOMPARE(t.requests(), 1);
    QCOMPARE(t.loader->model()->rowsWithoutStatus(), 400);
    QCOMPARE(statusColumn(*t.loader->model()).mid(0, 100).count(QStringLiteral("added")), 100);
    QCOMPARE(t.question(), QStringLiteral("Отправка остановлена. Не отправлено строк: 400."));
    QTRY_COMPARE(t.boxes.texts, QStringList{"Добавлено устройств на сервер: 100"});
    // Nothing more goes out later either.
    QTRY_COMPARE(simCount(t.sim, "in", Protocol::Cmd::serverInfoReq), 2);
    QCOMPARE(t.requests(), 1);
}

void TestBulkLoad::lostConnectionStopsTheRun()
{
    setChunkSize(100);
    const auto restore = qScopeGuard([] { setChunkSize(CSettings::defaultBulkChunkSize); });
    BulkLoadUnderTest t;
    QVERIFY(t.load(numberedDevices(500)));
    bool dropped = false;
    QObject::connect(t.loader->model(), &QAbstractItemModel::dataChanged, t.loader, [&] {
        if (!dropped) {
            dropped = true;
            CServerClient::instance()->abort();
        }
    });
    QVERIFY(t.run());
    QVERIFY(t.loader->isVisible());
    QCOMPARE(t.requests(), 1);
    QCOMPARE(t.loader->model()->rowsWithoutStatus(), 400);
    QCOMPARE(t.question(), QStringLiteral("Связь с сервером прервана. Не отправлено строк: 400."));
    QTRY_COMPARE(t.boxes.texts.filter(QStringLiteral("Добавлено устройств")),
                 QStringList{"Добавлено устройств на сервер: 100"});
}

void TestBulkLoad::offlineDialogSaysSo()
{
    BulkLoadUnderTest t({}, false);
    QVERIFY(t.load(numberedDevices(2)));
    QVERIFY(!t.ok()->isEnabled());
    QCOMPARE(t.question(),
             QStringLiteral("Нет подключения к серверу: войдите на сервер, чтобы отправить список."));
    // Once logged in, the list can go.
    logIn(t.window, t.sim);
    QTRY_VERIFY(t.ok()->isEnabled());
    QCOMPARE(t.question(), QStringLiteral("Вы уверены что хотите добавить этот список устройств на сервер?"));
    QVERIFY(t.run());
    QCOMPARE(statusColumn(*t.loader->model()), QStringList({"added", "added"}));
}

void TestBulkLoad::retrySendsOnlyTheFailedRows()
{
    BulkLoadUnderTest t({QStringLiteral("--max-devices"), QStringLiteral("3")});
    QVERIFY(t.load(numberedDevices(5)));
    QVERIFY(t.run());
    QCOMPARE(statusColumn(*t.loader->model()),
             QStringList({"added", "added", "added", "maxDevCountReached", "maxDevCountReached"}));
    auto* retry = find<QPushButton>(*t.loader, "retryFailedButton");
    QVERIFY(retry->isEnabled());

    // Room for two more on the server.
    SimClient other;
    QVERIFY(other.open(t.sim.url) && !other.login().isEmpty());
    const QJsonObject deleted =
        other.request(QStringLiteral(R"({"cmd":"delete_devices_req","devices_list":["%1","%2"]})")
                          .arg(devEuiOf(1), devEuiOf(2)));
    QCOMPARE(statuses(deleted, Protocol::Key::deviceDeleteStatus), QStringLiteral("deleted deleted"));

    QTest::mouseClick(retry, Qt::LeftButton);
    QVERIFY(QTest::qWaitFor([&] { return t.loader->state() == DevicesFileLoader::State::ended; }, 20000));
    QCOMPARE(statusColumn(*t.loader->model()), QStringList({"added", "added", "added", "added", "added"}));
    QCOMPARE(t.requests(), 2);
    // The second request held the two failed rows alone: the server added two and saw nothing else.
    const QStringList answers =
        t.sim.lines.filter(QRegularExpression(QStringLiteral("^out .* cmd=manage_devices_resp ")));
    QCOMPARE(answers.size(), 2);
    QVERIFY2(answers.last().endsWith(QStringLiteral(" added=2")), qPrintable(answers.last()));
    QTRY_COMPARE(t.boxes.texts,
                 QStringList({"Добавлено устройств на сервер: 3", "Добавлено устройств на сервер: 2"}));
    QVERIFY(!retry->isEnabled());
}

// A server that answers one request with an empty list and leaves a device out of another:
// the run goes on after the empty answer and ends saying how many rows got no result.
void TestBulkLoad::answersLeavingRowsOutAreTold()
{
    setChunkSize(2);
    const auto restore = qScopeGuard([] { setChunkSize(CSettings::defaultBulkChunkSize); });
    ScannedDevices::instance()->clear();
    LoopbackServer server;
    int answered = 0;
    QObject::connect(&server, &LoopbackServer::frameReceived, &server, [&](const QString& frame) {
        const QJsonObject request = QJsonDocument::fromJson(frame.toUtf8()).object();
        if (request.value(Protocol::Key::cmd).toString() != Protocol::Cmd::manageDevicesReq)
            return;
        QJsonArray statuses;
        if (answered++ == 1) {
            const QJsonArray devices = request.value(Protocol::Key::devicesList).toArray();
            statuses.append(QJsonObject{{Protocol::Key::devEui, devices.first()[Protocol::Key::devEui]},
                                        {Protocol::Key::status, Protocol::Status::added}});
        }
        server.sendToClient(QString::fromUtf8(
            QJsonDocument(QJsonObject{{Protocol::Key::cmd, Protocol::Cmd::manageDevicesResp},
                                      {Protocol::Key::deviceAddStatus, statuses}})
                .toJson(QJsonDocument::Compact)));
    });
    QTemporaryDir dir;
    MessageBoxAnswerer boxes;
    CMainWindow window;
    window.show();
    QVERIFY(loginToLoopbackServer(server));
    auto* leftPanel = window.findChild<CLeftPanel*>();
    DevicesFileLoader loader(leftPanel);
    leftPanel->connectDevicesFileLoader(&loader);
    QVERIFY(loader.loadDevicesFile(writeFile(dir, QStringLiteral("devices.csv"), numberedDevices(4))));
    loader.show();
    QTest::mouseClick(find<QDialogButtonBox>(loader, "devicesFileButtons")->button(QDialogButtonBox::Ok),
                      Qt::LeftButton);
    QTRY_COMPARE(loader.state(), DevicesFileLoader::State::ended);
    QCOMPARE(answered, 2);
    QCOMPARE(statusColumn(*loader.model()), QStringList({"", "", "added", ""}));
    QCOMPARE(find<QLabel>(loader, "devicesFileQuestion")->text(),
             QStringLiteral("Устройства отправлены на сервер! Результат можно увидеть в таблице Без ответа "
                            "сервера осталось строк: 3."));
    QVERIFY(find<QPushButton>(loader, "retryFailedButton")->isEnabled());
    QTRY_COMPARE(boxes.texts, QStringList{"Добавлено устройств на сервер: 1"});
    QVERIFY(endLoopbackSession(server));
}

RAVLO_REGISTER_TEST(TestBulkLoad)
#include "tst_bulkload.moc"
