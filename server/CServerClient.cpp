#include "server/CServerClient.h"

#include "app/CSettings.h"
#include "app/DebugLog.h"
#include "server/CMessageParser.h"
#include "server/Protocol.h"

#include <QMutex>
#include <QMutexLocker>
#include <QUrl>

namespace {
CServerClient* g_client = nullptr;
QMutex g_clientMutex;

const char* const stateNames[] = {
    "connecting",   "connected",          "authorization",       "authorizationSuccess",
    "ready",        "disconnected",       "disconnectedFailed",  "authorizationFailed",
    "commonErrors", "serverInfoReqError", "serverInfoRespError", "unknown"};
} // namespace

CServerClient* CServerClient::instance(const QString& protocolPrefix, QObject* parent)
{
    if (!g_client) {
        QMutexLocker lock(&g_clientMutex);
        if (!g_client)
            g_client = new CServerClient(protocolPrefix, parent);
    }
    return g_client;
}

QString CServerClient::stateName(int state)
{
    if (state < 0 || state >= int(sizeof(stateNames) / sizeof(stateNames[0])))
        return QStringLiteral("UNKNOWN");
    return QString::fromLatin1(stateNames[state]);
}

CServerClient::CServerClient(const QString& protocolPrefix, QObject* parent)
    : QWebSocket(QString(), QWebSocketProtocol::Version13, parent), m_protocolPrefix(protocolPrefix)
{
    qRegisterMetaType<EClientStates>("EClientStates");
    DEBUG_LOG << Protocol::separatorLine;

    connect(this, &QWebSocket::connected, this, &CServerClient::onConnected);
    connect(this, &QWebSocket::disconnected, this, [this] { changeState(EClientStates::disconnected); });
    connect(this, QOverload<QAbstractSocket::SocketError>::of(&QWebSocket::error), this,
            &CServerClient::onSocketError);
    connect(this, &QWebSocket::sslErrors, this, [](const QList<QSslError>& errors) {
        for (const QSslError& e : errors)
            DEBUG_LOG << e.errorString();
    });
    connect(this, &CServerClient::clientStateChanged, this, &CServerClient::onOwnStateChanged);

    // The parser answers the login; it shares the client's owner (the application).
    CMessageParser* parser = CMessageParser::instance(parent);
    connect(parser, &CMessageParser::authMsgResp, this, [this](AuthResponse r) {
        changeState(r.status ? EClientStates::authorizationSuccess : EClientStates::disconnected);
    });
    connect(parser, &CMessageParser::serverInfoResp, this, [this](CloraInfoResp info) {
        DEBUG_LOG << (info.status ? "true" : "false");
        changeState(info.status ? EClientStates::ready : EClientStates::serverInfoRespError);
    });
}

bool CServerClient::sendMessage(QString message)
{
    if (m_state != EClientStates::ready) {
        DEBUG_LOG << "Invalid client state! Abort";
        return false;
    }
    DEBUG_LOG << "Ready!";
    return cmdSendMessage(message);
}

bool CServerClient::cmdSendMessage(QString message)
{
    const qint64 written = sendTextMessage(message);
    const qint64 expected = message.toUtf8().size();
    if (written == expected) {
        DEBUG_LOG << "Message sended:" << message;
        return false;
    }
    DEBUG_LOG << "Error! size = " << written << " message size = " << expected;
    DEBUG_LOG << "Message sended:" << message;
    return true;
}

void CServerClient::openWebSoket(CLoraAuthReq connectionInfo)
{
    DEBUG_LOG << "state:" << int(m_state);
    m_connectionInfo = connectionInfo;
    const QString scheme = connectionInfo.protocol == 1 ? QStringLiteral("wss://") : QStringLiteral("ws://");
    const QUrl url(scheme + connectionInfo.address);

    switch (m_state) {
    case EClientStates::unknown:
        changeState(EClientStates::connecting);
        open(url);
        CSettings::writeValue(CSettings::serverIpPort, connectionInfo.address);
        CSettings::writeValue(CSettings::wsProtocol, connectionInfo.protocol);
        break;
    case EClientStates::disconnected:
        open(url);
        if (cmdSendMessage(CMessageParser::authRequest(m_connectionInfo.login, m_connectionInfo.password)))
            changeState(EClientStates::authorizationFailed);
        break;
    default:
        break;
    }
}

void CServerClient::logOut(QString token)
{
    if (token.isEmpty())
        return;
    if (cmdSendMessage(CMessageParser::closeAuthRequest(token)))
        changeState(EClientStates::disconnectedFailed);
}

void CServerClient::changeState(EClientStates state)
{
    if (state == m_state)
        return;
    m_state = state;
    DEBUG_LOG << "State changed: " << stateName(state) << "[" << int(state) << "]";
    emit clientStateChanged(state);
}

void CServerClient::onConnected()
{
    changeState(authorization);
    if (cmdSendMessage(CMessageParser::authRequest(m_connectionInfo.login, m_connectionInfo.password)))
        changeState(EClientStates::authorizationFailed);
}

void CServerClient::onSocketError(QAbstractSocket::SocketError error)
{
    DEBUG_LOG << error;
    AuthResponse response;
    response.status = false;
    response.errString = error == QAbstractSocket::RemoteHostClosedError
                             ? QStringLiteral("Remote Host Closed Error")
                             : QStringLiteral("Connection refused");
    emit hostError(response);
}

void CServerClient::onOwnStateChanged(EClientStates state)
{
    if (state != EClientStates::authorizationSuccess)
        return;
    if (cmdSendMessage(CMessageParser::serverInfoRequest()))
        changeState(EClientStates::commonErrors);
}
