#include "common/TestRegistry.h"
#include "foundation/JsonGuard.h"

#include <QtTest>

#include <type_traits>

// The repeated-key check every JSON text read from outside passes before Qt's parser sees it.
class TestJsonGuard : public QObject
{
    Q_OBJECT
private slots:
    void findsRepeatedKeys_data();
    void findsRepeatedKeys();
    void manyKeysInOneObject_data();
    void manyKeysInOneObject();
    void describesTheKey();
};

void TestJsonGuard::findsRepeatedKeys_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("key"); // empty: no repeated key
    QTest::addColumn<int>("offset");
    // clang-format off
    QTest::newRow("empty object") << QByteArray("{}") << QString() << -1;
    QTest::newRow("empty text") << QByteArray() << QString() << -1;
    QTest::newRow("distinct keys") << QByteArray(R"({"a":1,"b":2,"ab":3,"A":4})") << QString() << -1;
    QTest::newRow("repeated key") << QByteArray(R"({"a":1,"a":2})") << "a" << 7;
    QTest::newRow("repeated non-empty arrays") << QByteArray(R"({"a":[1],"a":[1]})") << "a" << 9;
    QTest::newRow("blanks around the tokens") << QByteArray(" {\n \"a\" : 1 ,\t\"a\" :2 }") << "a" << 14;
    QTest::newRow("same key in sibling objects") << QByteArray(R"([{"a":1},{"a":2},{"a":{"a":3}}])") << QString() << -1;
    QTest::newRow("same key in nested objects") << QByteArray(R"({"a":{"a":{"a":1}}})") << QString() << -1;
    QTest::newRow("repeated inside a nested object") << QByteArray(R"({"x":{"a":1,"b":{"a":1},"a":2}})") << "a" << 24;
    QTest::newRow("repeated after a nested object closes") << QByteArray(R"({"a":{"b":1,"c":2},"b":3,"a":4})") << "a" << 25;
    QTest::newRow("arrays of objects") << QByteArray(R"({"list":[{"k":1},{"k":1}],"other":[{"k":[{"k":2}]}]})") << QString() << -1;
    QTest::newRow("repeated in an element of an array") << QByteArray(R"({"list":[{"k":1},{"k":1,"k":2}]})") << "k" << 24;
    QTest::newRow("escaped key equals plain key") << QByteArray(R"({"a":1,"\u0061":2})") << "a" << 7;
    QTest::newRow("upper-case hex escape") << QByteArray("{\"\\u00E9\":1,\"\xc3\xa9\":2}") << QString::fromUtf8("\xc3\xa9") << 12;
    QTest::newRow("escaped quote in a key") << QByteArray(R"({"a\"b":1,"a\u0022b":2})") << "a\"b" << 10;
    QTest::newRow("escaped slash") << QByteArray(R"({"a/b":1,"a\/b":2})") << "a/b" << 9;
    QTest::newRow("backslash before the closing quote") << QByteArray(R"({"a\\":1,"a\u005c":2})") << "a\\" << 9;
    QTest::newRow("surrogate pair and raw character") << QByteArray("{\"\xf0\x9f\x98\x80\":1,\"\\ud83d\\ude00\":2}") << QString::fromUtf8("\xf0\x9f\x98\x80") << 10;
    QTest::newRow("lone surrogates") << QByteArray(R"({"\ud800":1,"\ud800":2})") << QString(QChar(0xd800)) << 12;
    // Bytes that are no UTF-8 are compared as they stand and named as U+FFFD.
    QTest::newRow("stray continuation byte") << QByteArray("{\"\x80\":1,\"\x80\":2}") << QString(QChar::ReplacementCharacter) << 7;
    QTest::newRow("lead byte above 0xF7") << QByteArray("{\"\xf8\x80\":1,\"\xf8\x80\":2}") << QString(2, QChar::ReplacementCharacter) << 8;
    QTest::newRow("character cut short") << QByteArray("{\"\xe2\x82\":1,\"\xe2\x82\":2}") << QString(2, QChar::ReplacementCharacter) << 8;
    QTest::newRow("escaped NUL") << QByteArray(R"({"a\u0000":1,"a":2,"a\u0000":3})") << QString("a") + QChar(0) << 19;
    QTest::newRow("keys and braces inside strings") << QByteArray(R"({"a":"{\"a\":1,\"a\":2}","b":"}\"a\":[","c":"]"})") << QString() << -1;
    QTest::newRow("string values equal to keys") << QByteArray(R"({"a":"a","b":"a","c":["a","a"]})") << QString() << -1;
    QTest::newRow("brace in a string does not close") << QByteArray(R"({"a":"}","a":1})") << "a" << 9;
    QTest::newRow("repeated at the top after deep nesting") << QByteArray(R"({"a":[[[[{"b":[{}]}]]]],"a":0})") << "a" << 24;
    // Qt's parser takes an unknown escape for the character itself, and goes on reading.
    QTest::newRow("unknown escape") << QByteArray(R"({"\q":1,"\q":1})") << "q" << 8;
    QTest::newRow("unknown escape equals the character") << QByteArray(R"({"a\lb":{"x":1},"alb":{"y":2}})") << "alb" << 16;
    if (std::is_signed<char>::value)
        QTest::newRow("escaped byte above 0x7F") << QByteArray("{\"\\\xff\":1,\"\\ud7bf\\udfff\":2}")
                                                 << (QString(QChar(0xd7bf)) + QChar(0xdfff)) << 8;
    // Not JSON: nothing is judged, the parser says what is wrong.
    QTest::newRow("not JSON") << QByteArray("hello") << QString() << -1;
    QTest::newRow("unterminated string") << QByteArray(R"({"a":1,"a)") << QString() << -1;
    QTest::newRow("unterminated after escape") << QByteArray(R"({"a":1,"a\)") << QString() << -1;
    QTest::newRow("closing without opening") << QByteArray(R"(}{"a":1,"a":2})") << QString() << -1;
    QTest::newRow("mismatched brackets") << QByteArray(R"({"a":1]"a":2})") << QString() << -1;
    QTest::newRow("bad escape in a key") << QByteArray(R"({"\u12":1,"\u12":1})") << QString() << -1;
    QTest::newRow("only a quote") << QByteArray("\"") << QString() << -1;
    QTest::newRow("deeper than any parser takes") << QByteArray(5000, '{') << QString() << -1;
    QTest::newRow("deep arrays, then a repeated key") << QByteArray(3000, '[') + R"({"a":1,"a":2})" << QString() << -1;
    // clang-format on
}

