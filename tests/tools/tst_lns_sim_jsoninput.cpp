#include "JsonInput.h"
#include "common/ProcessMemory.h"
#include "common/TestRegistry.h"

#include <QtTest>

// The simulator's one door for JSON texts: what it refuses, and that refusing costs no memory.
class TestLnsSimJsonInput : public QObject
{
    Q_OBJECT
private slots:
    void refusals_data();
    void refusals();
    void memoryStaysFlatOverRepeatedKeys();
};

void TestLnsSimJsonInput::refusals_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("problem"); // empty: the object is taken
    QTest::newRow("object") << QByteArray(R"({"cmd":"x","list":[{"a":1},{"a":2}]})") << QString();
    QTest::newRow("repeated key") << QByteArray(R"({"cmd":"x","cmd":"y"})")
                                  << R"(repeated key "cmd" at offset 11)";
    QTest::newRow("repeated in a nested object")
        << QByteArray(R"({"a":{"b":[1],"\u0062":[2]}})") << R"(repeated key "b" at offset 14)";
    QTest::newRow("not JSON") << QByteArray("hello") << "not JSON: illegal value at offset 1";
    QTest::newRow("array") << QByteArray("[]") << "not a JSON object";
}

void TestLnsSimJsonInput::refusals()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, problem);
    QString found;
    const std::optional<QJsonObject> object = JsonInput::parseObject(text, &found);
    QCOMPARE(object.has_value(), problem.isEmpty());
    QCOMPARE(found, problem);
}

void TestLnsSimJsonInput::memoryStaysFlatOverRepeatedKeys()
{
    if (!residentSizeShowsLeaks())
        QSKIP("AddressSanitizer's quarantine grows the process; its leak check covers this");
    QByteArray list = "[0";
    for (int i = 1; i < 5000; ++i)
        list += ',' + QByteArray::number(i);
    list += ']';
    const QByteArray frame =
        R"({"cmd":"manage_devices_req","devices_list":)" + list + R"(,"devices_list":)" + list + '}';
    int taken = 0;
    for (int i = 0; i < 20; ++i)
        taken += JsonInput::parseObject(frame).has_value();
    const qint64 before = residentBytes();
    QVERIFY(before > 0);
    for (int i = 0; i < 1000; ++i)
        taken += JsonInput::parseObject(frame).has_value();
    const qint64 grown = residentBytes() - before;
    // Without the check the simulator grows by about 80 MB here.
    QVERIFY2(grown < 16 * 1024 * 1024, qPrintable(QString("grew by %1 bytes").arg(grown)));
    QCOMPARE(taken, 0);
}

RAVLO_REGISTER_TEST(TestLnsSimJsonInput)
#include "tst_lns_sim_jsoninput.moc"
