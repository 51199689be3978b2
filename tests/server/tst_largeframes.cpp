#include "common/TestRegistry.h"
#include "intake/DeviceListModel.h"
#include "server/LargeFrameReader.h"

#include <QAbstractItemModelTester>
#include <QJsonArray>
#include <QJsonDocument>
#include <QtTest>

namespace {
QString devicesFrame(const QString& list)
{
    return R"({"cmd":"get_devices_resp","devices_list":)" + list + '}';
}

// Every cell of a device table, row by row.
QStringList cells(const DeviceListModel& model)
{
    QStringList all;
    for (int row = 0; row < model.rowCount(); ++row)
        all << model.index(row, DeviceListModel::nameColumn).data().toString() + '|' +
                   model.index(row, DeviceListModel::devEuiColumn).data().toString() + '|' +
                   model.index(row, DeviceListModel::actionColumn).data(Qt::UserRole).toString();
    return all;
}
} // namespace

// A large frame is read by a fast parser into table rows; the table must come out exactly as
// from Qt's parse of the same text, and a text the fast parser refuses is decided by Qt's parser.
class TestLargeFrames : public QObject
{
    Q_OBJECT
private slots:
    void sameTableAsQt_data();
    void sameTableAsQt();
    void otherFramesGoThroughQt_data();
    void otherFramesGoThroughQt();
    void repeatedKeysAreRefused_data();
    void repeatedKeysAreRefused();
};

void TestLargeFrames::sameTableAsQt_data()
{
    QTest::addColumn<QString>("frame");
    QTest::addColumn<bool>("fastRead"); // false: the fast parser refuses it and Qt reads it
    auto list = [](const QString& elements) { return devicesFrame('[' + elements + ']'); };
    QTest::newRow("plain") << list(R"({"devEui":"70B3D5E75E000001","devName":"Счётчик 1"},{"devEui":"02"})")
                           << true;
    QTest::newRow("escapes") << list(R"({"devEui":"a\"b\\c\/d","devName":"tab\tnl\nuni\u0416\u00e9"})")
                             << true;
    QTest::newRow("characters beyond 16 bits")
        << list(R"({"devName":"\ud83d\ude00 😀","devEui":"𝄞"})") << true;
    QTest::newRow("escaped nul") << list(R"({"devName":"a\u0000b","devEui":"x"})") << true;
    QTest::newRow("unnamed, missing, wrong types")
        << list(R"({"devName":""},{"devEui":5,"devName":[1]},{},17,"text",null,[{"devEui":"in"}])") << true;
    QTest::newRow("cmd after the list")
        << R"({"devices_list":[{"devEui":"01"}],"status":true,"cmd":"get_devices_resp"})" << true;
    QTest::newRow("list not an array")
        << R"({"cmd":"get_devices_resp","devices_list":{"devEui":"01"}})" << true;
    QTest::newRow("no list") << R"({"cmd":"get_devices_resp"})" << true;
    QTest::newRow("numbers") << list(
                                    R"({"devEui":"01","devAddress":4294967295,"x":-1.5e-300,"y":1E2,"z":-0})")
                             << true;
    // Qt accepts these and the fast parser does not: Qt's reading counts.
    QTest::newRow("lone surrogate escape") << list(R"({"devName":"\ud800x","devEui":"01"})") << false;
    QTest::newRow("raw control character") << list("{\"devName\":\"a\tb\",\"devEui\":\"01\"}") << false;
    QTest::newRow("integer beyond 64 bits")
        << list(R"({"devEui":"01","y":123456789012345678901234567890})") << true;
    QTest::newRow("fraction without digits") << list(R"({"devEui":"01","x":1.})") << false;
    QTest::newRow("deep nesting") << list(R"({"devEui":"01","x":)" + QString(100, '[') + QString(100, ']') +
                                          '}')
                                  << false;
}

void TestLargeFrames::sameTableAsQt()
{
    QFETCH(QString, frame);
    QFETCH(bool, fastRead);
    DeviceListModel byQt;
    byQt.setDevices(QJsonDocument::fromJson(frame.toUtf8()), true);

    const LargeFrame read = LargeFrameReader::read(frame);
    QCOMPARE(read.kind, fastRead ? LargeFrame::Kind::deviceList : LargeFrame::Kind::object);
    DeviceListModel byRows;
    QAbstractItemModelTester tester(&byRows, QAbstractItemModelTester::FailureReportingMode::QtTest);
    if (read.kind == LargeFrame::Kind::deviceList)
        byRows.setRows(read.rows, true);
    else
        byRows.setDevices(QJsonDocument(read.object), true);
    QCOMPARE(cells(byRows), cells(byQt));

    // The element a device record is made from is the element Qt reads.
    if (read.kind == LargeFrame::Kind::deviceList) {
        const QJsonArray elements =
            QJsonDocument::fromJson(frame.toUtf8()).object().value("devices_list").toArray();
        QCOMPARE(read.rows.size(), elements.size());
        for (int i = 0; i < elements.size(); ++i)
            QCOMPARE(read.elements->object(i), elements.at(i).toObject());
    }
}

