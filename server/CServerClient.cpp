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

QString CServerClient::loginTimedOutText(int timeoutMs)
{
    return tr("Сервер не завершил вход за %1 с").arg(QString::number(timeoutMs / 1000.0, 'g', 3));
}

QString CServerClient::pingTimedOutText(int timeoutMs)
{
    return tr("Связь с сервером потеряна: нет ответа на ping за %1 с")
        .arg(QString::number(timeoutMs / 1000.0, 'g', 3));
}

bool CServerClient::isClientText(const QString& text)
{
    if (text == connectionRefusedText || text == remoteHostClosedText)
        return true;
    // The time-out texts carry their duration: compare with the part before it.
    const QString login = loginTimedOutText(0);
    const QString ping = pingTimedOutText(0);
    return text.startsWith(login.left(login.indexOf(QLatin1Char('0')))) ||
           text.startsWith(ping.left(ping.indexOf(QLatin1Char('0'))));
}

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
    connect(this, &QWebSocket::pong, this, [this] { m_pongTimer.stop(); });

    m_loginTimer.setSingleShot(true);
    m_pingTimer.setInterval(defaultPingIntervalMs);
    m_pongTimer.setSingleShot(true);
    m_pongTimer.setInterval(defaultPongTimeoutMs);
    m_logoutTimer.setSingleShot(true);
    m_logoutTimer.setInterval(defaultLogoutTimeoutMs);
    m_retryTimer.setSingleShot(true);
    connect(&m_loginTimer, &QTimer::timeout, this, &CServerClient::onLoginTimeout);
    connect(&m_pingTimer, &QTimer::timeout, this, &CServerClient::onPingTick);
    connect(&m_pongTimer, &QTimer::timeout, this, &CServerClient::onPongTimeout);
    connect(&m_logoutTimer, &QTimer::timeout, this, &CServerClient::onLogoutTimeout);
    connect(&m_retryTimer, &QTimer::timeout, this, &CServerClient::onRetryTimer);

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

void CServerClient::setKeepAliveIntervals(int pingIntervalMs, int pongTimeoutMs)
{
    m_pingTimer.setInterval(pingIntervalMs);
    m_pongTimer.setInterval(pongTimeoutMs);
}

void CServerClient::setRetryDelays(int firstDelayMs, int maxDelayMs)
{
    m_firstRetryDelayMs = firstDelayMs;
    m_maxRetryDelayMs = maxDelayMs;
    m_nextRetryDelayMs = firstDelayMs;
}

void CServerClient::openWebSoket(CLoraAuthReq connectionInfo)
{
    DEBUG_LOG << "state:" << int(m_state);
    if (m_state == EClientStates::ready) {
        // Logged in already: a second login on the same connection would confuse the server.
        DEBUG_LOG << "already logged in, Connect ignored";
        return;
    }
    // The operator's Connect replaces any retry of a lost login.
    stopRetries();
    startLogin(connectionInfo);
    CSettings::writeValue(CSettings::serverIpPort, connectionInfo.address);
    CSettings::writeValue(CSettings::wsProtocol, connectionInfo.protocol);
}

// Opens a fresh connection and logs in; whatever the previous attempt left behind (a handshake
// that never ended, a login never answered, a logged-out socket) is closed first.
void CServerClient::startLogin(const CLoraAuthReq& connectionInfo)
{
    m_connectionInfo = connectionInfo;
    const QString scheme = connectionInfo.protocol == 1 ? QStringLiteral("wss://") : QStringLiteral("ws://");
    const QUrl url(scheme + connectionInfo.address);
    m_logoutTimer.stop();
    m_loggingOut = false;
    closeQuietly();
    // From here on, answers still waiting to be handled belong to an ended connection.
    ++m_connectionNumber;
    changeState(EClientStates::connecting);
    const int timeoutMs = CSettings::readValue(CSettings::loginTimeoutMs, defaultLoginTimeoutMs).toInt();
    m_loginTimer.setInterval(timeoutMs > 0 ? timeoutMs : defaultLoginTimeoutMs);
    m_loginTimer.start();
    openSocket(url);
}

void CServerClient::openSocket(const QUrl& url)
{
    m_socketWasConnected = false;
    m_failureReported = false;
    open(url);
    // An invalid address fails inside open(): no socket event will follow.
    if (state() == QAbstractSocket::UnconnectedState) {
        m_loginTimer.stop();
        changeState(EClientStates::disconnected);
    }
}

void CServerClient::closeQuietly()
{
    m_pingTimer.stop();
    m_pongTimer.stop();
    if (state() == QAbstractSocket::UnconnectedState)
        return;
    m_failureReported = true; // the end of this socket is no news to the operator
    abort();
}

void CServerClient::logOut(QString token)
{
    if (token.isEmpty())
        return;
    // The operator ends the login: nothing is to be tried again.
    stopRetries();
    m_loginTimer.stop();
    if (!cmdSendMessage(CMessageParser::closeAuthRequest(token))) {
        // The server must confirm in time; a stalled one must not keep the login open.
        m_loggingOut = true;
        m_pingTimer.stop();
        m_pongTimer.stop();
        m_logoutTimer.start();
        return;
    }
    changeState(EClientStates::disconnectedFailed);
    // Nothing can answer a logout on a connection that is gone: let the operator connect again.
    if (state() == QAbstractSocket::UnconnectedState) {
        changeState(EClientStates::disconnected);
        reportHostError(remoteHostClosedText);
    }
}

