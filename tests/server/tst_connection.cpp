#include "common/LoopbackServer.h"
#include "common/TestRegistry.h"
#include "foundation/CSettings.h"
#include "server/CMessageParser.h"
#include "server/CServerClient.h"
#include "server/Protocol.h"
#include "server/widgets/CServerSettingsWidget.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTcpServer>
#include <QtTest>

namespace {
const QString user = QStringLiteral("Оператор-№1");
const QString secret = QStringLiteral("пароль; \"&\\ ✓");
const QString red = QStringLiteral("color: rgb(255,0,0)");
const QString black = QStringLiteral("color: rgb(0,0,0)");

// The connection panel as the operator sees it, reached through the object names of its parts.
struct Panel
{
    CServerSettingsWidget widget;
    template <class T> T* part(const char* name) { return widget.findChild<T*>(QLatin1String(name)); }
    QLineEdit* address = part<QLineEdit>("serverAddressEdit");
    QLineEdit* login = part<QLineEdit>("serverLoginEdit");
    QLineEdit* password = part<QLineEdit>("serverPasswordEdit");
    QCheckBox* remember = part<QCheckBox>("serverRememberBox");
    QLabel* status = part<QLabel>("serverStatusText");
    QLabel* loginCaption = part<QLabel>("serverLoginCaption");
    QLabel* passwordCaption = part<QLabel>("serverPasswordCaption");
    QLabel* error = part<QLabel>("serverErrorLine");
    QPushButton* connectButton = part<QPushButton>("serverConnectButton");
    QPushButton* disconnectButton = part<QPushButton>("serverDisconnectButton");

    Panel() { widget.show(); }
    bool complete() const
    {
        return address && login && password && remember && status && loginCaption && passwordCaption &&
               error && connectButton && disconnectButton;
    }
    void connectTo(const QString& host, const QString& pass = secret)
    {
        address->setText(host);
        login->setText(user);
        password->setText(pass);
        QTest::mouseClick(connectButton, Qt::LeftButton);
    }
};

} // namespace

class TestConnection : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        CSettings::instance();
        CMessageParser::connectClientToParser(); // as start-up wires it
    }
    void sessionEnds_data();
    void sessionEnds();
    void loginThatNeverCompletesTimesOut_data();
    void loginThatNeverCompletesTimesOut();
    void connectAgainWhileLoginHangs();
    void unansweredLogoutStillGoesOffline();
    void disconnectThenConnectKeepsRememberedCredentials();
    void emptyBoxesNeverWipeRememberedCredentials_data();
    void emptyBoxesNeverWipeRememberedCredentials();
    void lostLoginIsTriedAgain();
    void retriesBackOffUntilConnectOrDisconnect();
    void noRetryAfterDisconnectOrRefusal();
    void stalledServerEndsTheLogin();
    void logsOutBeforeTheProgramEnds();
    void answerOfAnEndedConnectionIsDropped();
};

void TestConnection::sessionEnds_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<QByteArray>("detail"); // the address typed, or what a plain TCP server answers
    QTest::addColumn<bool>("remember");
    QTest::addColumn<QString>("error");
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const QByteArray closedPort = "127.0.0.1:" + QByteArray::number(probe.serverPort());
    probe.close();
    const QString refused = QStringLiteral("Connection refused");
    const QString closed = QStringLiteral("Remote Host Closed Error");
    QTest::newRow("refused") << "address" << closedPort << false << refused;
    QTest::newRow("bad port") << "address" << QByteArray("127.0.0.1:abc") << true << refused;
    QTest::newRow("http 401") << "http" << QByteArray("HTTP/1.1 401 Unauthorized\r\n\r\n") << true << refused;
    QTest::newRow("http 404") << "http" << QByteArray("HTTP/1.1 404 Not Found\r\n\r\n") << false << refused;
    QTest::newRow("wrong password") << "wrong" << QByteArray() << false
                                    << "Неверное имя пользователя или пароль";
    QTest::newRow("login accepted, then closed") << "answer, hang up" << QByteArray() << false << closed;
    QTest::newRow("no login answer") << "silent" << QByteArray() << true << closed;
    QTest::newRow("server info false") << "no counters" << QByteArray() << false << closed;
    QTest::newRow("closed while ready") << "close" << QByteArray() << true << closed;
    QTest::newRow("tcp dropped while ready") << "abort" << QByteArray() << false << closed;
    QTest::newRow("frame over the limit") << "oversize" << QByteArray() << true << closed;
    QTest::newRow("logout") << "logout" << QByteArray() << false << QString();
}

