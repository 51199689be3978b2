#include "common/LoopbackServer.h"
#include "common/TestRegistry.h"
#include "server/CMessageParser.h"
#include "server/CServerClient.h"
#include "server/Protocol.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QtTest>

namespace {
CServerClient* client()
{
    return CServerClient::instance();
}

void openClient(const QString& address, const QString& login = QStringLiteral("operator"),
                const QString& password = QStringLiteral("secret"))
{
    CLoraAuthReq request;
    request.address = address;
    request.login = login;
    request.password = password;
    client()->openWebSoket(request);
}

QString lastError(const QSignalSpy& spy)
{
    return spy.isEmpty() ? QString() : spy.last().first().value<AuthResponse>().errString;
}

bool isDisconnected()
{
    return client()->clientState() == EClientStates::disconnected &&
           client()->state() == QAbstractSocket::UnconnectedState;
}
} // namespace

class TestConnection : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void refusedConnection();
    void failedHandshake_data();
    void failedHandshake();
    void invalidAddress_data();
    void invalidAddress();
    void remoteCloseDuringLogin();
    void remoteCloseWhileReady_data();
    void remoteCloseWhileReady();
    void loginAnswerOfClosedConnection();
    void oversizedFrameClosesConnection();
    void wrongPassword();
    void serverInfoStatusFalse();
    void logoutAndNewLogin();
    void secondConnectOnlyReplacesRequest();
    void requestsDroppedOutsideReady();
    void nonAsciiLogin();

private:
    // Every test ends with a new login, which proves the client can always connect again.
    void verifyNewLogin();
};

void TestConnection::init()
{
    // A previous test may leave its connection closing; each test starts disconnected.
    QTRY_VERIFY(isDisconnected() || client()->clientState() == EClientStates::unknown);
}

void TestConnection::verifyNewLogin()
{
    LoopbackServer server;
    QVERIFY(loginToLoopbackServer(server));
    QVERIFY(endLoopbackSession(server));
}

void TestConnection::refusedConnection()
{
    QTcpServer probe;
    QVERIFY(probe.listen(QHostAddress::LocalHost, 0));
    const QString address = QStringLiteral("127.0.0.1:%1").arg(probe.serverPort());
    probe.close();

    QSignalSpy errors(client(), &CServerClient::hostError);
    openClient(address);
    QTRY_COMPARE(errors.count(), 1);
    QCOMPARE(lastError(errors), QStringLiteral("Connection refused"));
    QVERIFY(!errors.last().first().value<AuthResponse>().status);
    QVERIFY(isDisconnected());
    verifyNewLogin();
}

void TestConnection::failedHandshake_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::newRow("401") << QByteArray("HTTP/1.1 401 Unauthorized\r\nContent-Length: 0\r\n\r\n");
    QTest::newRow("404") << QByteArray("HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n\r\n");
    QTest::newRow("garbage") << QByteArray("this is not http\r\n\r\n");
}

void TestConnection::failedHandshake()
{
    QFETCH(QByteArray, reply);
    FixedReplyTcpServer server(reply);
    QSignalSpy errors(client(), &CServerClient::hostError);
    openClient(server.address());
    QTRY_VERIFY(!errors.isEmpty());
    QCOMPARE(lastError(errors), QStringLiteral("Connection refused"));
    // The client gives the connection up itself; the server never hangs up.
    QTRY_VERIFY(isDisconnected());
    QTRY_VERIFY(server.peerClosed());
    verifyNewLogin();
}

void TestConnection::invalidAddress_data()
{
    QTest::addColumn<QString>("address");
    QTest::newRow("bad port") << QStringLiteral("127.0.0.1:abc");
    QTest::newRow("empty") << QString();
}

void TestConnection::invalidAddress()
{
    QFETCH(QString, address);
    QSignalSpy errors(client(), &CServerClient::hostError);
    openClient(address);
    QTRY_VERIFY(!errors.isEmpty());
    QCOMPARE(lastError(errors), QStringLiteral("Connection refused"));
    QTRY_VERIFY(isDisconnected());
    verifyNewLogin();
}

