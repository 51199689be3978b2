#include "common/TestRegistry.h"
#include "downlink/RequestsFile.h"

#include <QtTest>

// The requests-file line decoder: every line on its own, nothing carried over.
class TestRequestsFile : public QObject
{
    Q_OBJECT
private slots:
    void decodesLine_data();
    void decodesLine();
    void requestText();
};

void TestRequestsFile::decodesLine_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("decoded"); // "devEui|data|port", "blank" or "skipped"
    const auto row = [](const char* name, const QString& line, const QString& decoded) {
        QTest::newRow(name) << line << decoded;
    };
    row("plain", "deveui=70B3D5E75E000001,data=0A1B,port=2", "70B3D5E75E000001|0A1B|2");
    row("blanks and case", "  DevEUI = 01 , DATA= ff00 ,Port =223 ", "01|ff00|223");
    row("any order, other keys ignored", "port=1,ack=true,data=00,deveui=01", "01|00|1");
    row("value holds =", "deveui=01=02,data=00,port=1", "01=02|00|1");
    row("later piece wins", "deveui=01,data=00,port=1,port=5", "01|00|5");
    row("key must equal, not contain", "mydeveui=01,data=00,port=1", "skipped");
    row("empty", "", "blank");
    row("only blanks", " \t ", "blank");
    row("no deveui", "data=00,port=1", "skipped");
    row("empty deveui", "deveui=,data=00,port=1", "skipped");
    row("no data", "deveui=01,port=1", "skipped");
    row("no port", "deveui=01,data=00", "skipped");
    row("odd hex", "deveui=01,data=0A1,port=1", "skipped");
    row("not hex", "deveui=01,data=zz,port=1", "skipped");
    row("empty data", "deveui=01,data=,port=1", "skipped");
    row("hex with blank inside", "deveui=01,data=0A 1B,port=1", "skipped");
    row("port 0", "deveui=01,data=00,port=0", "skipped");
    row("port 224", "deveui=01,data=00,port=224", "skipped");
    row("port text", "deveui=01,data=00,port=two", "skipped");
    row("port 1", "deveui=01,data=00,port=1", "01|00|1");
    row("no = at all", "deveui 01 data 00 port 1", "skipped");
    row("garbage", QString::fromUtf8("\xff\xfe,=,==,\x01"), "skipped");
}

void TestRequestsFile::decodesLine()
{
    QFETCH(QString, line);
    const RequestsFileLine decoded = RequestsFile::decodeLine(line);
    QString text;
    switch (decoded.kind) {
    case RequestsFileLine::Kind::downlink:
        text = decoded.devEui + '|' + decoded.data + '|' + decoded.port;
        break;
    case RequestsFileLine::Kind::blank:
        text = "blank";
        break;
    case RequestsFileLine::Kind::skipped:
        text = "skipped";
        QVERIFY(!decoded.reason.isEmpty());
        break;
    }
    QTEST(text, "decoded");
}

void TestRequestsFile::requestText()
{
    // Byte for byte what the server expects: the port, too, travels as a string.
    QCOMPARE(
        RequestsFile::sendDataRequest(RequestsFile::decodeLine("deveui=01, data=0A, port=7")),
        QStringLiteral(R"({"cmd":"send_data_req","data_list":[{"data":"0A","devEui":"01","port":"7"}]})"));
}

RAVLO_REGISTER_TEST(TestRequestsFile)
#include "tst_requestsfile.moc"