void TestConnection::sessionEnds()
{
    QFETCH(QString, how);
    QFETCH(QByteArray, detail);
    QFETCH(bool, remember);
    QFETCH(QString, error);
    CServerClient* client = CServerClient::instance();
    LoopbackServer server;
    server.setCredentials(user, secret);
    server.setServerInfo(how != "no counters", 0, 0);
    server.setAutoAnswer(Protocol::Cmd::authReq, how != "silent" && how != "answer, hang up");
    const auto hangUp = connect(&server, &LoopbackServer::frameReceived, &server, [&server, how] {
        if (how == "answer, hang up") {
            server.sendToClient(R"({"cmd":"auth_resp","status":true,"token":"t1"})");
            server.closeClient();
        }
    });
    FixedReplyTcpServer plainServer(detail);
    Panel panel;
    QVERIFY(panel.complete());
    // Host names and passwords with any symbols are typed freely.
    QVERIFY(!panel.address->validator() && !panel.login->validator() && !panel.password->validator());
    panel.remember->setChecked(remember);
    QSignalSpy hostErrors(client, &CServerClient::hostError);
    QSignalSpy answers(CMessageParser::instance(), &CMessageParser::authMsgResp);
    panel.connectTo(how == "address" ? QString::fromLatin1(detail)
                    : how == "http"  ? plainServer.address()
                                     : server.address(),
                    how == "wrong" ? QStringLiteral("wrong") : secret);
    QString token;
    if (how == "silent" || how == "no counters") {
        // Requests are dropped while the login waits for its answer, and after refused counters.
        QTRY_COMPARE(client->clientState(),
                     how == "silent" ? EClientStates::authorization : EClientStates::serverInfoRespError);
        CMessageParser::instance()->mngDevsReq({LoRaDevice()});
        server.closeClient();
    } else if (QStringList{"close", "abort", "oversize", "logout"}.contains(how)) {
        QTRY_COMPARE(client->clientState(), EClientStates::ready);
        token = panel.widget.lastAuthorisation().token;
        if (how == "oversize") {
            // The client refuses what a faulty server could send; a smaller limit is quicker to test.
            QVERIFY(client->maxAllowedIncomingMessageSize() < QWebSocket::maxIncomingMessageSize());
            client->setMaxAllowedIncomingFrameSize(4096);
            client->setMaxAllowedIncomingMessageSize(4096);
            server.sendToClient(QString(10000, 'x'));
        } else if (how == "logout") {
            QTest::mouseClick(panel.disconnectButton, Qt::LeftButton);
        } else {
            how == "abort" ? server.abortClient() : server.closeClient();
        }
    }
    if (how == "answer, hang up") // handled only after the loss, it must not start a session
        QTRY_COMPARE(answers.count(), 1);
    QTRY_COMPARE(panel.status->text(), QStringLiteral("Offline:"));
    QCOMPARE(client->clientState(), EClientStates::disconnected);
    // A refused login or a logout leaves the socket open for the next Connect; any other end closes it.
    if (how != "wrong" && how != "logout")
        QTRY_COMPARE(client->state(), QAbstractSocket::UnconnectedState);
    if (how == "oversize") {
        QCOMPARE(client->closeCode(), QWebSocketProtocol::CloseCodeTooMuchData);
        client->setMaxAllowedIncomingFrameSize(CServerClient::maxIncomingSize);
        client->setMaxAllowedIncomingMessageSize(CServerClient::maxIncomingSize);
    }
    // The client gives up a failed handshake itself; the plain server never hangs up.
    if (how == "http")
        QTRY_VERIFY(plainServer.peerClosed());
    QCOMPARE(hostErrors.count(), how == "wrong" || how == "logout" ? 0 : 1);
    QCOMPARE(panel.error->text(), error);
    QCOMPARE(panel.error->isVisible(), !error.isEmpty());
    QCOMPARE(panel.error->styleSheet(), error.isEmpty() ? black : red);
    QCOMPARE(panel.loginCaption->styleSheet() + panel.passwordCaption->styleSheet(),
             how == "wrong" ? red + red : black + black);
    QCOMPARE(panel.error->toolTip(),
             how == "wrong" ? QStringLiteral("invalid_login_or_password") : QString());
    // What the operator typed stays for the next Connect.
    QVERIFY(panel.login->isVisible() && panel.password->isVisible());
    QCOMPARE(panel.login->text(), user);
    QCOMPARE(panel.password->text(), how == "wrong" ? QStringLiteral("wrong") : secret);
    QCOMPARE(client->isReconnecting(), QStringList({"close", "abort", "oversize"}).contains(how));
    QVERIFY(panel.connectButton->isEnabled());
    const QList<QJsonObject> logouts = server.receivedObjects(Protocol::Cmd::closeAuthReq);
    QCOMPARE(logouts.size(), how == "logout" ? 1 : 0);
    QVERIFY(logouts.isEmpty() || logouts.first().value(Protocol::Key::token).toString() == token);
    QVERIFY(server.receivedCommands().filter("device").isEmpty()); // none of the dropped requests went out

    // Whatever happened, the next Connect logs in again.
    disconnect(hangUp);
    server.setAutoAnswer(Protocol::Cmd::authReq, true);
    server.setServerInfo(true, 0, 0);
    server.clearReceived();
    panel.connectTo(server.address());
    QTRY_COMPARE(client->clientState(), EClientStates::ready);
    QCOMPARE(server.receivedCommands(), (QStringList{Protocol::Cmd::authReq, Protocol::Cmd::serverInfoReq}));
    QCOMPARE(panel.status->text(), QStringLiteral("Online:"));
    QCOMPARE(panel.widget.statusIconPath(), QStringLiteral(":/icons/Qelt_server_staus_online.png"));
    QVERIFY(!panel.connectButton->isEnabled() && panel.error->isHidden() && panel.login->isHidden());
    QCOMPARE(panel.loginCaption->styleSheet(), black);
    QCOMPARE(CSettings::readValue(CSettings::serverLogin).toString(), remember ? user : QString());
    QCOMPARE(CSettings::readValue(CSettings::serverPassword).toString(), remember ? secret : QString());
    QCOMPARE(CSettings::readValue(CSettings::serverIpPort).toString(), server.address()); // the corrected one
    QVERIFY(endLoopbackSession(server));
}