void TestConnection::remoteCloseDuringLogin()
{
    LoopbackServer server;
    server.setAutoAnswer(Protocol::Cmd::authReq, false);
    connect(&server, &LoopbackServer::frameReceived, &server, [&server] { server.closeClient(); });
    QSignalSpy errors(client(), &CServerClient::hostError);
    openClient(server.address());
    QTRY_VERIFY(!errors.isEmpty());
    QCOMPARE(lastError(errors), QStringLiteral("Remote Host Closed Error"));
    QTRY_VERIFY(isDisconnected());
    verifyNewLogin();
}

void TestConnection::remoteCloseWhileReady_data()
{
    QTest::addColumn<bool>("abortTcp");
    QTest::newRow("closing handshake") << false;
    QTest::newRow("tcp dropped") << true;
}

void TestConnection::remoteCloseWhileReady()
{
    QFETCH(bool, abortTcp);
    LoopbackServer server;
    QVERIFY(loginToLoopbackServer(server));
    QSignalSpy errors(client(), &CServerClient::hostError);
    abortTcp ? server.abortClient() : server.closeClient();
    QTRY_VERIFY(isDisconnected());
    QCOMPARE(errors.count(), 1);
    QCOMPARE(lastError(errors), QStringLiteral("Remote Host Closed Error"));
    verifyNewLogin();
}

void TestConnection::loginAnswerOfClosedConnection()
{
    // The server accepts the login and hangs up at once: the answer reaches the parser only
    // after the disconnection, and must not start a session on the closed socket.
    LoopbackServer server;
    server.setAutoAnswer(Protocol::Cmd::authReq, false);
    connect(&server, &LoopbackServer::frameReceived, &server, [&server] {
        server.sendToClient(QStringLiteral(R"({"cmd":"auth_resp","status":true,"token":"t1"})"));
        server.closeClient();
    });
    QSignalSpy answers(CMessageParser::instance(), &CMessageParser::authMsgResp);
    openClient(server.address());
    QTRY_COMPARE(answers.count(), 1);
    QTRY_VERIFY(isDisconnected());
    verifyNewLogin();
}

void TestConnection::oversizedFrameClosesConnection()
{
    QCOMPARE(client()->maxAllowedIncomingFrameSize(), CServerClient::maxIncomingSize);
    QCOMPARE(client()->maxAllowedIncomingMessageSize(), CServerClient::maxIncomingSize);
    QVERIFY(CServerClient::maxIncomingSize < QWebSocket::maxIncomingMessageSize());

    LoopbackServer server;
    QVERIFY(loginToLoopbackServer(server));
    client()->setMaxAllowedIncomingFrameSize(4096);
    client()->setMaxAllowedIncomingMessageSize(4096);
    QSignalSpy errors(client(), &CServerClient::hostError);
    server.sendToClient(QString(10000, QLatin1Char('x')));
    QTRY_VERIFY(isDisconnected());
    client()->setMaxAllowedIncomingFrameSize(CServerClient::maxIncomingSize);
    client()->setMaxAllowedIncomingMessageSize(CServerClient::maxIncomingSize);
    QCOMPARE(client()->closeCode(), QWebSocketProtocol::CloseCodeTooMuchData);
    QCOMPARE(lastError(errors), QStringLiteral("Remote Host Closed Error"));
    verifyNewLogin();
}

void TestConnection::wrongPassword()
{
    LoopbackServer server;
    server.setCredentials(QStringLiteral("operator"), QStringLiteral("secret"));
    QSignalSpy answers(CMessageParser::instance(), &CMessageParser::authMsgResp);
    openClient(server.address(), QStringLiteral("operator"), QStringLiteral("wrong"));
    QTRY_COMPARE(answers.count(), 1);
    const AuthResponse answer = answers.first().first().value<AuthResponse>();
    QVERIFY(!answer.status);
    QCOMPARE(answer.errString, QStringLiteral("invalid_login_or_password"));
    QCOMPARE(client()->clientState(), EClientStates::disconnected);
    // The socket stays open; the next Connect opens it anew and logs in.
    QVERIFY(loginToLoopbackServer(server));
    QVERIFY(endLoopbackSession(server));
}

