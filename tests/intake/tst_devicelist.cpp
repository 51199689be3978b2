#include "common/TestRegistry.h"
#include "intake/DetailsButtonDelegate.h"
#include "intake/DeviceListModel.h"
#include "server/Protocol.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QHeaderView>
#include <QJsonArray>
#include <QJsonObject>
#include <QTableView>
#include <QTranslator>
#include <QtTest>

#include <memory>

namespace {

QJsonDocument devicesResponse(const QJsonArray& devices)
{
    return QJsonDocument(QJsonObject{{Protocol::Key::cmd, Protocol::Cmd::getDevicesResp},
                                     {Protocol::Key::status, true},
                                     {Protocol::Key::devicesList, devices}});
}

QJsonObject device(const QString& devEui, const QString& name)
{
    return QJsonObject{{Protocol::Key::devEui, devEui}, {Protocol::Key::devName, name}};
}

QStringList column(const QAbstractItemModel& model, int column, int role = Qt::DisplayRole)
{
    QStringList values;
    for (int row = 0; row < model.rowCount(); ++row)
        values << model.index(row, column).data(role).toString();
    return values;
}

// Moves the mouse as the window system would: a hover event (which the view turns into the
// cell's "mouse over" state) and a mouse move.
void sendMouseMove(QWidget* viewport, const QPoint& pos)
{
    QHoverEvent hover(QEvent::HoverMove, pos, pos);
    QApplication::sendEvent(viewport, &hover);
    QMouseEvent move(QEvent::MouseMove, pos, viewport->mapToGlobal(pos), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(viewport, &move);
}

} // namespace

class TestDeviceList : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void listsDevicesInServerOrder();
    void rowsTakeOnlyTheirOwnValues();
    void responseWithoutDevicesKeepsRows_data();
    void responseWithoutDevicesKeepsRows();
    void refusesEditing();
    void headersTranslate();

    void releaseInActionCellDeletesThatRow();
    void pressAloneDeletesNothing();
    void handCursorOnlyOverActionCells();

private:
    void showTable();

    std::unique_ptr<DeviceListModel> m_model;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
    std::unique_ptr<QTableView> m_view;
    DetailsButtonDelegate* m_delegate = nullptr;
};

