#include "server/CServerClient.h"

#include "foundation/CSettings.h"
#include "foundation/DebugLog.h"
#include "server/CMessageParser.h"
#include "server/FrameSummary.h"
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

// States in which the login has been accepted by the server.
bool isLoggedIn(EClientStates state)
{
    return state == EClientStates::authorizationSuccess || state == EClientStates::ready ||
           state == EClientStates::commonErrors || state == EClientStates::serverInfoRespError;
}
} // namespace

const QString CServerClient::connectionRefusedText = QStringLiteral("Connection refused");
const QString CServerClient::remoteHostClosedText = QStringLiteral("Remote Host Closed Error");

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

    // Qt accepts messages of up to 2 GiB by default; a larger one closes the connection (code 1009).
    setMaxAllowedIncomingFrameSize(maxIncomingSize);
    setMaxAllowedIncomingMessageSize(maxIncomingSize);

    // Connected before any open(): an invalid URL reports its error from inside open().
    connect(this, &QWebSocket::connected, this, &CServerClient::onConnected);
    connect(this, &QWebSocket::disconnected, this, &CServerClient::onDisconnected);
    connect(this, QOverload<QAbstractSocket::SocketError>::of(&QWebSocket::error), this,
            &CServerClient::onSocketError);
    connect(this, &QWebSocket::sslErrors, this, [](const QList<QSslError>& errors) {
        for (const QSslError& e : errors)
            DEBUG_LOG << e.errorString();
    });
    connect(this, &CServerClient::clientStateChanged, this, &CServerClient::onOwnStateChanged);

    // The parser answers the login; it shares the client's owner (the application).
    CMessageParser* parser = CMessageParser::instance(parent);
    connect(parser, &CMessageParser::authMsgResp, this, &CServerClient::onAuthAnswer);
    connect(parser, &CMessageParser::serverInfoResp, this, &CServerClient::onServerInfo);
}

CServerClient::~CServerClient()
{
    // ~QWebSocket closes the socket and emits disconnected(): this object must no longer react.
    disconnect(this, nullptr, this, nullptr);
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

// true means the message did not go out whole.
bool CServerClient::cmdSendMessage(QString message)
{
    const qint64 written = sendTextMessage(message);
    const qint64 expected = message.toUtf8().size();
    // The log names the frame, never its text: it may hold a password or keys, or megabytes.
    if (written == expected) {
        DEBUG_LOG << "Message sended:" << frameSummary(message, expected);
        return false;
    }
    DEBUG_LOG << "Error! size = " << written << " message size = " << expected;
    DEBUG_LOG << "Message sended:" << frameSummary(message, expected);
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
        openSocket(url);
        CSettings::writeValue(CSettings::serverIpPort, connectionInfo.address);
        CSettings::writeValue(CSettings::wsProtocol, connectionInfo.protocol);
        break;
    case EClientStates::disconnected:
        openSocket(url);
        // A corrected address must be the one offered at the next start as well.
        CSettings::writeValue(CSettings::serverIpPort, connectionInfo.address);
        CSettings::writeValue(CSettings::wsProtocol, connectionInfo.protocol);
        // The socket is still connecting, so this early login normally fails; the login
        // proper is sent once the socket connects.
        if (cmdSendMessage(CMessageParser::authRequest(m_connectionInfo.login, m_connectionInfo.password))) {
            changeState(EClientStates::authorizationFailed);
            // open() may already have failed for good (an invalid address): no socket event
            // will follow, so the next Connect must find the client disconnected.
            if (state() == QAbstractSocket::UnconnectedState)
                changeState(EClientStates::disconnected);
        }
        break;
    default:
        break;
    }
}

void CServerClient::openSocket(const QUrl& url)
{
    m_socketWasConnected = false;
    m_failureReported = false;
    open(url);
}

void CServerClient::logOut(QString token)
{
    if (token.isEmpty())
        return;
    if (!cmdSendMessage(CMessageParser::closeAuthRequest(token)))
        return;
    changeState(EClientStates::disconnectedFailed);
    // Nothing can answer a logout on a connection that is gone: let the operator connect again.
    if (state() == QAbstractSocket::UnconnectedState) {
        changeState(EClientStates::disconnected);
        reportHostError(remoteHostClosedText);
    }
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
    m_socketWasConnected = true;
    changeState(authorization);
    if (cmdSendMessage(CMessageParser::authRequest(m_connectionInfo.login, m_connectionInfo.password)))
        changeState(EClientStates::authorizationFailed);
}

void CServerClient::onDisconnected()
{
    DEBUG_LOG << "close code:" << int(closeCode()) << closeReason();
    // A connection that got through and ends without an error of its own (the server closed it,
    // or a frame over the limit made the socket close it) is a loss the operator must see,
    // unless the session had already ended (logout, refused login).
    const bool sessionLost =
        m_socketWasConnected && !m_failureReported && m_state != EClientStates::disconnected;
    changeState(EClientStates::disconnected);
    if (sessionLost)
        reportHostError(remoteHostClosedText);
}

void CServerClient::onSocketError(QAbstractSocket::SocketError error)
{
    DEBUG_LOG << error << errorString();
    m_failureReported = true;
    // A failed handshake leaves the socket connecting with the TCP connection open.
    if (state() != QAbstractSocket::UnconnectedState)
        abort();
    // An invalid address fails inside open() and no disconnection follows.
    if (state() == QAbstractSocket::UnconnectedState)
        changeState(EClientStates::disconnected);
    reportHostError(error == QAbstractSocket::RemoteHostClosedError ? remoteHostClosedText
                                                                    : connectionRefusedText);
}

void CServerClient::reportHostError(const QString& text)
{
    AuthResponse response;
    response.status = false;
    response.errString = text;
    emit hostError(response);
}

void CServerClient::onOwnStateChanged(EClientStates state)
{
    if (state != EClientStates::authorizationSuccess)
        return;
    if (cmdSendMessage(CMessageParser::serverInfoRequest()))
        changeState(EClientStates::commonErrors);
}

void CServerClient::onAuthAnswer(const AuthResponse& response)
{
    // Frames reach the parser a pass of the event loop later: a login answer may arrive after
    // its connection has gone. It must not start a session on a closed socket.
    if (response.status && !socketIsConnected()) {
        DEBUG_LOG << "login answer of a closed connection ignored";
        return;
    }
    changeState(response.status ? EClientStates::authorizationSuccess : EClientStates::disconnected);
}

void CServerClient::onServerInfo(const CloraInfoResp& info)
{
    DEBUG_LOG << (info.status ? "true" : "false");
    // Counters that arrive after a logout or a lost connection do not log the client in.
    if (!isLoggedIn(m_state) || !socketIsConnected()) {
        DEBUG_LOG << "server info outside a session ignored, state:" << stateName(m_state);
        return;
    }
    changeState(info.status ? EClientStates::ready : EClientStates::serverInfoRespError);
}