void TestConnection::serverInfoStatusFalse()
{
    LoopbackServer server;
    server.setServerInfo(false, 0, 0);
    openClient(server.address());
    QTRY_COMPARE(client()->clientState(), EClientStates::serverInfoRespError);
    QVERIFY(!client()->sendMessage(CMessageParser::serverInfoRequest()));
    QVERIFY(endLoopbackSession(server));
    verifyNewLogin();
}

void TestConnection::logoutAndNewLogin()
{
    LoopbackServer server;
    QSignalSpy answers(CMessageParser::instance(), &CMessageParser::authMsgResp);
    QVERIFY(loginToLoopbackServer(server));
    const QString token = answers.last().first().value<AuthResponse>().token;
    QVERIFY(!token.isEmpty());

    client()->logOut(QString()); // no token: nothing is sent
    client()->logOut(token);
    QTRY_COMPARE(client()->clientState(), EClientStates::disconnected);
    const AuthResponse loggedOut = answers.last().first().value<AuthResponse>();
    QVERIFY(!loggedOut.status);
    QCOMPARE(loggedOut.token, token);
    const QList<QJsonObject> closes = server.receivedObjects(Protocol::Cmd::closeAuthReq);
    QCOMPARE(closes.size(), 1);
    QCOMPARE(closes.first().value(Protocol::Key::token).toString(), token);

    server.clearReceived();
    QVERIFY(loginToLoopbackServer(server));
    QCOMPARE(server.receivedCommands(), (QStringList{Protocol::Cmd::authReq, Protocol::Cmd::serverInfoReq}));
    QVERIFY(endLoopbackSession(server));
}

void TestConnection::secondConnectOnlyReplacesRequest()
{
    LoopbackServer server;
    openClient(server.address(), QStringLiteral("first"));
    openClient(server.address(), QStringLiteral("second"));
    QTRY_COMPARE(client()->clientState(), EClientStates::ready);
    const QList<QJsonObject> logins = server.receivedObjects(Protocol::Cmd::authReq);
    QCOMPARE(logins.size(), 1);
    QCOMPARE(logins.first().value(Protocol::Key::login).toString(), QStringLiteral("second"));
    QVERIFY(endLoopbackSession(server));
}

void TestConnection::requestsDroppedOutsideReady()
{
    LoopbackServer server;
    server.setAutoAnswer(Protocol::Cmd::authReq, false);
    QVERIFY(!client()->sendMessage(CMessageParser::serverInfoRequest())); // disconnected
    openClient(server.address());
    QTRY_COMPARE(client()->clientState(), EClientStates::authorization);
    QTRY_COMPARE(server.receivedFrames().size(), 1);
    QVERIFY(!client()->sendMessage(CMessageParser::serverInfoRequest())); // waiting for the login
    CMessageParser::instance()->getDevReq(LoRaDevice());
    QVERIFY(endLoopbackSession(server));
    QCOMPARE(server.receivedCommands(), QStringList{Protocol::Cmd::authReq});
}

void TestConnection::nonAsciiLogin()
{
    const QString login = QStringLiteral("Оператор-№1");
    const QString password = QStringLiteral("пароль ✓ \"&\\");
    LoopbackServer server;
    server.setCredentials(login, password);
    QVERIFY(loginToLoopbackServer(server, login, password));
    const QJsonObject auth = server.receivedObjects(Protocol::Cmd::authReq).last();
    QCOMPARE(auth.value(Protocol::Key::login).toString(), login);
    QCOMPARE(auth.value(Protocol::Key::password).toString(), password);
    QVERIFY(endLoopbackSession(server));
}

RAVLO_REGISTER_TEST(TestConnection)
#include "tst_connection.moc"
