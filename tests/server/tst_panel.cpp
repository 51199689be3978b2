#include "app/CSettings.h"
#include "common/LoopbackServer.h"
#include "common/TestRegistry.h"
#include "server/CServerClient.h"
#include "server/CServerSettingsWidget.h"
#include "server/Protocol.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTranslator>
#include <QtTest>

namespace {
const QString red = QStringLiteral("color: rgb(255,0,0)");
const QString black = QStringLiteral("color: rgb(0,0,0)");
const QString onlineIcon = QStringLiteral(":/icons/Qelt_server_staus_online.png");
const QString disconnectedIcon = QStringLiteral(":/icons/Qelt_server_staus_disconnected.png");

// Types text as key presses; keys without an ASCII code go in as text-only key events.
void typeInto(QLineEdit* edit, const QString& text)
{
    edit->clear();
    for (const QChar ch : text) {
        if (ch.unicode() < 0x80)
            QTest::keyClick(edit, ch.toLatin1());
        else
            QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(ch), Qt::NoModifier);
    }
}

// The panel as the operator sees it, reached through the object names of its parts.
struct Panel
{
    CServerSettingsWidget widget;
    QLineEdit* address = widget.findChild<QLineEdit*>(QStringLiteral("serverAddressEdit"));
    QLineEdit* login = widget.findChild<QLineEdit*>(QStringLiteral("serverLoginEdit"));
    QLineEdit* password = widget.findChild<QLineEdit*>(QStringLiteral("serverPasswordEdit"));
    QComboBox* protocol = widget.findChild<QComboBox*>(QStringLiteral("serverProtocolCombo"));
    QCheckBox* remember = widget.findChild<QCheckBox*>(QStringLiteral("serverRememberBox"));
    QLabel* status = widget.findChild<QLabel*>(QStringLiteral("serverStatusText"));
    QLabel* statusCaption = widget.findChild<QLabel*>(QStringLiteral("serverStatusCaption"));
    QLabel* loginCaption = widget.findChild<QLabel*>(QStringLiteral("serverLoginCaption"));
    QLabel* passwordCaption = widget.findChild<QLabel*>(QStringLiteral("serverPasswordCaption"));
    QLabel* error = widget.findChild<QLabel*>(QStringLiteral("serverErrorLine"));
    QPushButton* connectButton = widget.findChild<QPushButton*>(QStringLiteral("serverConnectButton"));
    QPushButton* disconnectButton = widget.findChild<QPushButton*>(QStringLiteral("serverDisconnectButton"));

    Panel() { widget.show(); }
    bool complete() const
    {
        return address && login && password && protocol && remember && status && statusCaption &&
               loginCaption && passwordCaption && error && connectButton && disconnectButton &&
               widget.findChild<QLabel*>(QStringLiteral("serverStatusIcon")) &&
               widget.findChild<QLabel*>(QStringLiteral("serverAddressCaption"));
    }
    // Types the connection data and presses Connect.
    void connectTo(const QString& host, const QString& user, const QString& pass)
    {
        typeInto(address, host);
        typeInto(login, user);
        typeInto(password, pass);
        protocol->setCurrentIndex(protocol->findData(0));
        QTest::mouseClick(connectButton, Qt::LeftButton);
    }
    bool credentialsShownEmpty() const
    {
        return login->isVisibleTo(&widget) && password->isVisibleTo(&widget) &&
               loginCaption->isVisibleTo(&widget) && passwordCaption->isVisibleTo(&widget) &&
               login->text().isEmpty() && password->text().isEmpty();
    }
};

QString closedPortAddress()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return QStringLiteral("127.0.0.1:%1").arg(probe.serverPort());
}
} // namespace

class TestPanel : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void startsFromSettings();
    void loginAndLogout();
    void wrongPasswordThenRight();
    void connectionFailures_data();
    void connectionFailures();
    void remoteCloseWhileOnline();
    void forgetsCredentialsWhenNotRemembered();
    void disconnectNeedsLoginAndToken();
    void englishCatalogue();
};

