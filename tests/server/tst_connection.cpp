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
    void initTestCase() { CMessageParser::connectClientToParser(); } // as start-up wires it
    void sessionEnds_data();
    void sessionEnds();
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
    QTest::newRow("wrong password") << "wrong" << QByteArray() << false << "invalid_login_or_password";
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
    QVERIFY(panel.login->isVisible() && panel.login->text().isEmpty() && panel.password->text().isEmpty());
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

RAVLO_REGISTER_TEST(TestConnection)
#include "tst_connection.moc"
