#include "common/LoopbackServer.h"
#include "common/TestRegistry.h"
#include "downlink/DataSender.h"
#include "intake/DeviceListModel.h"
#include "intake/ScannedDevices.h"
#include "intake/widgets/DetailsButtonDelegate.h"
#include "server/Protocol.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QJsonArray>
#include <QJsonObject>
#include <QTableView>
#include <QtTest>

namespace {

QJsonDocument devicesResponse(const QJsonArray& devices)
{
    return QJsonDocument(QJsonObject{{Protocol::Key::devicesList, devices}});
}

QJsonObject device(const QString& devEui, const QString& name)
{
    return QJsonObject{{Protocol::Key::devEui, devEui}, {Protocol::Key::devName, name}};
}

// The server device table as the registration page sets it up, on screen, with three devices.
struct DeviceTable
{
    DeviceListModel model;
    QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::QtTest};
    QTableView view;
    DetailsButtonDelegate* delegate = new DetailsButtonDelegate(&view);

    DeviceTable()
    {
        model.setDevices(devicesResponse({device("E1", "M1"), device("E2", "M2"), device("E3", "M3")}));
        view.setModel(&model);
        view.setMouseTracking(true);
        view.setItemDelegateForColumn(DeviceListModel::actionColumn, delegate);
        view.resize(600, 300);
        view.show();
    }
    QStringList column(int column, int role = Qt::DisplayRole) const
    {
        QStringList values;
        for (int row = 0; row < model.rowCount(); ++row)
            values << model.index(row, column).data(role).toString();
        return values;
    }
    QPoint cell(int row, int column) const { return view.visualRect(model.index(row, column)).center(); }
    // As the window system moves the mouse: a hover event (the cell's "mouse over" state), a mouse move.
    void moveMouse(int row, int column)
    {
        QHoverEvent hover(QEvent::HoverMove, cell(row, column), cell(row, column));
        QMouseEvent move(QEvent::MouseMove, cell(row, column), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(view.viewport(), &hover);
        QApplication::sendEvent(view.viewport(), &move);
    }
};

} // namespace

// The record of devices added in this run, their deletion on the server, and the server device table.
class TestDevices : public QObject
{
    Q_OBJECT
private slots:
    void recordAndDeleteRequest();
    void rowsTakeOnlyTheirOwnValues();
    void deleteActionAndHandCursor();
};

void TestDevices::recordAndDeleteRequest()
{
    LoopbackServer server;
    QVERIFY(loginToLoopbackServer(server));
    ScannedDevices* record = ScannedDevices::instance();
    record->clear();
    QList<int> counts; // every change signals the number of entries, also when nothing changed
    const QObject receiver;
    connect(record, &ScannedDevices::devicesChanged, &receiver, [&counts](int count) { counts << count; });
    for (const char* devEui : {"E1", "E2", "E1", "E3"})
        record->add(devEui);
    record->remove("E3");
    record->remove("absent");
    record->remove("e2"); // exact match only
    QCOMPARE(record->keys(), (QStringList{"E1", "E2", "E1"}));
    DataSender::deleteDevices(record->keys()); // its first E1 removes both entries
    record->clear();
    DataSender::deleteDevices(record->keys());
    QCOMPARE(counts, (QList<int>{1, 2, 3, 4, 3, 3, 3, 1, 0, 0, 0}));
    QTRY_COMPARE(server.receivedFrames().filter(Protocol::Cmd::deleteDevicesReq),
                 (QStringList{R"({"cmd":"delete_devices_req","devices_list":["E1","E2","E1"]})",
                              R"({"cmd":"delete_devices_req","devices_list":[]})"}));
}

void TestDevices::rowsTakeOnlyTheirOwnValues()
{
    DeviceTable table;
    const QJsonObject noName{{Protocol::Key::devEui, "E5"}};
    const QJsonObject noDevEui{{Protocol::Key::devName, "Orphan"}};
    table.model.setDevices(devicesResponse({device("E4", "M4"), noName, noDevEui, device("E6", ""), 42}));
    const QString unnamed = QStringLiteral("Имя не установлено");
    QCOMPARE(table.column(0), (QStringList{"M4", unnamed, "Orphan", unnamed, unnamed}));
    QCOMPARE(table.column(1), (QStringList{"E4", "E5", "", "E6", ""}));
    for (int column : {0, 1, 2}) // every column carries the row's DevEUI for the delete action
        QCOMPARE(table.column(column, Qt::UserRole), table.column(1));
    // A response without devices leaves the rows as they are.
    for (const QJsonDocument& response : {devicesResponse({}), QJsonDocument(QJsonArray{device("X", "Y")}),
                                          QJsonDocument(QJsonObject{{Protocol::Key::devicesList, "none"}})})
        table.model.setDevices(response);
    QCOMPARE(table.column(1), (QStringList{"E4", "E5", "", "E6", ""}));
}

void TestDevices::deleteActionAndHandCursor()
{
    DeviceTable table;
    QVERIFY(QTest::qWaitForWindowExposed(&table.view));
    QWidget* viewport = table.view.viewport();
    table.moveMouse(1, 2);
    QCOMPARE(viewport->cursor().shape(), Qt::PointingHandCursor);
    // Painting the hovered cell alone, again and again, changes nothing for the rest of the program.
    for (int i = 0; i < 5; ++i)
        viewport->repaint(table.view.visualRect(table.model.index(1, 2)));
    QVERIFY(!QApplication::overrideCursor());

    QSignalSpy deletions(table.delegate, &DetailsButtonDelegate::deleteDevice);
    QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, table.cell(1, 2));
    QCOMPARE(deletions.count(), 0); // a press alone deletes nothing
    QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, table.cell(1, 2));
    QCOMPARE(deletions.count(), 1);
    QCOMPARE(deletions.first().first().toString(), QStringLiteral("E2"));

    // The other columns are neither the delete action nor show the hand.
    table.moveMouse(2, 0);
    QCOMPARE(viewport->cursor().shape(), Qt::ArrowCursor);
    QTest::mouseClick(viewport, Qt::LeftButton, Qt::NoModifier, table.cell(2, 0));
    QCOMPARE(deletions.count(), 1);
    table.moveMouse(2, 2);
    QCOMPARE(viewport->cursor().shape(), Qt::PointingHandCursor);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(viewport, &leave);
    QCOMPARE(viewport->cursor().shape(), Qt::ArrowCursor);
}

RAVLO_REGISTER_TEST(TestDevices)
#include "tst_devices.moc"