void TestPanel::init()
{
    QTRY_VERIFY(CServerClient::instance()->state() == QAbstractSocket::UnconnectedState);
}

void TestPanel::startsFromSettings()
{
    for (CSettings::ESettings key : {CSettings::wsProtocol, CSettings::rememberme})
        CSettings::instance()->remove(CSettings::keyName(key));
    {
        Panel panel;
        QVERIFY(panel.complete());
        QCOMPARE(panel.protocol->currentData().toInt(), 0);
        QVERIFY(!panel.remember->isChecked());
    }
    CSettings::writeValue(CSettings::serverIpPort, QStringLiteral("lora.example.net:8002"));
    CSettings::writeValue(CSettings::serverLogin, QStringLiteral("operator"));
    CSettings::writeValue(CSettings::serverPassword, QStringLiteral("p@ss;word"));
    CSettings::writeValue(CSettings::wsProtocol, 1);
    CSettings::writeValue(CSettings::rememberme, true);
    Panel panel;
    QCOMPARE(panel.address->text(), QStringLiteral("lora.example.net:8002"));
    QCOMPARE(panel.address->placeholderText(), QStringLiteral("example input -> 127.0.0.1:XXXXX"));
    QVERIFY(!panel.address->validator() && !panel.login->validator() && !panel.password->validator());
    QCOMPARE(panel.login->text(), QStringLiteral("operator"));
    QCOMPARE(panel.password->text(), QStringLiteral("p@ss;word"));
    QCOMPARE(panel.password->echoMode(), QLineEdit::Password);
    QCOMPARE(panel.protocol->currentText(), QStringLiteral("wss"));
    QCOMPARE(panel.protocol->itemData(1).toInt(), 0);
    QVERIFY(panel.remember->isChecked());
    QCOMPARE(panel.status->text(), QStringLiteral("Null:"));
    QCOMPARE(panel.statusCaption->text(), QStringLiteral("Статус :"));
    QCOMPARE(panel.widget.statusIconPath(), QStringLiteral(":/icons/Qelt_server_staus_offline.png"));
    QVERIFY(panel.error->isHidden());
    QVERIFY(panel.connectButton->isEnabled());
}

void TestPanel::loginAndLogout()
{
    LoopbackServer server;
    server.setCredentials(QStringLiteral("Оператор"), QStringLiteral("п@роль!"));
    Panel panel;
    panel.remember->setChecked(true);
    panel.connectTo(server.address(), QStringLiteral("Оператор"), QStringLiteral("п@роль!"));
    QTRY_COMPARE(panel.status->text(), QStringLiteral("Online:"));
    QTRY_COMPARE(CServerClient::instance()->clientState(), EClientStates::ready);
    QCOMPARE(panel.widget.statusIconPath(), onlineIcon);
    QVERIFY(!panel.connectButton->isEnabled());
    QVERIFY(panel.login->isHidden() && panel.password->isHidden());
    QVERIFY(panel.loginCaption->isHidden() && panel.passwordCaption->isHidden());
    QVERIFY(panel.login->text().isEmpty() && panel.password->text().isEmpty());
    QVERIFY(panel.address->isVisible() && panel.protocol->isVisible() && panel.remember->isVisible());
    QCOMPARE(CSettings::readValue(CSettings::serverLogin).toString(), QStringLiteral("Оператор"));
    QCOMPARE(CSettings::readValue(CSettings::serverPassword).toString(), QStringLiteral("п@роль!"));
    QVERIFY(CSettings::readValue(CSettings::rememberme).toBool());

    const QString token = panel.widget.lastAuthorisation().token;
    QTest::mouseClick(panel.disconnectButton, Qt::LeftButton);
    QTRY_COMPARE(panel.status->text(), QStringLiteral("Offline:"));
    QCOMPARE(server.receivedObjects(Protocol::Cmd::closeAuthReq).size(), 1);
    QCOMPARE(
        server.receivedObjects(Protocol::Cmd::closeAuthReq).first().value(Protocol::Key::token).toString(),
        token);
    QCOMPARE(panel.widget.statusIconPath(), disconnectedIcon);
    QVERIFY(panel.connectButton->isEnabled());
    QVERIFY(panel.credentialsShownEmpty());
    QVERIFY(panel.error->isHidden());
    QCOMPARE(CServerClient::instance()->clientState(), EClientStates::disconnected);

    // A new login on the same panel.
    panel.connectTo(server.address(), QStringLiteral("Оператор"), QStringLiteral("п@роль!"));
    QTRY_COMPARE(panel.status->text(), QStringLiteral("Online:"));
    QVERIFY(endLoopbackSession(server));
}

