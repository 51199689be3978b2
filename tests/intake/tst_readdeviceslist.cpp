#include "common/TestRegistry.h"
#include "intake/DevicesResultCsv.h"
#include "intake/ReadDevicesListModel.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QtTest>

namespace {

using Results = QVector<QPair<QString, QString>>;

LoRaDevice device(const QString& devEui, const QString& sn = QString())
{
    LoRaDevice d;
    d.devEui = devEui;
    d.appEui = QStringLiteral("0102030405060708");
    d.appKey = QStringLiteral("2B7E151628AED2A6ABF7158809CF4F3C");
    d.sn = sn;
    return d;
}

QVector<LoRaDevice> devices(const QStringList& devEuis)
{
    QVector<LoRaDevice> list;
    for (const QString& devEui : devEuis)
        list.append(device(devEui));
    return list;
}

// "devEui=status" of every row, in row order.
QStringList rows(const ReadDevicesListModel& model)
{
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row)
        texts << model.index(row, 0).data().toString() + '=' + model.index(row, 3).data().toString();
    return texts;
}

} // namespace

class TestReadDevicesList : public QObject
{
    Q_OBJECT
private slots:
    void columnsAndHeaders();
    void resultsFillTheFirstRowWithoutStatus_data();
    void resultsFillTheFirstRowWithoutStatus();
    void laterAnswersKeepEarlierResults();
    void clearedRowsTakeResultsAgain();
    void unsuccessfulRows();
    void resultsAsCsv();
};

void TestReadDevicesList::columnsAndHeaders()
{
    ReadDevicesListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.setDevices(devices({"0A", "0B"}));
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.columnCount(), 4);
    QCOMPARE(model.index(0, 0).data().toString(), QStringLiteral("0A"));
    QCOMPARE(model.index(0, 1).data().toString(), QStringLiteral("0102030405060708"));
    QCOMPARE(model.index(0, 2).data().toString(), QStringLiteral("2B7E151628AED2A6ABF7158809CF4F3C"));
    QCOMPARE(model.index(0, 3).data().toString(), QString());
    QVERIFY(!model.index(0, 0).data(Qt::EditRole).isValid());
    QVERIFY(!model.index(0, 0).data(Qt::ToolTipRole).isValid());
    const QStringList headers{"DevEUI", "AppEUI", "AppKey", "Статус"};
    for (int column = 0; column < 4; ++column)
        QCOMPARE(model.headerData(column, Qt::Horizontal).toString(), headers.at(column));
    QVERIFY(!model.headerData(4, Qt::Horizontal).isValid());
    QCOMPARE(model.headerData(1, Qt::Vertical).toInt(), 2);
    QVERIFY(!model.headerData(0, Qt::Horizontal, Qt::ToolTipRole).isValid());
    QCOMPARE(model.devices().size(), 2);
    QCOMPARE(model.devices().at(1).devEui, QStringLiteral("0B"));
}

void TestReadDevicesList::resultsFillTheFirstRowWithoutStatus_data()
{
    QTest::addColumn<QStringList>("devEuis");
    QTest::addColumn<Results>("results");
    QTest::addColumn<QStringList>("expected");
    QTest::addColumn<int>("matched");

    QTest::newRow("in order") << QStringList{"0A", "0B"} << Results{{"0A", "added"}, {"0B", "updated"}}
                              << QStringList{"0A=added", "0B=updated"} << 2;
    QTest::newRow("out of order") << QStringList{"0A", "0B"}
                                  << Results{{"0B", "added"}, {"0A", "invalidDevEui"}}
                                  << QStringList{"0A=invalidDevEui", "0B=added"} << 2;
    QTest::newRow("a DevEUI twice: the first result to the first row")
        << QStringList{"0A", "0B", "0A"} << Results{{"0A", "added"}, {"0A", "reginfoAlreadyExist"}}
        << QStringList{"0A=added", "0B=", "0A=reginfoAlreadyExist"} << 2;
    QTest::newRow("results for DevEUIs not in the table are ignored")
        << QStringList{"0A"} << Results{{"0C", "added"}, {"0a", "added"}, {"0A", "added"}, {"0A", "updated"}}
        << QStringList{"0A=added"} << 1;
    QTest::newRow("a result without a word leaves the row waiting")
        << QStringList{"0A"} << Results{{"0A", ""}, {"0A", "added"}} << QStringList{"0A=added"} << 1;
}

