#include "common/LoopbackServer.h"

#include "server/CMessageParser.h"
#include "server/CServerClient.h"
#include "server/Protocol.h"

#include <QHostAddress>
#include <QJsonDocument>
#include <QTcpServer>
#include <QTcpSocket>
#include <QWebSocket>
#include <QWebSocketServer>
#include <QtTest>

namespace {
QString compact(const QJsonObject& object)
{
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}
} // namespace

LoopbackServer::LoopbackServer(QObject* parent)
    : QObject(parent),
      m_server(new QWebSocketServer(QStringLiteral("loopback"), QWebSocketServer::NonSecureMode, this))
{
    m_server->listen(QHostAddress::LocalHost, 0);
    connect(m_server, &QWebSocketServer::newConnection, this, &LoopbackServer::onNewConnection);
}

LoopbackServer::~LoopbackServer()
{
    if (m_client)
        m_client->abort();
}

quint16 LoopbackServer::port() const
{
    return m_server->serverPort();
}

QString LoopbackServer::address() const
{
    return QStringLiteral("127.0.0.1:%1").arg(port());
}

void LoopbackServer::setCredentials(const QString& login, const QString& password)
{
    m_login = login;
    m_password = password;
}

void LoopbackServer::setServerInfo(bool status, int countQelt, int countOther)
{
    m_infoStatus = status;
    m_countQelt = countQelt;
    m_countOther = countOther;
}

void LoopbackServer::setAutoAnswer(const QString& cmd, bool enabled)
{
    m_autoAnswer.insert(cmd, enabled);
}

QList<QJsonObject> LoopbackServer::receivedObjects(const QString& cmd) const
{
    QList<QJsonObject> objects;
    for (const QString& frame : m_frames) {
        const QJsonObject object = QJsonDocument::fromJson(frame.toUtf8()).object();
        if (cmd.isEmpty() || object.value(Protocol::Key::cmd).toString() == cmd)
            objects.append(object);
    }
    return objects;
}

QStringList LoopbackServer::receivedCommands() const
{
    QStringList commands;
    for (const QJsonObject& object : receivedObjects())
        commands.append(object.value(Protocol::Key::cmd).toString());
    return commands;
}

void LoopbackServer::sendToClient(const QString& frame)
{
    if (m_client)
        m_client->sendTextMessage(frame);
}

void LoopbackServer::closeClient()
{
    if (m_client)
        m_client->close();
}

void LoopbackServer::abortClient()
{
    if (m_client)
        m_client->abort();
}

void LoopbackServer::onNewConnection()
{
    while (QWebSocket* socket = m_server->nextPendingConnection()) {
        if (m_client)
            m_client->deleteLater();
        m_client = socket;
        socket->setParent(this);
        connect(socket, &QWebSocket::textMessageReceived, this, &LoopbackServer::onFrame);
        connect(socket, &QWebSocket::disconnected, socket, &QObject::deleteLater);
        emit clientConnected();
    }
}

void LoopbackServer::onFrame(const QString& frame)
{
    m_frames.append(frame);
    emit frameReceived(frame);
    const QJsonObject request = QJsonDocument::fromJson(frame.toUtf8()).object();
    const QString cmd = request.value(Protocol::Key::cmd).toString();
    if (!m_autoAnswer.value(cmd, true))
        return;
    if (cmd == Protocol::Cmd::authReq) {
        const bool accepted =
            m_login.isEmpty() || (request.value(Protocol::Key::login).toString() == m_login &&
                                  request.value(Protocol::Key::password).toString() == m_password);
        QJsonObject answer{{Protocol::Key::cmd, Protocol::Cmd::authResp}, {Protocol::Key::status, accepted}};
        answer.insert(Protocol::Key::token,
                      accepted ? QStringLiteral("token-%1").arg(++m_tokenCounter) : QString());
        answer.insert(Protocol::Key::deviceAccess, accepted ? QStringLiteral("all") : QString());
        answer.insert(Protocol::Key::errString,
                      accepted ? QString() : Protocol::Status::invalidLoginOrPassword);
        sendToClient(compact(answer));
    } else if (cmd == Protocol::Cmd::serverInfoReq) {
        const QJsonObject counts{{Protocol::Key::deviceCountQelt, m_countQelt},
                                 {Protocol::Key::deviceCountOther, m_countOther}};
        sendToClient(compact({{Protocol::Key::cmd, Protocol::Cmd::serverInfoResp},
                              {Protocol::Key::status, m_infoStatus},
                              {Protocol::Key::deviceCount, counts}}));
    } else if (cmd == Protocol::Cmd::closeAuthReq) {
        sendToClient(compact({{Protocol::Key::cmd, Protocol::Cmd::closeAuthResp},
                              {Protocol::Key::status, true},
                              {Protocol::Key::errString, QString()}}));
    }
}

FixedReplyTcpServer::FixedReplyTcpServer(const QByteArray& reply, QObject* parent)
    : QObject(parent), m_server(new QTcpServer(this)), m_reply(reply)
{
    m_server->listen(QHostAddress::LocalHost, 0);
    connect(m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* peer = m_server->nextPendingConnection()) {
            m_peerConnected = true;
            connect(peer, &QTcpSocket::readyRead, peer, [this, peer] {
                peer->readAll();
                peer->write(m_reply);
            });
            connect(peer, &QTcpSocket::disconnected, this, [this] { m_peerClosed = true; });
            connect(peer, &QTcpSocket::disconnected, peer, &QObject::deleteLater);
        }
    });
}

QString FixedReplyTcpServer::address() const
{
    return QStringLiteral("127.0.0.1:%1").arg(m_server->serverPort());
}

bool loginToLoopbackServer(LoopbackServer& server, const QString& login, const QString& password)
{
    static bool wired = false;
    if (!wired) {
        CMessageParser::connectClientToParser();
        wired = true;
    }
    CServerClient* client = CServerClient::instance();
    if (client->clientState() == EClientStates::ready)
        return true;
    CLoraAuthReq request;
    request.protocol = 0;
    request.address = server.address();
    request.login = login;
    request.password = password;
    client->openWebSoket(request);
    return QTest::qWaitFor([client] { return client->clientState() == EClientStates::ready; }, 10000);
}

bool endLoopbackSession(LoopbackServer& server)
{
    CServerClient* client = CServerClient::instance();
    server.closeClient();
    return QTest::qWaitFor(
        [client] {
            return client->state() == QAbstractSocket::UnconnectedState &&
                   (client->clientState() == EClientStates::disconnected ||
                    client->clientState() == EClientStates::unknown);
        },
        10000);
}