void TestPanel::wrongPasswordThenRight()
{
    LoopbackServer server;
    server.setCredentials(QStringLiteral("operator"), QStringLiteral("secret"));
    Panel panel;
    panel.connectTo(server.address(), QStringLiteral("operator"), QStringLiteral("wrong"));
    QTRY_COMPARE(panel.error->text(), QStringLiteral("invalid_login_or_password"));
    QVERIFY(panel.error->isVisible());
    QCOMPARE(panel.error->styleSheet(), red);
    QCOMPARE(panel.loginCaption->styleSheet(), red);
    QCOMPARE(panel.passwordCaption->styleSheet(), red);
    QVERIFY(panel.credentialsShownEmpty());
    QCOMPARE(panel.status->text(), QStringLiteral("Offline:"));
    QVERIFY(panel.connectButton->isEnabled());

    panel.connectTo(server.address(), QStringLiteral("operator"), QStringLiteral("secret"));
    QTRY_COMPARE(panel.status->text(), QStringLiteral("Online:"));
    QCOMPARE(panel.loginCaption->styleSheet(), black);
    QCOMPARE(panel.passwordCaption->styleSheet(), black);
    QVERIFY(panel.error->isHidden());
    QVERIFY(endLoopbackSession(server));
}

void TestPanel::connectionFailures_data()
{
    QTest::addColumn<QByteArray>("reply"); // empty: nobody listens on the port
    QTest::newRow("refused") << QByteArray();
    QTest::newRow("http 401") << QByteArray("HTTP/1.1 401 Unauthorized\r\nContent-Length: 0\r\n\r\n");
}

void TestPanel::connectionFailures()
{
    QFETCH(QByteArray, reply);
    FixedReplyTcpServer httpServer(reply);
    Panel panel;
    panel.connectTo(reply.isEmpty() ? closedPortAddress() : httpServer.address(), QStringLiteral("operator"),
                    QStringLiteral("secret"));
    QTRY_COMPARE(panel.error->text(), QStringLiteral("Connection refused"));
    QVERIFY(panel.error->isVisible());
    QCOMPARE(panel.error->styleSheet(), red);
    QCOMPARE(panel.loginCaption->styleSheet(), black);
    QCOMPARE(panel.status->text(), QStringLiteral("Offline:"));
    QCOMPARE(panel.widget.statusIconPath(), disconnectedIcon);
    QVERIFY(panel.connectButton->isEnabled());
    QTRY_COMPARE(CServerClient::instance()->clientState(), EClientStates::disconnected);

    // The operator corrects the address and connects again.
    LoopbackServer server;
    panel.connectTo(server.address(), QStringLiteral("operator"), QStringLiteral("secret"));
    QTRY_COMPARE(panel.status->text(), QStringLiteral("Online:"));
    QVERIFY(endLoopbackSession(server));
}