void CServerClient::logOutBeforeExit()
{
    stopRetries();
    if (m_state != EClientStates::ready || m_sessionToken.isEmpty())
        return;
    DEBUG_LOG << "logging out before the program ends";
    if (!cmdSendMessage(CMessageParser::closeAuthRequest(m_sessionToken)))
        flush();
}

void CServerClient::cancelReconnect()
{
    if (!m_reconnecting)
        return;
    DEBUG_LOG << "retries of the lost login ended";
    stopRetries();
    if (m_state != EClientStates::ready && m_state != EClientStates::disconnected) {
        m_loginTimer.stop();
        closeQuietly();
        changeState(EClientStates::disconnected);
    }
}

void CServerClient::stopRetries()
{
    m_retryTimer.stop();
    m_reconnecting = false;
    m_retryAttempt = 0;
    m_nextRetryDelayMs = m_firstRetryDelayMs;
}

void CServerClient::scheduleRetry()
{
    // The socket may report one loss twice (its error and its disconnection).
    if (!m_hadGoodLogin || m_loggingOut || m_retryTimer.isActive())
        return;
    m_reconnecting = true;
    ++m_retryAttempt;
    const int delayMs = m_nextRetryDelayMs;
    m_nextRetryDelayMs = qMin(m_nextRetryDelayMs * 2, m_maxRetryDelayMs);
    m_nextRetryAt = QDateTime::currentDateTime().addMSecs(delayMs);
    DEBUG_LOG << "login lost; retry" << m_retryAttempt << "in" << delayMs << "ms";
    m_retryTimer.start(delayMs);
}

void CServerClient::onRetryTimer()
{
    DEBUG_LOG << "retry" << m_retryAttempt << "of the lost login";
    startLogin(m_lastGoodLogin);
}

void CServerClient::onLoginTimeout()
{
    if (m_state == EClientStates::ready)
        return;
    DEBUG_LOG << "login not complete after" << m_loginTimer.interval() << "ms, state:" << stateName(m_state);
    closeQuietly();
    changeState(EClientStates::disconnected);
    if (m_reconnecting)
        scheduleRetry();
    reportHostError(loginTimedOutText(m_loginTimer.interval()));
}

void CServerClient::onPingTick()
{
    if (m_pongTimer.isActive())
        return; // the previous ping is still unanswered
    ping();
    m_pongTimer.start();
}

void CServerClient::onPongTimeout()
{
    DEBUG_LOG << "no pong within" << m_pongTimer.interval() << "ms: login lost";
    const int timeoutMs = m_pongTimer.interval();
    closeQuietly();
    changeState(EClientStates::disconnected);
    scheduleRetry();
    reportHostError(pingTimedOutText(timeoutMs));
}

void CServerClient::onLogoutTimeout()
{
    DEBUG_LOG << "logout not confirmed within" << m_logoutTimer.interval() << "ms: connection closed";
    m_loggingOut = false;
    closeQuietly();
    changeState(EClientStates::disconnected);
    // The panel goes offline as on a confirmed logout.
    reportHostError(QString());
}

void CServerClient::changeState(EClientStates state)
{
    if (state == m_state)
        return;
    if (state == EClientStates::ready) {
        m_loginTimer.stop();
        m_lastGoodLogin = m_connectionInfo;
        m_hadGoodLogin = true;
        stopRetries();
        m_pongTimer.stop();
        m_pingTimer.start();
    } else if (m_state == EClientStates::ready) {
        m_pingTimer.stop();
        m_pongTimer.stop();
    }
    if (state == EClientStates::disconnected)
        m_loginTimer.stop();
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
    const bool wasReady = m_state == EClientStates::ready;
    m_logoutTimer.stop();
    changeState(EClientStates::disconnected);
    if (m_loggingOut) {
        // The server hung up instead of confirming the logout: the login has ended all the same.
        m_loggingOut = false;
        if (sessionLost)
            reportHostError(QString());
        return;
    }
    if (sessionLost) {
        if (wasReady || m_reconnecting)
            scheduleRetry();
        reportHostError(remoteHostClosedText);
    }
}

void CServerClient::onSocketError(QAbstractSocket::SocketError error)
{
    DEBUG_LOG << error << errorString();
    if (m_loggingOut) {
        // The connection ends while a logout waits for its answer: that is the logout.
        m_loggingOut = false;
        m_logoutTimer.stop();
        closeQuietly();
        changeState(EClientStates::disconnected);
        reportHostError(QString());
        return;
    }
    m_failureReported = true;
    const bool wasReady = m_state == EClientStates::ready;
    // A failed handshake leaves the socket connecting with the TCP connection open.
    if (state() != QAbstractSocket::UnconnectedState)
        abort();
    // An invalid address fails inside open() and no disconnection follows.
    if (state() == QAbstractSocket::UnconnectedState) {
        m_logoutTimer.stop();
        changeState(EClientStates::disconnected);
    }
    if (wasReady || m_reconnecting)
        scheduleRetry();
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
    if (response.status)
        m_sessionToken = response.token;
    if (!response.status) {
        m_sessionToken.clear();
        // A refused login or a confirmed logout: nothing to try again.
        m_logoutTimer.stop();
        m_loggingOut = false;
        stopRetries();
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