void TestLargeFrames::otherFramesGoThroughQt_data()
{
    QTest::addColumn<QString>("frame");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("logged");
    const int dropped = int(LargeFrame::Kind::dropped);
    const int object = int(LargeFrame::Kind::object);
    QTest::newRow("not JSON") << "hello" << dropped << "Json parsing error[";
    QTest::newRow("cut off") << devicesFrame(R"([{"devEui":"01"})") << dropped << "Json parsing error[";
    QTest::newRow("garbage after the object") << devicesFrame("[]") + "x" << dropped << "Json parsing error[";
    QTest::newRow("NUL character, then garbage")
        << devicesFrame("[]") + QChar(0) + "x" << dropped << "Json parsing error[";
    QTest::newRow("array") << "[" + devicesFrame("[]") + "]" << dropped << "jsonDoc is an array -> ";
    QTest::newRow("bare value") << "42" << dropped << "Json parsing error[";
    QTest::newRow("other answer") << R"({"cmd":"manage_devices_resp","device_add_status":[]})" << object
                                  << "";
    QTest::newRow("cmd not a text") << R"({"cmd":["get_devices_resp"],"devices_list":[]})" << object << "";
}

void TestLargeFrames::otherFramesGoThroughQt()
{
    QFETCH(QString, frame);
    QFETCH(int, kind);
    QFETCH(QString, logged);
    static QStringList lines;
    lines.clear();
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext&, const QString& line) { lines << line; });
    const LargeFrame read = LargeFrameReader::read(frame);
    qInstallMessageHandler(previous);
    QCOMPARE(int(read.kind), kind);
    if (kind == int(LargeFrame::Kind::object))
        QCOMPARE(read.object, QJsonDocument::fromJson(frame.toUtf8()).object());
    if (!logged.isEmpty())
        QVERIFY2(lines.join('\n').contains(logged), qPrintable(lines.join('\n')));
}

void TestLargeFrames::repeatedKeysAreRefused_data()
{
    QTest::addColumn<QString>("frame");
    QTest::addColumn<QString>("command"); // of the refused frame
    QTest::addColumn<QString>("logged");
    QStringList elements;
    for (int i = 0; i < 20000; ++i)
        elements << QString(R"({"devEui":"%1","devName":"n%2","ABP":{"devAddress":%2}})")
                        .arg(i, 16, 16, QChar('0'))
                        .arg(i);
    const QString big = '[' + elements.join(',') + ']';
    QStringList withRepeat = elements;
    withRepeat[15000] = R"({"devEui":"01","devName":"a","OTAA":{"appKey":"k"},"d\u0065vName":"b"})";
    QTest::newRow("one element of a large list")
        << devicesFrame('[' + withRepeat.join(',') + ']') << "get_devices_resp"
        << R"(repeated key "devName")";
    QTest::newRow("the list itself, both non-empty")
        << R"({"cmd":"get_devices_resp","devices_list":)" + big + R"(,"devices_list":)" + big + '}'
        << "get_devices_resp"
        << R"(repeated key "devices_list")";
    QTest::newRow("deep inside an element")
        << devicesFrame(R"([{"devEui":"01","x":{"y":[{"z":1},{"z":1,"z":[2]}]}}])") << "get_devices_resp"
        << R"(repeated key "z")";
    QTest::newRow("cmd after the repeat") << R"({"status":true,"status":false,"cmd":"manage_devices_resp"})"
                                          << "manage_devices_resp"
                                          << R"(repeated key "status")";
    QTest::newRow("other answer")
        << R"({"cmd":"manage_devices_resp","device_add_status":[{"status":"added"}],"device_add_status":[]})"
        << "manage_devices_resp"
        << R"(repeated key "device_add_status")";
    // Texts the fast parser hands to Qt's are checked there, before Qt parses them.
    QTest::newRow("deeper than the fast parser goes")
        << devicesFrame(R"([{"devEui":"01","x":)" + QString(100, '[') + R"({"a":1,"a":2})" +
                        QString(100, ']') + "}]")
        << "get_devices_resp"
        << R"(repeated key "a")";
    QTest::newRow("lone surrogate before the repeat")
        << devicesFrame(R"([{"devName":"\ud800x","devEui":"01","devEui":"02"}])") << "get_devices_resp"
        << R"(repeated key "devEui")";
}

void TestLargeFrames::repeatedKeysAreRefused()
{
    QFETCH(QString, frame);
    QFETCH(QString, logged);
    static QStringList lines;
    lines.clear();
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext&, const QString& line) { lines << line; });
    const LargeFrame read = LargeFrameReader::read(frame);
    qInstallMessageHandler(previous);
    QCOMPARE(read.kind, LargeFrame::Kind::refused);
    QTEST(read.command, "command");
    QVERIFY(read.rows.isEmpty());
    QVERIFY2(lines.filter("frame refused, " + logged).size() == 1, qPrintable(lines.join('\n')));
}

RAVLO_REGISTER_TEST(TestLargeFrames)
#include "tst_largeframes.moc"