void TestDeviceList::init()
{
    m_model = std::make_unique<DeviceListModel>();
    m_tester = std::make_unique<QAbstractItemModelTester>(
        m_model.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
}

void TestDeviceList::cleanup()
{
    m_view.reset();
    m_tester.reset();
    m_model.reset();
}

void TestDeviceList::listsDevicesInServerOrder()
{
    m_model->setDevices(
        devicesResponse({device(QStringLiteral("70B3D57ED0000002"), QStringLiteral("Meter 2")),
                         device(QStringLiteral("70B3D57ED0000001"), QStringLiteral("Meter 1"))}));
    QCOMPARE(m_model->rowCount(), 2);
    QCOMPARE(m_model->columnCount(), 3);
    QCOMPARE(column(*m_model, 0), (QStringList{QStringLiteral("Meter 2"), QStringLiteral("Meter 1")}));
    QCOMPARE(column(*m_model, 1),
             (QStringList{QStringLiteral("70B3D57ED0000002"), QStringLiteral("70B3D57ED0000001")}));
    QVERIFY(!m_model->index(0, 2).data().isValid());
    // Every column carries the row's DevEUI for the delete action.
    for (int col = 0; col < 3; ++col)
        QCOMPARE(m_model->index(1, col).data(Qt::UserRole).toString(), QStringLiteral("70B3D57ED0000001"));
    QVERIFY(!m_model->index(0, 0).data(Qt::ToolTipRole).isValid());
    QCOMPARE(m_model->headerData(0, Qt::Vertical).toInt(), 1);
    QCOMPARE(m_model->headerData(1, Qt::Vertical).toInt(), 2);
}

void TestDeviceList::rowsTakeOnlyTheirOwnValues()
{
    QJsonObject noName{{Protocol::Key::devEui, QStringLiteral("70B3D57ED0000003")}};
    QJsonObject noDevEui{{Protocol::Key::devName, QStringLiteral("Orphan")}};
    m_model->setDevices(
        devicesResponse({device(QStringLiteral("70B3D57ED0000001"), QStringLiteral("Meter 1")), noName,
                         noDevEui, device(QStringLiteral("70B3D57ED0000004"), QString()), QJsonValue(42)}));
    const QString unnamed = QStringLiteral("Имя не установлено");
    QCOMPARE(column(*m_model, 0),
             (QStringList{QStringLiteral("Meter 1"), unnamed, QStringLiteral("Orphan"), unnamed, unnamed}));
    QCOMPARE(column(*m_model, 1),
             (QStringList{QStringLiteral("70B3D57ED0000001"), QStringLiteral("70B3D57ED0000003"), QString(),
                          QStringLiteral("70B3D57ED0000004"), QString()}));
    QCOMPARE(column(*m_model, 2, Qt::UserRole), column(*m_model, 1));
}

void TestDeviceList::responseWithoutDevicesKeepsRows_data()
{
    QTest::addColumn<QJsonDocument>("response");
    QTest::newRow("empty list") << devicesResponse({});
    QTest::newRow("no list") << QJsonDocument(
        QJsonObject{{Protocol::Key::cmd, Protocol::Cmd::getDevicesResp}});
    QTest::newRow("list is not an array")
        << QJsonDocument(QJsonObject{{Protocol::Key::devicesList, QStringLiteral("none")}});
    QTest::newRow("top level is an array")
        << QJsonDocument(QJsonArray{device(QStringLiteral("X"), QStringLiteral("Y"))});
}

void TestDeviceList::responseWithoutDevicesKeepsRows()
{
    QFETCH(QJsonDocument, response);
    m_model->setDevices(
        devicesResponse({device(QStringLiteral("70B3D57ED0000001"), QStringLiteral("Meter 1"))}));
    QSignalSpy resets(m_model.get(), &QAbstractItemModel::modelReset);
    m_model->setDevices(response);
    QCOMPARE(resets.count(), 1);
    QCOMPARE(column(*m_model, 1), QStringList{QStringLiteral("70B3D57ED0000001")});
}

void TestDeviceList::refusesEditing()
{
    m_model->setDevices(
        devicesResponse({device(QStringLiteral("70B3D57ED0000001"), QStringLiteral("Meter 1"))}));
    QVERIFY(!m_model->setData(m_model->index(0, 0), QStringLiteral("Other")));
    QVERIFY(!m_model->flags(m_model->index(0, 0)).testFlag(Qt::ItemIsEditable));
    QCOMPARE(m_model->index(0, 0).data().toString(), QStringLiteral("Meter 1"));
}

void TestDeviceList::headersTranslate()
{
    QCOMPARE(m_model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Имя устройства"));
    QTranslator english;
    QVERIFY(english.load(QStringLiteral(":/Translations/ravlo_en.qm")));
    QCoreApplication::installTranslator(&english);
    const QStringList headers{m_model->headerData(0, Qt::Horizontal).toString(),
                              m_model->headerData(1, Qt::Horizontal).toString(),
                              m_model->headerData(2, Qt::Horizontal).toString()};
    m_model->setDevices(devicesResponse({QJsonObject()}));
    const QString unnamed = m_model->index(0, 0).data().toString();
    QCoreApplication::removeTranslator(&english);
    QCOMPARE(headers, (QStringList{QStringLiteral("Device name"), QStringLiteral("DevEUI"),
                                   QStringLiteral("Action")}));
    QCOMPARE(unnamed, QStringLiteral("Name not set"));
}

void TestDeviceList::showTable()
{
    m_model->setDevices(
        devicesResponse({device(QStringLiteral("70B3D57ED0000001"), QStringLiteral("Meter 1")),
                         device(QStringLiteral("70B3D57ED0000002"), QStringLiteral("Meter 2")),
                         device(QStringLiteral("70B3D57ED0000003"), QStringLiteral("Meter 3"))}));
    // Set up as the registration page sets up its device table.
    m_view = std::make_unique<QTableView>();
    m_view->setModel(m_model.get());
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->setMouseTracking(true);
    m_view->verticalHeader()->setDefaultSectionSize(m_view->verticalHeader()->minimumSectionSize());
    m_view->setColumnWidth(0, 200);
    m_view->setColumnWidth(1, 130);
    m_view->setColumnWidth(2, 130);
    m_delegate = new DetailsButtonDelegate(m_view.get());
    m_view->setItemDelegateForColumn(2, m_delegate);
    m_view->resize(600, 300);
    m_view->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
}

void TestDeviceList::releaseInActionCellDeletesThatRow()
{
    showTable();
    QSignalSpy deletions(m_delegate, &DetailsButtonDelegate::deleteDevice);
    const QRect actionCell = m_view->visualRect(m_model->index(1, 2));

    QTest::mouseClick(m_view->viewport(), Qt::LeftButton, Qt::NoModifier, actionCell.center());
    QCOMPARE(deletions.count(), 1);
    QCOMPARE(deletions.first().first().toString(), QStringLiteral("70B3D57ED0000002"));

    // The other columns are not the delete action.
    QTest::mouseClick(m_view->viewport(), Qt::LeftButton, Qt::NoModifier,
                      m_view->visualRect(m_model->index(2, 1)).center());
    QCOMPARE(deletions.count(), 1);
}

void TestDeviceList::pressAloneDeletesNothing()
{
    showTable();
    QSignalSpy deletions(m_delegate, &DetailsButtonDelegate::deleteDevice);
    const QPoint actionCell = m_view->visualRect(m_model->index(0, 2)).center();
    QTest::mousePress(m_view->viewport(), Qt::LeftButton, Qt::NoModifier, actionCell);
    QCOMPARE(deletions.count(), 0);
    QTest::mouseRelease(m_view->viewport(), Qt::LeftButton, Qt::NoModifier, actionCell);
    QCOMPARE(deletions.count(), 1);
    QCOMPARE(deletions.first().first().toString(), QStringLiteral("70B3D57ED0000001"));
}

void TestDeviceList::handCursorOnlyOverActionCells()
{
    showTable();
    QWidget* viewport = m_view->viewport();
    const QRect actionRect = m_view->visualRect(m_model->index(0, 2));
    const QPoint actionCell = actionRect.center();
    const QPoint nameCell = m_view->visualRect(m_model->index(0, 0)).center();

    sendMouseMove(viewport, actionCell);
    QCOMPARE(viewport->cursor().shape(), Qt::PointingHandCursor);
    // Painting the hovered cell again and again changes nothing for the rest of the program.
    for (int i = 0; i < 5; ++i)
        viewport->repaint(actionRect);
    QVERIFY(!QApplication::overrideCursor());

    sendMouseMove(viewport, nameCell);
    QCOMPARE(viewport->cursor().shape(), Qt::ArrowCursor);

    sendMouseMove(viewport, m_view->visualRect(m_model->index(2, 2)).center());
    QCOMPARE(viewport->cursor().shape(), Qt::PointingHandCursor);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(viewport, &leave);
    QCOMPARE(viewport->cursor().shape(), Qt::ArrowCursor);
    QVERIFY(!QApplication::overrideCursor());
}

RAVLO_REGISTER_TEST(TestDeviceList)
#include "tst_devicelist.moc"