void TestPanel::remoteCloseWhileOnline()
{
    LoopbackServer server;
    Panel panel;
    panel.connectTo(server.address(), QStringLiteral("operator"), QStringLiteral("secret"));
    QTRY_COMPARE(CServerClient::instance()->clientState(), EClientStates::ready);
    server.closeClient();
    QTRY_COMPARE(panel.error->text(), QStringLiteral("Remote Host Closed Error"));
    QCOMPARE(panel.status->text(), QStringLiteral("Offline:"));
    QVERIFY(panel.connectButton->isEnabled());
    panel.connectTo(server.address(), QStringLiteral("operator"), QStringLiteral("secret"));
    QTRY_COMPARE(panel.status->text(), QStringLiteral("Online:"));
    QVERIFY(endLoopbackSession(server));
}

void TestPanel::forgetsCredentialsWhenNotRemembered()
{
    CSettings::writeValue(CSettings::serverLogin, QStringLiteral("operator"));
    CSettings::writeValue(CSettings::serverPassword, QStringLiteral("secret"));
    CSettings::writeValue(CSettings::rememberme, true);
    Panel panel;
    panel.remember->setChecked(false);
    panel.connectTo(closedPortAddress(), QStringLiteral("operator"), QStringLiteral("secret"));
    QCOMPARE(CSettings::readValue(CSettings::serverLogin).toString(), QString());
    QCOMPARE(CSettings::readValue(CSettings::serverPassword).toString(), QString());
    QVERIFY(!CSettings::readValue(CSettings::rememberme).toBool());
    QTRY_COMPARE(panel.error->text(), QStringLiteral("Connection refused"));
}

void TestPanel::disconnectNeedsLoginAndToken()
{
    LoopbackServer server;
    Panel panel;
    QSignalSpy errors(CServerClient::instance(), &CServerClient::hostError);
    QTest::mouseClick(panel.disconnectButton, Qt::LeftButton); // never logged in
    QCOMPARE(panel.status->text(), QStringLiteral("Null:"));

    panel.connectTo(server.address(), QStringLiteral("operator"), QStringLiteral("secret"));
    QTRY_COMPARE(CServerClient::instance()->clientState(), EClientStates::ready);
    AuthResponse noToken;
    noToken.status = true;
    panel.widget.changeStatusCon(noToken);
    QTest::mouseClick(panel.disconnectButton, Qt::LeftButton);
    // A request sent afterwards arrives after anything the click could have sent.
    CServerClient::instance()->sendMessage(QStringLiteral(R"({"cmd":"marker"})"));
    QTRY_COMPARE(server.receivedCommands().last(), QStringLiteral("marker"));
    QVERIFY(server.receivedObjects(Protocol::Cmd::closeAuthReq).isEmpty());
    QCOMPARE(CServerClient::instance()->clientState(), EClientStates::ready);
    QVERIFY(endLoopbackSession(server));
    QCOMPARE(errors.count(), 1); // only the end of the session
}

void TestPanel::englishCatalogue()
{
    QTranslator translator;
    QVERIFY(translator.load(QStringLiteral(":/Translations/ravlo_en")));
    QCoreApplication::installTranslator(&translator);
    Panel panel;
    QCoreApplication::removeTranslator(&translator);
    QCOMPARE(panel.connectButton->text(), QStringLiteral("&Connect"));
    QCOMPARE(panel.disconnectButton->text(), QStringLiteral("&Disconnect"));
    QCOMPARE(panel.remember->text(), QStringLiteral("Remember me"));
    QCOMPARE(panel.statusCaption->text(), QStringLiteral("Status:"));
    QCOMPARE(panel.loginCaption->text(), QStringLiteral("User:"));
    QCOMPARE(panel.passwordCaption->text(), QStringLiteral("Password:"));
    QCOMPARE(panel.address->placeholderText(), QStringLiteral("example input -> 127.0.0.1:XXXXX"));
    QCOMPARE(panel.status->text(), QStringLiteral("Null:"));
}

RAVLO_REGISTER_TEST(TestPanel)
#include "tst_panel.moc"