void TestReadDevicesList::resultsFillTheFirstRowWithoutStatus()
{
    QFETCH(QStringList, devEuis);
    QFETCH(Results, results);
    ReadDevicesListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.setDevices(devices(devEuis));
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QTEST(model.setStatuses(results), "matched");
    QTEST(rows(model), "expected");
    QCOMPARE(changed.count(), 1); // one signal for the whole answer
    QCOMPARE(changed.first().at(0).toModelIndex().column(), 3);
}

void TestReadDevicesList::laterAnswersKeepEarlierResults()
{
    ReadDevicesListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.setDevices(devices({"0A", "0B", "0A", "0C"}));
    model.setStatuses({{"0A", "added"}, {"0B", "added"}});
    QCOMPARE(model.rowsWithoutStatus(), 2);
    model.setStatuses({{"0A", "reginfoAlreadyExist"}, {"0C", "invalidAppKeyValue"}});
    QCOMPARE(rows(model),
             QStringList({"0A=added", "0B=added", "0A=reginfoAlreadyExist", "0C=invalidAppKeyValue"}));
    QCOMPARE(model.rowsWithoutStatus(), 0);
    QCOMPARE(model.setStatuses({{"0A", "added"}}), 0);
    // New devices: statuses are empty again.
    model.setDevices(devices({"0A"}));
    QCOMPARE(rows(model), QStringList{"0A="});
}

void TestReadDevicesList::clearedRowsTakeResultsAgain()
{
    ReadDevicesListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.setDevices(devices({"0A", "0B", "0A"}));
    model.setStatuses({{"0A", "added"}, {"0B", "maxDevCountReached"}, {"0A", "reginfoAlreadyExist"}});
    model.clearStatuses({1, 2, 7, -1});
    QCOMPARE(rows(model), QStringList({"0A=added", "0B=", "0A="}));
    QCOMPARE(model.rowsWithoutStatus(), 2);
    model.setStatuses({{"0A", "nothingToUpdate"}, {"0B", "added"}});
    QCOMPARE(rows(model), QStringList({"0A=added", "0B=added", "0A=nothingToUpdate"}));
}

void TestReadDevicesList::unsuccessfulRows()
{
    ReadDevicesListModel model;
    model.setDevices(devices({"01", "02", "03", "04", "05", "06"}));
    model.setStatuses({{"01", "added"},
                       {"02", "updated"},
                       {"03", "nothingToUpdate"},
                       {"04", "reginfoAlreadyExist"},
                       {"05", "invalidDevEui"}});
    QCOMPARE(model.unsuccessfulRows(), QVector<int>({3, 4, 5})); // 06 has no answer
}

void TestReadDevicesList::resultsAsCsv()
{
    ReadDevicesListModel model;
    QVector<LoRaDevice> list{device("0A", "plain"), device("0B", "with, comma"), device("0C", "say \"hi\""),
                             device("0D", "two\nlines")};
    model.setDevices(list);
    model.setStatuses({{"0A", "added"}, {"0B", "invalidDevEui"}});
    QCOMPARE(DevicesResultCsv::encode(model),
             QByteArray("DevEUI,AppEUI,serial number,status\r\n"
                        "0A,0102030405060708,plain,added\r\n"
                        "0B,0102030405060708,\"with, comma\",invalidDevEui\r\n"
                        "0C,0102030405060708,\"say \"\"hi\"\"\",\r\n"
                        "0D,0102030405060708,\"two\nlines\",\r\n"));
}

RAVLO_REGISTER_TEST(TestReadDevicesList)
#include "tst_readdeviceslist.moc"
