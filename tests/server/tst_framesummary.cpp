#include "common/TestRegistry.h"
#include "server/FrameSummary.h"

#include <QtTest>

// What a log line says about a frame instead of its text.
class TestFrameSummary : public QObject
{
    Q_OBJECT
private slots:
    void summaries_data();
    void summaries()
    {
        QFETCH(QString, frame);
        QTEST(frameSummary(frame, 42), "summary");
    }
};

void TestFrameSummary::summaries_data()
{
    QTest::addColumn<QString>("frame");
    QTest::addColumn<QString>("summary");
    QTest::newRow("list") << R"({"cmd":"manage_devices_req","devices_list":[{"devEui":"1"},{"devEui":"2"}]})"
                          << "manage_devices_req, 2 entries, 42 bytes";
    QTest::newRow("no list") << R"({"cmd":"server_info_req"})"
                             << "server_info_req, 42 bytes";
    QTest::newRow("no cmd") << R"({"status":true})"
                            << "frame without cmd, 42 bytes";
    QTest::newRow("not JSON") << "hello"
                              << "frame without cmd, 42 bytes";
    // A repeated key keeps the text from Qt's parser: it is searched, as a large frame is.
    QTest::newRow("repeated list")
        << R"({"cmd":"manage_devices_req","devices_list":[{"devEui":"1"}],"devices_list":[{"devEui":"2"},{"devEui":"3"}]})"
        << "manage_devices_req, 3 entries, 42 bytes";
    QTest::newRow("large") << R"({"cmd":"manage_devices_req","devices_list":[)" +
                                  QString(R"({"devEui":"0011223344556677"},)").repeated(200) + "{}]}"
                           << "manage_devices_req, 200 entries, 42 bytes";
}

RAVLO_REGISTER_TEST(TestFrameSummary)
#include "tst_framesummary.moc"
