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
    void onConnected();
    void onSocketError(QAbstractSocket::SocketError error);
    void onOwnStateChanged(EClientStates state);

    CLoraAuthReq m_connectionInfo;
    EClientStates m_state = EClientStates::unknown;
    QString m_protocolPrefix;
};
