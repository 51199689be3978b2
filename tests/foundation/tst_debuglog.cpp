#include "common/TestRegistry.h"
#include "foundation/DebugLog.h"

#include <QtTest>

// Every debug line passes the mask: passwords and keys never reach the log, in any form they
// are written in; everything else is left as it is.
class TestDebugLog : public QObject
{
    Q_OBJECT
private slots:
    void masks_data();
    void masks();
    void linesKeepTheirForm();
    void briefTexts();
};

void TestDebugLog::masks_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("logged");
    QTest::newRow("login frame") << R"({"cmd":"auth_req","login":"op","password":"Pw-7 \"x\", y"})"
                                 << R"({"cmd":"auth_req","login":"op","password":"***"})";
    QTest::newRow("device keys in a request")
        << R"({"ABP":{"appsKey":"a1","devAddress":5,"nwksKey":"b2"},"OTAA":{"appEui":"01","appKey":"c3"}})"
        << R"({"ABP":{"appsKey":"***","devAddress":5,"nwksKey":"***"},"OTAA":{"appEui":"01","appKey":"***"}})";
    QTest::newRow("scanned key=value lines")
        << "DevEUI=70B3D5E75E0000A1\r\nAppKey=00112233\r\nAppSKey=x;NwkSKey=y"
        << "DevEUI=70B3D5E75E0000A1\r\nAppKey=***\r\nAppSKey=***;NwkSKey=***";
    QTest::newRow("key value with blanks or a colon") << "AppKey 0011 AppSKey: aa NwkSKey:bb password = pw"
                                                      << "AppKey *** AppSKey: *** NwkSKey:*** password = ***";
    QTest::newRow("any spelling") << "APPKEY=1 appkey=2 serverPassword: 3"
                                  << "APPKEY=*** appkey=*** serverPassword: ***";
    QTest::newRow("a 128-bit key on its own") << "key 2B7E151628AED2A6ABF7158809CF4F3C, eui 70B3D5E75E0000A1"
                                              << "key ***, eui 70B3D5E75E0000A1";
    QTest::newRow("a frame cut off in its key") << R"({"appKey":"00112233)"
                                                << R"({"appKey":"***")";
    QTest::newRow("nothing secret") << "State changed:  ready [ 4 ] appEui=01 devEui passwordless"
                                    << "State changed:  ready [ 4 ] appEui=01 devEui passwordless";
}

void TestDebugLog::masks()
{
    QFETCH(QString, line);
    QTEST(DebugLog::masked(line), "logged");
}

void TestDebugLog::linesKeepTheirForm()
{
    static QStringList lines;
    lines.clear();
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext&, const QString& text) { lines << text; });
    const int line = __LINE__ + 1;
    DEBUG_LOG << "login:" << QStringLiteral("op") << "password:" << QStringLiteral("secret") << 42;
    qInstallMessageHandler(previous);
    QCOMPARE(lines.size(), 1);
    QCOMPARE(lines.first(),
             QStringLiteral("{void TestDebugLog::linesKeepTheirForm()}[%1] - login: op password: *** 42")
                 .arg(line));
}

void TestDebugLog::briefTexts()
{
    QCOMPARE(DebugLog::brief("short"), QStringLiteral("short"));
    QCOMPARE(DebugLog::brief(QString(300, 'x'), 10), QStringLiteral("xxxxxxxxxx... (300 characters)"));
    QCOMPARE(DebugLog::hidden(QString()), QString());
    QCOMPARE(DebugLog::hidden("k"), QStringLiteral("***"));
}

RAVLO_REGISTER_TEST(TestDebugLog)
#include "tst_debuglog.moc"
