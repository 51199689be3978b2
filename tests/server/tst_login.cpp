#include "common/LoopbackServer.h"
#include "common/TestRegistry.h"
#include "server/CServerClient.h"
#include "server/Protocol.h"

#include <QtTest>

class TestLogin : public QObject
{
    Q_OBJECT
private slots:
    void logsInToReady();
};

void TestLogin::logsInToReady()
{
    LoopbackServer server;
    server.setCredentials(QStringLiteral("operator"), QStringLiteral("secret"));
    QVERIFY(loginToLoopbackServer(server));
    QCOMPARE(server.receivedCommands(), (QStringList{Protocol::Cmd::authReq, Protocol::Cmd::serverInfoReq}));
    const QJsonObject auth = server.receivedObjects(Protocol::Cmd::authReq).first();
    QCOMPARE(auth.value(Protocol::Key::login).toString(), QStringLiteral("operator"));
    QCOMPARE(auth.value(Protocol::Key::password).toString(), QStringLiteral("secret"));
    QVERIFY(endLoopbackSession(server));
}

RAVLO_REGISTER_TEST(TestLogin)
#include "tst_login.moc"
