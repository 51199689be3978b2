#pragma once

#include "server/ServerRecords.h"

#include <QDateTime>
#include <QTimer>
#include <QWebSocket>

enum EClientStates
{
    connecting,
    connected,
    authorization,
    authorizationSuccess,
    ready,
    disconnected,
    disconnectedFailed,
    authorizationFailed,
    commonErrors,
    serverInfoReqError,
    serverInfoRespError,
    unknown
};
Q_DECLARE_METATYPE(EClientStates)

// The program's one connection to the network server. Logs in on connection, asks for
// the counters and lets requests through only once the login is complete ("ready").
class CServerClient : public QWebSocket
{
    Q_OBJECT
public:
    // Largest frame and message accepted from the server: room for a device list of a few
    // hundred thousand devices, yet a faulty server cannot make the program exhaust memory.
    static constexpr quint64 maxIncomingSize = 256ull * 1024 * 1024;

    // The two texts under which socket failures reach the operator.
    static const QString connectionRefusedText;
    static const QString remoteHostClosedText;

    // Time allowed from Connect until the client is ready, unless the settings say otherwise
    // (key loginTimeoutMs).
    static constexpr int defaultLoginTimeoutMs = 10000;
    // While logged in the client pings the server; a missing pong ends the login as lost.
    static constexpr int defaultPingIntervalMs = 15000;
    static constexpr int defaultPongTimeoutMs = 10000;
    // Time the server has to confirm a logout before the socket is closed anyway.
    static constexpr int defaultLogoutTimeoutMs = 2000;
    // A lost login is tried again after 2, 4, 8 ... seconds, never more than a minute apart.
    static constexpr int defaultFirstRetryDelayMs = 2000;
    static constexpr int defaultMaxRetryDelayMs = 60000;

    ~CServerClient() override;

    static CServerClient* instance(const QString& protocolPrefix = QString(), QObject* parent = nullptr);

    EClientStates clientState() const { return m_state; }
    static QString stateName(int state);

    // The texts under which the client's own time-outs reach the operator.
    static QString loginTimedOutText(int timeoutMs);
    static QString pingTimedOutText(int timeoutMs);
    // Whether a text is one of the client's own failure texts (not a code from the server).
    static bool isClientText(const QString& text);

    void setKeepAliveIntervals(int pingIntervalMs, int pongTimeoutMs);
    void setLogoutTimeout(int timeoutMs) { m_logoutTimer.setInterval(timeoutMs); }
    void setRetryDelays(int firstDelayMs, int maxDelayMs);

    // A lost login is being tried again: either a retry is waiting for its time, or one runs now.
    bool isReconnecting() const { return m_reconnecting; }
    // When the next retry starts (invalid while none waits).
    QDateTime nextRetryAt() const { return m_retryTimer.isActive() ? m_nextRetryAt : QDateTime(); }
    int retryAttempt() const { return m_retryAttempt; }

    // Counts the connections opened so far: a frame is of the connection whose number was
    // current when it arrived.
    quint64 connectionNumber() const { return m_connectionNumber; }

signals:
    void clientStateChanged(EClientStates state);
    void hostError(AuthResponse error);

public slots:
    bool sendMessage(QString message);
    void openWebSoket(CLoraAuthReq connectionInfo);
    void logOut(QString token);
    // Ends the retries of a lost login; a retry under way is given up.
    void cancelReconnect();
    // The program is about to end: logs out of a login in force and pushes the request onto
    // the network at once, since no event loop will run to send it.
    void logOutBeforeExit();

protected slots:
    void changeState(EClientStates state);

private slots:
    bool cmdSendMessage(QString message);

protected:
    explicit CServerClient(const QString& protocolPrefix, QObject* parent = nullptr);

private:
    void startLogin(const CLoraAuthReq& connectionInfo);
    void openSocket(const QUrl& url);
    // Closes the socket without reporting its end as a loss.
    void closeQuietly();
    void onLoginTimeout();
    void onPingTick();
    void onPongTimeout();
    void onLogoutTimeout();
    void onRetryTimer();
    void scheduleRetry();
    void stopRetries();
    void onConnected();
    void onDisconnected();
    void onSocketError(QAbstractSocket::SocketError error);
    void onOwnStateChanged(EClientStates state);
    void onAuthAnswer(const AuthResponse& response);
    void onServerInfo(const CloraInfoResp& info);
    void reportHostError(const QString& text);
    bool socketIsConnected() const { return state() == QAbstractSocket::ConnectedState; }

    CLoraAuthReq m_connectionInfo;
    EClientStates m_state = EClientStates::unknown;
    QString m_protocolPrefix;
    // Per connection attempt: whether the socket got through, and whether its failure
    // has already been reported to the operator.
    bool m_socketWasConnected = false;
    bool m_failureReported = false;

    QTimer m_loginTimer;
    QTimer m_pingTimer;
    QTimer m_pongTimer;
    QTimer m_logoutTimer;
    QTimer m_retryTimer;
    int m_firstRetryDelayMs = defaultFirstRetryDelayMs;
    int m_maxRetryDelayMs = defaultMaxRetryDelayMs;
    int m_nextRetryDelayMs = defaultFirstRetryDelayMs;
    int m_retryAttempt = 0;
    QDateTime m_nextRetryAt;
    bool m_reconnecting = false;
    // A logout was sent and waits for the server's answer.
    bool m_loggingOut = false;
    // The connection request of the last login that reached "ready"; retries use it.
    CLoraAuthReq m_lastGoodLogin;
    bool m_hadGoodLogin = false;
    // The token of the login in force, for the logout at exit.
    QString m_sessionToken;
    quint64 m_connectionNumber = 0;
};
