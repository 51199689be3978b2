#include "common/LoopbackServer.h"

#include "server/CMessageParser.h"
#include "server/CServerClient.h"
#include "server/Protocol.h"

#include <QCryptographicHash>
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

HandmadeWebSocketServer::HandmadeWebSocketServer(QObject* parent)
    : QObject(parent), m_server(new QTcpServer(this))
{
    m_server->listen(QHostAddress::LocalHost, 0);
    connect(m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* peer = m_server->nextPendingConnection()) {
            if (m_peer)
                m_peer->deleteLater();
            m_peer = peer;
            peer->setParent(this);
            m_buffer.clear();
            m_handshakeDone = false;
            connect(peer, &QTcpSocket::readyRead, this, &HandmadeWebSocketServer::onReadyRead);
            connect(peer, &QTcpSocket::disconnected, peer, &QObject::deleteLater);
        }
    });
}

QString HandmadeWebSocketServer::address() const
{
    return QStringLiteral("127.0.0.1:%1").arg(m_server->serverPort());
}

void HandmadeWebSocketServer::onReadyRead()
{
    if (!m_peer)
        return;
    m_buffer.append(m_peer->readAll());
    if (!m_handshakeDone) {
        const int end = m_buffer.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        QByteArray key;
        for (const QByteArray& line : m_buffer.left(end).split('\n')) {
            if (line.toLower().startsWith("sec-websocket-key:"))
                key = line.mid(line.indexOf(':') + 1).trimmed();
        }
        m_buffer.remove(0, end + 4);
        const QByteArray accept =
            QCryptographicHash::hash(key + "258EAFA5-E914-47DA-95CA-C5AB0DC85B11", QCryptographicHash::Sha1)
                .toBase64();
        m_peer->write("HTTP/1.1 101 Switching Protocols\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                      "Sec-WebSocket-Accept: " +
                      accept + "\r\n\r\n");
        m_handshakeDone = true;
    }
    // Client frames are always masked; the client sends small ones only.
    while (m_buffer.size() >= 2) {
        const auto byte = [this](int i) { return quint8(m_buffer.at(i)); };
        const int opcode = byte(0) & 0x0F;
        quint64 length = byte(1) & 0x7F;
        int header = 2;
        if (length == 126) {
            if (m_buffer.size() < 4)
                return;
            length = (quint64(byte(2)) << 8) | byte(3);
            header = 4;
        } else if (length == 127) {
            if (m_buffer.size() < 10)
                return;
            length = 0;
            for (int i = 2; i < 10; ++i)
                length = (length << 8) | byte(i);
            header = 10;
        }
        const bool masked = byte(1) & 0x80;
        const int maskStart = header;
        if (masked)
            header += 4;
        if (quint64(m_buffer.size()) < header + length)
            return;
        QByteArray payload = m_buffer.mid(header, int(length));
        if (masked) {
            for (int i = 0; i < payload.size(); ++i)
                payload[i] = char(quint8(payload.at(i)) ^ byte(maskStart + i % 4));
        }
        m_buffer.remove(0, header + int(length));
        handleFrame(opcode, payload);
    }
}

void HandmadeWebSocketServer::handleFrame(int opcode, const QByteArray& payload)
{
    if (opcode == 0x9) { // ping
        ++m_pings;
        if (m_answerPings)
            sendFrame(0xA, payload);
        return;
    }
    if (opcode == 0x8) { // close
        sendFrame(0x8, payload.left(2));
        m_peer->disconnectFromHost();
        return;
    }
    if (opcode != 0x1)
        return;
    const QJsonObject request = QJsonDocument::fromJson(payload).object();
    const QString cmd = request.value(Protocol::Key::cmd).toString();
    if (cmd == Protocol::Cmd::authReq) {
        ++m_logins;
        sendFrame(0x1, QJsonDocument(QJsonObject{{Protocol::Key::cmd, Protocol::Cmd::authResp},
                                                 {Protocol::Key::status, true},
                                                 {Protocol::Key::token, QStringLiteral("hand-token")}})
                           .toJson(QJsonDocument::Compact));
    } else if (cmd == Protocol::Cmd::serverInfoReq) {
        sendFrame(0x1, QJsonDocument(QJsonObject{{Protocol::Key::cmd, Protocol::Cmd::serverInfoResp},
                                                 {Protocol::Key::status, true},
                                                 {Protocol::Key::deviceCount, QJsonObject()}})
                           .toJson(QJsonDocument::Compact));
    }
}

void HandmadeWebSocketServer::sendFrame(int opcode, const QByteArray& payload)
{
    if (!m_peer)
        return;
    QByteArray frame;
    frame.append(char(0x80 | opcode));
    if (payload.size() < 126) {
        frame.append(char(payload.size()));
    } else {
        frame.append(char(126));
        frame.append(char((payload.size() >> 8) & 0xFF));
        frame.append(char(payload.size() & 0xFF));
    }
    frame.append(payload);
    m_peer->write(frame);
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
    const bool ended = QTest::qWaitFor(
        [client] {
            return client->state() == QAbstractSocket::UnconnectedState &&
                   (client->clientState() == EClientStates::disconnected ||
                    client->clientState() == EClientStates::unknown);
        },
        10000);
    // The session ended on purpose: the client must not log in again by itself.
    client->cancelReconnect();
    return ended;
}