void TestConnection::loginThatNeverCompletesTimesOut_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("login answer not json") << "garbage";
    QTest::newRow("login answer without status") << "no status";
    QTest::newRow("login never answered") << "silent";
    QTest::newRow("server info never answered") << "no counters";
    QTest::newRow("handshake never finished") << "handshake";
}

void TestConnection::loginThatNeverCompletesTimesOut()
{
    QFETCH(QString, how);
    CServerClient* client = CServerClient::instance();
    CSettings::writeValue(CSettings::loginTimeoutMs, 300);
    LoopbackServer server;
    server.setAutoAnswer(Protocol::Cmd::authReq, how == "no counters");
    server.setAutoAnswer(Protocol::Cmd::serverInfoReq, false);
    connect(&server, &LoopbackServer::frameReceived, &server, [&server, how] {
        if (how == "garbage")
            server.sendToClient(QStringLiteral("<html>not json</html>"));
        else if (how == "no status")
            server.sendToClient(QStringLiteral(R"({"cmd":"auth_resp","token":"t1"})"));
    });
    FixedReplyTcpServer silentServer{QByteArray()}; // accepts, reads, never answers
    Panel panel;
    QSignalSpy hostErrors(client, &CServerClient::hostError);
    panel.connectTo(how == "handshake" ? silentServer.address() : server.address());
    QTRY_COMPARE(panel.status->text(), QStringLiteral("Offline:"));
    QCOMPARE(client->clientState(), EClientStates::disconnected);
    QCOMPARE(client->state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(hostErrors.count(), 1);
    QCOMPARE(panel.error->text(), CServerClient::loginTimedOutText(300));
    QVERIFY(panel.error->isVisible() && panel.connectButton->isEnabled());
    if (how == "handshake")
        QTRY_VERIFY(silentServer.peerClosed());

    // The next Connect logs in as usual.
    CSettings::writeValue(CSettings::loginTimeoutMs, CServerClient::defaultLoginTimeoutMs);
    LoopbackServer goodServer;
    panel.connectTo(goodServer.address());
    QTRY_COMPARE(client->clientState(), EClientStates::ready);
    QCOMPARE(panel.status->text(), QStringLiteral("Online:"));
    QVERIFY(endLoopbackSession(goodServer));
}

void TestConnection::connectAgainWhileLoginHangs()
{
    CServerClient* client = CServerClient::instance();
    LoopbackServer silent;
    silent.setAutoAnswer(Protocol::Cmd::authReq, false);
    Panel panel;
    panel.connectTo(silent.address());
    QTRY_COMPARE(client->clientState(), EClientStates::authorization);
    // Within the default time-out the operator tries another server: the hanging login is given up.
    LoopbackServer goodServer;
    panel.connectTo(goodServer.address());
    QTRY_COMPARE(client->clientState(), EClientStates::ready);
    QCOMPARE(panel.status->text(), QStringLiteral("Online:"));
    QVERIFY(endLoopbackSession(goodServer));
}

void TestConnection::unansweredLogoutStillGoesOffline()
{
    CServerClient* client = CServerClient::instance();
    client->setLogoutTimeout(300);
    LoopbackServer server;
    server.setAutoAnswer(Protocol::Cmd::closeAuthReq, false);
    Panel panel;
    panel.connectTo(server.address());
    QTRY_COMPARE(client->clientState(), EClientStates::ready);
    QTest::mouseClick(panel.disconnectButton, Qt::LeftButton);
    QTRY_COMPARE(panel.status->text(), QStringLiteral("Offline:"));
    QCOMPARE(client->clientState(), EClientStates::disconnected);
    QCOMPARE(client->state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(server.receivedObjects(Protocol::Cmd::closeAuthReq).size(), 1);
    QVERIFY(panel.error->isHidden());
    QVERIFY(panel.connectButton->isEnabled());
    client->setLogoutTimeout(CServerClient::defaultLogoutTimeoutMs);
    QVERIFY(!client->isReconnecting());
}

void TestConnection::disconnectThenConnectKeepsRememberedCredentials()
{
    CServerClient* client = CServerClient::instance();
    LoopbackServer server;
    server.setCredentials(user, secret);
    Panel panel;
    panel.remember->setChecked(true);
    panel.connectTo(server.address());
    QTRY_COMPARE(client->clientState(), EClientStates::ready);
    QTest::mouseClick(panel.disconnectButton, Qt::LeftButton);
    QTRY_COMPARE(panel.status->text(), QStringLiteral("Offline:"));
    QCOMPARE(panel.login->text(), user);
    QCOMPARE(panel.password->text(), secret);

    // Connect again without typing anything: the login goes through and the file keeps both.
    QTest::mouseClick(panel.connectButton, Qt::LeftButton);
    QTRY_COMPARE(client->clientState(), EClientStates::ready);
    QSettings file(CSettings::instance()->fileName(), QSettings::IniFormat);
    QCOMPARE(file.value(QStringLiteral("serverLogin")).toString(), user);
    QCOMPARE(file.value(QStringLiteral("serverPassword")).toString(), secret);
    QCOMPARE(file.value(QStringLiteral("rememberme")).toBool(), true);

    // A panel made afresh (the next start) offers them again.
    Panel nextStart;
    QCOMPARE(nextStart.login->text(), user);
    QCOMPARE(nextStart.password->text(), secret);
    QVERIFY(endLoopbackSession(server));
}

void TestConnection::emptyBoxesNeverWipeRememberedCredentials_data()
{
    QTest::addColumn<bool>("remember");
    QTest::newRow("remember on") << true;
    QTest::newRow("remember off") << false;
}

void TestConnection::emptyBoxesNeverWipeRememberedCredentials()
{
    QFETCH(bool, remember);
    CSettings::writeValue(CSettings::serverLogin, user);
    CSettings::writeValue(CSettings::serverPassword, secret);
    CServerClient* client = CServerClient::instance();
    LoopbackServer server;
    server.setAutoAnswer(Protocol::Cmd::authReq, false);
    Panel panel;
    panel.remember->setChecked(remember);
    panel.login->clear();
    panel.password->clear();
    QTest::mouseClick(panel.connectButton, Qt::LeftButton);
    QSettings file(CSettings::instance()->fileName(), QSettings::IniFormat);
    QCOMPARE(file.value(QStringLiteral("serverLogin")).toString(), remember ? user : QString());
    QCOMPARE(file.value(QStringLiteral("serverPassword")).toString(), remember ? secret : QString());
    client->cancelReconnect();
    QVERIFY(endLoopbackSession(server));
}

void TestConnection::lostLoginIsTriedAgain()
{
    CServerClient* client = CServerClient::instance();
    client->setRetryDelays(100, 400);
    LoopbackServer server;
    server.setCredentials(user, secret);
    Panel panel;
    QLabel* retryLine = panel.part<QLabel>("serverRetryLine");
    QVERIFY(retryLine);
    panel.connectTo(server.address());
    QTRY_COMPARE(client->clientState(), EClientStates::ready);
    // The operator edits the boxes afterwards: the retry uses the login that worked.
    panel.login->setText(QStringLiteral("someone else"));
    server.clearReceived();
    server.abortClient();
    QTRY_COMPARE(panel.status->text(), QStringLiteral("Offline:"));
    QVERIFY(client->isReconnecting());
    QVERIFY(retryLine->isVisible());
    QVERIFY(retryLine->text().contains(QStringLiteral("Повторное подключение")));
    QTRY_COMPARE(client->clientState(), EClientStates::ready);
    QCOMPARE(panel.status->text(), QStringLiteral("Online:"));
    QVERIFY(retryLine->isHidden() && !client->isReconnecting());
    const QList<QJsonObject> logins = server.receivedObjects(Protocol::Cmd::authReq);
    QCOMPARE(logins.size(), 1);
    QCOMPARE(logins.first().value(Protocol::Key::login).toString(), user);
    QCOMPARE(logins.first().value(Protocol::Key::password).toString(), secret);
    QVERIFY(endLoopbackSession(server));
    client->setRetryDelays(CServerClient::defaultFirstRetryDelayMs, CServerClient::defaultMaxRetryDelayMs);
}

void TestConnection::retriesBackOffUntilConnectOrDisconnect()
{
    CServerClient* client = CServerClient::instance();
    client->setRetryDelays(50, 200);
    Panel panel;
    QLabel* retryLine = panel.part<QLabel>("serverRetryLine");
    {
        LoopbackServer server;
        panel.connectTo(server.address());
        QTRY_COMPARE(client->clientState(), EClientStates::ready);
        server.abortClient();
        QTRY_VERIFY(client->isReconnecting());
    } // the server is gone: every retry is refused
    QList<int> delays;
    connect(client, &CServerClient::hostError, &panel.widget, [client, &delays] {
        if (client->nextRetryAt().isValid())
            delays.append(int(QDateTime::currentDateTime().msecsTo(client->nextRetryAt())));
    });
    QTRY_VERIFY(delays.size() >= 3);
    // 50 ms were waited before the first of these; then 100, 200 and never more than 200.
    const QList<int> expected{100, 200, 200};
    for (int i = 0; i < 3; ++i)
        QVERIFY2(delays.at(i) <= expected.at(i) && delays.at(i) > expected.at(i) - 40,
                 qPrintable(QStringLiteral("retry %1 after %2 ms").arg(i).arg(delays.at(i))));
    QVERIFY(client->retryAttempt() >= 4);
    QCOMPARE(panel.error->text(), CServerClient::connectionRefusedText);

    // Disconnect ends the retries.
    QTest::mouseClick(panel.disconnectButton, Qt::LeftButton);
    QVERIFY(!client->isReconnecting());
    QVERIFY(retryLine->isHidden());
    QCOMPARE(client->clientState(), EClientStates::disconnected);

    // Connect ends them as well, and logs in to the server now typed.
    LoopbackServer other;
    panel.connectTo(other.address());
    QTRY_COMPARE(client->clientState(), EClientStates::ready);
    other.abortClient();
    QTRY_VERIFY(client->isReconnecting());
    LoopbackServer third;
    panel.connectTo(third.address());
    QVERIFY(!client->isReconnecting());
    QTRY_COMPARE(client->clientState(), EClientStates::ready);
    QVERIFY(endLoopbackSession(third));
    client->setRetryDelays(CServerClient::defaultFirstRetryDelayMs, CServerClient::defaultMaxRetryDelayMs);
}

void TestConnection::noRetryAfterDisconnectOrRefusal()
{
    CServerClient* client = CServerClient::instance();
    LoopbackServer server;
    server.setCredentials(user, secret);
    Panel panel;
    panel.connectTo(server.address());
    QTRY_COMPARE(client->clientState(), EClientStates::ready);
    QTest::mouseClick(panel.disconnectButton, Qt::LeftButton);
    QTRY_COMPARE(panel.status->text(), QStringLiteral("Offline:"));
    server.abortClient(); // the server then drops the logged-out connection
    QTRY_COMPARE(client->state(), QAbstractSocket::UnconnectedState);
    QVERIFY(!client->isReconnecting());

    panel.connectTo(server.address(), QStringLiteral("wrong"));
    QTRY_COMPARE(panel.error->toolTip(), Protocol::Status::invalidLoginOrPassword);
    QCOMPARE(client->clientState(), EClientStates::disconnected);
    QVERIFY(!client->isReconnecting());
    QVERIFY(endLoopbackSession(server));
}

void TestConnection::stalledServerEndsTheLogin()
{
    CServerClient* client = CServerClient::instance();
    client->setKeepAliveIntervals(100, 300);
    client->setRetryDelays(100, 400);
    HandmadeWebSocketServer server;
    Panel panel;
    panel.connectTo(server.address());
    QTRY_COMPARE(client->clientState(), EClientStates::ready);
    // Answered pings keep the login.
    QTRY_VERIFY(server.pingsReceived() >= 3);
    QCOMPARE(client->clientState(), EClientStates::ready);

    server.setAnswerPings(false);
    QTRY_COMPARE(panel.status->text(), QStringLiteral("Offline:"));
    QCOMPARE(client->clientState(), EClientStates::disconnected);
    QCOMPARE(panel.error->text(), CServerClient::pingTimedOutText(300));
    QVERIFY(client->isReconnecting());

    // The server recovers: the retry logs in again.
    server.setAnswerPings(true);
    QTRY_COMPARE(client->clientState(), EClientStates::ready);
    QCOMPARE(server.loginsReceived(), 2);
    QCOMPARE(panel.status->text(), QStringLiteral("Online:"));

    client->setKeepAliveIntervals(CServerClient::defaultPingIntervalMs, CServerClient::defaultPongTimeoutMs);
    client->setRetryDelays(CServerClient::defaultFirstRetryDelayMs, CServerClient::defaultMaxRetryDelayMs);
    QTest::mouseClick(panel.disconnectButton, Qt::LeftButton); // nobody answers: offline after the time-out
    QTRY_COMPARE(client->clientState(), EClientStates::disconnected);
    QVERIFY(!client->isReconnecting());
}

void TestConnection::logsOutBeforeTheProgramEnds()
{
    CServerClient* client = CServerClient::instance();
    LoopbackServer server;
    Panel panel;
    panel.connectTo(server.address());
    QTRY_COMPARE(client->clientState(), EClientStates::ready);
    const QString token = panel.widget.lastAuthorisation().token;
    QVERIFY(!token.isEmpty());
    client->logOutBeforeExit();
    QTRY_COMPARE(server.receivedObjects(Protocol::Cmd::closeAuthReq).size(), 1);
    QCOMPARE(
        server.receivedObjects(Protocol::Cmd::closeAuthReq).first().value(Protocol::Key::token).toString(),
        token);
    QTRY_COMPARE(panel.status->text(), QStringLiteral("Offline:"));
    QVERIFY(endLoopbackSession(server));
}

RAVLO_REGISTER_TEST(TestConnection)
void TestConnection::answerOfAnEndedConnectionIsDropped()
{
    CServerClient* client = CServerClient::instance();
    LoopbackServer first;
    first.setServerInfo(true, 111, 0);
    QVERIFY(loginToLoopbackServer(first));
    QSignalSpy infos(CMessageParser::instance(), &CMessageParser::serverInfoResp);
    QSignalSpy frames(client, &QWebSocket::textMessageReceived);
    client->sendMessage(CMessageParser::serverInfoRequest());
    QVERIFY(frames.wait());
    // The answer has arrived, but the event loop has not handled it yet when the connection
    // drops and the operator connects to another server.
    QCOMPARE(infos.count(), 0);
    client->abort();
    LoopbackServer second;
    second.setServerInfo(true, 222, 0);
    CLoraAuthReq request;
    request.address = second.address();
    request.login = QStringLiteral("operator");
    request.password = QStringLiteral("secret");
    client->openWebSoket(request);
    QTRY_COMPARE(client->clientState(), EClientStates::ready);
    QCOMPARE(infos.count(), 1);
    QCOMPARE(infos.first().first().value<CloraInfoResp>().deviceCountQelt, 222);
    QVERIFY(endLoopbackSession(second));
}

#include "tst_connection.moc"