void TestJsonGuard::findsRepeatedKeys()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, key);
    QFETCH(int, offset);
    const RepeatedJsonKey repeated = JsonGuard::findRepeatedKey(text);
    QCOMPARE(repeated.found, !key.isEmpty());
    QCOMPARE(repeated.key, key);
    QCOMPARE(repeated.offset, qint64(offset));
}

void TestJsonGuard::manyKeysInOneObject_data()
{
    QTest::addColumn<int>("keys");
    QTest::addColumn<int>("repeated"); // -1: none
    QTest::newRow("few, none repeated") << 16 << -1;
    QTest::newRow("few, last repeats the first") << 16 << 0;
    QTest::newRow("many, none repeated") << 100000 << -1;
    QTest::newRow("many, last repeats one in the middle") << 100000 << 50000;
    QTest::newRow("many, last repeats the first") << 100000 << 0;
}

void TestJsonGuard::manyKeysInOneObject()
{
    QFETCH(int, keys);
    QFETCH(int, repeated);
    QByteArray text = "{";
    for (int i = 0; i < keys; ++i)
        text += "\"k" + QByteArray::number(i) + "\":[" + QByteArray::number(i) + "],";
    // Sibling objects with the same keys are no repeat.
    text += "\"inner\":{\"k0\":1,\"k1\":{\"k0\":2}}";
    if (repeated >= 0)
        text += ",\"k" + QByteArray::number(repeated) + "\":0";
    text += '}';
    const RepeatedJsonKey found = JsonGuard::findRepeatedKey(text);
    QCOMPARE(found.found, repeated >= 0);
    if (repeated >= 0) {
        QCOMPARE(found.key, "k" + QString::number(repeated));
        QCOMPARE(found.offset, qint64(text.lastIndexOf(",\"k") + 1));
    }
}

void TestJsonGuard::describesTheKey()
{
    QCOMPARE(JsonGuard::findRepeatedKey(QByteArray(R"({"devEui":1,"devEui":2})")).description(),
             QStringLiteral("repeated key \"devEui\" at offset 12"));
    // A long key is shortened for the log line.
    const QByteArray longKey(1000, 'x');
    const QString described =
        JsonGuard::findRepeatedKey("{\"" + longKey + "\":1,\"" + longKey + "\":2}").description();
    QCOMPARE(described, QStringLiteral("repeated key \"%1...\" at offset 1006").arg(QString(64, 'x')));
}

RAVLO_REGISTER_TEST(TestJsonGuard)
#include "tst_jsonguard.moc"
