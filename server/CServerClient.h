#pragma once

#include "server/ServerRecords.h"

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

    ~CServerClient() override;

    static CServerClient* instance(const QString& protocolPrefix = QString(), QObject* parent = nullptr);

    EClientStates clientState() const { return m_state; }
    static QString stateName(int state);

signals:
    void clientStateChanged(EClientStates state);
    void hostError(AuthResponse error);

public slots:
    bool sendMessage(QString message);
    void openWebSoket(CLoraAuthReq connectionInfo);
    void logOut(QString token);

protected slots:
    void changeState(EClientStates state);

private slots:
    bool cmdSendMessage(QString message);

protected:
    explicit CServerClient(const QString& protocolPrefix, QObject* parent = nullptr);

private:
    void openSocket(const QUrl& url);
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
};
